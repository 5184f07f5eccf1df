// The SYNOP decoder on real bulletins: every report of the shared SYNOP set decodes, and the
// reports that lie beside their BUFR encodings agree with what ecCodes reads from those.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
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

std::vector<std::string> listDir(const std::string& dir, const std::string& suffix)
{
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > suffix.size() &&
          n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
        names.push_back(dir + "/" + n);
    }
    closedir(d);
  }
  return names;
}

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
 protected:
  static void SetUpTestSuite() { KOL::Kol::setDatabasePath(KOLTest::databaseDir().c_str()); }
};

TEST_F(SynopDataTest, EveryReportDecodes)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* file;
    int reports;
  } files[] = {
      {"synop/synop2bufr_gts_WX.00", 66},  // 68 stations, 2 of them "nil"
      {"synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt", 23},
      {"synop/A_SMRO01YRBK171200CCA_C_EDZW_20230117174401_51649529.txt", 1},
      {"synop/A_SMRO01YRBK171800_C_EDZW_20230117180502_51662689.txt", 23},
      {"synop/example_with_bufr/A_SMRO01YRBK211200_C_EDZW_20220321120500_12524785.txt", 23},
  };
  for (const auto& f : files) {
    int failed = 0;
    std::vector<SfcData> reports = decodeFile(KOLTest::dataFile(f.file), &failed);
    EXPECT_EQ(failed, 0) << f.file;
    EXPECT_GE(static_cast<int>(reports.size()), f.reports) << f.file;
    int temperatures = 0;
    for (const SfcData& s : reports) {
      EXPECT_EQ(s.type, SfcData::SYNOP) << f.file << " " << s.id;
      EXPECT_EQ(std::strlen(s.id), 5u) << f.file << " " << s.id;
      EXPECT_TRUE(s.date.isSet()) << s.id;
      EXPECT_EQ(s.date.getMinute(), 0) << s.id;
      temperatures += s.temp != MISS;
    }
    // A few stations send "10///".
    EXPECT_GE(temperatures * 10, static_cast<int>(reports.size()) * 9) << f.file;
  }
  // Every file of the set, the ones not listed as well.
  for (const std::string& path : listDir(KOLTest::dataFile("synop"), ".txt")) {
    int failed = 0;
    EXPECT_FALSE(decodeFile(path, &failed).empty()) << path;
    EXPECT_EQ(failed, 0) << path;
  }
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
  switch (hours) {
    case 1:
      return SfcData::PREC1;
    case 3:
      return SfcData::PREC3;
    case 6:
      return SfcData::PREC6;
    case 12:
      return SfcData::PREC12;
    case 24:
      return SfcData::PREC24;
    default:
      return -1;
  }
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
  std::vector<std::string> bufr = listDir(dir + "/reference_bufr", ".bin");
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
    for (const Check& c : checks) {
      bool same = (c.ours == MISS) == (c.theirs == MISS) &&
                  (c.ours == MISS || std::fabs(c.ours - c.theirs) <= c.tolerance);
      EXPECT_TRUE(same) << wmo << " " << c.what << ": ours " << c.ours << ", ecCodes " << c.theirs;
    }
  }
  EXPECT_EQ(compared, 23);
}

}  // namespace
