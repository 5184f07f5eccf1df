// BUFR subsets as surface and upper-air records against ecCodes' summaries of the shared files,
// and the programs merging BUFR bulletins with their text twins.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "imagery/Expected.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"
#include "obs/BufrTool.h"
#include "obs/SfcData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"

namespace {

using KOL::BufrMessage;
using KOL::Const;
using KOL::SfcData;

constexpr double KNOTS = 1.944, MILE = 1609.344;

double num(const nlohmann::json& j, const char* key)
{
  return j.contains(key) && j[key].is_number() ? j[key].get<double>() : Const::MISS;
}

// The summary's value against the record's, in the record's units turned back.
void near(const std::string& where, const char* what, double want, float got, double scale,
          double offset, double tolerance)
{
  if (want == Const::MISS) {
    EXPECT_EQ(got, Const::FMISS) << where << " " << what;
    return;
  }
  ASSERT_NE(got, Const::FMISS) << where << " " << what;
  EXPECT_NEAR(got * scale + offset, want, tolerance) << where << " " << what;
}

std::string text(const nlohmann::json& j)
{
  return j.is_string() ? j.get<std::string>() : j.dump();
}

// The record's identifier for the summary's station.
std::string identifier(const nlohmann::json& st)
{
  if (st.contains("wmo")) return text(st["wmo"]);
  if (st.contains("callSign")) return "s" + text(st["callSign"]);
  if (st.contains("platform")) return "d" + text(st["platform"]);
  if (st.contains("buoy")) return "d" + text(st["buoy"]);
  return {};
}

void compare(const nlohmann::json& r, const SfcData& s, const std::string& where)
{
  const std::string id = identifier(r["station"]);
  if (!id.empty()) {
    EXPECT_EQ(std::string(s.id), id) << where;
  }
  EXPECT_EQ(s.getSeconds(), KOLTest::isoSeconds(r["time"].get<std::string>())) << where;
  near(where, "temperature", num(r, "temperature"), s.temp, 1, 273.15, 1e-3);
  near(where, "dewPoint", num(r, "dewPoint"), s.dewp, 1, 273.15, 1e-3);
  near(where, "mslPressure", num(r, "mslPressure"), s.slp, 100, 0, 0.01);
  near(where, "visibility", num(r, "visibility"), s.vis, MILE, 0, 0.01);
  if (r.contains("seaTemperature"))
    near(where, "seaTemperature", num(r, "seaTemperature"), s.sst, 1, 273.15, 1e-3);
  const double dir = num(r, "windDirection"), speed = num(r, "windSpeed");
  if (dir != Const::MISS && speed != Const::MISS) {
    near(where, "windDirection", dir, s.wdir, 1, 0, 1e-3);
    near(where, "windSpeed", speed, s.wspd, 1 / KNOTS, 0, 1e-3);
  }
  const double cover = num(r, "cloudCover");
  if (cover != Const::MISS) {
    const char want = cover > 100 ? '9' : static_cast<char>('0' + std::lround(cover / 12.5));
    EXPECT_EQ(s.getCldCover(0), want) << where;
  }
  // Positions are kept where the station table cannot give them.
  if (s.type != SfcData::SYNOP || s.wmo == Const::MISS) {
    near(where, "lat", num(r, "lat"), s.lat, 1, 0, 1e-4);
    near(where, "lon", num(r, "lon"), s.lon, 1, 0, 1e-4);
  }
}

// Calls f(summary, report, message, subset, where) for every report of a kind in the shared
// files' summaries whose subset the decoder did not refuse (local descriptors).
template <class F>
void forEachReport(const char* kind, F f)
{
  const auto summaries = KOLTest::dataFiles("bufr", ".summary.json");
  if (summaries.empty()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  KOLTest::QuietScope quiet;
  KOL::BufrTable table;
  ASSERT_TRUE(table.load(KOLTest::databaseDir().c_str()));
  for (const std::string& path : summaries) {
    std::ifstream in(path);
    const auto j = nlohmann::json::parse(in, nullptr, false);
    const std::string bufr = path.substr(0, path.size() - 13);
    KOL::BufrFile file;
    file.setTable(&table);
    ASSERT_TRUE(file.open(bufr.c_str())) << bufr;
    BufrMessage m;
    int number = 0;
    for (const auto& r : j["reports"]) {
      if (r["kind"] != kind) continue;
      while (number < r["message"].get<int>() && file.read(m)) number++;
      ASSERT_EQ(number, r["message"].get<int>()) << bufr;
      const int subset = r["subset"].get<int>() - 1;
      if (subset < m.decodedSubsets())
        f(j, r, m, subset,
          bufr + " message " + std::to_string(number) + " subset " + std::to_string(subset + 1));
    }
  }
}

TEST(BufrStation, SurfaceSubsetsEqualTheSummaries)
{
  int compared = 0;
  forEachReport("surface", [&](const auto&, const nlohmann::json& r, const BufrMessage& m,
                               int subset, const std::string& where) {
    SfcData s;
    const bool named = !r["station"].empty();
    EXPECT_EQ(KOL::BufrTool::toSfc(m, subset, s), named ? 1 : 0) << where;
    if (named) {
      compare(r, s, where);
      compared++;
    }
  });
  if (IsSkipped()) return;
  EXPECT_GT(compared, 250);
}

// The levels of a summary sounding (arrays in the order of "levelFields").
struct SummaryLevel {
  double sig, pres, temp, dewp, dir, speed, time, dlat, dlon;
};

std::vector<SummaryLevel> summaryLevels(const nlohmann::json& j, const nlohmann::json& r)
{
  std::vector<std::string> fields;
  for (const auto& f : j["levelFields"]) fields.push_back(f.get<std::string>());
  auto at = [&](const nlohmann::json& l, const char* name) {
    for (size_t k = 0; k < fields.size(); k++)
      if (fields[k] == name && l[k].is_number()) return l[k].get<double>();
    return static_cast<double>(Const::MISS);
  };
  std::vector<SummaryLevel> out;
  for (const auto& l : r["levels"])
    out.push_back({at(l, "significance"), at(l, "pressure"), at(l, "temperature"),
                   at(l, "dewPoint"), at(l, "windDirection"), at(l, "windSpeed"),
                   at(l, "timeOffset"), at(l, "dLat"), at(l, "dLon")});
  return out;
}

// Standard and significant levels of the summaries are the record's, with the same values and
// the balloon's time and displacement.
TEST(BufrStation, SoundingLevelsEqualTheSummaries)
{
  int standard = 0, significant = 0, tracked = 0;
  forEachReport("upperAir", [&](const nlohmann::json& j, const nlohmann::json& r,
                                const BufrMessage& m, int subset, const std::string& where) {
    KOL::UpaRawinData rec;
    if (!KOL::BufrTool::toUpa(m, subset, rec)) return;
    const bool extended = m.find(subset, 8042) >= 0;
    const long standardBit = extended ? 1 << 16 : 1 << 5, tempBit = extended ? 1 << 13 : 1 << 2;
    for (const SummaryLevel& l : summaryLevels(j, r)) {
      if (l.sig == Const::MISS || l.pres == Const::MISS) continue;
      const std::string at = where + " " + std::to_string(l.pres);
      const long sig = static_cast<long>(l.sig);
      const float hpa = static_cast<float>(l.pres / 100);
      // Beyond the mandatory list's room, standard levels are kept as significant ones.
      const int man = sig & standardBit ? rec.getManPr(hpa) : -1;
      if (!(sig & (standardBit | tempBit))) continue;
      (sig & standardBit ? standard : significant)++;
      const KOL::UpaLevel* got = man >= 0 ? rec.getMan(man) : rec.getSig(rec.getSigPr(hpa));
      ASSERT_NE(got, nullptr) << at;
      near(at, "temperature", l.temp, got->temp, 1, 273.15, 1e-3);
      near(at, "dewPoint", l.dewp, got->dewp, 1, 273.15, 1e-3);
      near(at, "timeOffset", l.time, got->elapsed, 1, 0, 1e-3);
      near(at, "dLat", l.dlat, got->dlat, 1, 0, 1e-6);
      near(at, "dLon", l.dlon, got->dlon, 1, 0, 1e-6);
      tracked += l.time != Const::MISS;
      if (l.dir != Const::MISS && l.speed != Const::MISS) {
        near(at, "windDirection", l.dir, got->dir, 1, 0, 1e-3);
        near(at, "windSpeed", l.speed, got->spd, 1 / KNOTS, 0, 1e-3);
      }
    }
  });
  if (IsSkipped()) return;
  EXPECT_GT(standard, 100);
  EXPECT_GT(significant, 100);
  EXPECT_GT(tracked, 100);
}

// The China SYNOP bulletin in BUFR and its text twin make one record per station.
TEST(BufrStation, KolsfcMergesBufrWithTheTextTwin)
{
  const std::string bufr =
      KOLTest::dataFile("bufr/A_ISMN01BABJ050000_C_RJTD_20191105001745_39.bufr");
  const std::string text = KOLTest::dataFile("bufr/A_SMCI01BABJ050000_C_RJTD_20191105001604_5.txt");
  if (!KOLTest::haveData()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  KOLTest::TempDir dir;
  const std::string kolsfc =
      KOLTest::programPath("kolsfc") + " -file_path=" + KOLTest::databaseDir() + " ";
  int status = 0;
  KOLTest::run(kolsfc + "-cvt=" + dir.file("both.sfc") + " " + bufr + " " + text + " 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  KOLTest::run(kolsfc + "-cvt=" + dir.file("bufr.sfc") + " " + bufr + " 2>&1", &status);
  ASSERT_EQ(status, 0);
  const std::string both = KOLTest::run(kolsfc + "-list " + dir.file("both.sfc"));
  const std::string alone = KOLTest::run(kolsfc + "-list " + dir.file("bufr.sfc"));
  auto lines = [](const std::string& t) { return std::count(t.begin(), t.end(), '\n'); };
  EXPECT_EQ(lines(both), 28);
  EXPECT_EQ(lines(alone), 28);
  // Harbin's BUFR values stay (the text report only fills what BUFR lacks).
  EXPECT_NE(both.find(alone.substr(alone.find("50953"), 40)), std::string::npos) << both;
}

// The sounding of the first subset of a shared BUFR file.
KOL::UpaRawinData firstSounding(const std::string& name)
{
  KOLTest::QuietScope quiet;
  KOL::BufrTable table;
  EXPECT_TRUE(table.load(KOLTest::databaseDir().c_str()));
  KOL::BufrFile file;
  file.setTable(&table);
  BufrMessage m;
  KOL::UpaRawinData r;
  EXPECT_TRUE(file.open(KOLTest::dataFile("bufr/" + name).c_str()) && file.read(m) &&
              KOL::BufrTool::toUpa(m, 0, r))
      << name;
  return r;
}

// JMA's wind profiler sends components on heights above the station (23 m): the first level of
// Wakkanai-Koetoi 47406, u 7.6 and v 1.9 m/s at 291 m, is a wind level from 256 degrees.
TEST(BufrStation, ProfilerComponentsBecomeWindLevels)
{
  if (!KOLTest::haveData()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  KOL::UpaRawinData r = firstSounding("A_IUPC41RJTD280000_C_RJTD_20191028001631_4.bufr");
  EXPECT_STREQ(r.getWmo(), "47406");
  ASSERT_GE(r.getNumWnd(), 7);  // the heights of every time block, once each
  const KOL::UpaLevel& first = *r.getWnd(0);
  EXPECT_NEAR(first.hght, (291 + 23) * 3.2808, 0.01);
  EXPECT_NEAR(first.dir, std::atan2(-7.6, -1.9) * 57.29578 + 360, 0.01);
  EXPECT_NEAR(first.spd, std::hypot(7.6, 1.9) * KNOTS, 0.01);
}

// Levels of one station's sounding in kolupa's table.
int levelsOf(const std::string& table, const std::string& station)
{
  const size_t at = table.find("Station " + station);
  if (at == std::string::npos) return -1;
  const size_t end = table.find("Station ", at + 1);
  const std::string block = table.substr(at, end == std::string::npos ? end : end - at);
  return static_cast<int>(std::count(block.begin(), block.end(), '\n')) - 3;
}

// The China TEMP bulletin in BUFR and its text twin (whose parts give the launch hour) make one
// sounding per station, with the BUFR levels kept; a text part alone keeps its own.
TEST(BufrStation, KolupaMergesBufrSoundingsWithTheTextParts)
{
  if (!KOLTest::haveData()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  const std::string bufr =
      KOLTest::dataFile("bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr");
  const std::string text =
      KOLTest::dataFile("bufr/A_USCI01BABJ290000_C_RJTD_20191029010631_14.txt");
  const std::string kolupa =
      KOLTest::programPath("kolupa") + " -file_path=" + KOLTest::databaseDir() + " ";
  const std::string both = KOLTest::run(kolupa + bufr + " " + text + " 2>/dev/null");
  const std::string reversed = KOLTest::run(kolupa + text + " " + bufr + " 2>/dev/null");
  const std::string alone = KOLTest::run(kolupa + bufr + " 2>/dev/null");
  auto stations = [](const std::string& t) {
    size_t n = 0;
    for (size_t at = t.find("Station "); at != std::string::npos; at = t.find("Station ", at + 1))
      n++;
    return n;
  };
  EXPECT_EQ(stations(both), 13u);
  EXPECT_EQ(stations(reversed), 13u);
  EXPECT_EQ(stations(alone), 12u);
  EXPECT_GE(levelsOf(both, "51463"), levelsOf(alone, "51463"));
  EXPECT_GT(levelsOf(alone, "51463"), 50);
}

// Wakkanai's high-resolution sounding: kolupa lists each level's time and displacement, and the
// own file keeps them in a section that readers without it skip.
TEST(BufrStation, BalloonTrackListedAndFiled)
{
  if (!KOLTest::haveData()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  KOLTest::QuietScope quiet;
  const std::string bufr =
      KOLTest::dataFile("bufr/A_IUSC60RJTD050000_C_RJTD_20191105010145_42.bufr");
  const std::string csv =
      KOLTest::run(KOLTest::programPath("kolupa") + " -file_path=" + KOLTest::databaseDir() +
                   " -out=csv " + bufr);
  EXPECT_NE(csv.find(",kind,elapsed_s,dlat_deg,dlon_deg\n"), std::string::npos);
  // ecCodes: level 922 of the summary, 500 hPa at 921 s, -0.07662 and 0.10428 degrees.
  const size_t at = csv.find(",500.0,");
  ASSERT_NE(at, std::string::npos) << csv.substr(0, 300);
  EXPECT_EQ(csv.substr(csv.find(",MAN", at), 26), ",MAN,921,-0.07662,0.10428\n");

  // The own file keeps every level's track to its resolution.
  KOL::UpaRawinData r = firstSounding(bufr.substr(bufr.rfind('/') + 1)), back, unknown, plain;
  r.sort();
  std::string text = KOL::UpaKolFile::formatRecord(r);
  ASSERT_EQ(KOL::UpaKolFile::parseRecord(text, 5, back), 1);
  int tracked = 0;
  for (int i = 0; i < back.getNumSig(); i++) {
    const KOL::UpaLevel& l = *back.getSig(i);
    const int k = r.getSigPr(l.pres);
    if (l.pres >= 1000 || k < 0) continue;  // the file writes whole hPa from 1000 up
    const KOL::UpaLevel& sent = *r.getSig(k);
    EXPECT_TRUE(std::fabs(l.elapsed - sent.elapsed) < 0.5f &&
                std::fabs(l.dlat - sent.dlat) < 1e-5f && std::fabs(l.dlon - sent.dlon) < 1e-5f)
        << l.pres;
    tracked += l.validTrack();
  }
  EXPECT_GT(tracked, 200);
  ASSERT_EQ(KOL::UpaKolFile::parseRecord(text.replace(text.find(" TRK "), 5, " ZZZ "), 5, unknown),
            1);
  ASSERT_EQ(KOL::UpaKolFile::parseRecord(text.substr(0, text.find(" ZZZ ")) + " $\n", 5, plain), 1);
  EXPECT_EQ(KOL::UpaKolFile::formatRecord(unknown), KOL::UpaKolFile::formatRecord(plain));
  EXPECT_EQ(plain.getNumSig(), back.getNumSig());
}

}  // namespace
