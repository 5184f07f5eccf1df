// kolmetar: decodes METAR, SPECI and SA reports read from filed bulletins, from a text file of
// reports or from standard input (-in=wmo or -in=text force the kind of input), and writes one
// decoded record per report: a readable table, or CSV with units in the header. It is the command a
// feed is piped through to see what the decoder made of it.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Date.h"
#include "core/File.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcWmoData.h"
#include "obs/WmoParse.h"

using namespace KOL;

namespace {

constexpr int LINE_SIZE = 1024;

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  KolResrc::add(keyed, KolResrc::find("input"));
  keyed.add("out", "kolmetarout", "out", "-out=csv     Write CSV instead of a table");
  keyed.add("date", "kolmetardate", "date",
            "-date=yyyymmddhhmm Date near the reports (default now)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

// ---------------------------------------------------------------------------------------------
// Output.

std::string number(float v, const char* fmt)
{
  if (v == Const::FMISS) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

const char* typeName(int type)
{
  static const char* const NAMES[] = {"NIL", "METAR", "SPECI", "SA", "SP"};
  return type >= 0 && type <= 4 ? NAMES[type] : "?";
}

// Weather groups separated by blanks.
std::string weather(const SfcData& s)
{
  std::string wx = s.wx[0] == '!' ? s.wx + 1 : s.wx;
  for (char& c : wx)
    if (c == '_') c = ' ';
  return wx;
}

std::string sky(const SfcData& s)
{
  std::string out;
  for (int i = 0; i < s.ncld && i < SfcData::MAX_CLD; ++i) {
    char c = s.cld[i].cover;
    const char* word = c == 'C'   ? "CLR"
                       : c == 'F' ? "FEW"
                       : c == 'S' ? "SCT"
                       : c == 'B' ? "BKN"
                       : c == 'O' ? "OVC"
                       : c == 'X' ? "VV"
                       : c == 's' ? "-SCT"
                       : c == 'b' ? "-BKN"
                       : c == 'o' ? "-OVC"
                       : c == 'x' ? "-X"
                                  : nullptr;
    char layer[40];
    std::string okta = StrLib::isDigit(c) ? std::string(1, c) + "/8" : "?";
    std::string height = number(s.cld[i].height, "%.0f");
    std::snprintf(layer, sizeof layer, "%s%s%s", word ? word : okta.c_str(),
                  height.empty() ? "" : "@", height.c_str());
    if (!out.empty()) out += ' ';
    out += layer;
  }
  return out;
}

std::string dateText(const SfcData& s)
{
  const Date& d = s.date;
  if (!d.isSet()) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.getYear(), d.getMonth(), d.getDay());
  return buf;
}

std::string timeText(const SfcData& s)
{
  int t = s.getTime();
  if (t == Const::MISS) return "";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", t);
  return buf;
}

std::string quoted(const std::string& text)
{
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// A CSV field, quoted when it holds a separator or a quote.
std::string field(const std::string& text)
{
  return text.find_first_of(",\"") == std::string::npos ? text : quoted(text);
}

class Writer {
 public:
  explicit Writer(bool csv) : csv_(csv) {}
  void header() const;
  void write(const SfcData& s, const char* report);
  int written() const { return written_; }

 private:
  bool csv_;
  int written_ = 0;
};

void Writer::header() const
{
  if (csv_) {
    std::printf(
        "station,type,date,time_utc,temp_C,dewp_C,wdir_deg,wspd_kt,gust_kt,vis_mi,alt_inHg,"
        "slp_hPa,weather,sky_ft,flight_cat,prec1h_mm,report\n");
    return;
  }
  std::printf("%-6s %-5s %-10s %4s %6s %6s %4s %4s %4s %6s %6s %7s %-4s %5s %-14s %s\n", "STN",
              "TYPE", "DATE", "UTC", "TEMP", "DEWP", "WDIR", "WSPD", "GUST", "VIS", "ALT", "SLP",
              "CAT", "P1H", "WEATHER", "SKY");
  std::printf("%-6s %-5s %-10s %4s %6s %6s %4s %4s %4s %6s %6s %7s %-4s %5s %-14s %s\n", "", "", "",
              "", "C", "C", "deg", "kt", "kt", "mi", "inHg", "hPa", "", "mm", "", "ft");
}

void Writer::write(const SfcData& s, const char* report)
{
  ++written_;
  std::string cat =
      s.type == 0 ? "" : SfcDataTool::flightCategoryName(SfcDataTool::flightCategory(s));
  std::string fields[] = {
      number(s.temp, "%.1f"), number(s.dewp, "%.1f"), number(s.wdir, "%.0f"),
      number(s.wspd, "%.1f"), number(s.gust, "%.1f"), number(s.vis, "%.3f"),
      number(s.alt, "%.3f"),  number(s.slp, "%.1f"),  number(s.prec[SfcData::PREC1], "%.2f")};
  if (csv_) {
    std::printf("%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s\n", field(s.id).c_str(),
                typeName(s.type), dateText(s).c_str(), timeText(s).c_str(), fields[0].c_str(),
                fields[1].c_str(), fields[2].c_str(), fields[3].c_str(), fields[4].c_str(),
                fields[5].c_str(), fields[6].c_str(), fields[7].c_str(), field(weather(s)).c_str(),
                sky(s).c_str(), cat.c_str(), fields[8].c_str(), quoted(report).c_str());
    return;
  }
  std::printf("%-6s %-5s %-10s %4s %6s %6s %4s %4s %4s %6s %6s %7s %-4s %5s %-14s %s\n", s.id,
              typeName(s.type), dateText(s).c_str(), timeText(s).c_str(), fields[0].c_str(),
              fields[1].c_str(), fields[2].c_str(), number(s.wspd, "%.0f").c_str(),
              number(s.gust, "%.0f").c_str(), number(s.vis, "%.2f").c_str(),
              number(s.alt, "%.2f").c_str(), fields[7].c_str(), cat.c_str(), fields[8].c_str(),
              weather(s).c_str(), sky(s).c_str());
}

// ---------------------------------------------------------------------------------------------
// Cutting reports out of lines.

// What a bulletin heading says about the reports under it.
struct Bulletin {
  Date date;  // near the reports
  int day = Const::MISS, hour = Const::MISS, minute = Const::MISS;
  int location = 0;
  int format = SfcWmoData::METAR;
  char heading[SfcWmoData::WMO_SIZE] = "";
};

// The country of the reports under a heading, by its first four letters.
int headingLocation(const char* heading)
{
  static const char* const USA[] = {"SAUS", "SAUE", "SAUM", "SAUW", "SAUC", "SACA",
                                    "SAXX", "SAHW", "SAPA", "SAPQ", "SAAK"};
  if (!std::strncmp(heading, "SACN", 4) || !std::strncmp(heading, "SPCN", 4))
    return SfcWmoData::CANADA;
  if (!std::strncmp(heading, "SAMX", 4)) return SfcWmoData::MEXICO;
  for (const char* p : USA)
    if (!std::strncmp(heading, p, 4)) return SfcWmoData::USA;
  return 0;
}

void wordAt(const char* line, int n, char* word, int size)
{
  Strings words(line);
  const char* w = words.getString(n);
  StrLib::copy(word, size, w ? w : "");
}

// The second word of an SA report names its kind.
bool saKind(const char* w)
{
  for (const char* k : {"SA", "SP", "RS", "SM", "USP", "AMOS"})
    if (!std::strcmp(w, k)) return true;
  return false;
}

bool timeLike(const char* w)
{
  int digits = 0;
  while (StrLib::isDigit(w[digits])) ++digits;
  return digits >= 4 && (!w[digits] || w[digits] == 'Z' || !std::strcmp(w + digits, "UTC"));
}

// Collects report lines and hands each complete report to the decoder.
class Cutter {
 public:
  Cutter(Writer& out, const Date& reference) : out_(out) { bulletin_.date = reference; }
  // A new bulletin under the given heading.
  void heading(const char* text);
  void line(const char* text);
  void flush();

 private:
  bool sectionLine(const char* text);
  bool startsReport(const char* text) const;
  void decode(const std::string& report);

  Writer& out_;
  Bulletin bulletin_;
  std::string pending_;
};

void Cutter::heading(const char* text)
{
  flush();
  Date reference = bulletin_.date;
  bulletin_ = Bulletin();
  bulletin_.date = reference;
  StrLib::copy(bulletin_.heading, sizeof bulletin_.heading, text);
  bulletin_.location = headingLocation(text);
  char time[16];
  wordAt(text, 2, time, sizeof time);
  int d, h, m;
  if (std::sscanf(time, "%2d%2d%2d", &d, &h, &m) == 3 && d >= 1 && d <= 31 && h < 24 && m < 60) {
    bulletin_.day = d;
    bulletin_.hour = h;
    bulletin_.minute = m;
  }
  if (!std::strncmp(text, "SP", 2)) bulletin_.format = SfcWmoData::SPECI;
}

// "METAR" or "SPECI" alone, or with the bulletin time, names the kind of the reports below.
bool Cutter::sectionLine(const char* text)
{
  char first[16], second[16], third[4];
  wordAt(text, 0, first, sizeof first);
  wordAt(text, 1, second, sizeof second);
  wordAt(text, 2, third, sizeof third);
  bool kind = !std::strcmp(first, "METAR") || !std::strcmp(first, "SPECI");
  if (!kind || third[0] || (second[0] && !timeLike(second))) return false;
  bulletin_.format = first[0] == 'S' ? SfcWmoData::SPECI : SfcWmoData::METAR;
  return true;
}

bool Cutter::startsReport(const char* text) const
{
  if (text[0] == ' ' || text[0] == '\t') return false;
  char first[16], second[16];
  wordAt(text, 0, first, sizeof first);
  wordAt(text, 1, second, sizeof second);
  for (const char* k : {"METAR", "SPECI", "LWIS"})
    if (!std::strcmp(first, k)) return true;
  if (saKind(second)) return true;
  int n = static_cast<int>(std::strlen(first));
  if (n < 3 || n > 5 || !std::strcmp(first, "PCPN") || !std::strcmp(first, "TSNO")) return false;
  return timeLike(second) || !std::strncmp(second, "NIL", 3);
}

void Cutter::line(const char* text)
{
  const char* first = text;
  while (StrLib::isSpace(*first)) ++first;
  // Blank lines may stand inside a report (ended by "="); a first line may be indented.
  if (!*first) return;
  if (pending_.empty()) {
    text = first;
    if (sectionLine(text)) return;
  }
  if (startsReport(text)) {
    flush();
    pending_ = text;
  } else if (!pending_.empty()) {
    pending_ += ' ';
    pending_ += first;
  } else {
    return;
  }
  size_t end = pending_.find_last_not_of(" \t\r\n");
  if (end != std::string::npos && pending_[end] == '=') flush();
}

void Cutter::flush()
{
  if (pending_.empty()) return;
  std::string report;
  report.swap(pending_);
  size_t end = report.find('=');
  if (end != std::string::npos) report.resize(end);
  while (!report.empty() && StrLib::isSpace(report.back())) report.pop_back();
  if (!report.empty()) decode(report);
}

void Cutter::decode(const std::string& report)
{
  SfcWmoData w;
  w.setData(report.c_str());
  char first[16], second[16];
  wordAt(w.data, 0, first, sizeof first);
  wordAt(w.data, 1, second, sizeof second);
  bool kind = !std::strcmp(first, "METAR") || !std::strcmp(first, "SPECI");
  w.setId(kind ? second : first);
  w.setWmo(bulletin_.heading);
  w.date = bulletin_.date;
  w.day = bulletin_.day;
  w.hour = bulletin_.hour;
  w.minute = bulletin_.minute;
  w.location = bulletin_.location ? bulletin_.location : MetarTool::locationOf(w.id);
  SfcData s;
  if (saKind(second)) {
    bool special = !std::strcmp(second, "SP") || !std::strcmp(second, "USP");
    w.format = special ? SfcWmoData::SP : SfcWmoData::SA;
    SaoTool::decode(w, s);
  } else {
    w.format = bulletin_.format;
    MetarTool::decode(w, s);
  }
  out_.write(s, w.data);
}

// ---------------------------------------------------------------------------------------------
// Input.

bool isHeading(const char* line)
{
  return StrLib::check(line, "uuuudd uuuu dddddd") || StrLib::check(line, "uuuu uuuu dddddd");
}

// A text file of reports, one per line or running over lines up to "=". Raw bulletins piped in
// work too: their start and end lines end the report in progress and their headings are read.
int readText(const char* name, Cutter& cutter)
{
  File f(name, "r");
  if (!f.isOpen()) {
    Kol::outError("kolmetar: cannot open %s\n", name);
    return 0;
  }
  char line[LINE_SIZE];
  while (f.getLine(line, sizeof line) > 0) {
    if (std::strchr(line, '\x01') || std::strchr(line, '\x03')) {
      cutter.flush();
      continue;
    }
    for (char* c = line; *c; ++c)
      if (static_cast<unsigned char>(*c) < ' ') *c = ' ';
    StrLib::trimWS(line);
    if (isHeading(line))
      cutter.heading(line);
    else
      cutter.line(line);
  }
  cutter.flush();
  return 1;
}

// Filed bulletins through the bulletin parser, which hands over each product's body lines; a
// new product brings its heading.
int readBulletins(const char* name, Cutter& cutter)
{
  WmoParse parse("nohdr,noawips");
  if (!parse.open(name)) {
    Kol::outError("kolmetar: cannot open %s\n", name);
    return 0;
  }
  char line[LINE_SIZE];
  while (parse.getLine(line, sizeof line) > 0) {
    if (parse.isNewProd()) cutter.heading(parse.getHeader());
    for (char* c = line; *c; ++c)
      if (static_cast<unsigned char>(*c) < ' ') *c = ' ';
    StrLib::trimWS(line);
    cutter.line(line);
  }
  cutter.flush();
  parse.close();
  return 1;
}

// The line reader recognises bulletin framing, headings and reports whatever the line ends
// (CR CR LF, CR LF, LF or LF LF); the bulletin parser wants the filed CR CR LF framing, so it
// serves only when asked for.
int readInput(const char* name, const char* input, Cutter& cutter)
{
  return !strncasecmp(input, "wmo", 3) ? readBulletins(name, cutter) : readText(name, cutter);
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;

  Date reference;
  const char* date = r.get("date");
  if (date && *date ? !reference.set(date) : !reference.set()) {
    Kol::outError("kolmetar: unreadable date %s\n", date);
    return Kol::USAGE;
  }
  const char* out = r.get("out", "table");
  Writer writer(!strncasecmp(out, "csv", 3));
  writer.header();
  Cutter cutter(writer, reference);

  const char* input = r.get("input", "auto");
  Strings files;
  files.set(r.get("filename", "-"), '\n');
  int ok = 1;
  for (int i = 0; i < files.getNum(); ++i) {
    const char* name = files.getString(i);
    if (name && *name) ok = readInput(name, input, cutter) && ok;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolmetar: cannot write the output\n");
    return Kol::FAILURE;
  }
  if (ok && !writer.written()) {
    Kol::outWarning("kolmetar: no report found in the input\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
