// The shipped station table against the stations that report in a real hour of the world-wide
// METAR feed, and against the SYNOP and upper-air stations of the shared data: a report whose
// station is not in the table cannot be placed on a map. Positions of the WMO stations are
// checked against WMO's own list of observing stations (Volume A).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/CityData.h"
#include "obs/CityFile.h"
#include "obs/CityHash.h"
#include "obs/CityHashData.h"
#include "obs/CityTool.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The station of a line that starts a report: an optional report kind, then "CCCC ddhhmmZ ".
std::string reportStation(std::string line)
{
  for (const char* kind : {"METAR ", "SPECI "})
    if (line.rfind(kind, 0) == 0) line.erase(0, 6);
  if (line.size() < 13 || !isUpper(line[0]) || line[4] != ' ' || line[11] != 'Z') return "";
  for (int i = 1; i < 4; i++)
    if (!isUpper(line[i]) && !isDigit(line[i])) return "";
  for (int i = 5; i < 11; i++)
    if (!isDigit(line[i])) return "";
  return line.substr(0, 4);
}

// Stations of the METAR and SPECI reports of a bulletin capture; those that only said NIL are
// not reporting.
std::set<std::string> reportingStations(const std::string& capture)
{
  std::set<std::string> ids;
  std::istringstream in(capture);
  std::string line;
  while (std::getline(in, line)) {
    std::string id = reportStation(line);
    if (!id.empty() && line.find(" NIL") == std::string::npos) ids.insert(id);
  }
  return ids;
}

std::set<std::string> tableIds(const std::string& path)
{
  std::set<std::string> ids;
  KOL::CityFile table(path.c_str(), 0);
  KOL::CityData data;
  while (table.read(data)) ids.insert(data.id);
  return ids;
}

// The stations of the SYNOP reports and of the TEMP and PILOT parts of a bulletin file, as the
// readers cut them.
std::set<std::string> wmoStations(const std::string& path, bool upperAir)
{
  std::set<std::string> out;
  if (upperAir) {
    KOL::UpaWmoFile f;
    KOL::UpaWmoData part;
    if (f.open(path.c_str()))
      while (f.read(part)) {
        std::istringstream words(part.text);
        std::string w[3];
        if (words >> w[0] >> w[1] >> w[2]) out.insert(w[2]);
      }
    return out;
  }
  KOL::SfcWmoFile f;
  KOL::SfcWmoData report;
  if (f.open(path.c_str()))
    while (f.read(report)) out.insert(report.id);
  return out;
}

// WMO Volume A: station number to latitude and longitude in degrees.
std::map<std::string, std::pair<float, float>> volumeA(const std::string& path)
{
  std::map<std::string, std::pair<float, float>> out;
  std::istringstream in(KOLTest::readFile(path));
  std::string line;
  auto angle = [](const std::string& t) {
    int d = 0, m = 0, sec = 0;
    char h = 0;
    if (std::sscanf(t.c_str(), "%d %d %d%c", &d, &m, &sec, &h) != 4) return NAN;
    float v = d + m / 60.0f + sec / 3600.0f;
    return h == 'S' || h == 'W' ? -v : v;
  };
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::istringstream cells(line);
    for (std::string c; std::getline(cells, c, '\t');) f.push_back(c);
    if (f.size() > 9 && f[6] == "0") out[f[5]] = {angle(f[8]), angle(f[9])};
  }
  return out;
}

}  // namespace

TEST(StationCoverage, SynopAndUpperAirStationsAreInTheTable)
{
  KOL_REQUIRE_DATA();
  std::set<std::string> stations;
  for (const char* f :
       {"synop/synop2bufr_gts_WX.00", "synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt",
        "synop/A_SMRO01YRBK171800_C_EDZW_20230117180502_51662689.txt",
        "upperair/real_02963_20060410_12Z.txt", "upperair/real_83779_20230223_12Z.txt",
        "upperair/real_USUS01_KWBC_061200_72403_72440.txt"}) {
    std::set<std::string> s = wmoStations(KOLTest::dataFile(f), f[0] == 'u');
    EXPECT_FALSE(s.empty()) << f;
    stations.insert(s.begin(), s.end());
  }
  ASSERT_GT(stations.size(), 90u);
  auto wmoA = volumeA(KOLTest::dataFile("stations/vola_legacy_report.txt"));
  ASSERT_GT(wmoA.size(), 12000u);
  KOL::CityHash table((KOLTest::databaseDir() + "/sao.cty").c_str());
  // Closed or renumbered Cuban stations that no station list has any more.
  const std::set<std::string> unknown = {"78308", "78309", "78334", "78356", "78372"};
  for (const std::string& id : stations) {
    const KOL::CityHashData* d = table.find(id.c_str());
    if (unknown.count(id)) {
      EXPECT_EQ(d, nullptr) << id;
      continue;
    }
    ASSERT_NE(d, nullptr) << id << " is not in the table";
    EXPECT_STREQ(d->wmo, id.c_str());
    // Within 0.2 degrees: an airport's position for the synoptic station in its town (15120,
    // 15335) is as close as a map needs. The airport MUCA carries the number of 78346, 27 km
    // away.
    auto a = wmoA.find(id);
    if (a == wmoA.end() || id == "78346") continue;
    EXPECT_NEAR(d->lat, a->second.first, 0.2) << id;
    EXPECT_NEAR(d->lon, a->second.second, 0.2) << id;
  }
}

TEST(StationCoverage, NearlyEveryReportingStationOfARealHourIsInTheTable)
{
  std::string capture = KOLTest::readFile(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo"));
  if (capture.empty()) GTEST_SKIP() << "no METAR capture under " << KOLTest::dataDir();
  std::set<std::string> reporting = reportingStations(capture);
  ASSERT_GT(reporting.size(), 4000u);
  std::set<std::string> table = tableIds(KOLTest::databaseDir() + "/sao.cty");
  std::string missing;
  size_t found = 0;
  for (const auto& id : reporting) {
    if (table.count(id))
      found++;
    else
      missing += " " + id;
  }
  double share = double(found) / double(reporting.size());
  // About 1.1 % of the stations are in none of the public station lists the table is made from.
  EXPECT_GE(share, 0.97) << found << " of " << reporting.size() << "; missing:" << missing;
}

TEST(StationCoverage, StationsFromEachSourceArePlacedWhereTheyAre)
{
  struct Case {
    const char* id;
    float lat, lon;
  } cases[] = {
      {"KDEN", 39.85f, -104.66f},  // in every source
      {"EDDF", 50.03f, 8.54f},     // Frankfurt
      {"YSSY", -33.95f, 151.18f},  // Sydney
      {"PGSN", 15.12f, 145.72f},   // Saipan, whose NOAA-list state is a full name
  };
  std::string table = KOLTest::databaseDir() + "/sao.cty";
  for (const auto& c : cases) {
    float lat = 0, lon = 0;
    ASSERT_TRUE(KOL::CityTool::locate(table.c_str(), c.id, lat, lon)) << c.id;
    EXPECT_NEAR(lat, c.lat, 0.05) << c.id;
    EXPECT_NEAR(lon, c.lon, 0.05) << c.id;
  }
}
