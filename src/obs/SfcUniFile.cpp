#include "obs/SfcUniFile.h"

#include "core/Kol.h"
#include "core/String.h"
#include "obs/SfcData.h"
#include "obs/sfc/SfcFields.h"

namespace KOL {

namespace {

bool nextRow(File& f, std::string& row)
{
  row.clear();
  char buf[4096];
  int n;
  while ((n = f.getLine(buf, sizeof buf)) > 0) {
    row.append(buf, n);
    if (row.back() == '\n') break;
  }
  while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
  return n > 0 || !row.empty();
}

}  // namespace

void SfcUniFile::init()
{
  file_.close();
  date_ = Date();
  columns_.clear();
  open_ = false;
}

int SfcUniFile::checkType(const char* name)
{
  File f;
  return name && f.open(name, "r") ? 0 : -1;
}

int SfcUniFile::open(const char* name)
{
  close();
  if (!name || !file_.open(name, "r")) {
    Kol::outWarning("SfcUniFile: Unable to open file: %s\n", name ? name : "(null)");
    return 0;
  }
  open_ = true;
  if (!readHeader()) {
    Kol::outWarning("SfcUniFile: no column names in %s\n", name);
    close();
    return 0;
  }
  return 1;
}

bool SfcUniFile::readHeader()
{
  std::string row;
  if (!nextRow(file_, row)) return false;
  bool any = false;
  for (const std::string& name : splitRow(row)) {
    const sfc::Field* f = sfc::findField(name);
    columns_.push_back(f ? static_cast<int>(f - sfc::fields()) : -1);
    any = any || f;
  }
  return any;
}

int SfcUniFile::read(SfcData& s)
{
  std::string row;
  if (!open_ || !nextRow(file_, row) || row.empty()) return 0;
  s.init();
  std::vector<std::string> cells = splitRow(row);
  for (size_t i = 0; i < cells.size() && i < columns_.size(); ++i)
    if (columns_[i] >= 0 && !cells[i].empty())
      sfc::setField(sfc::fields()[columns_[i]], s, cells[i]);
  sfc::finishRecord(s);
  return s.id[0] ? 1 : 0;
}

void SfcUniFile::headerRow(std::string& out)
{
  for (int i = 0; i < sfc::fieldCount(); ++i) {
    if (i) out += ',';
    out += sfc::fields()[i].name;
  }
  out += '\n';
}

void SfcUniFile::recordRow(const SfcData& s, std::string& out)
{
  std::string value;
  for (int i = 0; i < sfc::fieldCount(); ++i) {
    if (i) out += ',';
    value.clear();
    if (sfc::getField(sfc::fields()[i], s, value)) out += csvCell(value);
  }
  out += '\n';
}

std::vector<std::string> SfcUniFile::splitRow(const std::string& row)
{
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < row.size(); ++i) {
    char c = row[i];
    if (quoted) {
      if (c == '"' && i + 1 < row.size() && row[i + 1] == '"')
        cells.back() += row[++i];
      else if (c == '"')
        quoted = false;
      else
        cells.back() += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

std::string SfcUniFile::csvCell(const std::string& text)
{
  if (text.find_first_of(",\"\n") == std::string::npos && text.find(' ') != 0 &&
      (text.empty() || text.back() != ' '))
    return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

int SfcUniFile::setDate(const Date& d)
{
  date_ = d;
  return 1;
}

int SfcUniFile::getDate(Date& d) const
{
  d = date_;
  return d.isSet() ? 1 : 0;
}

int SfcUniFile::rewind()
{
  if (!open_) return 0;
  file_.rewind();
  columns_.clear();
  return readHeader() ? 1 : 0;
}

int SfcUniFile::close()
{
  file_.close();
  columns_.clear();
  open_ = false;
  return 1;
}

}  // namespace KOL
