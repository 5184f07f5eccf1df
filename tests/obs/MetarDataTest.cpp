// The decoders on real report collections through kolmetar, against Geo::METAR's reading except
// where one side is known to be right.
#include <gtest/gtest.h>

// GCC 12 at -O1 warns inside <regex>'s own std::function members (a known false positive).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/TestData.h"

namespace {

using Row = std::map<std::string, std::string>;

// One CSV line; fields may be quoted with doubled quotes inside.
std::vector<std::string> splitCsv(const std::string& line)
{
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::vector<Row> parseCsv(const std::string& text)
{
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  std::vector<std::string> header = splitCsv(line);
  std::vector<Row> rows;
  while (std::getline(in, line)) {
    std::vector<std::string> f = splitCsv(line);
    Row row;
    for (size_t i = 0; i < header.size() && i < f.size(); ++i) row[header[i]] = f[i];
    rows.push_back(row);
  }
  return rows;
}

bool isMetar(const Row& r) { return r.at("type") == "METAR" || r.at("type") == "SPECI"; }

// The collections decoded once for all tests.
class MetarDataTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite()
  {
    if (!KOLTest::haveData()) return;
    std::string cmd = KOLTest::programPath("kolmetar") + " -out=csv -date=202001060000";
    for (const char* f : {"metar/metpy_2020010600_sao.wmo", "metar/awcjson_20180109_us_au.txt",
                          "metar/pyiem_sa_SACN96_CWAO.txt"})
      cmd += " " + KOLTest::dataFile(f);
    csv_ = KOLTest::run(cmd + " 2>&1", &status_);
    rows_ = parseCsv(csv_);
  }
  void SetUp() override { KOL_REQUIRE_DATA(); }

  static std::string csv_;
  static int status_;
  static std::vector<Row> rows_;
};

std::string MetarDataTest::csv_;
int MetarDataTest::status_ = -1;
std::vector<Row> MetarDataTest::rows_;

// About 20,700 report segments (2,000 NIL) and 720 SA; automatic stations lack some groups.
TEST_F(MetarDataTest, DecodesEveryReportAndRecoversTheMainGroups)
{
  ASSERT_EQ(status_, 0) << csv_.substr(0, 2000);  // sanitizer reports fail the program
  // Visibility 9999 (10 km or more) is stored as missing, so it counts as recovered here.
  std::regex tenKm("(^| )9999(NDV)?( |$)");
  std::map<std::string, int> types;
  int complete = 0, saComplete = 0;
  for (const Row& r : rows_) {
    ++types[r.at("type")];
    EXPECT_FALSE(r.at("station").empty()) << r.at("report");
    auto has = [&](const char* k) { return !r.at(k).empty(); };
    bool vis = has("vis_mi") || std::regex_search(r.at("report"), tenKm);
    complete += isMetar(r) && has("time_utc") && has("wspd_kt") && vis && has("temp_C") &&
                (has("alt_inHg") || has("slp_hPa"));
    saComplete += r.at("type") == "SA" && has("time_utc") && has("temp_C") &&
                  (has("wspd_kt") || has("wdir_deg"));
  }
  const int reports = types["METAR"] + types["SPECI"];
  EXPECT_GT(reports, 18500);
  EXPECT_GT(types["NIL"], 2000);
  EXPECT_EQ(types["SA"], 720);
  EXPECT_EQ(types["?"], 0);
  EXPECT_GE(complete, 0.9375 * reports);
  EXPECT_GE(saComplete, 620);
}

double num(const std::string& s)
{
  if (s.empty()) return NAN;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  return end == s.c_str() ? NAN : v;
}

// Miles from Geo::METAR's visibility text ("1 1/2 statute miles", "4000 meters", ...).
double geoVisibility(const std::string& text)
{
  std::smatch m;
  static const std::regex miles("^(Less than )?([0-9/ PM]+) statute miles$");
  static const std::regex metres("^([0-9]+) meters");
  if (std::regex_search(text, m, metres)) {
    int v = std::stoi(m[1]);
    return v == 9999 ? NAN : v * 0.00062136;
  }
  if (!std::regex_search(text, m, miles)) return NAN;
  std::istringstream parts(m[2]);
  std::string p;
  double total = 0;
  while (parts >> p) {
    if (p[0] == 'P' || p[0] == 'M') p = p.substr(1);
    size_t slash = p.find('/');
    if (slash == std::string::npos) {
      total += num(p);
    } else {
      double den = num(p.substr(slash + 1));
      total += num(p.substr(0, slash)) / (den == 0 || std::isnan(den) ? 1 : den);
    }
  }
  return total;
}

bool contains(const std::string& s, const char* pattern)
{
  return std::regex_search(s, std::regex(pattern));
}

// Disagreements in which one side is known to be right, by field and report.
const char* explain(const std::string& field, const std::string& report, double mine, double geo)
{
  bool none = std::isnan(geo), mineNone = std::isnan(mine);
  if (field == "vis" && none && contains(report, " CAVOK "))
    return "CAVOK: 10 miles here, left unset by Geo::METAR (this decoder is right)";
  if (field == "vis" && none && contains(report, " [0-9]{4}[A-Z]+ "))
    return "visibility with a suffix (8000NW, 3000BR): not read by Geo::METAR (this decoder)";
  if (field == "vis" && contains(report, " [0-9]{4} [0-9]{4} "))
    return "two visibility groups: Geo::METAR keeps the second, the minimum (this decoder)";
  if ((field == "wdir" || field == "wspd") && none &&
      contains(report, " (CALM|E[0-9]{5}KT|///[0-9]{2}KT) "))
    return "CALM, estimated (E) and direction-less winds: not read by Geo::METAR (this decoder)";
  if (field == "slp" && none && contains(report, " RMK .* SLP[0-9]{3}$"))
    return "SLP after long plain-language remarks: Geo::METAR stops reading (this decoder)";
  if (field == "slp" && mineNone && contains(report, " SLP[0-9]+[A-Z]"))
    return "corrupt SLP group: Geo::METAR reads its first digits (this decoder)";
  if (field == "alt" && contains(report, " Q[0-9]{4} .*A[0-9]{4}") && std::fabs(mine - geo) < 0.035)
    return "Q and A both given: the first (Q) here, the last (A) in Geo::METAR (both)";
  if (contains(report, " [0-9]{2}/[0-9]{3} ") || contains(report, " [0-9.]{4,}KT "))
    return "corrupt group (15/122, 3.70833304KT): Geo::METAR invents a value (this decoder)";
  return nullptr;
}

TEST_F(MetarDataTest, AgreesWithGeoMetar)
{
  int probe = 0;
  KOLTest::run("perl -MGeo::METAR -e 1 2>/dev/null", &probe);
  if (probe != 0) GTEST_SKIP() << "Geo::METAR (libgeo-metar-perl) is not installed";
  std::vector<const Row*> reports;
  std::set<std::string> seen;
  std::string input;
  for (const Row& r : rows_)
    if (isMetar(r) && seen.insert(r.at("report")).second) {
      reports.push_back(&r);
      input += r.at("report") + "\n";
    }
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("reports.txt"), input);
  std::string script = std::string(KOL_SOURCE_DIR) + "/tests/obs/geo_metar.pl";
  std::string out = KOLTest::run("perl " + script + " < " + dir.file("reports.txt"));
  std::istringstream lines(out);

  std::map<std::string, int> explained;
  int compared = 0, unexplained = 0;
  for (const Row* r : reports) {
    std::string line;
    if (!std::getline(lines, line)) break;
    std::vector<std::string> g;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');) g.push_back(f);
    g.resize(11);
    if (g[0].empty()) continue;  // Geo::METAR found no station
    ++compared;
    const std::string& report = r->at("report");
    auto check = [&](const std::string& field, double mine, double geo, double tol) {
      if ((std::isnan(mine) && std::isnan(geo)) || std::fabs(mine - geo) <= tol) return;
      if (const char* why = explain(field, report, mine, geo)) {
        ++explained[why];
      } else if (++unexplained <= 20) {
        ADD_FAILURE() << field << ": " << mine << " here, " << geo << " in Geo::METAR: " << report;
      }
    };
    // Temperatures: the precise remark group where one side read it, else the whole degrees;
    // the group is read in US and Canadian reports only, Geo::METAR reads it everywhere.
    static const std::regex tGroup(" T[01][0-9]{7}");
    bool precise_group = std::regex_search(report, tGroup);
    for (auto [field, mine, body, precise] :
         {std::tuple{"temp", num(r->at("temp_C")), num(g[1]), num(g[3])},
          std::tuple{"dewp", num(r->at("dewp_C")), num(g[2]), num(g[4])}}) {
      if (!std::isnan(precise) && std::fabs(mine - precise) <= 0.05) continue;
      check(field, mine, body, precise_group ? 0.55 : 0.05);
    }
    check("wdir", num(r->at("wdir_deg")), g[5] == "Variable" ? 0 : num(g[5]), 0.5);
    check("wspd", num(r->at("wspd_kt")), num(g[6]), 0.06);
    check("gust", num(r->at("gust_kt")), num(g[7]), 0.06);
    check("vis", num(r->at("vis_mi")), geoVisibility(g[8]), 0.001);
    // hPa are converted with 0.0295386 inHg here and 0.02953 there: within 0.011 inHg.
    check("alt", num(r->at("alt_inHg")), num(g[9]), 0.011);
    double slp = num(g[10]) / 10;
    check("slp", num(r->at("slp_hPa")), slp > 110 ? NAN : slp + (slp > 50 ? 900 : 1000), 0.05);
  }
  std::cout << "compared " << compared << " distinct reports with Geo::METAR\n";
  for (const auto& [why, n] : explained) std::cout << "  " << n << "  " << why << "\n";
  // About 9,070 distinct reports in the capture and 1,125 in the other collection.
  EXPECT_GT(compared, 10000);
  EXPECT_EQ(unexplained, 0);
}

}  // namespace
