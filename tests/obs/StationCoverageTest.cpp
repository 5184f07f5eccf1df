// The shipped station table against the stations that report in a real hour of the world-wide
// METAR feed: a report whose station is not in the table cannot be placed on a map.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "common/TestData.h"
#include "obs/CityData.h"
#include "obs/CityFile.h"
#include "obs/CityTool.h"

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

}  // namespace

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
