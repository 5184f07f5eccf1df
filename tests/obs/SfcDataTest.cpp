#include "obs/SfcData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Floats.h"

using KOL::SfcData;

namespace {

constexpr float MISS = KOL::Const::FMISS;

struct Layer {
  char cover;
  float height;
};

SfcData withLayers(const std::vector<Layer>& layers)
{
  SfcData s;
  for (size_t i = 0; i < layers.size(); i++) {
    s.setCldCover(static_cast<int>(i), layers[i].cover);
    s.setCldHeight(static_cast<int>(i), layers[i].height);
  }
  return s;
}

SfcData at(int hour, int minute)
{
  SfcData s;
  s.date.set(2024, 3, 4, hour, minute, 0);
  return s;
}

TEST(SfcDataTest, ReportTimeAndNearestHour)
{
  struct {
    int hour, minute, time, nearest;
  } cases[] = {
      {23, 50, 2350, 0}, {12, 49, 1249, 12}, {12, 50, 1250, 13}, {0, 0, 0, 0}, {5, 55, 555, 6}};
  for (const auto& c : cases) {
    SfcData s = at(c.hour, c.minute);
    EXPECT_EQ(s.getTime(), c.time);
    EXPECT_EQ(s.getHour(), c.nearest) << c.hour << ":" << c.minute;
  }
}

TEST(SfcDataTest, CeilingOverLayers)
{
  struct {
    std::vector<Layer> layers;
    float ceiling;
    char cover;
  } cases[] = {
      {{}, MISS, ' '},
      {{{'S', 2500}}, 2500, 'S'},
      {{{'F', 1500}, {'B', 3000}, {'O', 5000}}, 3000, 'O'},
      {{{'F', 1500}, {'S', 2500}}, 2500, 'S'},
      // The first broken layer fixes the ceiling against every later layer.
      {{{'B', 800}, {'F', 1200}, {'O', 4000}}, 800, 'O'},
      {{{'2', 700}, {'6', 1400}, {'8', 9000}}, 1400, 'O'},
      // Obscured gives its own height, missing when it has none.
      {{{'X', 300}, {'F', 1500}}, 1500, 'F'},
      {{{'F', 1500}, {'X', MISS}}, MISS, 'X'},
      // Any other cover clears the result and the walk starts afresh.
      {{{'B', 800}, {'C', MISS}, {'S', 2500}}, 2500, 'S'},
      {{{'B', 800}, {'b', 1000}}, MISS, 'b'},
  };
  for (const auto& c : cases) {
    SfcData s = withLayers(c.layers);
    EXPECT_EQ(s.getCldHeight(), c.ceiling) << c.layers.size() << " layers";
    EXPECT_EQ(s.getCldCover(), c.cover) << c.layers.size() << " layers";
  }
}

TEST(SfcDataTest, CommentsAreBoundedAndWordsCut)
{
  SfcData s;
  s.addComment("AO2");
  s.addComment("PK WND 27030/1830 SLP132", 3);
  EXPECT_STREQ(s.getComment(), "AO2 PK WND 27030/1830 ");
  s.setComment("");
  EXPECT_EQ(s.addComment("  ABCDEFGHIJKLMNOPQRSTUVWXYZ  next", 5), 2);
  EXPECT_STREQ(s.getComment(), "ABCDEFGHIJKLMNOPQRST next ");
  for (int i = 0; i < 40; i++) s.addComment("word");
  EXPECT_EQ(std::string(s.getComment()).size(), 99u);
}

TEST(SfcDataTest, ValidateClearsValuesOutOfRange)
{
  SfcData s;
  s.temp = 20, s.dewp = 22;
  s.slp = 1013, s.alt = 40, s.wdir = 370, s.wspd = 120, s.gust = 149;
  s.vis = 10, s.ptend_type = 12, s.ptend = -11;
  s.prec[SfcData::PREC3] = 301, s.prec[SfcData::PREC6] = 399, s.prec[SfcData::PREC12] = -1;
  s.prec[SfcData::PREC24] = 499;
  s.maxt6 = 151, s.snow = 20, s.wave_per = 11, s.wave_hgt = 19;
  s.setCldHeight(0, 1200);
  s.setCldHeight(1, 36000);
  s.validate();
  EXPECT_EQ(s.ptend_type, KOL::Const::MISS);
  // The dew point is never above the temperature.
  EXPECT_EQ(KOLTest::floats(s.temp, s.dewp, s.slp, s.alt, s.wdir, s.wspd, s.gust, s.vis, s.ptend,
                            s.prec[SfcData::PREC3], s.prec[SfcData::PREC6], s.prec[SfcData::PREC12],
                            s.prec[SfcData::PREC24], s.maxt6, s.snow, s.wave_per, s.wave_hgt,
                            s.getCldHeight(0), s.getCldHeight(1)),
            KOLTest::floats(20, 20, 1013, MISS, MISS, MISS, 149, 10, MISS, MISS, 399, MISS, 499,
                            MISS, 20, MISS, 19, 1200, MISS));
  // Missing values stay missing: validation never invents a number.
  SfcData empty;
  empty.validate();
  EXPECT_EQ(SfcData::compare(empty, SfcData()), 0);
}

TEST(SfcDataTest, UpdateKeepsNewestValuesAndNeverFillsFromMissing)
{
  SfcData old = at(11, 50);
  old.type = SfcData::METAR;
  old.temp = 10, old.dewp = 5, old.wspd = 12, old.alt = 29.92f, old.vis = 10;
  old.prec[SfcData::PREC1] = 1, old.prec[SfcData::PREC6] = 4;
  old.setWeather("!-RA");
  old.setCldCover(0, 'B'), old.setCldHeight(0, 3000);
  old.setCldCover(1, 'O'), old.setCldHeight(1, 8000);
  old.setComment("AO2");

  SfcData newer;
  newer.type = SfcData::NIL;
  newer.temp = 11;  // dew point missing in the newer report
  newer.prec[SfcData::PREC1] = 2;
  newer.setWeather(" ");
  newer.setCldCover(0, 'F'), newer.setCldHeight(0, 1500);

  SfcData merged = old;
  merged.update(newer, SfcData::ALL);
  EXPECT_EQ(merged.type, SfcData::METAR);  // a type of 0 is not taken
  EXPECT_EQ(merged.temp, 11);
  EXPECT_EQ(merged.dewp, 5);
  EXPECT_STREQ(merged.wx, "!-RA");            // a weather beginning with a blank is not taken
  EXPECT_EQ(merged.prec[SfcData::PREC1], 1);  // the hourly amount is never merged
  EXPECT_EQ(merged.prec[SfcData::PREC6], 4);  // kept: the newer report is not a full one
  EXPECT_EQ(merged.ncld, 1);
  EXPECT_EQ(merged.getCldHeight(0), 1500);
  EXPECT_STREQ(merged.comment, "AO2");

  // A full report (here: one with a maximum) that lacks the 6-hour amount deletes it.
  SfcData full;
  full.maxt = 14;
  full.prec[SfcData::PREC3] = 1.5f;
  merged.update(full, SfcData::ALL);
  EXPECT_EQ(merged.prec[SfcData::PREC6], MISS);
  EXPECT_EQ(merged.prec[SfcData::PREC3], 1.5f);
  EXPECT_EQ(merged.maxt, 14);

  // Only the groups named in the mask are touched.
  SfcData partial = old;
  partial.update(full, SfcData::TEMP);
  partial.update(newer, SfcData::TEMP);
  EXPECT_EQ(partial.temp, 11);
  EXPECT_EQ(partial.maxt, MISS);
  EXPECT_EQ(partial.prec[SfcData::PREC6], 4);
  EXPECT_EQ(partial.ncld, 2);
}

TEST(SfcDataTest, CompareNamesTheGroupsThatDiffer)
{
  SfcData a = at(12, 0), b = at(12, 0);
  EXPECT_EQ(SfcData::compare(a, b), 0);
  b.dewp = 3;
  b.setWeather("!BR");
  b.prec[SfcData::PREC24] = 2;
  b.setCldType(1, '4');
  EXPECT_EQ(SfcData::compare(a, b), SfcData::TEMP | SfcData::WX | SfcData::PREC | SfcData::CTYP);
  b = at(12, 5);
  EXPECT_EQ(SfcData::compare(a, b), SfcData::TIME);
}

}  // namespace
