#include "core/Unit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Const.h"
#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/cache/ReadOnce.h"

namespace KOL {

namespace {

constexpr const char* UNITS_FILE = "units.lup";

bool isSep(char c) { return c == ' ' || c == '_'; }

// The form in which names are compared: '_' as blank, lower case, no outer blanks.
std::string normal(std::string_view name)
{
  while (!name.empty() && (isSep(name.front()) || StrLib::isSpace(name.front())))
    name.remove_prefix(1);
  while (!name.empty() && (isSep(name.back()) || StrLib::isSpace(name.back())))
    name.remove_suffix(1);
  std::string n(name);
  for (char& c : n) c = c == '_' ? ' ' : (char)StrLib::toLower((unsigned char)c);
  return n;
}

// A unit name split into its leading multiplier ("10^3 ", "100 ", "-") and base unit.
struct Split {
  double mult = 1.0;
  const char* base = "";
};

// A finite number at s when s starts like one (no "inf" or "nan" words).
bool number(const char* s, double& v, char** end)
{
  bool digit = StrLib::isDigit(s[0]) || s[0] == '.';
  bool signed_ = (s[0] == '-' || s[0] == '+') && (StrLib::isDigit(s[1]) || s[1] == '.');
  if (!digit && !signed_) return false;
  v = std::strtod(s, end);
  return *end != s && std::isfinite(v);
}

Split split(const char* name)
{
  Split r;
  while (StrLib::isSpace(*name)) name++;
  r.base = name;
  double a, b;
  char* end = nullptr;
  if (number(name, a, &end)) {
    if (*end == '^' && number(end + 1, b, &end) && isSep(*end)) {
      r.mult = std::pow(a, b);
      r.base = end + 1;
    } else if (*end != '^' && isSep(*end)) {
      r.mult = a;
      r.base = end + 1;
    }
  } else if (name[0] == '-') {
    r.mult = -1.0;
    r.base = name + 1;
  }
  if (!std::isfinite(r.mult)) {
    r.mult = 1.0;
    r.base = name;
  }
  return r;
}

// "*factor", optionally followed by "+offset" or "-offset".
bool parseExpression(const char* e, float& factor, float& offset)
{
  if (e[0] != '*') return false;
  char* end = nullptr;
  double f = std::strtod(e + 1, &end);
  if (end == e + 1 || !std::isfinite(f)) return false;
  double o = 0.0;
  if (*end == '+' || *end == '-') {
    const char* start = end;
    o = std::strtod(start, &end);
    if (end == start || !std::isfinite(o)) return false;
  }
  if (*end) return false;
  factor = (float)f;
  offset = (float)o;
  return true;
}

// Reads a whole local file; false when it cannot be opened.
bool readAll(const char* path, std::string& text)
{
  File f(path, "r");
  if (!f.isOpen()) return false;
  char chunk[4096];
  int n;
  while ((n = f.read(chunk, (int)sizeof chunk)) > 0) text.append(chunk, n);
  return true;
}

// The next white-space separated word of text from pos, cut to size - 1 characters.
bool nextWord(const std::string& text, size_t& pos, char* word, int size)
{
  while (pos < text.size() && StrLib::isSpace((unsigned char)text[pos])) pos++;
  if (pos >= text.size()) return false;
  int n = 0;
  for (; pos < text.size() && !StrLib::isSpace((unsigned char)text[pos]); pos++)
    if (n < size - 1) word[n++] = text[pos];
  word[n] = 0;
  return true;
}

bool findSub(char* s, const char* sub, char*& at)
{
  at = std::strstr(s, sub);
  return at != nullptr;
}

// One entry of the units file: its words as written (cut to their fields) and the names in the
// form in which they are compared.
struct Entry {
  char from[UnitData::NAME_SIZE];
  char to[UnitData::NAME_SIZE];
  char expression[UnitData::EXPR_SIZE];
  std::string fromName, toName;
};

// The units file of a database directory and where it was found.
struct Table {
  std::string path;
  std::vector<Entry> entries;
};

bool readTable(const char* database, Table& table)
{
  String path;
  if (!FileTool::addPath(database, UNITS_FILE, path)) return false;
  table.path = path.get();
  std::string text;
  if (!readAll(path.get(), text)) return false;
  Entry e;
  size_t pos = 0;
  while (nextWord(text, pos, e.from, sizeof e.from)) {
    if (e.from[0] == '#') {
      pos = std::min(text.find('\n', pos), text.size());
      continue;
    }
    if (!nextWord(text, pos, e.to, sizeof e.to) ||
        !nextWord(text, pos, e.expression, sizeof e.expression))
      break;
    e.fromName = normal(e.from);
    e.toName = normal(e.to);
    table.entries.push_back(e);
  }
  return true;
}

// The units file of a database directory (list), found and read on its first use and shared by
// every Unit for the rest of the process.
std::shared_ptr<const Table> tableOf(const char* database)
{
  static cache::ReadOnce<Table> tables;
  return tables.get(database, readTable);
}

}  // namespace

void UnitData::init()
{
  from[0] = to[0] = expression[0] = 0;
  factor = 1.0f;
  offset = 0.0f;
  from_mult = to_mult = 1.0f;
  valid = false;
  stamp = -1;
}

void UnitData::print() const
{
  std::printf("%s %s %s %g %g %g %g %d %d\n", from, to, expression, factor, offset, from_mult,
              to_mult, valid ? 1 : 0, stamp);
}

void Unit::init()
{
  for (auto& d : cache_) d.init();
  num_ = 0;
  last_stamp_ = 0;
}

int Unit::find(const char* from, const char* to) const
{
  std::string f = normal(from), t = normal(to);
  for (int i = 0; i < num_; i++)
    if (f == cache_[i].from && t == cache_[i].to) return i;
  return -1;
}

bool Unit::cached(const char* from, const char* to) const
{
  return find(from ? from : "", to ? to : "") >= 0;
}

int Unit::nextSlot()
{
  int slot = num_;
  if (num_ < CACHE_SIZE)
    num_++;
  else
    slot = (int)(std::min_element(
                     cache_, cache_ + CACHE_SIZE,
                     [](const UnitData& a, const UnitData& b) { return a.stamp < b.stamp; }) -
                 cache_);
  cache_[slot].init();
  cache_[slot].stamp = ++last_stamp_;
  return slot;
}

int Unit::readFile(const char* from, const char* to, UnitData& data)
{
  std::shared_ptr<const Table> table = tableOf(Kol::getDatabasePath());
  if (!table) {
    Kol::outDebug(1, "Unit: no units file %s on %s\n", UNITS_FILE, Kol::getDatabasePath());
    return 0;
  }
  std::string f = normal(from ? from : ""), t = normal(to ? to : "");
  for (const Entry& e : table->entries) {
    if (e.fromName != f || e.toName != t) continue;
    float factor, offset;
    if (!parseExpression(e.expression, factor, offset)) {
      Kol::outWarning("Unit: bad expression %s for %s %s in %s\n", e.expression, e.from, e.to,
                      table->path.c_str());
      continue;
    }
    StrLib::copy(data.expression, sizeof data.expression, e.expression);
    data.factor = factor;
    data.offset = offset;
    data.valid = true;
    return 1;
  }
  Kol::outDebug(1, "Unit: no conversion from %s to %s\n", f.c_str(), t.c_str());
  return 0;
}

const UnitData* Unit::lookup(const char* from, const char* to, double& scale)
{
  int slot = find(from, to);
  if (slot >= 0) return &cache_[slot];
  Split f = split(from), t = split(to);
  std::string fb = normal(f.base), tb = normal(t.base);
  if (fb == tb) {
    scale = t.mult != 0.0 ? f.mult / t.mult : NAN;
    return nullptr;
  }
  std::string fn = normal(from), tn = normal(to);
  bool fits = (int)fn.size() < UnitData::NAME_SIZE && (int)tn.size() < UnitData::NAME_SIZE;
  // Names too long for the cache are looked up in a scratch entry every time.
  slot = fits ? nextSlot() : -1;
  UnitData& d = fits ? cache_[slot] : scratch_;
  if (!fits) d.init();
  StrLib::copy(d.from, sizeof d.from, fn.c_str());
  StrLib::copy(d.to, sizeof d.to, tn.c_str());
  d.from_mult = (float)f.mult;
  d.to_mult = (float)t.mult;
  d.valid = readFile(fb.c_str(), tb.c_str(), d) && d.to_mult != 0.0f;
  Kol::outDebug(5, "UNIT: %s %s - %d %d - %d %d\n", d.from, d.to, slot, d.stamp, num_,
                d.valid ? 1 : 0);
  if (Kol::isDebug(5)) print();
  return &d;
}

bool Unit::valid(const char* from, const char* to)
{
  from = from ? from : "";
  to = to ? to : "";
  if (normal(from) == normal(to)) return true;
  double scale = 1.0;
  const UnitData* d = lookup(from, to, scale);
  return d ? d->valid : std::isfinite(scale);
}

float Unit::convert(float v, const char* from, const char* to)
{
  if (v == Const::FMISS) return v;
  from = from ? from : "";
  to = to ? to : "";
  if (normal(from) == normal(to)) return v;
  double scale = 1.0;
  const UnitData* d = lookup(from, to, scale);
  double r = d ? (d->valid ? ((double)v * d->from_mult * d->factor + d->offset) / d->to_mult : NAN)
               : v * scale;
  return std::isfinite(r) && std::fabs(r) < 3.0e38 ? (float)r : Const::FMISS;
}

int Unit::scale(const char* unit, float factor, const char* suffix, String& out)
{
  Split s = split(unit ? unit : "");
  double m = s.mult * factor, e = m > 0.0 ? std::log10(m) : NAN;
  char buf[160];
  if (std::isfinite(e) && std::fabs(e - std::round(e)) < 1e-4)
    std::snprintf(buf, sizeof buf, "10^%.0f %s%s", std::round(e), s.base, suffix ? suffix : "");
  else
    std::snprintf(buf, sizeof buf, "%.0e %s%s", m, s.base, suffix ? suffix : "");
  return out.copy(buf);
}

int Unit::parse(const char* label, String& name, String& unit)
{
  unit.clear();
  name.clear();
  if (!label) return 0;
  char close = ']';
  const char* open = std::strchr(label, '[');
  if (!open) {
    open = std::strchr(label, '(');
    close = ')';
  }
  if (!open) {
    name.copy(label);
    name.trimWS();
    return 0;
  }
  const char* end = std::strchr(open + 1, close);
  int n = end ? (int)(end - open - 1) : (int)std::strlen(open + 1);
  unit.copy(open + 1, std::min(n, UNIT_SIZE - 1));
  name.copy(label, (int)(open - label));
  name.trimWS();
  return 1;
}

int Unit::change(String& label, const char* unit)
{
  String name, old;
  parse(label.get(), name, old);
  label.copy(name);
  if (unit && unit[0]) {
    label.append(" [");
    label.append(unit);
    label.append("]");
  }
  return 1;
}

bool Unit::equal(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int Unit::simplify(char* unit)
{
  if (!unit) return 0;
  char* at = nullptr;
  if (findSub(unit, "kg/kg", at)) std::memmove(at, at + 5, std::strlen(at + 5) + 1);
  if (findSub(unit, "g/g", at)) std::memmove(at, at + 3, std::strlen(at + 3) + 1);
  if (findSub(unit, "/s/s", at)) std::memcpy(at, "/s^2", 4);
  return 1;
}

int Unit::simplify(String& unit)
{
  simplify(unit.get());
  unit.reset();
  return 1;
}

void Unit::print() const
{
  std::printf("Unit cache: %d\n", num_);
  for (int i = 0; i < num_; i++) cache_[i].print();
}

}  // namespace KOL
