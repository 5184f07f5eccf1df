// The SYNOP decoder on real bulletins: every report decodes, agrees with what ecCodes reads
// from the BUFR encodings beside them, and keeps its values written as other sources write it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

using KOL::SfcData;
using KOL::SfcWmoData;

namespace {

constexpr float MISS = KOL::Const::FMISS;

// Every report of a bulletin file, decoded.
std::vector<SfcData> decodeFile(const std::string& path, int* failed = nullptr)
{
  std::vector<SfcData> out;
  KOL::SfcWmoFile file;
  EXPECT_TRUE(file.open(path.c_str())) << path;
  file.setDate(KOL::Date(2023, 1, 17, 12, 0, 0));
  SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (KOL::SynopTool::decode(w, s))
      out.push_back(s);
    else if (failed)
      ++*failed;
  }
  return out;
}

// The weather tables come from the repository's database directory.
class SynopDataTest : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

// Every report of every file decodes; a few stations send "10///".
TEST_F(SynopDataTest, EveryReportDecodes)
{
  KOL_REQUIRE_DATA();
  std::vector<std::string> files = KOLTest::dataFiles("synop", ".txt");
  files.push_back(KOLTest::dataFile("synop/synop2bufr_gts_WX.00"));  // 68 stations, 2 "nil"
  files.push_back(KOLTest::dataFile(
      "synop/example_with_bufr/A_SMRO01YRBK211200_C_EDZW_20220321120500_12524785.txt"));
  int total = 0;
  for (const std::string& path : files) {
    int failed = 0, temperatures = 0;
    std::vector<SfcData> reports = decodeFile(path, &failed);
    EXPECT_EQ(failed, 0) << path;
    for (const SfcData& s : reports) {
      EXPECT_EQ(std::strlen(s.id), 5u) << path << " " << s.id;
      EXPECT_EQ(s.date.getMinute(), 0) << s.id;
      temperatures += s.temp != MISS;
    }
    EXPECT_GE(temperatures * 10, static_cast<int>(reports.size()) * 9) << path;
    total += static_cast<int>(reports.size());
  }
  EXPECT_GE(total, 66 + 3 * 23 + 1);
}

// What ecCodes reads from one BUFR message: each key with its value, in order.
struct BufrValue {
  std::string key;
  double value;
};

std::vector<BufrValue> bufrDump(const std::string& path)
{
  std::string json = KOLTest::run("bufr_dump -jf " + path + " 2>/dev/null");
  std::vector<BufrValue> values;
  const std::string key = "\"key\" : \"", value = "\"value\" : ";
  for (size_t k = json.find(key); k != std::string::npos; k = json.find(key, k)) {
    k += key.size();
    size_t end = json.find('"', k);
    size_t v = json.find(value, end);
    size_t next = json.find(key, k);
    if (end == std::string::npos || v == std::string::npos ||
        (next != std::string::npos && v > next))
      continue;
    const char* text = json.c_str() + v + value.size();
    char* stop = nullptr;
    double number = std::strtod(text, &stop);
    if (stop != text) values.push_back({json.substr(k, end - k), number});
  }
  return values;
}

double first(const std::vector<BufrValue>& values, const std::string& key)
{
  for (const BufrValue& v : values)
    if (v.key == key) return v.value;
  return MISS;
}

// The precipitation amounts by period (hours), each after its time period.
std::map<int, double> bufrPrecipitation(const std::vector<BufrValue>& values)
{
  std::map<int, double> amounts;
  int period = 0;
  for (const BufrValue& v : values) {
    if (v.key == "timePeriod") period = static_cast<int>(-v.value);
    if (v.key == "totalPrecipitationOrTotalWaterEquivalent" && !amounts.count(period))
      amounts[period] = v.value;
  }
  return amounts;
}

int precSlot(int hours)
{
  const std::map<int, int> slots = {{1, SfcData::PREC1},
                                    {3, SfcData::PREC3},
                                    {6, SfcData::PREC6},
                                    {12, SfcData::PREC12},
                                    {24, SfcData::PREC24}};
  auto it = slots.find(hours);
  return it == slots.end() ? -1 : it->second;
}

struct Check {
  const char* what;
  double ours, theirs, tolerance;
};

TEST_F(SynopDataTest, AgreesWithEcCodesOnBufr)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v bufr_dump").empty()) GTEST_SKIP() << "bufr_dump not installed";
  std::string dir = KOLTest::dataFile("synop/example_with_bufr");
  std::vector<SfcData> reports =
      decodeFile(dir + "/A_SMRO01YRBK211200_C_EDZW_20220321120500_12524785.txt");
  std::vector<std::string> bufr =
      KOLTest::dataFiles("synop/example_with_bufr/reference_bufr", ".bin");
  ASSERT_EQ(bufr.size(), 23u);
  int compared = 0;
  for (const std::string& path : bufr) {
    std::vector<BufrValue> v = bufrDump(path);
    ASSERT_FALSE(v.empty()) << path;
    long wmo = static_cast<long>(first(v, "blockNumber") * 1000 + first(v, "stationNumber"));
    const SfcData* s = nullptr;
    for (const SfcData& r : reports)
      if (r.wmo == wmo) s = &r;
    ASSERT_NE(s, nullptr) << "no report of " << wmo;
    ++compared;
    auto kelvin = [](double k) { return k == MISS ? MISS : k - 273.15; };
    auto orMiss = [](double x, double f) { return x == MISS ? MISS : x * f; };
    double n = first(v, "cloudCoverTotal");
    std::vector<Check> checks = {
        {"day", static_cast<double>(s->date.getDay()), first(v, "day"), 0},
        {"hour", static_cast<double>(s->date.getHour()), first(v, "hour"), 0},
        {"minute", static_cast<double>(s->date.getMinute()), first(v, "minute"), 0},
        {"temperature", s->temp, kelvin(first(v, "airTemperature")), 0.051},
        {"dew point", s->dewp, kelvin(first(v, "dewpointTemperature")), 0.051},
        {"sea-level pressure", s->slp, orMiss(first(v, "pressureReducedToMeanSeaLevel"), 0.01),
         0.051},
        {"wind direction", s->wdir, first(v, "windDirection"), 0.5},
        {"wind speed", s->wspd, orMiss(first(v, "windSpeed"), 1.944), 0.01},
        // The gust of the last 10 minutes (910ff) comes first; without it, the period's (911ff).
        {"gust", s->gust, orMiss(first(v, "maximumWindGustSpeed"), 1.944), 0.01},
        // Code VV of 50 km and more is 31.25 mi here, 50 km (31.07 mi) in BUFR: within 1 %.
        {"visibility", s->vis, orMiss(first(v, "horizontalVisibility"), 1 / 1609.344),
         0.01 * (s->vis == MISS ? 1 : s->vis) + 0.01},
        // Oktas against per cent (8 oktas 100 %, 9 obscured 113 %).
        {"cloud cover", s->ncld ? (s->cld[0].cover - '0') * 12.5 : MISS, n, 7},
    };
    for (const auto& [hours, mm] : bufrPrecipitation(v)) {
      int slot = precSlot(hours);
      if (slot >= 0) checks.push_back({"precipitation", s->prec[slot], mm, 0.051});
    }
    // After 15360's radiation group of solidi (55310 /////) the BUFR encoder lost the rest of
    // section 3: 60007 and 91007.
    if (wmo == 15360) {
      EXPECT_FLOAT_EQ(s->prec[SfcData::PREC3], 0);
      EXPECT_FLOAT_EQ(s->gust, 7 * 1.944f);
      // Its sea temperature (not in these land messages) was measured by other means: 06032.
      EXPECT_FLOAT_EQ(s->sst, 3.2f);
    }
    bool encoderStopped = wmo == 15360;
    for (const Check& c : checks) {
      if (encoderStopped && std::string(c.what) == "gust") continue;
      bool same = (c.ours == MISS) == (c.theirs == MISS) &&
                  (c.ours == MISS || std::fabs(c.ours - c.theirs) <= c.tolerance);
      EXPECT_TRUE(same) << wmo << " " << c.what << ": ours " << c.ours << ", ecCodes " << c.theirs;
    }
  }
  EXPECT_EQ(compared, 23);
}

// The reports of a bulletin file as texts, with the file's AAXX line in front.
std::vector<std::string> reportTexts(const std::string& path)
{
  std::vector<std::string> texts;
  KOL::SfcWmoFile file;
  EXPECT_TRUE(file.open(path.c_str())) << path;
  SfcWmoData w;
  while (file.read(w)) texts.push_back(w.data);
  return texts;
}

std::vector<std::string> words(const std::string& text)
{
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::string join(const std::vector<std::string>& w, size_t from = 0)
{
  std::string out;
  for (size_t i = from; i < w.size(); ++i) out += (out.empty() ? "" : " ") + w[i];
  return out;
}

SfcData decodeText(const std::string& text, int format = SfcWmoData::SYNOP)
{
  SfcWmoData w;
  w.setData(text.c_str());
  w.format = format;
  w.setDate(KOL::Date(2023, 1, 17, 12, 0, 0));
  SfcData s;
  EXPECT_EQ(KOL::SynopTool::decode(w, s), 1) << text;
  return s;
}

// The real land reports of the shared set, each "AAXX YYGGi IIiii iRixhVV ..." as one text
// (without the repeat of the station number one bulletin has).
std::vector<std::string> realReports()
{
  std::vector<std::string> all;
  for (const char* f :
       {"synop/synop2bufr_gts_WX.00", "synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt",
        "synop/A_SMRO01YRBK171800_C_EDZW_20230117180502_51662689.txt"}) {
    for (const std::string& t : reportTexts(KOLTest::dataFile(f))) {
      std::vector<std::string> w = words(t);
      if (w.size() > 4 && w[3] == w[2]) w.erase(w.begin() + 3);
      if (w.size() > 4) all.push_back(join(w));
    }
  }
  return all;
}

TEST_F(SynopDataTest, ShipAndMobileFormsOfRealReports)
{
  KOL_REQUIRE_DATA();
  // Each land report sent as a ship (call sign and position) and as a mobile station (with
  // the Marsden square and elevation groups), in a bulletin of each kind, one line or many.
  std::vector<std::string> land = realReports();
  ASSERT_FALSE(land.empty());
  std::string ships = "SMVD01 KWBC 171200\nBBXX\n", mobiles = "SMVD02 KWBC 171200\nOOXX\n";
  int n = 0;
  for (const std::string& text : land) {
    std::vector<std::string> w = words(text);
    char sign[16];
    std::snprintf(sign, sizeof sign, "C6F%d", n++);
    // 45.1 N 26.2 E (Qc 1) and 34.5 S 15.2 W (Qc 5), by turns.
    std::string where = n % 2 ? "99451 10262" : "99345 50152";
    std::string groups = join(w, 3);
    ships += std::string(sign) + " " + w[1] + " " + where + "\n" + groups + "=\n";
    mobiles +=
        std::string("OOXX ") + sign + " " + w[1] + " " + where + " 12345 01504\n" + groups + "=\n";
  }
  KOLTest::TempDir dir;
  for (const auto& [name, text, format] : {std::make_tuple("ships", ships, SfcData::SHIP),
                                           std::make_tuple("mobiles", mobiles, SfcData::MOBIL)}) {
    KOLTest::writeFile(dir.file(name), text);
    std::vector<std::string> cut = reportTexts(dir.file(name));
    ASSERT_EQ(cut.size(), land.size()) << name;
    for (size_t i = 0; i < cut.size(); ++i) {
      SfcData real = decodeText(land[i]);
      SfcData moving = decodeText(cut[i], format);
      EXPECT_EQ(moving.type, format) << cut[i];
      EXPECT_EQ(moving.id[0], format == SfcData::SHIP ? 's' : 'm') << cut[i];
      EXPECT_FLOAT_EQ(moving.lat, i % 2 ? -34.5f : 45.1f) << cut[i];
      EXPECT_FLOAT_EQ(moving.lon, i % 2 ? -15.2f : 26.2f) << cut[i];
      if (format == SfcData::MOBIL) {
        EXPECT_FLOAT_EQ(moving.elev, 150) << cut[i];
      }
      // The observed values are those of the land report.
      int diff = SfcData::compare(real, moving) & ~(SfcData::TYPE | SfcData::TIME);
      EXPECT_EQ(diff, 0) << cut[i];
      EXPECT_EQ(real.getTime(), moving.getTime()) << cut[i];
    }
  }
}

}  // namespace
