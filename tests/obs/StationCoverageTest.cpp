// The shipped station table against the stations of the shared data and WMO's list (Volume A).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The stations of the SYNOP reports or of the TEMP and PILOT parts of a bulletin file.
std::set<std::string> wmoStations(const std::string& path, bool upperAir)
{
  std::set<std::string> out;
  KOL::UpaWmoFile u;
  KOL::UpaWmoData part;
  if (upperAir && u.open(path.c_str()))
    while (u.read(part)) {
      std::istringstream words(part.text);
      std::string w[3];
      if (words >> w[0] >> w[1] >> w[2]) out.insert(w[2]);
    }
  KOL::SfcWmoFile s;
  KOL::SfcWmoData report;
  if (!upperAir && s.open(path.c_str()))
    while (s.read(report)) out.insert(report.id);
  return out;
}

struct VolumeAStation {
  float lat, lon;  // of the row of index sub-number 0
  bool upperAir;   // a radiowind or wind profiler programme on any row of the number
};

std::map<std::string, VolumeAStation> volumeA(const std::string& path)
{
  std::map<std::string, VolumeAStation> out;
  std::istringstream in(KOLTest::readFile(path));
  auto angle = [](const std::string& t) {
    int d = 0, m = 0, sec = 0;
    char h = 0;
    if (std::sscanf(t.c_str(), "%d %d %d%c", &d, &m, &sec, &h) != 4) return NAN;
    float v = d + m / 60.0f + sec / 3600.0f;
    return h == 'S' || h == 'W' ? -v : v;
  };
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream cells(line);
    for (std::string c; std::getline(cells, c, '\t');) f.push_back(c);
    if (f.size() < 10) continue;
    bool upper = false;
    std::istringstream remarks(f.size() > 28 ? f[28] : "");  // a row may end before them
    for (std::string r; std::getline(remarks >> std::ws, r, ',');)
      upper = upper || r == "WR" || r == "WT" || r == "WN" || r == "WTR" || r == "WP";
    VolumeAStation& v = out.try_emplace(f[5], VolumeAStation{NAN, NAN, false}).first->second;
    if (f[6] == "0") v.lat = angle(f[8]), v.lon = angle(f[9]);
    v.upperAir = v.upperAir || upper;
  }
  return out;
}

// The WMO numbers ecCodes found in the BUFR samples (each file's "oracle" summary).
std::set<std::string> bufrStations(const std::string& dir)
{
  std::set<std::string> out;
  const std::string key = "\"wmo\": \"";
  for (const std::string& path : KOLTest::dataFiles(dir, ".summary.json")) {
    const std::string text = KOLTest::readFile(path);
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
      const std::string wmo = text.substr(at + key.size(), 6);
      if (wmo.size() == 6 && wmo[5] == '"' && std::all_of(wmo.begin(), wmo.end() - 1, isDigit))
        out.insert(wmo.substr(0, 5));
    }
  }
  return out;
}

}  // namespace

// Stations of the samples and WMO's upper-air stations within 0.2 degrees of WMO's position (as
// close as a map needs: an airport's position serves the town's station).
TEST(StationCoverage, WmoStationsAreInTheTableWhereWmoPlacesThem)
{
  KOL_REQUIRE_DATA();
  std::set<std::string> stations;
  for (const char* f : {"synop/synop2bufr_gts_WX.00",
                        "synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt"}) {
    std::set<std::string> s = wmoStations(KOLTest::dataFile(f), false);
    stations.insert(s.begin(), s.end());
  }
  for (const std::string& path : KOLTest::dataFiles("upperair", ".txt")) {
    if (path.find(".table.") != std::string::npos) continue;
    std::set<std::string> s = wmoStations(path, true);
    EXPECT_FALSE(s.empty()) << path;
    stations.insert(s.begin(), s.end());
  }
  auto wmoA = volumeA(KOLTest::dataFile("stations/vola_legacy_report.txt"));
  ASSERT_GT(wmoA.size(), 12000u);
  int upper = 0;
  for (const auto& [id, v] : wmoA)
    if (v.upperAir && id.compare(0, 2, "99") != 0 && ++upper) stations.insert(id);  // not ships
  EXPECT_GT(upper, 400);
  // ecCodes' stations of the BUFR samples are checked for their presence only.
  const std::set<std::string> bufr = bufrStations("bufr");
  EXPECT_GE(bufr.size(), 150u);
  const std::set<std::string> placed = stations;
  stations.insert(bufr.begin(), bufr.end());
  KOL::CityHash table((KOLTest::databaseDir() + "/sao.cty").c_str());
  // Closed or renumbered Cuban stations, a Spanish wind profiler and a Hungarian station that
  // no station list holds; the airport MUCA carries the number of 78346, 27 km away.
  const std::set<std::string> unlisted = {"78308", "78309", "78334", "78356",
                                          "78372", "08059", "12821"};
  for (const std::string& id : stations) {
    const KOL::CityHashData* d = table.find(id.c_str());
    if (unlisted.count(id)) {
      EXPECT_EQ(d, nullptr) << id << " is listed now: take it out of the exceptions";
      continue;
    }
    ASSERT_NE(d, nullptr) << id << " is not in the table";
    EXPECT_STREQ(d->wmo, id.c_str());
    auto a = wmoA.find(id);
    if (!placed.count(id) || a == wmoA.end() || std::isnan(a->second.lat) || id == "78346")
      continue;
    EXPECT_NEAR(d->lat, a->second.lat, 0.2) << id;
    EXPECT_NEAR(d->lon, a->second.lon, 0.2) << id;
  }
  EXPECT_GT(stations.size(), 500u);
}

// About 1.1 % of the METAR stations are in none of the public lists the table is made from.
TEST(StationCoverage, NearlyEveryReportingStationOfARealHourIsInTheTable)
{
  KOL_REQUIRE_DATA();
  std::set<std::string> table;
  KOL::CityFile file((KOLTest::databaseDir() + "/sao.cty").c_str(), 0);
  for (KOL::CityData data; file.read(data);) table.insert(data.id);
  // A line that starts a report: an optional kind, then "CCCC ddhhmmZ "; NIL is no report.
  std::istringstream in(KOLTest::readFile(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo")));
  std::set<std::string> reporting;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("METAR ", 0) == 0 || line.rfind("SPECI ", 0) == 0) line.erase(0, 6);
    if (line.size() < 13 || line[4] != ' ' || line[11] != 'Z' || line.find(" NIL") != line.npos)
      continue;
    if (std::all_of(line.begin() + 5, line.begin() + 11, isDigit) && isUpper(line[0]) &&
        std::all_of(line.begin() + 1, line.begin() + 4,
                    [](char c) { return isUpper(c) || isDigit(c); }))
      reporting.insert(line.substr(0, 4));
  }
  ASSERT_GT(reporting.size(), 4000u);
  std::string missing;
  size_t found = 0;
  for (const auto& id : reporting)
    if (table.count(id))
      found++;
    else
      missing += " " + id;
  EXPECT_GE(double(found) / double(reporting.size()), 0.97)
      << found << " of " << reporting.size() << "; missing:" << missing;
}
