#include "obs/SfcDataTool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/TestData.h"
#include "layers/VarSpec.h"
#include "obs/Datum.h"
#include "obs/SfcData.h"

using KOL::Datum;
using KOL::SfcData;
using KOL::SfcDataTool;

namespace {

constexpr float MISS = KOL::Const::FMISS;

SfcData report()
{
  SfcData s;
  s.setId("KDEN");
  s.setName("Denver");
  s.lat = 39.87f, s.lon = -104.67f, s.elev = 1655;
  s.date.set(2024, 3, 4, 18, 53, 0);
  s.temp = 20, s.dewp = 10, s.wdir = 270, s.wspd = 10, s.gust = 20;
  s.alt = 29.92f, s.slp = 1013.2f, s.vis = 10;
  return s;
}

Datum compute(const SfcData& s, const char* name)
{
  Datum d;
  EXPECT_EQ(SfcDataTool::compute(s, name, d), 1) << name;
  return d;
}

TEST(SfcDataToolTest, DirectValuesAndDrawingTypes)
{
  SfcData s = report();
  s.setCldCover(0, 'F'), s.setCldHeight(0, 1500);
  s.setCldCover(1, 'B'), s.setCldHeight(1, 3500);
  s.prec[SfcData::PREC3] = 2, s.prec[SfcData::PREC6] = 5;
  s.maxt6 = 22, s.mint = 3;

  Datum d = compute(s, "temp");
  EXPECT_EQ(d.type, Datum::VALUE);
  EXPECT_EQ(d.getValue(0), 20);
  EXPECT_STREQ(d.id, "KDEN");
  EXPECT_FLOAT_EQ(d.loc.lat, 39.87f);
  EXPECT_EQ(d.loc.value, 1655);
  EXPECT_EQ(compute(s, "ttd").getValue(1), 10);

  d = compute(s, "wbrb");
  EXPECT_EQ(d.type, Datum::WBARB);
  EXPECT_EQ(d.getValue(0), 270);
  EXPECT_EQ(d.getValue(1), 10);
  d = compute(s, "wbrbc");
  EXPECT_EQ(d.type, Datum::CBARB);
  EXPECT_EQ(d.getValue(2), 20);
  EXPECT_EQ(compute(s, "wind").type, Datum::VECT);
  // A west wind blows towards the east: positive u, no v; knots become m/s.
  EXPECT_NEAR(compute(s, "uwnd").getValue(0), 5.144f, 0.01);
  EXPECT_NEAR(compute(s, "uwndg").getValue(0), 10.289f, 0.01);

  d = compute(s, "time");
  EXPECT_EQ(d.type, Datum::TEXT);
  EXPECT_STREQ(d.data, "1853");
  EXPECT_EQ(compute(s, "cldcl").getValue(0), 35);
  d = compute(s, "cldclc");
  EXPECT_EQ(d.type, Datum::CLOUD);
  EXPECT_STREQ(d.data, "B");
  EXPECT_EQ(compute(s, "cldcv").getValue(0), 75);
  EXPECT_EQ(compute(s, "prec").getValue(0), 5);  // the longest period reported
  EXPECT_EQ(compute(s, "maxt24").getValue(0), MISS);
  d = compute(s, "extt");
  EXPECT_EQ(d.getValue(0), 22);
  EXPECT_EQ(d.getValue(1), 3);
}

TEST(SfcDataToolTest, DerivedQuantitiesInTheirUnits)
{
  SfcData s = report();
  // Denver's station pressure from a standard altimeter setting.
  EXPECT_NEAR(compute(s, "pralt").getValue(0), 829.6, 1);
  EXPECT_NEAR(SfcDataTool::stationPres(s), 829.6, 1);
  EXPECT_NEAR(compute(s, "rhum").getValue(0), 52.5, 1);
  EXPECT_NEAR(compute(s, "svpres").getValue(0), 23.4, 0.3);
  // At 830 hPa a 10 C dew point holds more water than at sea level.
  EXPECT_NEAR(compute(s, "mrat").getValue(0), 9.3, 0.3);
  float theta = compute(s, "theta").getValue(0);
  EXPECT_NEAR(theta, 293.15 * std::pow(1000 / 829.6, 0.2857), 1);
  EXPECT_GT(compute(s, "thetae").getValue(0), theta + 20);
  EXPECT_FLOAT_EQ(compute(s, "humit").getValue(0), 68);  // F; dry air adds nothing
  SfcData humid = s;
  humid.temp = 30, humid.dewp = 24;
  EXPECT_GT(compute(humid, "humit").getValue(0), 86);
  EXPECT_GT(compute(humid, "heat").getValue(0), 303.15);

  // Without a temperature nothing is derived; without altimeter the sea-level pressure serves.
  s.temp = MISS;
  for (const char* name : {"rhum", "theta", "thetae", "wetblb", "svpres", "wchilt", "heat"})
    EXPECT_EQ(compute(s, name).getValue(0), MISS) << name;
  s.temp = 20, s.alt = MISS;
  EXPECT_NEAR(SfcDataTool::stationPres(s), 829.6, 1);
  s.slp = MISS;
  EXPECT_EQ(compute(s, "mrat").getValue(0), MISS);
}

TEST(SfcDataToolTest, WeatherAsWordsSymbolsAndOlderForm)
{
  KOLTest::DatabaseScope database;
  SfcData s = report();
  s.setWeather("!-RA_BR");
  Datum d = compute(s, "wx");
  EXPECT_EQ(d.type, Datum::SYMB);
  EXPECT_EQ(d.getValue(0), 61);
  EXPECT_STREQ(d.data, "61");
  EXPECT_STREQ(compute(s, "sawx").data, "R-");  // mist has no SA token
  EXPECT_STREQ(compute(s, "txtwx").data, "light rain, mist");
  // Present-weather digits from a SYNOP and the older SA form give the same symbol.
  s.setWeather("95");
  EXPECT_EQ(compute(s, "wx").getValue(0), 95);
  s.setWeather("TRW");
  EXPECT_EQ(compute(s, "wx").getValue(0), 95);
  s.setWeather("");
  for (const char* name : {"wx", "txtwx", "sawx"}) {
    d = compute(s, name);
    EXPECT_EQ(d.getValue(0), MISS) << name;
    EXPECT_STREQ(d.data, "") << name;
  }
}

TEST(SfcDataToolTest, FlightCategories)
{
  struct {
    char cover;
    float height, vis;
    int category;
    const char* name;
  } cases[] = {{'B', 800, 0.5f, 3, "LIFR"}, {'O', 2000, 2, 2, "IFR"},  {'B', 4000, 4, 1, "MVFR"},
               {'S', 400, 10, 0, "VFR"},    {' ', MISS, 5, 1, "MVFR"}, {' ', MISS, MISS, 0, "VFR"},
               {'B', 3000, 10, 1, "MVFR"},  {'O', 499, 10, 3, "LIFR"}, {'7', 900, 10, 2, "IFR"},
               {'X', 200, 10, 0, "VFR"},    {'b', 300, 10, 0, "VFR"}};
  for (const auto& c : cases) {
    SfcData s;
    s.vis = c.vis;
    if (c.cover != ' ') s.setCldCover(0, c.cover), s.setCldHeight(0, c.height);
    Datum d = compute(s, "fr");
    EXPECT_EQ(d.getValue(0), c.category) << c.cover << c.height << " " << c.vis;
    EXPECT_STREQ(d.data, c.name) << c.cover << c.height << " " << c.vis;
  }
}

TEST(SfcDataToolTest, SpecsCarryTheirFormat)
{
  KOLTest::DatabaseScope database;
  SfcData s = report();
  KOL::VarSpec spec("temp[ul]");
  Datum d;
  ASSERT_EQ(SfcDataTool::compute(s, spec, d), 1);
  EXPECT_EQ(d.getValue(0), 20);
  EXPECT_STREQ(d.format, spec.getFormat());
  KOL::VarSpec unknown("tmpf");
  EXPECT_EQ(SfcDataTool::compute(s, unknown, d), 0);
  EXPECT_EQ(d.getValue(0), MISS);
  EXPECT_STREQ(d.id, "KDEN");
}

}  // namespace
