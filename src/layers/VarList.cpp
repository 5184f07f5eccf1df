#include "layers/VarList.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "grid/GridSpec.h"
#include "layers/VarFile.h"

namespace KOL {

// The scanner of decode: walks the text one character at a time, keeping the delimiter stack.
class VarList::Decoder {
 public:
  Decoder(VarList& list, const char* text) : list_(list), text_(text) {}

  int run()
  {
    for (pos_ = 0; text_[pos_]; ++pos_) {
      char c = text_[pos_];
      bool delim = c == '[' || c == ']' || (brackets_ == 0 && std::strchr("{}()<>,", c));
      if (!delim) continue;
      if (!step(c)) return 0;
      last_ = c;
    }
    if (!stack_.empty() || pos_ == start_) return 1;
    return comma();
  }

 private:
  int step(char c)
  {
    switch (c) {
      case '[':
        return openBracket();
      case ']':
        return closeBracket();
      case '{':
      case '(':
      case '<':
        return opener(c);
      case '}':
        return closer('{', c);
      case ')':
        return closer('(', c);
      case '>':
        return closer('<', c);
      default:
        return comma();
    }
  }

  bool push(char c)
  {
    if (static_cast<int>(stack_.size()) >= STACK_SIZE) {
      Kol::outWarning("VarList::decode error, too deeply nested at %s\n", text_ + pos_);
      return false;
    }
    stack_.push_back(c);
    return true;
  }

  int openBracket()
  {
    if (brackets_ == 0 && pos_ == start_ && std::strchr("})>,", last_) && closed_ >= 0) {
      suffix_ = pos_;
      suffix_end_ = -1;
    }
    if (!push('[')) return 0;
    brackets_++;
    return 1;
  }

  int closeBracket()
  {
    if (stack_.empty() || stack_.back() != '[') return unexpected(']');
    stack_.pop_back();
    brackets_--;
    if (brackets_ == 0 && suffix_ >= 0 && suffix_end_ < 0) suffix_end_ = pos_;
    return 1;
  }

  int opener(char c)
  {
    if (!push(c)) return 0;
    std::string name = item();
    int type = c == '{' ? GROUP : c == '<' ? BLOCK : FUNCTION;
    if (type == FUNCTION) {
      std::string base = name.substr(0, name.find('-'));
      if (base == "grad" || base == "vdiff" || base == "+grad" || base == "+vdiff")
        type = VECT_FUNCTION;
    }
    int opener = list_.append(name.c_str(), type, depth_);
    list_.entries_[opener].spec.setLiteral(1);
    openers_.push_back(opener);
    depth_++;
    start_ = pos_ + 1;
    return 1;
  }

  int closer(char open, char c)
  {
    if (stack_.empty() || stack_.back() != open) return unexpected(c);
    endItem();
    stack_.pop_back();
    closed_ = openers_.back();
    openers_.pop_back();
    depth_--;
    start_ = pos_ + 1;
    return 1;
  }

  int comma()
  {
    endItem();
    start_ = pos_ + 1;
    return 1;
  }

  // The item just ended is a suffix bracket or, when not empty, a parameter.
  void endItem()
  {
    if (suffix_ >= 0) {
      flushSuffix();
      return;
    }
    std::string text = item();
    if (!text.empty()) list_.append(text.c_str(), PARAM, depth_);
  }

  // Applies a pending suffix bracket to the opener it follows.
  void flushSuffix()
  {
    int end = suffix_end_ >= 0 ? suffix_end_ + 1 : pos_;
    std::string text(text_ + suffix_, text_ + end);
    suffix_ = -1;
    VarSpec s(text.c_str());
    Entry& op = list_.entries_[closed_];
    if (op.type == GROUP) {
      for (int k = closed_ + 1; k < list_.getNum(); ++k) {
        VarSpec& member = list_.entries_[k].spec;
        std::string fmt = s.getFormat();
        if (member.getFormat()[0]) fmt += std::string(",") + member.getFormat();
        member.setFormat(fmt.c_str());
      }
    }
    if (s.getUnits()[0]) op.spec.setUnits(s.getUnits());
    int plot = op.spec.getPlot();
    op.spec.setFormat(s.getFormat());
    if (plot != VarSpec::NONE && op.spec.getPlot() == VarSpec::NONE) op.spec.setPlot(plot);
  }

  // The text since the start of the item, without backslashes.
  std::string item() const
  {
    std::string s;
    for (int k = start_; k < pos_ && k - start_ < ITEM_SIZE; ++k)
      if (text_[k] != '\\') s += text_[k];
    return s;
  }

  int unexpected(char c)
  {
    Kol::outWarning("VarList::decode error, unexpected %c at %s\n", c, text_ + pos_);
    return 0;
  }

  VarList& list_;
  const char* text_;
  int pos_ = 0;
  int start_ = 0;  // where the current item began
  int depth_ = 0;
  int brackets_ = 0;  // open "[" on the stack
  int closed_ = -1;   // the opener entry closed last
  int suffix_ = -1;   // start of a suffix bracket, -1 when none pending
  int suffix_end_ = -1;
  char last_ = ',';
  std::string stack_;
  std::vector<int> openers_;  // entries of the openers on the stack
};

namespace {

// Whether an entry expanded from a macro takes the units the user wrote: when its definition
// has none or they convert to them.
bool takesUnits(Unit& unit, const VarSpec& spec, const char* units)
{
  return units[0] && (!spec.getUnits()[0] || unit.valid(spec.getUnits(), units));
}

// The user's own format after the one of the definition; the drawing type stays when the
// joined format names none.
void appendFormat(VarSpec& spec, const char* own)
{
  int plot = spec.getPlot();
  std::string fmt = spec.getFormat();
  fmt += fmt.empty() ? own : std::string(",") + own;
  spec.setFormat(fmt.c_str());
  if (spec.getPlot() == VarSpec::NONE) spec.setPlot(plot);
}

}  // namespace

VarList::VarList(const char* text)
{
  init();
  decode(text);
}

void VarList::init()
{
  entries_.clear();
  capacity_ = INITIAL_CAPACITY;
  entries_.reserve(capacity_);
  cursor_ = 0;
}

void VarList::setFile(const char* name)
{
  file_ = name && FileTool::checkLength("VarList", name) ? name : "";
}

int VarList::append(const char* text, int type, int depth)
{
  if (getNum() >= capacity_) {
    capacity_ += GROWTH;
    entries_.reserve(capacity_);
  }
  Entry& e = entries_.emplace_back();
  e.type = type;
  e.depth = depth;
  e.spec.decode(text);
  return getNum() - 1;
}

int VarList::decode(const char* text)
{
  std::string file = std::move(file_);
  init();
  file_ = std::move(file);
  if (!text) return 0;
  return Decoder(*this, text).run();
}

int VarList::searchFile(const char* name, String& definition) const
{
  definition.clear();
  if (!StrLib::valid(name) || file_.empty()) return 0;
  VarFile vf;
  if (!vf.open(file_.c_str())) return 0;
  VarFileData data;
  if (!vf.search(name, data)) return 0;
  definition.copy(data.definition);
  return 1;
}

int VarList::process(const char* text, VarList& scratch)
{
  String def;
  const char* list = searchFile(text, def) ? def.get() : text;
  if (!decode(list)) return 0;
  Kol::outDebug(5, "-----PROCESS %s ------\n", list ? list : "");
  scratch.setFile(file_.c_str());
  for (int pass = 0; pass < PASSES; ++pass) {
    bool changed = expandPass(scratch);
    if (Kol::isDebug(5)) {
      Kol::outDebug(5, "----PASS %d------\n", pass);
      print();
    }
    if (!changed) break;
  }
  Kol::outDebug(5, "------------------\n");
  return 1;
}

bool VarList::expandPass(VarList& scratch)
{
  bool changed = false;
  String def, name;
  for (int i = 0; i < getNum(); ++i) {
    VarSpec& spec = entries_[i].spec;
    if (spec.isLiteral()) continue;
    spec.getVar().toAbbrCode(name);
    if (!searchFile(name.get(), def) || !scratch.decode(def.get()) || scratch.getNum() == 0) {
      spec.setLiteral(1);
      continue;
    }
    changed = true;
    if (scratch.getNum() == 1) {
      applyOne(i, scratch.entries_[0]);
    } else {
      i += applyMany(i, scratch) - 1;
    }
  }
  return changed;
}

void VarList::applyOne(int i, const Entry& def)
{
  VarSpec& spec = entries_[i].spec;
  const VarSpec own = spec;
  spec.update(def.spec, VarSpec::ALL);
  if (std::strcmp(def.spec.getName(), own.getName()) == 0) spec.setLiteral(1);
  if (takesUnits(units_, def.spec, own.getUnits())) spec.setUnits(own.getUnits());
  if (own.getFormat()[0]) appendFormat(spec, own.getFormat());
}

int VarList::applyMany(int i, const VarList& def)
{
  const Entry own = entries_[i];
  const char* units = own.spec.getUnits();
  const char* format = own.spec.getFormat();
  std::vector<Entry> items;
  for (int k = 0; k < def.getNum(); ++k) {
    const Entry& d = def.entries_[k];
    Entry e = own;
    e.depth = own.depth + d.depth;
    e.type = d.type;
    e.spec.setLiteral(0);
    e.spec.update(d.spec, VarSpec::ALL);
    bool top = d.depth == 0;
    if (top && takesUnits(units_, e.spec, units)) e.spec.setUnits(units);
    if ((k == 0 || top) && format[0]) appendFormat(e.spec, format);
    items.push_back(std::move(e));
  }
  entries_.erase(entries_.begin() + i);
  entries_.insert(entries_.begin() + i, items.begin(), items.end());
  while (capacity_ < getNum()) capacity_ += GROWTH;
  return static_cast<int>(items.size());
}

int VarList::get(int i, VarSpec& spec) const
{
  if (!valid(i)) return 0;
  spec = entries_[i].spec;
  return 1;
}

int VarList::get(int i, GridSpec& spec) const
{
  if (!valid(i)) return 0;
  spec.set(entries_[i].spec);
  return 1;
}

int VarList::setPlot(int i, int plotType)
{
  if (!valid(i)) return 0;
  entries_[i].spec.setPlot(plotType);
  return 1;
}

int VarList::setDataIndex(int i, int index)
{
  if (!valid(i)) return 0;
  entries_[i].data_index = index;
  return 1;
}

bool VarList::isFillContour(int i) const
{
  if (!isContour(i)) return false;
  const VarSpec& s = entries_[i].spec;
  return s.hasFormatToken("cf") || s.hasFormatToken("pl=cf");
}

int VarList::getString(int i, String& out) const
{
  if (!valid(i)) return 0;
  const VarSpec& s = entries_[i].spec;
  String fore, lev, name;
  if (s.getForeTime().getType() != ForeTime::MISSING) s.getForeTime().toString(fore);
  if (s.getLevel().isSet()) s.getLevel().toString(lev);
  s.getVar().toAbbrCode(name);
  std::string t = std::string(fore.get()) + ":" + lev.get() + ":" + name.get() + "[" +
                  s.getUnits() + "," + s.getFormat() + "]";
  out.copy(t.c_str());
  return 1;
}

void VarList::print() const
{
  std::printf("VarList: %d entries, file %s\n", getNum(), file_.c_str());
  String text;
  for (int i = 0; i < getNum(); ++i) {
    getString(i, text);
    std::printf("%3d %*s%d %s (data %d)\n", i, 2 * entries_[i].depth, "", entries_[i].type,
                text.get(), entries_[i].data_index);
  }
}

}  // namespace KOL
