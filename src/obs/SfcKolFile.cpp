#include "obs/SfcKolFile.h"

#include <cstring>
#include <string_view>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "obs/SfcData.h"
#include "obs/sfc/KolRecord.h"

namespace KOL {

namespace {

constexpr const char* MAGIC = "KOLSFC";
constexpr size_t MAGIC_SIZE = 6;
constexpr size_t FLUSH_SIZE = 1 << 18;
constexpr int CHUNK = 1 << 16;

// The line at pos (without its line end) and the position after it.
std::string_view lineAt(const std::string& text, size_t& pos)
{
  if (pos >= text.size()) return {};
  size_t end = text.find('\n', pos);
  if (end == std::string::npos) end = text.size();
  std::string_view line(text.data() + pos, end - pos);
  pos = end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

SfcKolFile::SfcKolFile(const char* name, int mode)
{
  init();
  open(name, mode);
}

void SfcKolFile::init()
{
  file_.close();
  mode_ = READ;
  version_ = VERSION;
  count_ = -1;
  date_ = Date();
  datim_[0] = '\0';
  open_ = false;
  text_.clear();
  pos_ = first_ = 0;
}

int SfcKolFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "r")) return -1;
  char head[MAGIC_SIZE] = {};
  int n = f.read(head, static_cast<int>(MAGIC_SIZE));
  return n == static_cast<int>(MAGIC_SIZE) && !std::memcmp(head, MAGIC, MAGIC_SIZE) ? 1 : 0;
}

int SfcKolFile::open(const char* name, int mode)
{
  close();
  if (!name || mode < READ || mode > APPEND) return 0;
  int type = checkType(name);
  if (mode == READ && type != 1) {
    Kol::outWarning("SfcKolFile: not a surface file: %s\n", name);
    return 0;
  }
  // Appending to anything but an own-format, empty or missing file would spoil it.
  bool existing = mode == APPEND && type == 1;
  if (mode == APPEND && type == 0) {
    File f(name, "r");
    char c;
    if (f.read(&c, 1) == 1) {
      Kol::outWarning("SfcKolFile: not a surface file: %s\n", name);
      return 0;
    }
  }
  const char* how = mode == READ ? "r" : mode == WRITE ? "w" : "a";
  if (!file_.open(name, how)) {
    Kol::outWarning("SfcKolFile: Unable to open file: %s\n", name);
    return 0;
  }
  mode_ = mode;
  open_ = true;
  if (mode == READ) {
    if (!readAll()) {
      close();
      return 0;
    }
    return 1;
  }
  count_ = existing ? 0 : -1;
  if (count_ < 0 && date_.isSet()) writeHeader();
  return 1;
}

bool SfcKolFile::readAll()
{
  text_.clear();
  char buf[CHUNK];
  int n;
  while ((n = file_.read(buf, CHUNK)) > 0) text_.append(buf, n);
  pos_ = 0;
  lineAt(text_, pos_);
  std::string_view label = lineAt(text_, pos_);
  StrLib::copy(datim_, sizeof datim_, std::string(label.substr(0, LABEL_SIZE)).c_str());
  Date d;
  if (DateTool::decode(datim_, d)) date_ = d;
  first_ = pos_;
  return true;
}

int SfcKolFile::read(SfcData& s)
{
  if (!open_ || mode_ != READ) return 0;
  std::string_view line = lineAt(text_, pos_);
  if (line.empty()) return 0;
  return sfc::readRecord(line, date_, s) ? 1 : 0;
}

bool SfcKolFile::writeHeader()
{
  String label;
  DateTool::createLabel(date_, label);
  StrLib::copy(datim_, sizeof datim_, label.get());
  text_ += MAGIC;
  text_ += '\n';
  text_ += datim_;
  text_ += '\n';
  count_ = 0;
  return true;
}

int SfcKolFile::write(const SfcData& s)
{
  if (!open_ || mode_ == READ || !s.id[0]) return 0;
  if (count_ < 0) {
    if (!date_.isSet()) {
      Kol::outWarning("SfcKolFile: the date must be set before the first record\n");
      return 0;
    }
    writeHeader();
  }
  sfc::writeRecord(s, text_);
  ++count_;
  return text_.size() < FLUSH_SIZE || flush() ? 1 : 0;
}

bool SfcKolFile::flush()
{
  if (text_.empty()) return true;
  int n = static_cast<int>(text_.size());
  bool ok = file_.write(text_.data(), n) == n;
  text_.clear();
  if (!ok) Kol::outWarning("SfcKolFile: cannot write the file\n");
  return ok;
}

int SfcKolFile::setDate(const Date& d)
{
  date_ = d;
  return 1;
}

int SfcKolFile::getDate(Date& d) const
{
  d = date_;
  return d.isSet() ? 1 : 0;
}

int SfcKolFile::rewind()
{
  if (!open_ || mode_ != READ) return 0;
  pos_ = first_;
  return 1;
}

int SfcKolFile::close()
{
  int ok = 1;
  if (open_ && mode_ != READ) ok = flush() ? 1 : 0;
  file_.close();
  open_ = false;
  text_.clear();
  text_.shrink_to_fit();
  pos_ = first_ = 0;
  count_ = -1;
  return ok;
}

}  // namespace KOL
