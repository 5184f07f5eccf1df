// kolmetar: decodes METAR, SPECI and SA reports read from filed bulletins (named as files or by
// a date or selector of their convention, "la" or "#2020010600"), a feed capture (any line ends),
// a text file of reports or standard input, and writes one decoded record per report: a readable
// table, or CSV with units in the header. It is the command a feed is piped through to see what
// the decoder made of it.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"

using namespace KOL;

namespace {

// Filed bulletins may be named by their date or a selector ("la", "#2020010600").
constexpr const char* CONVENTION = "sfc_wmo";
constexpr const char* DATE_HELP =
    "-da date     Date near the reports, yyyymmddhhmm (default: by the file name, else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  // -in=wmo and -in=text are still taken; one reader serves every kind of input now.
  KolResrc::add(keyed, KolResrc::find("input"));
  keyed.add("out", "kolmetarout", "out", "-out=csv     Write CSV instead of a table");
  ProgInput::addDateOption(keyed, DATE_HELP);
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
  void write(const SfcData& s, const char* report);
  int written() const { return written_; }

 private:
  // With the first row only: input without a report is a refusal, not an empty table.
  void header() const;
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
  if (written_++ == 0) header();
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
// Input.

// Every report the bulletin reader cuts out of the file, decoded; 0 when it cannot be opened.
int readInput(const ProgInput::Item& input, Writer& out)
{
  const char* name = input.name.c_str();
  SfcWmoFile file;
  if (!file.open(name)) {
    Kol::outError("kolmetar: cannot open %s\n", name);
    return 0;
  }
  file.setDate(input.date);
  SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (w.format == SfcWmoData::SA || w.format == SfcWmoData::SP)
      SaoTool::decode(w, s);
    else if (w.format == SfcWmoData::METAR || w.format == SfcWmoData::SPECI)
      MetarTool::decode(w, s);
    else
      continue;  // SYNOP and its kin are kolsfc's
    out.write(s, w.data);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;

  ProgInput inputs(CONVENTION);
  if (!inputs.setup()) return Kol::USAGE;
  const char* out = r.get("out", "table");
  Writer writer(!strncasecmp(out, "csv", 3));
  const int ok = inputs.forEach([&](const ProgInput::Item& in) { return readInput(in, writer); });
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
