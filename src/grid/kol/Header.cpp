#include "grid/kol/Header.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/Const.h"
#include "core/DateTool.h"
#include "core/File.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "grid/Grid.h"
#include "grid/Level.h"
#include "grid/kol/ProjLine.h"
#include "grid/kol/VarCode.h"

namespace KOL::kol {

namespace {

constexpr const char* IDENT = "KOLGRID";
constexpr int LINE_SIZE = 512;

std::string_view trim(std::string_view s)
{
  while (!s.empty() && std::isspace((unsigned char)s.front())) s.remove_prefix(1);
  while (!s.empty() && std::isspace((unsigned char)s.back())) s.remove_suffix(1);
  return s;
}

// One line without its line end, cut to max characters; the rest of a longer line is skipped.
bool readLine(File& f, std::string& out, size_t max)
{
  char buf[LINE_SIZE];
  int n = f.getLine(buf, sizeof buf);
  if (n <= 0) return false;
  bool whole = buf[n - 1] == '\n';
  if (!whole && n == LINE_SIZE - 1) f.skipLine();
  out.assign(trim(std::string_view(buf, n)));
  if (out.size() > max) out.resize(max);
  return true;
}

bool integer(std::string_view s, int& v)
{
  if (s.empty() || s.size() > 11) return false;
  char buf[16];
  std::memcpy(buf, s.data(), s.size());
  buf[s.size()] = '\0';
  char* end;
  long x = std::strtol(buf, &end, 10);
  if (*end || x < INT32_MIN || x > INT32_MAX) return false;
  v = static_cast<int>(x);
  return true;
}

// The eight codes and the units after the last one; false when the line is something else
// (the projection line of a version 2 file that has no code line).
bool parseCodes(std::string_view line, Header& h)
{
  std::string_view words[9];
  int n = 0;
  while (n < 9) {
    line = trim(line);
    if (line.empty()) break;
    size_t end = 0;
    while (end < line.size() && !std::isspace((unsigned char)line[end])) end++;
    words[n++] = line.substr(0, end);
    line.remove_prefix(end);
  }
  if (n != 8) return false;
  std::string_view last = words[7];
  size_t colon = last.find(':');
  for (int k = 0; k < 8; k++)
    if (!integer(k == 7 ? last.substr(0, colon) : words[k], h.codes[k])) return false;
  h.units = colon == std::string_view::npos ? "" : std::string(last.substr(colon + 1));
  h.hasCodes = true;
  return true;
}

void identFromInfo(Header& h)
{
  // "KOLGRID" alone: version 3 when the info starts with its format number and a dash.
  int number = 0;
  char rest[Header::INFO_SIZE];
  if (std::sscanf(h.info.c_str(), "%d-%70[^\n]", &number, rest) == 2) {
    h.version = 3;
    h.info = rest;
    h.format = number == 4 ? EXTERNAL : number == 3 ? BINARY : TEXT;
  } else {
    h.version = 2;
    h.format = TEXT;
  }
}

Domain domainOf(const Header& h)
{
  Domain d;
  if (h.version >= 4) {
    // The exact text form first; a hand-written domain text through the user syntax.
    if (!d.set(h.projection.c_str())) DomainTool::decode(d, h.projection.c_str());
  } else {
    DomainVal dv;
    if (decodeProjLine(h.projection.c_str(), h.version, dv)) d.set(dv);
  }
  return d;
}

// The grid's date text when it reads back as the grid's date, else a date label that does.
std::string dateText(const Grid& g)
{
  const Date& date = g.getDate();
  Date back;
  if (!date.isSet() || (g.getDatim()[0] && DateTool::decode(g.getDatim(), back) &&
                        back.getSeconds() == date.getSeconds()))
    return g.getDatim();
  String label;
  DateTool::createLabel(date, label);
  return label.get();
}

void applyCodes(const Header& h, Grid& g)
{
  g.setModel(h.codes[2]);
  g.setGridNum(h.codes[3]);
  g.setForeTime(ForeTime(h.codes[6]));
  Level l;
  if (h.codes[4] != Const::MISS) l.decode(h.codes[4], h.codes[5]);
  g.setLevel(l);
  if (h.codes[7] != Const::MISS) g.setVar(variableOf(h.codes[7]));
  g.getVarSpec().setUnits(h.units.c_str());
}

}  // namespace

int readIdent(File& f, Header& h)
{
  std::string ident;
  if (!readLine(f, ident, 150) || ident.compare(0, 7, IDENT) != 0) {
    Kol::outWarning("GridKolFile: not a native grid file (no %s line)\n", IDENT);
    return 0;
  }
  if (ident.size() > 7 && !std::isdigit((unsigned char)ident[7])) {
    Kol::outWarning("GridKolFile: no version digit in: %s\n", ident.c_str());
    return 0;
  }
  if (!readLine(f, h.date, Header::DATE_SIZE - 1) || !readLine(f, h.info, Header::INFO_SIZE - 1)) {
    Kol::outWarning("GridKolFile: file ends inside its header\n");
    return 0;
  }
  if (ident.size() == 7) {
    identFromInfo(h);
  } else {
    h.version = ident[7] - '0';
    h.format = ident.find('B', 8) != std::string::npos ? BINARY : TEXT;
  }
  return 1;
}

int readCodesAndProjection(File& f, Header& h)
{
  std::string line;
  h.hasCodes = false;
  if (!readLine(f, line, LINE_SIZE)) {
    Kol::outWarning("GridKolFile: file ends inside its header\n");
    return 0;
  }
  if (h.version >= 2 && parseCodes(line, h) && !readLine(f, line, LINE_SIZE)) {
    Kol::outWarning("GridKolFile: file ends before its projection line\n");
    return 0;
  }
  if (h.version >= 3 && !h.hasCodes) {
    Kol::outWarning("GridKolFile: bad grid identification line: %s\n", line.c_str());
    return 0;
  }
  h.projection = line;
  return 1;
}

int applyHeader(const Header& h, Grid& g)
{
  g.init();
  Domain d = domainOf(h);
  if (d.proj == Const::MISS || d.nx < 1 || d.ny < 1 || d.nx == Const::MISS) {
    Kol::outWarning("GridKolFile: unusable projection line: %s\n", h.projection.c_str());
    return 0;
  }
  g.setDomain(d);
  g.setSource(1);
  g.setVersion(h.version);
  g.setModel(1);
  g.setType(0);
  g.setDatim(h.date.c_str());
  Date date;
  if (!h.date.empty() && DateTool::decode(h.date.c_str(), date)) g.setDate(date);
  g.setInfo(h.info.c_str());
  if (h.hasCodes) applyCodes(h, g);
  return 1;
}

Header headerOf(const Grid& g, int version, int format)
{
  Header h;
  h.version = version;
  h.format = format;
  h.date = dateText(g);
  h.info = g.getInfo();
  if (h.info.size() > Header::INFO_SIZE - 1) h.info.resize(Header::INFO_SIZE - 1);
  const Level& l = g.getLevel();
  const int codes[8] = {g.getSource(),
                        g.getVersion(),
                        g.getModel(),
                        g.getGridNum(),
                        l.isSet() ? l.toTypeCode() : Const::MISS,
                        l.isSet() ? l.toLevelCode() : Const::MISS,
                        g.getForeTime().toCode(),
                        g.getVar().toIndCode()};
  std::memcpy(h.codes, codes, sizeof codes);
  h.hasCodes = version >= 3;
  h.units = g.getUnits();
  for (char& c : h.units)
    if (c == ' ') c = '_';
  if (version >= 4) {
    String text;
    g.getDomain().toString(text);
    h.projection = text.get();
  } else {
    h.projection = encodeProjLine(g.getDomainVal());
  }
  return h;
}

int writeHeader(File& f, const Header& h)
{
  if (h.version != 4)
    f.printf("%s\n", IDENT);
  else
    f.printf("%s%d%s\n", IDENT, 4, h.format == BINARY ? "B" : "");
  f.printf("%s\n", h.date.c_str());
  if (h.version == 3)
    f.printf("%s-%s\n", h.format == BINARY ? "3" : "2", h.info.c_str());
  else
    f.printf("%s\n", h.info.c_str());
  if (h.hasCodes) {
    f.printf("%d %d %d %d %d %d %d %d", h.codes[0], h.codes[1], h.codes[2], h.codes[3], h.codes[4],
             h.codes[5], h.codes[6], h.codes[7]);
    if (!h.units.empty()) f.printf(":%s", h.units.c_str());
    f.printf("\n");
  }
  return f.printf("%s\n", h.projection.c_str()) > 0;
}

}  // namespace KOL::kol
