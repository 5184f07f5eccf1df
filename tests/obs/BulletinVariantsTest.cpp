// Real METAR and SYNOP bulletins rewritten the ways feeds and archives deliver the same reports:
// every variant gives exactly the records of the original.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "obs/MetarTool.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

using KOL::SfcData;

namespace {

using Decoder = int (*)(const KOL::SfcWmoData&, SfcData&);
using Records = std::map<std::string, SfcData>;

// The records of a bulletin text by station and time.
Records decode(const std::string& text, Decoder decoder, const KOL::Date& date)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("bulletin.txt"), text);
  KOL::SfcWmoFile file;
  Records out;
  if (!file.open(dir.file("bulletin.txt").c_str())) return out;
  file.setDate(date);
  KOL::SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (decoder(w, s)) out[std::string(s.id) + " " + std::to_string(s.getSeconds())] = s;
  }
  return out;
}

std::vector<std::string> wordsOf(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// The reports of a bulletin body, each as its words.
std::vector<std::vector<std::string>> reportsOf(const std::string& body)
{
  std::vector<std::vector<std::string>> out;
  size_t start = 0;
  for (size_t end; (end = body.find('=', start)) != std::string::npos; start = end + 1)
    if (!wordsOf(body.substr(start, end - start)).empty())
      out.push_back(wordsOf(body.substr(start, end - start)));
  return out;
}

struct Layout {
  const char* name;
  std::string heading;  // after the heading's own groups
  bool section;         // the section word on a line of its own
  std::string prefix;   // before each report ("%" the section word, "@" and "#" an
                        // archive's time or fields)
  bool firstOnly;       // the prefix before the first report only
  std::string blank;    // between groups
  std::string end;      // after each report
  int perLine;          // groups a line (0 all)
  std::string eol;      // line end, continuation lines indented by what follows it
  bool nil;             // a NIL report before the second
};

struct Source {
  const char* word;   // the section word
  std::string stamp;  // an archive's time in front of each report
  std::string csv;    // an archive's fields in front of each report
  const char* nil;    // a NIL report
};

std::string bulletin(const std::string& heading, const Source& src,
                     const std::vector<std::vector<std::string>>& reports, const Layout& l)
{
  const std::string eol = l.eol.substr(0, l.eol.find_last_of('\n') + 1);
  std::string out = heading + l.heading + eol;
  if (l.section) out += src.word + eol;
  std::string prefix = l.prefix;
  if (prefix.find('@') != std::string::npos) prefix.replace(prefix.find('@'), 1, src.stamp);
  if (prefix.find('#') != std::string::npos) prefix.replace(prefix.find('#'), 1, src.csv);
  if (prefix.find('%') != std::string::npos) prefix.replace(prefix.find('%'), 1, src.word);
  for (size_t k = 0; k < reports.size(); k++) {
    if (k == 1 && l.nil) out += src.nil + l.end + eol;
    out += k == 0 || !l.firstOnly ? prefix : "";
    for (size_t g = 0; g < reports[k].size(); g++)
      out += (g == 0 ? "" : l.perLine && g % l.perLine == 0 ? l.eol : l.blank) + reports[k][g];
    out += l.end + eol;
  }
  return out;
}

void expectSameRecords(const Records& want, const Records& got, const char* layout)
{
  EXPECT_EQ(got.size(), want.size()) << layout;
  for (const auto& [id, w] : want) {
    auto it = got.find(id);
    if (it == got.end())
      ADD_FAILURE() << layout << ": " << id << " missing";
    else
      EXPECT_EQ(SfcData::compare(w, it->second), 0) << layout << ": " << id;
  }
}

class BulletinVariantsTest : public KOLTest::DatabaseTest {};

TEST_F(BulletinVariantsTest, SynopAndMetarBulletinsLaidOutAnyWayGiveTheSameRecords)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* file;
    const char* heading;
    Source source;
    Decoder decoder;
    KOL::Date date;
  } sources[] = {
      {"synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt",
       "SMRO01 YRBK 171200",
       {"AAXX 17121", "202301171200", "15015,2023,01,17,12,00,", "15999 NIL"},
       KOL::SynopTool::decode,
       KOL::Date(2023, 1, 17, 12, 0, 0)},
      {"bulletins/pywwa_METAR.txt",
       "SAUS70 KWBC 051400",
       {"METAR", "202001060000", "KXYZ,2020,01,06,00,00,", "KXYZ 061200Z NIL"},
       KOL::MetarTool::decode,
       KOL::Date(2020, 1, 6, 0, 30, 0)},
  };
  const Layout layouts[] = {
      {"LF", "", true, "", false, " ", "=", 0, "\n", false},
      {"section word on every report", "", false, "% ", false, " ", "=", 0, "\n", false},
      {"section word before the first report", "", false, "% ", true, " ", "=", 0, "\n", false},
      {"double blanks, = apart", "", true, "", false, "  ", " =", 0, "\n", false},
      {"= on the next line", "", true, "", false, " ", "\n=", 0, "\n", false},
      {"8 groups a line, indented", "", true, "", false, " ", "=", 8, "\n     ", false},
      {"11 groups a line, CR CR LF", "", true, "", false, " ", "=", 11, "\r\r\n", false},
      {"NIL report, correction", " CCA", true, "", false, " ", "=", 0, "\n", true},
      {"tabs, CR LF", "", true, "", false, "\t", "=", 0, "\r\n", false},
      {"archive, time word", "", false, "@ % ", false, " ", "=", 0, "\n", false},
      {"archive, CSV fields", "", false, "#% ", false, " ", "=", 0, "\n", false},
  };
  for (const auto& src : sources) {
    SCOPED_TRACE(src.file);
    const std::string raw = KOLTest::readFile(KOLTest::dataFile(src.file));
    const size_t at = raw.find(std::string("\n") + src.source.word);
    ASSERT_NE(at, std::string::npos);
    const size_t from = at + 1 + std::string(src.source.word).size();
    const auto reports = reportsOf(raw.substr(from, raw.find('\x03', from) - from));
    const Records want = decode(raw, src.decoder, src.date);
    ASSERT_EQ(want.size(), reports.size());
    ASSERT_GE(want.size(), 8u);
    for (const Layout& l : layouts)
      expectSameRecords(
          want, decode(bulletin(src.heading, src.source, reports, l), src.decoder, src.date),
          l.name);
  }
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

// The reports of the aviation-weather capture in the JSON its service sends: all objects on one
// line with the kind apart and nested cloud lists, or one member a line with the kind inside.
TEST_F(BulletinVariantsTest, AviationWeatherJsonGivesTheTextRecords)
{
  KOL_REQUIRE_DATA();
  const std::string raw = KOLTest::readFile(KOLTest::dataFile("metar/awcjson_20180109_us_au.txt"));
  const KOL::Date date(2018, 1, 9, 22, 0, 0);
  const Records want = decode(raw, KOL::MetarTool::decode, date);
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
  expectSameRecords(want, decode(members + "]\n", KOL::MetarTool::decode, date), "members");
}

}  // namespace
