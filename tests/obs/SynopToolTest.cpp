#include "obs/SynopTool.h"

#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"

using KOL::SfcData;
using KOL::SfcWmoData;
using KOL::SynopTool;

namespace {

constexpr float MISS = KOL::Const::FMISS;

SfcData decodeFrom(const char* text, int format = SfcWmoData::SYNOP, int result = 1)
{
  SfcWmoData w;
  w.setData(text);
  w.format = format;
  w.setDate(KOL::Date(2024, 3, 4, 12, 0, 0));
  SfcData s;
  EXPECT_EQ(SynopTool::decode(w, s), result) << text;
  return s;
}

// The weather tables come from the repository's database directory.
class SynopToolTest : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

TEST_F(SynopToolTest, LandReportAllSections)
{
  SfcData s = decodeFrom(
      "AAXX 04124 72451 32966 82706 10122 20083 40132 58012 60011 78062 83530 333 10144 20056");
  // What the BUFR comparison of the real reports does not reach.
  EXPECT_EQ(s.wmo, 72451);
  EXPECT_FLOAT_EQ(s.getCldHeight(0), 12000);
  EXPECT_EQ(s.ptend_type, 8);
  EXPECT_FLOAT_EQ(s.ptend, -1.2f);
  EXPECT_FLOAT_EQ(s.prec[SfcData::PREC6], 1);
  EXPECT_STREQ(s.wx, "!-SHRA");
  EXPECT_EQ(s.low_amount, '3');
  EXPECT_EQ(s.getCldType(0), '5');
  EXPECT_EQ(s.getCldType(1), '3');
  EXPECT_EQ(s.getCldType(2), '0');
  EXPECT_FLOAT_EQ(s.maxt, 14.4f);
  EXPECT_FLOAT_EQ(s.mint, 5.6f);
  EXPECT_EQ(s.flag & SynopTool::FLAG_AUTOMATIC, 0);
}

TEST_F(SynopToolTest, WindUnitsAndHighSpeeds)
{
  const struct {
    const char* text;
    float dir, speed;
  } table[] = {
      {"AAXX 04121 72451 32966 82706", 270, 6 * 1.944f},          // metres per second
      {"AAXX 04121 72451 32966 82799 00105", 270, 105 * 1.944f},  // 00fff
      {"AAXX 04124 72451 32966 89912", MISS, MISS},               // variable: no direction
      {"AAXX 04124 72451 32966 827//", MISS, MISS},               // direction without a speed
      {"AAXX 54121 72451 32966 82706", 270, 6},                   // day + 50: knots
  };
  for (const auto& t : table) {
    SfcData s = decodeFrom(t.text);
    EXPECT_FLOAT_EQ(s.wdir, t.dir) << t.text;
    EXPECT_FLOAT_EQ(s.wspd, t.speed) << t.text;
  }
}

TEST_F(SynopToolTest, GustsOfSectionThree)
{
  const struct {
    const char* text;
    float gust;
  } table[] = {
      // 910ff (last 10 minutes) before 911ff (the past period), whatever their order.
      {"AAXX 17121 15015 01597 71702 333 91003 91108", 3 * 1.944f},
      {"AAXX 31001 78310 01470 70303 333 90425 91118 91536 92013", 18 * 1.944f},
      {"AAXX 17124 06260 21/65 82012 333 69907 88/31 91015", 15},  // knots
      {"AAXX 17124 06260 21/65 82012 333 91099 00112", 112},       // 00fff
      {"AAXX 17124 06260 21/65 82012 333 911//", MISS},
      {"AAXX 17124 06260 21/65 82012 91015", MISS},                // section 1's 9GGgg
      {"AAXX 17124 06260 21/65 82012 333 20003 555 91015", MISS},  // national section
  };
  for (const auto& t : table) EXPECT_FLOAT_EQ(decodeFrom(t.text).gust, t.gust) << t.text;
}

TEST_F(SynopToolTest, SeaTemperatureByItsMeasurement)
{
  // ss: even positive, odd negative, by intake (0, 1), bucket (2, 3), hull sensor (4, 5) or
  // other means (6, 7); the coastal station 15360 reports 06032.
  const struct {
    const char* group;
    float sst;
  } table[] = {{"00123", 12.3f}, {"03045", -4.5f}, {"04123", 12.3f}, {"06032", 3.2f},
               {"07032", -3.2f}, {"08123", MISS},  {"0/123", MISS},  {"00///", MISS}};
  for (const auto& t : table) {
    std::string text =
        std::string("AAXX 21121 15360 02997 20305 10053 222// ") + t.group + " 20301";
    SfcData s = decodeFrom(text.c_str());
    EXPECT_FLOAT_EQ(s.sst, t.sst) << t.group;
    EXPECT_FLOAT_EQ(s.wave_per, 3) << t.group;
  }
}

TEST_F(SynopToolTest, PrecipitationPeriodsAndTraces)
{
  const struct {
    const char* group;
    int slot;
    float mm;
  } table[] = {
      {"69901", SfcData::PREC6, 0},   {"69951", SfcData::PREC6, 0.5f},
      {"60120", SfcData::PREC12, 12}, {"6012/", SfcData::PREC24, 12},
      {"60127", SfcData::PREC3, 12},  {"60125", -1, 0},
  };
  for (const auto& t : table) {
    std::string text = std::string("AAXX 04124 72451 32966 82706 10122 ") + t.group;
    SfcData s = decodeFrom(text.c_str());
    for (int i = 0; i < SfcData::NUM_PREC; ++i)
      EXPECT_FLOAT_EQ(s.prec[i], i == t.slot ? t.mm : MISS) << t.group << " slot " << i;
  }
  // Section 3: 7RRRR in tenths, 9999 a trace; the 6-group there too.
  SfcData s = decodeFrom("AAXX 04124 72451 32966 82706 333 4/012 60017 70123");
  EXPECT_FLOAT_EQ(s.prec[SfcData::PREC3], 1);
  EXPECT_FLOAT_EQ(s.prec[SfcData::PREC24], 12.3f);
  EXPECT_FLOAT_EQ(s.snow, 12);
  s = decodeFrom("AAXX 04124 72451 32966 82706 333 79999");
  EXPECT_FLOAT_EQ(s.prec[SfcData::PREC24], 0);
}

TEST_F(SynopToolTest, HumidityPressureAndWeather)
{
  // 85 % at 20 C.
  SfcData s = decodeFrom("AAXX 04124 72451 32966 82706 10200 29085");
  EXPECT_NEAR(s.dewp, 17.4, 0.1);
  // 4PPPP above 1000 hPa, below it, and a 850 hPa height group that is no pressure.
  const struct {
    const char* group;
    float slp;
  } pressures[] = {
      {"40132", 1013.2f}, {"49987", 998.7f}, {"4013/", 1013}, {"48512", MISS}, {"4////", MISS}};
  for (const auto& p : pressures) {
    std::string text = std::string("AAXX 04124 72451 32966 82706 10122 ") + p.group;
    EXPECT_FLOAT_EQ(decodeFrom(text.c_str()).slp, p.slp) << p.group;
  }
  // Manned and automatic stations read present weather from different tables.
  EXPECT_STREQ(decodeFrom("AAXX 04124 72451 12966 82706 10122 76102").wx, "!-RA");
  SfcData automatic = decodeFrom("AAXX 04124 72451 34966 82706 10122 76202");
  EXPECT_STREQ(automatic.wx, "!RA");
  EXPECT_NE(automatic.flag & SynopTool::FLAG_AUTOMATIC, 0);
  EXPECT_STREQ(decodeFrom("AAXX 04124 72451 32966 82706 10122 70002").wx, "");
  // VV 90 is less than 50 m, not a missing visibility.
  EXPECT_FLOAT_EQ(SynopTool::visibility(90), 0);
  // 9GGgg gives the minute of the observation.
  EXPECT_EQ(decodeFrom("AAXX 04124 72451 32966 82706 10122 91150").getTime(), 1150);
}

TEST_F(SynopToolTest, CloudCoverCodes)
{
  // N of "/" leaves no layer, N of 0 or 1 a layer without a height.
  EXPECT_EQ(decodeFrom("AAXX 04124 72451 32966 /2706").ncld, 0);
  SfcData s = decodeFrom("AAXX 04124 72451 32966 02706");
  EXPECT_EQ(s.ncld, 1);
  EXPECT_EQ(s.getCldCover(0), '0');
  EXPECT_EQ(s.getCldHeight(0), MISS);
  s = decodeFrom("AAXX 04124 72451 32/66 52706 8/5//");
  EXPECT_EQ(s.getCldHeight(0), MISS);
  EXPECT_EQ(s.low_amount, '-');
  EXPECT_EQ(s.getCldType(0), '5');
  EXPECT_EQ(s.getCldType(2), '-');
}

TEST_F(SynopToolTest, ShipsBuoysAndMobileStations)
{
  SfcData ship = decodeFrom(
      "BBXX WDC123 04121 99412 70725 41/96 72315 10100 20050 40131 52010 222// 00123 20408 70025",
      SfcWmoData::SHIP);
  // Position and identifier as the real reports sent as ships show them; here section 2.
  EXPECT_EQ(ship.wmo, 99999);
  EXPECT_NEAR(ship.vis, 2.5, 1e-5);  // VV 96: 4 km
  EXPECT_FLOAT_EQ(ship.sst, 12.3f);
  EXPECT_FLOAT_EQ(ship.wave_per, 4);
  EXPECT_FLOAT_EQ(ship.wave_hgt, 2.5f);  // 70HHH replaces the half metres of 2PPHH
  EXPECT_EQ(ship.getTime(), 1200);

  SfcData buoy =
      decodeFrom("ZZYY 53521 04034 1030/ 134567 045678 6//// 11101 02315 10123", SfcWmoData::DRIBU);
  EXPECT_STREQ(buoy.id, "d53521");
  EXPECT_EQ(buoy.getTime(), 1030);
  EXPECT_NEAR(buoy.lat, 34.567, 1e-4);
  EXPECT_NEAR(buoy.lon, 45.678, 1e-4);

  // The quality group 6QlQtQA/ ends in a solidus; it is no precipitation group.
  for (const char* quality : {"6////", "6112/", "6111/", "6422/"}) {
    std::string text = std::string("ZZYY 53521 04034 1030/ 134567 045678 ") + quality +
                       " 11101 02315 10123 20056 40021 57013";
    SfcData q = decodeFrom(text.c_str(), SfcWmoData::DRIBU);
    EXPECT_FLOAT_EQ(q.dewp, 5.6f) << quality;
    EXPECT_FLOAT_EQ(q.slp, 1002.1f) << quality;
    EXPECT_FLOAT_EQ(q.ptend, -1.3f) << quality;
    for (float p : q.prec) EXPECT_EQ(p, MISS) << quality;
  }
}

TEST_F(SynopToolTest, BareTextAndBadInput)
{
  SfcData s;
  EXPECT_EQ(SynopTool::decode("AAXX 04124 72451 32966 82706 10122=", s), 1);
  EXPECT_FLOAT_EQ(s.temp, 12.2f);
  // No identifier: 0 and a reset record.
  const char* const bads[] = {"", "AAXX", "AAXX 04124", "AAXX 04124 123", "   =", nullptr};
  for (const char* bad : bads) {
    s.temp = 5;
    EXPECT_EQ(SynopTool::decode(bad, s), 0) << (bad ? bad : "null");
    EXPECT_EQ(s.temp, MISS);
  }
  // Groups out of place, truncated or garbled are left alone; nothing is invented.
  s = decodeFrom("AAXX 04124 72451 3296 82706 1012 abcde 40132", SfcWmoData::SYNOP);
  EXPECT_EQ(s.temp, MISS);
  EXPECT_EQ(s.slp, MISS);
  s = decodeFrom("AAXX 04124 72451 32966 88506 19999 29999", SfcWmoData::SYNOP);
  EXPECT_EQ(s.wdir, MISS);
  EXPECT_EQ(s.temp, MISS);
}

}  // namespace
