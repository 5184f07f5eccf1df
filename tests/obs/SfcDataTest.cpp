#include "obs/SfcData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/String.h"

using KOL::SfcData;
using KOL::String;

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

TEST(SfcDataTest, LayerIndicesAreBounded)
{
  SfcData s;
  EXPECT_EQ(s.setCldHeight(2, 3000), 1);
  EXPECT_EQ(s.ncld, 3);  // setting layer i makes i + 1 layers
  EXPECT_EQ(s.setCldCover(0, 'F'), 1);
  EXPECT_EQ(s.ncld, 3);
  EXPECT_EQ(s.setCldHeight(5, 100), 0);
  EXPECT_EQ(s.setCldCover(-1, 'B'), 0);
  EXPECT_EQ(s.getCldHeight(5), MISS);
  EXPECT_EQ(s.getCldCover(-1), ' ');
  EXPECT_EQ(s.setCldType(3, '5'), 0);
  EXPECT_EQ(s.setCldType(2, '5'), 1);
  EXPECT_EQ(s.getCldType(2), '5');
  EXPECT_EQ(s.getCldType(3), ' ');
  EXPECT_EQ(s.ncld, 3);
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
  EXPECT_EQ(s.temp, 20);
  EXPECT_EQ(s.dewp, 20);  // never above the temperature
  EXPECT_EQ(s.slp, 1013);
  EXPECT_EQ(s.alt, MISS);
  EXPECT_EQ(s.wdir, MISS);
  EXPECT_EQ(s.wspd, MISS);
  EXPECT_EQ(s.gust, 149);
  EXPECT_EQ(s.vis, 10);
  EXPECT_EQ(s.ptend_type, KOL::Const::MISS);
  EXPECT_EQ(s.ptend, MISS);
  EXPECT_EQ(s.prec[SfcData::PREC3], MISS);
  EXPECT_EQ(s.prec[SfcData::PREC6], 399);
  EXPECT_EQ(s.prec[SfcData::PREC12], MISS);
  EXPECT_EQ(s.prec[SfcData::PREC24], 499);
  EXPECT_EQ(s.maxt6, MISS);
  EXPECT_EQ(s.snow, 20);
  EXPECT_EQ(s.wave_per, MISS);
  EXPECT_EQ(s.wave_hgt, 19);
  EXPECT_EQ(s.getCldHeight(0), 1200);
  EXPECT_EQ(s.getCldHeight(1), MISS);
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
  EXPECT_EQ(merged.wspd, 12);
  EXPECT_EQ(merged.gust, MISS);
  EXPECT_FLOAT_EQ(merged.alt, 29.92f);
  EXPECT_STREQ(merged.wx, "!-RA");            // a weather beginning with a blank is not taken
  EXPECT_EQ(merged.prec[SfcData::PREC1], 1);  // the hourly amount is never merged
  EXPECT_EQ(merged.prec[SfcData::PREC6], 4);  // kept: the newer report is not a full one
  EXPECT_EQ(merged.ncld, 1);
  EXPECT_EQ(merged.getCldCover(0), 'F');
  EXPECT_EQ(merged.getCldHeight(0), 1500);
  EXPECT_STREQ(merged.comment, "AO2");
  EXPECT_EQ(merged.maxt, MISS);
  EXPECT_EQ(merged.snow, MISS);

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

TEST(SfcDataTest, OneLineSummaryKeepsItsColumns)
{
  SfcData s = at(18, 51);
  s.setId("KORD");
  s.temp = 12.2f, s.dewp = 8.3f, s.wdir = 270, s.wspd = 15, s.gust = 25;
  s.alt = 29.92f, s.slp = 1013.2f, s.vis = 0.5f;
  s.setWeather("!-RA_BR");
  s.setCldCover(0, 'F'), s.setCldHeight(0, 2000);
  s.setCldCover(1, 'B'), s.setCldHeight(1, 3500);
  s.prec[SfcData::PREC6] = 3.81f;
  String line;
  s.outString(line);
  std::string text = line.get();
  EXPECT_EQ(text.substr(0, 12), "KORD   1851 ");
  EXPECT_NE(text.find(" 12   8  77 270  15  25 992 132 0.5  35  BKN -RA_B "), std::string::npos)
      << text;
  // Missing values print as blanks of the same width.
  SfcData empty;
  String blank;
  empty.outString(blank);
  EXPECT_EQ(blank.length(), line.length());
  EXPECT_EQ(std::string(blank.get()).find_first_not_of(' '), std::string::npos);
  // Oktas of a single layer are shown as such.
  SfcData okta = withLayers({{'6', 1200}});
  String o;
  okta.outString(o);
  EXPECT_NE(std::string(o.get()).find("6/8 "), std::string::npos);
}

}  // namespace
