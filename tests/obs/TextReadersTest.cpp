// The text-product readers and kolfront on hard cases the shared samples lack.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "obs/text/BestTrack.h"
#include "obs/text/FrontBulletin.h"
#include "obs/text/JsonText.h"
#include "obs/text/MosBulletin.h"
#include "obs/text/TextProduct.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/TropicalProduct.h"
#include "obs/text/Vtec.h"
#include "obs/text/WarnEvents.h"
#include "obs/text/WarnProduct.h"
#include "obs/text/WatchProduct.h"

using namespace KOL;

namespace {

// The first product of a text.
template <class Reader>
bool readFirst(const std::string& text, Reader& r)
{
  TextProductFile f;
  f.setText(text);
  TextProduct p;
  return f.read(p) && r.parse(p);
}

const char* WARNING =
    "000 \nWFUS53 KDMX 070436\nTORDMX\n\nIAC001-003-070500-\n"
    "/O.NEW.KDMX.TO.W.0001.190507T0436Z-190507T0500Z/\n\nTORNADO WARNING\n\n"
    "LAT...LON 4159 9390 4123 9390 4123 9350\n      4159 9350\n"
    "TIME...MOT...LOC 0436Z 240DEG 35KT 4140 9380\n\n$$\n";

TEST(WarnProduct, PolygonAndStormMotionForms)
{
  WarnProduct w;
  ASSERT_TRUE(readFirst(WARNING, w));
  ASSERT_EQ(w.segments.size(), 1u);
  const WarnSegment& s = w.segments[0];
  EXPECT_EQ(s.polygon,
            (WarnSegment::Points{{41.59, -93.9}, {41.23, -93.9}, {41.23, -93.5}, {41.59, -93.5}}));
  EXPECT_FALSE(s.odd_count);
  EXPECT_EQ(s.motion_time, "0436");
  EXPECT_EQ(s.direction, 240);
  EXPECT_EQ(s.speed, 35);

  // Longitudes past 180 west.
  const char* aleutians =
      "WHAK77 PAFC 010000\nSMWALU\n\nPKZ411-010100-\n"
      "/O.NEW.PAFC.MA.W.0001.200101T0000Z-200101T0100Z/\nLAT...LON 5200 17950 5210 18050 5150 "
      "18000\n$$\n";
  ASSERT_TRUE(readFirst(aleutians, w));
  EXPECT_DOUBLE_EQ(w.segments[0].polygon[0].second, -179.5);
  EXPECT_DOUBLE_EQ(w.segments[0].polygon[1].second, 179.5);
}

TEST(WarnProduct, SegmentsOnlyWhereThereIsSomethingToPlace)
{
  const char* text =
      "WWUS43 KGRR 050856\nWSWGRR\n\n...HEADLINE ONLY...\n\n$$\n\n"
      "MIZ037-038-051700-\n/O.EXT.KGRR.WW.Y.0005.000000T0000Z-200105T1700Z/\n$$\n\n"
      "LAT...LON 4300 8500 4310 8510 4320 8500\n$$\n";
  WarnProduct w;
  ASSERT_TRUE(readFirst(text, w));
  ASSERT_EQ(w.segments.size(), 2u);
  EXPECT_EQ(w.segments[0].ugc.codes, (std::vector<std::string>{"MIZ037", "MIZ038"}));
  EXPECT_FALSE(w.segments[1].has_ugc);
  EXPECT_TRUE(w.segments[1].has_polygon);
}

// A tornado warning for one county under its event code.
WarnProduct warning(const std::string& heading, const std::string& vtec)
{
  WarnProduct w;
  EXPECT_TRUE(readFirst(heading + "\nSVSLSX\n\nMOC189-" + vtec.substr(vtec.size() - 11, 6) + "-\n" +
                            vtec + "\n\nTORNADO WARNING\n\n$$\n",
                        w))
      << vtec;
  return w;
}

// Events extended into more zones, upgraded, and products of the test class.
TEST(WarnEvents, ExtensionsUpgradesAndTests)
{
  const char* heading = "WWUS73 KXXX 010000\nNPWXXX\n\n";
  auto product = [&](const std::string& body) {
    auto w = std::make_unique<WarnProduct>();
    EXPECT_TRUE(readFirst(heading + body + "$$\n", *w));
    return w;
  };
  WarnEvents events;
  events.add(*product("AAZ001-011200-\n/O.NEW.KXXX.HW.A.0001.200101T1200Z-200102T0000Z/\n"));
  events.add(*product("AAZ002-011200-\n/O.EXA.KXXX.HW.A.0001.200101T1200Z-200102T0000Z/\n"));
  ASSERT_NE(events.find("KXXX.HW.A.0001"), nullptr);
  EXPECT_EQ(events.find("KXXX.HW.A.0001")->zones.size(), 2u);
  events.add(
      *product("AAZ001-002-011200-\n/O.UPG.KXXX.HW.A.0001.000000T0000Z-200102T0000Z/\n"
               "/O.NEW.KXXX.HW.W.0001.200101T1200Z-200102T0000Z/\n"));
  EXPECT_EQ(events.find("KXXX.HW.A.0001"), nullptr);
  EXPECT_NE(events.find("KXXX.HW.W.0001"), nullptr);
  events.add(*product("AAZ003-011200-\n/T.NEW.KXXX.TO.W.0099.200101T1200Z-200101T1300Z/\n"));
  EXPECT_EQ(events.size(), 1u);
  const std::time_t noon = Vtec::seconds("200101T1200Z");
  EXPECT_EQ(events.validAt(noon - 60).size(), 0u);
  EXPECT_EQ(events.validAt(noon).size(), 1u);
}

TEST(WatchProduct, KindWithoutAnAwipsLine)
{
  const std::pair<const char*, const char*> cases[] = {
      {"WWUS30 KWNS 020532\n\nSPC AWW 020531\nWW 575 SEVERE TSTM CANCELLED\n", "SAW"},
      {"WWUS20 KWNS 271003\n\nSPC WW 271003\nTXZ000-271000-\n", "SEL"},
      {"WWUS40 KWNS 252007\n\nSEVERE THUNDERSTORM WATCH PROBABILITIES FOR WS 0249\n", "WWP"},
      {"WWUS63 KDMX 040254\n\nWATCH COUNTY NOTIFICATION FOR WATCH 210\n", "WCN"},
      {"WFUS53 KDMX 070436\n\nTORNADO WARNING\n", ""},
  };
  for (const auto& [text, kind] : cases) {
    TextProduct p;
    ASSERT_TRUE(p.parse(text));
    EXPECT_EQ(WatchProduct::kindOf(p), kind) << text;
  }
}

TEST(TropicalProduct, MonthEndsStationaryStormsAndDissipation)
{
  const char* tcm =
      "WTNT21 KNHC 311500\nTCMAT1\n\nTROPICAL STORM ALPHA SPECIAL FORECAST/ADVISORY NUMBER   "
      "7...CORRECTED\n"
      "NWS NATIONAL HURRICANE CENTER MIAMI FL       AL012021\n1500 UTC FRI DEC 31 2021\n\n"
      "TROPICAL STORM CENTER LOCATED NEAR 25.5S  10.2E AT 31/1500Z\n"
      "PRESENT MOVEMENT...STATIONARY\n"
      "MAX SUSTAINED WINDS  40 KT WITH GUSTS TO  50 KT.\n34 KT....... 60NE   0SE   0SW  30NW.\n\n"
      "FORECAST VALID 01/0000Z 26.0S  11.0E\nMAX WIND  45 KT...GUSTS  55 KT.\n"
      "34 KT... 70NE  20SE   0SW  40NW.\n\nFORECAST VALID 01/1200Z...DISSIPATED\n";
  TropicalProduct t;
  ASSERT_TRUE(readFirst(tcm, t));
  EXPECT_TRUE(t.special);
  EXPECT_TRUE(t.corrected);
  EXPECT_EQ(t.advisory_number, 7);
  EXPECT_EQ(t.storm_type, "TROPICAL STORM");
  EXPECT_EQ(t.storm_name, "ALPHA");
  EXPECT_EQ(t.atcf_id, "AL012021");
  EXPECT_DOUBLE_EQ(t.center.lat, -25.5);
  EXPECT_DOUBLE_EQ(t.center.lon, 10.2);
  EXPECT_TRUE(t.stationary);
  ASSERT_EQ(t.forecasts.size(), 2u);
  EXPECT_EQ(t.forecasts[0].fix.valid, "2022-01-01T00:00Z");
  EXPECT_EQ(t.forecasts[0].radii.front().second, (std::vector<int>{70, 20, 0, 40}));
  EXPECT_FALSE(t.forecasts[1].fix.located);
  EXPECT_EQ(t.forecasts[1].remark, "DISSIPATED");
}

TEST(BestTrack, HemispheresMinutesAndLinesThatAreNoRecords)
{
  const char* deck =
      "SH, 05, 2020011218, 30, BEST,   0, 155S, 1702E,  45,  990, TS,  34, NEQ,   60,   60,   40,  "
      " 40\n"
      "SH, 05, 2020011218, 30, BEST,   0, 155S, 1702E,  45,  990, TS,  50, NEQ,   20,   20,   10,  "
      " 10\n"
      "garbage\n"
      "SH, 05, 2020011300,   , BEST,   0, 160S, 1710E,  50,  985, TS,   0,    ,    0,    0,    0,  "
      "  0\n";
  BestTrack b;
  ASSERT_TRUE(b.parse(deck));
  ASSERT_EQ(b.records.size(), 3u);
  EXPECT_DOUBLE_EQ(b.records[0].lat, -15.5);
  EXPECT_DOUBLE_EQ(b.records[0].lon, 170.2);
  EXPECT_EQ(b.unparsed, (std::vector<int>{3}));
  const auto track = b.track();
  ASSERT_EQ(track.size(), 2u);
  EXPECT_EQ(b.records[track[0]].time + b.records[track[0]].minutes, "202001121830");
  EXPECT_FALSE(b.parse("WFUS53 KDMX 070436\nTORDMX\n"));
}

TEST(FrontBulletin, SouthernPointsAndCentresWithoutPressure)
{
  FrontBulletin b;
  ASSERT_TRUE(readFirst("VALID 062818Z\nCOLD STG 4510934\n-1201500\n", b));
  EXPECT_EQ(b.features[0].points,
            (std::vector<std::pair<double, double>>{{45.1, -93.4}, {-12.0, -150.0}}));
  // a position whose pressure is missing is still a centre
  FrontBulletin lows;
  ASSERT_TRUE(readFirst("ASUS01 KWBC 281943\nCODSUS\nLOWS 1015 5482 61108 998\n6544\n", lows));
  ASSERT_EQ(lows.features.size(), 3u);
  EXPECT_EQ(lows.features[1].pressure_mb, Const::MISS);
  EXPECT_EQ(lows.features[2].pressure_mb, 998);
}

TEST(MosBulletin, YearEndAndThunderProbabilities)
{
  const char* mav =
      "\x1eKXYZ   GFS MOS GUIDANCE   12/31/2020  1800 UTC\n"
      "DT /DEC  31/JAN   1                /JAN   2\n"
      "HR   00 03 06 09 12 15 18 21 00 06 12\n"
      "TMP  -5-10-12 -9  3 10 12  8  4  0 -2\n"
      "T06   0/ 0 12/10  2/ 1          10/ 5\n";
  MosBulletin m;
  ASSERT_TRUE(readFirst(mav, m));
  ASSERT_EQ(m.stations.size(), 1u);
  const auto& s = m.stations[0];
  EXPECT_EQ(s.id, "KXYZ");
  EXPECT_EQ(s.hours, (std::vector<int>{6, 9, 12, 15, 18, 21, 24, 27, 30, 36, 42}));
  EXPECT_EQ(s.validIso(0), "2021-01-01T00:00Z");
  ASSERT_NE(s.find("TMP", 1), nullptr);
  EXPECT_EQ(s.find("TMP", 1)->number, -10);
  // thunderstorm/severe pairs end under their 6-h columns
  const std::vector<std::pair<size_t, const char*>> thunder = {
      {1, "0/ 0"}, {3, "12/10"}, {5, "2/ 1"}, {10, "10/ 5"}};
  for (const auto& [column, text] : thunder) {
    const MosBulletin::Value* v = s.find("T06", column);
    ASSERT_NE(v, nullptr) << column;
    EXPECT_EQ(v->text, text);
  }
  EXPECT_EQ(s.find("T06", 2), nullptr);
}

TEST(JsonText, TextsAreEscapedAndMissingValuesNull)
{
  JsonText j;
  j.beginObject().key("a\"b").value("x\\y\n\x01").key("n").intOrNull(Const::MISS);
  j.key("l").beginArray().value(1.5).value(-81.13).value(true).endArray().endObject();
  EXPECT_EQ(j.text(),
            "{\"a\\\"b\": \"x\\\\y\\u000a\\u0001\", \"n\": null, \"l\": [1.5, -81.13, true]}");
}

// Number 1 of a new year is another event; a December event goes on into January.
TEST(WarnEvents, EventNumbersStartAgainEachYear)
{
  WarnEvents events;
  events.add(warning("WFUS53 KLSX 312300", "/O.NEW.KLSX.TO.W.0001.201231T2300Z-210101T0030Z/"));
  events.add(warning("WWUS53 KLSX 010005", "/O.CON.KLSX.TO.W.0001.000000T0000Z-210101T0030Z/"));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events.validAt(Vtec::seconds("210101T0010Z")).size(), 1u);
  events.add(warning("WFUS53 KLSX 152000", "/O.NEW.KLSX.TO.W.0001.210615T2000Z-210615T2045Z/"));
  EXPECT_EQ(events.size(), 2u);
  const WarnEvents::Event* latest = events.find("KLSX.TO.W.0001");
  ASSERT_NE(latest, nullptr);
  EXPECT_EQ(latest->begin, Vtec::seconds("210615T2000Z"));
  events.add(warning("WWUS53 KLSX 152030", "/O.CAN.KLSX.TO.W.0001.000000T0000Z-210615T2045Z/"));
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(events.find("KLSX.TO.W.0001")->begin, Vtec::seconds("201231T2300Z"));
}

TEST(WatchProduct, AxisKeepsAbbreviatedPlaces)
{
  TextProduct p;
  p.parse(
      "WWUS20 KWNS 012048\nSEL9\n\nMOZ000-ILZ000-020400-\n\nURGENT - IMMEDIATE BROADCAST "
      "REQUESTED\nTornado Watch Number 169\n\nThe tornado watch area is approximately along "
      "and 50\nstatute miles north and south of a line from 35 miles west of St.\nLouis "
      "Missouri to 20 miles east of Ft. Wayne Indiana. For a complete\ndepiction see the "
      "associated watch outline update.\n");
  WatchProduct w;
  ASSERT_TRUE(w.parse(p));
  EXPECT_EQ(w.half_width_sm, 50);
  EXPECT_EQ(w.axis_from, "35 MILES WEST OF ST. LOUIS MISSOURI");
  EXPECT_EQ(w.axis_to, "20 MILES EAST OF FT. WAYNE INDIANA");
}

TEST(TextProduct, OpeningWordIsNoAwipsIdentifier)
{
  for (const char* word : {"URGENT", "TEST"}) {
    TextProduct p;
    p.parse(std::string("WWUS20 KWNS 012048\n") + word + "\nBODY LINE\n");
    EXPECT_EQ(p.head.awips, "") << word;
  }
  TextProduct p;
  p.parse("WWUS20 KWNS 012048\nSEL9\nBODY LINE\n");
  EXPECT_EQ(p.head.awips, "SEL9");
}

// Fronts over an analysis of another day are drawn, and the distance in time is said.
TEST(Kolfront, AnalysisFarFromTheFrontsIsSaid)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  KOLTest::run(KOLTest::programPath("kolsfc") + " -cvt=" + dir.file("s.sfc") + " " +
               KOLTest::dataFile("metar/metpy_2020010600_sao.wmo") + " 2>&1");
  const std::string out = KOLTest::run(
      KOLTest::programPath("kolfront") + " -ou=" + dir.file("f.png") + " -sf=" + dir.file("s.sfc") +
      " -va='temp[F]' " +
      KOLTest::dataFile("textprod/fronts/metpy_WPC_sfc_fronts_20210628_1800.txt") + " 2>&1");
  EXPECT_NE(out.find("is 4194 h away from the fronts"), std::string::npos) << out;
  EXPECT_NE(out.find("wrote"), std::string::npos) << out;
}

}  // namespace
