// Real METAR and SYNOP bulletins rewritten the ways feeds and archives deliver the same reports:
// section words on their own line or on every report, extra blanks, "=" apart, reports wrapped
// over several (indented) lines, NIL reports, corrections, archive lines that put the report's
// time in front of it. Every variant must give exactly the records of the original.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "obs/MetarTool.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

using KOL::SfcData;

namespace {

using Decoder = int (*)(const KOL::SfcWmoData&, SfcData&);

// The records of a bulletin text by station and time.
std::map<std::string, SfcData> decode(const std::string& text, Decoder decoder,
                                      const KOL::Date& date)
{
  KOLTest::TempDir dir;
  const std::string path = dir.file("bulletin.txt");
  KOLTest::writeFile(path, text);
  KOL::SfcWmoFile file;
  std::map<std::string, SfcData> out;
  if (!file.open(path.c_str())) return out;
  file.setDate(date);
  KOL::SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (decoder(w, s)) out[std::string(s.id) + " " + std::to_string(s.getSeconds())] = s;
  }
  return out;
}

// The words of a text, split at white space.
std::vector<std::string> wordsOf(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// The words joined by sep.
std::string joined(const std::vector<std::string>& words, const std::string& sep)
{
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : sep) + w;
  return out;
}

// The reports of a bulletin body, each on one line with single blanks and without "=".
std::vector<std::string> reportsOf(const std::string& body)
{
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = body.find('=', start)) != std::string::npos; start = end + 1) {
    const std::string r = joined(wordsOf(body.substr(start, end - start)), " ");
    if (!r.empty()) out.push_back(r);
  }
  return out;
}

// A report's groups, n to a line, continuation lines starting with indent.
std::string wrapped(const std::string& report, int n, const std::string& indent,
                    const std::string& eol)
{
  const std::vector<std::string> words = wordsOf(report);
  std::string out;
  for (size_t k = 0; k < words.size(); k++)
    out += (k == 0 ? "" : k % n == 0 ? eol + indent : " ") + words[k];
  return out;
}

struct Layout {
  const char* name;
  std::string eol = "\n";
  std::string framingStart, framingEnd;  // around the whole bulletin
  bool sectionLine = true;               // "METAR" or "AAXX YYGGi" alone after the heading
  std::string reportPrefix;              // before each report
  std::string firstPrefix;               // before the first report
  std::string separator = "=";           // after each report
  int groupsPerLine = 0;                 // wrap reports (0: one line each)
  std::string indent;
  std::string headingSuffix;
  std::string extraReport;  // inserted before the second report
  std::string spaces = " ";
};

Layout layout(const char* name, const std::function<void(Layout&)>& set = nullptr)
{
  Layout l;
  l.name = name;
  if (set) set(l);
  return l;
}

std::string bulletin(const std::string& heading, const std::string& section,
                     const std::vector<std::string>& reports, const Layout& l)
{
  std::string out = l.framingStart + heading + l.headingSuffix + l.eol;
  if (l.sectionLine) out += section + l.eol;
  for (size_t k = 0; k < reports.size(); k++) {
    if (k == 1 && !l.extraReport.empty()) out += l.extraReport + l.separator + l.eol;
    const std::string r = l.groupsPerLine ? wrapped(reports[k], l.groupsPerLine, l.indent, l.eol)
                                          : joined(wordsOf(reports[k]), l.spaces);
    out += (k == 0 ? l.firstPrefix : "") + l.reportPrefix + r + l.separator + l.eol;
  }
  return out + l.framingEnd;
}

void expectSameRecords(const std::map<std::string, SfcData>& want,
                       const std::map<std::string, SfcData>& got, const char* layout)
{
  SCOPED_TRACE(layout);
  EXPECT_EQ(got.size(), want.size());
  for (const auto& [id, w] : want) {
    auto it = got.find(id);
    if (it == got.end()) {
      ADD_FAILURE() << id << " missing";
      continue;
    }
    EXPECT_EQ(SfcData::compare(w, it->second), 0) << id;
  }
}

class BulletinVariantsTest : public KOLTest::DatabaseTest {};

TEST_F(BulletinVariantsTest, SynopBulletinLaidOutAnyWayGivesTheSameRecords)
{
  KOL_REQUIRE_DATA();
  const std::string raw = KOLTest::readFile(
      KOLTest::dataFile("synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt"));
  ASSERT_FALSE(raw.empty());
  const std::string section = "AAXX 17121";
  const size_t at = raw.find(section);
  ASSERT_NE(at, std::string::npos);
  const std::vector<std::string> reports = reportsOf(raw.substr(at + section.size()));
  ASSERT_EQ(reports.size(), 23u);
  const KOL::Date date(2023, 1, 17, 12, 0, 0);
  const auto want = decode(raw, KOL::SynopTool::decode, date);
  ASSERT_EQ(want.size(), 23u);

  // Line ends and framing are the reader's own (SfcWmoFileTest); these are the layouts of text.
  const std::string aaxx = section + " ";
  const std::vector<Layout> layouts = {
      layout("LF"),
      layout("AAXX on every report",
             [&](Layout& l) { l.sectionLine = false, l.reportPrefix = aaxx; }),
      layout("double blanks", [](Layout& l) { l.spaces = "  "; }),
      layout("= apart", [](Layout& l) { l.separator = " ="; }),
      layout("= on the next line", [](Layout& l) { l.separator = "\n="; }),
      layout("6 groups a line", [](Layout& l) { l.groupsPerLine = 6; }),
      layout("6 groups a line, indented",
             [](Layout& l) { l.groupsPerLine = 6, l.indent = "      "; }),
      layout("11 groups a line, CR CR LF",
             [](Layout& l) { l.groupsPerLine = 11, l.eol = "\r\r\n"; }),
      layout("NIL report", [](Layout& l) { l.extraReport = "15999 NIL"; }),
      layout("correction heading", [](Layout& l) { l.headingSuffix = " CCA"; }),
      layout("tabs", [](Layout& l) { l.spaces = "\t"; }),
      // Archives: each report on a line after its time, as a word or as comma-separated fields.
      layout("archive, time word",
             [&](Layout& l) { l.sectionLine = false, l.reportPrefix = "202301171200 " + aaxx; }),
      layout("archive, CSV fields",
             [&](Layout& l) {
               l.sectionLine = false, l.reportPrefix = "15015,2023,01,17,12,00," + aaxx;
             }),
      layout("AAXX in front of the first report only",
             [&](Layout& l) { l.sectionLine = false, l.firstPrefix = aaxx; }),
  };
  const std::string heading = "SMRO01 YRBK 171200";
  for (const Layout& l : layouts)
    expectSameRecords(
        want, decode(bulletin(heading, section, reports, l), KOL::SynopTool::decode, date), l.name);

  // The section word holds for every report after it: the same reports at 18 UTC with winds in
  // knots, said once on its own line or once in front of the first report.
  const std::string other = "AAXX 17184";
  const auto knots =
      decode(bulletin(heading, other, reports, layouts[0]), KOL::SynopTool::decode, date);
  ASSERT_EQ(knots.size(), 23u);
  EXPECT_EQ(knots.begin()->second.getTime(), 1800);
  Layout first = layouts.back();
  first.firstPrefix = other + " ";
  expectSameRecords(knots,
                    decode(bulletin(heading, other, reports, first), KOL::SynopTool::decode, date),
                    "AAXX 17184 in front of the first report only");
}

TEST_F(BulletinVariantsTest, MetarCollectiveLaidOutAnyWayGivesTheSameRecords)
{
  KOL_REQUIRE_DATA();
  const std::string raw = KOLTest::readFile(KOLTest::dataFile("bulletins/pywwa_METAR.txt"));
  ASSERT_FALSE(raw.empty());
  const size_t at = raw.find("\nMETAR");
  ASSERT_NE(at, std::string::npos);
  const std::string body = raw.substr(at + 6, raw.find('\x03') - at - 6);
  const std::vector<std::string> reports = reportsOf(body);
  ASSERT_GE(reports.size(), 8u);
  const KOL::Date date(2020, 1, 6, 0, 30, 0);
  const auto want = decode(raw, KOL::MetarTool::decode, date);
  ASSERT_EQ(want.size(), reports.size());

  const std::vector<Layout> layouts = {
      layout("LF"),
      layout("no METAR line", [](Layout& l) { l.sectionLine = false; }),
      layout("METAR on every report",
             [](Layout& l) { l.sectionLine = false, l.reportPrefix = "METAR "; }),
      layout("METAR COR on every report", [](Layout& l) { l.reportPrefix = "METAR COR "; }),
      layout("double blanks", [](Layout& l) { l.spaces = "  "; }),
      layout("= apart", [](Layout& l) { l.separator = " ="; }),
      layout("8 groups a line, indented",
             [](Layout& l) { l.groupsPerLine = 8, l.indent = "     "; }),
      layout("NIL report", [](Layout& l) { l.extraReport = "KXYZ 061200Z NIL"; }),
      layout("correction heading", [](Layout& l) { l.headingSuffix = " CCA"; }),
      layout("tabs, CR LF", [](Layout& l) { l.spaces = "\t", l.eol = "\r\n"; }),
      layout("archive, time word",
             [](Layout& l) { l.sectionLine = false, l.reportPrefix = "202001060000 METAR "; }),
      layout("archive, CSV fields",
             [](Layout& l) {
               l.sectionLine = false, l.reportPrefix = "KXYZ,2020,01,06,00,00,METAR ";
             }),
  };
  const std::string heading = "SAUS70 KWBC 051400";
  for (const Layout& l : layouts)
    expectSameRecords(
        want, decode(bulletin(heading, "METAR", reports, l), KOL::MetarTool::decode, date), l.name);
}

// A JSON string of the text, with quotes and solidi escaped as JSON writers do.
std::string jsonString(const std::string& text)
{
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\' || c == '/') out += '\\';
    out += c;
  }
  return out + "\"";
}

TEST_F(BulletinVariantsTest, AviationWeatherJsonGivesTheTextRecords)
{
  KOL_REQUIRE_DATA();
  // The real reports of the aviation-weather capture (kept as text, one "METAR"/"SPECI" report a
  // line) in the JSON its service sends: all objects on one line, with the kind apart and
  // nested cloud lists; or one member a line, the kind inside the text.
  const std::string raw = KOLTest::readFile(KOLTest::dataFile("metar/awcjson_20180109_us_au.txt"));
  ASSERT_FALSE(raw.empty());
  const KOL::Date date(2018, 1, 9, 22, 0, 0);
  const auto want = decode(raw, KOL::MetarTool::decode, date);
  ASSERT_GT(want.size(), 1000u);
  std::string compact = "[", members = "[\n";
  std::istringstream in(raw);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    const std::string kind = line.substr(0, 5), text = line.substr(6);
    compact += std::string(compact.size() > 1 ? "," : "") + "{\"raw_text\":" + jsonString(text) +
               ",\"clouds\":[{\"cover\":\"FEW\",\"base\":5000}],\"metar_type\":\"" + kind + "\"}";
    members += "  {\n    \"icaoId\": \"" + text.substr(0, 4) +
               "\",\n    \"rawOb\": " + jsonString(line) + ",\n    \"lat\": 40.6\n  },\n";
  }
  expectSameRecords(want, decode(compact + "]\n", KOL::MetarTool::decode, date), "one line");
  expectSameRecords(want, decode(members + "]\n", KOL::MetarTool::decode, date),
                    "one member a line");
}

}  // namespace
