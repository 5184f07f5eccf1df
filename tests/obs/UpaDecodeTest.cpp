// TEMP and PILOT parts decoded into a station's record and merged into a sounding: land, ship and
// mobile heads, the special levels, units, the settled quirks of real files and bad input.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"
#include "obs/VCoord.h"

namespace {

using KOL::Const;
using KOL::UpaData;
using KOL::UpaLevel;
using KOL::UpaRawinData;
using KOL::UpaTool;

const char* const TTAA_72403 =
    "TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 06869 01021 85530 06078 31519 "
    "70125 04079 28530 50579 10762 29035 40746 23374 28048 30950 38366 28054 25073 46766 27555 "
    "20218 54564 27558 15399 62367 27066 10646 67569 28050 88105 67767 27049 77159 26573 41314 "
    "31313 44108 81106=";
const char* const TTCC_72403 =
    "TTCC 56121 72403 70864 63375 26030 50072 59778 23019 30396 52582 29017 20659 51383 26509 "
    "10112 45987 26520 88999 77999 31313 44108 81106";

UpaRawinData fresh()
{
  UpaRawinData r;
  r.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  return r;
}

const UpaLevel& man(const UpaRawinData& r, float p)
{
  static UpaLevel none;
  int i = r.getManPr(p);
  return i >= 0 ? *r.getMan(i) : none;
}

TEST(UpaDecodeTest, PartCKeepsPartATropopauseAndMaximumWind)
{
  UpaRawinData r = fresh();
  UpaTool::decode(TTAA_72403, r);
  UpaTool::decode(TTCC_72403, r);
  EXPECT_FLOAT_EQ(r.getMan(r.getTrop())->pres, 105);
  EXPECT_FLOAT_EQ(r.getMan(r.getMaxWnd())->pres, 159);
  EXPECT_FLOAT_EQ(man(r, 70).hght, 18640);
  EXPECT_FLOAT_EQ(man(r, 10).hght, 31120);
  EXPECT_NEAR(man(r, 10).temp, -45.9, 1e-4);
}

TEST(UpaDecodeTest, WindUnitsAndIndicator)
{
  // YY 04: metres per second; Id 7: winds up to 700 hPa only.
  UpaRawinData r = fresh();
  UpaTool::decode(
      "TTAA 04127 72403 99013 08642 30510 00195 10258 34010 92839 06869 01021 "
      "85530 06078 31519 70125 04079 28530 50579 10762 40746 23374=",
      r);
  EXPECT_NEAR(man(r, 1000).spd, 19.44, 1e-3);
  EXPECT_NEAR(man(r, 700).spd, 58.32, 1e-3);
  EXPECT_EQ(man(r, 500).dir, Const::FMISS);
  EXPECT_NEAR(man(r, 400).temp, -23.3, 1e-4);
  EXPECT_EQ(r.getDate().getDay(), 4);
}

// Id names the last standard level with a wind group; "/" means none has one. A wrong reading
// takes the next level's pressure group for a wind and loses the levels after it.
TEST(UpaDecodeTest, IndicatorOfTheLastWindLevel)
{
  struct Case {
    const char* text;
    float last_wind;  // the lowest pressure with a wind
    float top;        // the last level decoded
  };
  const Case cases[] = {
      {"TTAA 5612/ 72403 99013 08642 30503 00195 10258 85530 06078 70125 04079 50579 10762=", 0,
       500},
      {"TTAA 56120 72403 99013 08642 30503 00195 10258 34010 85530 06078 70125 04079=", 1000, 700},
      {"TTAA 56129 72403 99013 08642 30503 00195 10258 34010 92839 06869 01021 85530 06078 "
       "70125 04079=",
       925, 700},
      {"TTCC 56127 72403 70864 63375 26030 50072 59778 30396 52582=", 70, 30},
      {"TTCC 56121 72403 70864 63375 26030 50072 59778 23019 10112 45987 26520=", 10, 10},
      {"TTCC 5612/ 72403 70864 63375 50072 59778 30396 52582=", 0, 30},
  };
  for (const Case& c : cases) {
    UpaRawinData r = fresh();
    ASSERT_EQ(UpaTool::decode(c.text, r), 1) << c.text;
    float lowest = 0;
    for (int i = 0; i < r.getNumMan(); ++i) {
      const UpaLevel& l = *r.getMan(i);
      if (l.type & UpaLevel::SURFACE) continue;
      EXPECT_TRUE(l.validTemp()) << c.text << " " << l.pres;
      if (l.validWind()) lowest = l.pres;
    }
    EXPECT_EQ(lowest, c.last_wind) << c.text;
    EXPECT_GE(r.getManPr(c.top), 0) << c.text;
  }
}

// DD 56 to 99 are whole degrees of depression plus 50: 99 is 49 C (a real 72403 part B).
TEST(UpaDecodeTest, DriestDewPointDepression)
{
  UpaRawinData r = fresh();
  UpaTool::decode(
      "TTBB 56128 72403 00013 08642 11830 06699 22819 08499 33806 094// 44775 "
      "09099=",
      r);
  ASSERT_EQ(r.getNumSig(), 5);
  EXPECT_NEAR(r.getSig(1)->dewp, 6.6 - 49, 1e-4);
  EXPECT_NEAR(r.getSig(2)->dewp, 8.4 - 49, 1e-4);
  EXPECT_NEAR(r.getSig(3)->temp, 9.4, 1e-4);
  EXPECT_EQ(r.getSig(3)->dewp, Const::FMISS);
  EXPECT_NEAR(r.getSig(4)->dewp, 9.0 - 49, 1e-4);
}

TEST(UpaDecodeTest, PressureGroupInPlaceOfTemperature)
{
  // 925 hPa without temperature and wind: the 85 group is the next level.
  UpaRawinData r = fresh();
  UpaTool::decode(
      "TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 85530 06078 "
      "31519 70125 04079 28530=",
      r);
  EXPECT_FLOAT_EQ(man(r, 925).hght, 839);
  EXPECT_EQ(man(r, 925).temp, Const::FMISS);
  EXPECT_FLOAT_EQ(man(r, 850).hght, 1530);
  EXPECT_NEAR(man(r, 850).temp, 6.0, 1e-4);
  EXPECT_FLOAT_EQ(man(r, 700).dir, 285);
}

TEST(UpaDecodeTest, SignificantLevelsStopAtSections)
{
  UpaRawinData r = fresh();
  UpaTool::decode(
      "TTBB 56128 72403 00013 08642 11004 10458 22963 08458 21212 00013 30503 "
      "11999 34510 31313 44108 81106 41414 00900=",
      r);
  EXPECT_EQ(r.getNumSig(), 3);
  EXPECT_FLOAT_EQ(r.getSig(1)->pres, 1004);
  // The 21212 section gives winds at pressures; the later sections are not levels.
  ASSERT_EQ(r.getNumWnd(), 2);
  EXPECT_FLOAT_EQ(r.getWnd(1)->pres, 999);
  EXPECT_FLOAT_EQ(r.getWnd(1)->dir, 345);
  UpaRawinData d = fresh();
  UpaTool::decode("TTDD 5612/ 72403 11974 67969 22941 66571 21212 11919 29041=", d);
  ASSERT_EQ(d.getNumSig(), 2);
  EXPECT_NEAR(d.getSig(0)->pres, 97.4, 1e-4);
  EXPECT_NEAR(d.getWnd(0)->pres, 91.9, 1e-4);
}

TEST(UpaDecodeTest, MergeOrdersAndFills)
{
  UpaRawinData r = fresh();
  UpaTool::decode(TTAA_72403, r);
  UpaTool::decode("TTBB 56128 72403 00013 08642 11004 10458 22963 08458 33935 06861=", r);
  UpaTool::decode("PPBB 56120 72403 90012 30503 34010 34510=", r);
  r.setElev(88);
  UpaData d;
  ASSERT_EQ(UpaTool::merge(r, d), 1);
  for (int i = 1; i < d.getNum(); ++i) {
    if (d.validPres(i) && d.validPres(i - 1)) {
      EXPECT_LT(d.getPres(i), d.getPres(i - 1));
    }
  }
  EXPECT_EQ(d.getSfc(), 0);
  EXPECT_FLOAT_EQ(d.getSfcHght(), 88);
  // 1000 hPa keeps its reported height; 1004 hPa lies between the surface and it.
  int p1004 = d.findPres(1004);
  ASSERT_GE(p1004, 0);
  EXPECT_GT(d.getHght(p1004), 88);
  EXPECT_LT(d.getHght(p1004), 195);
  EXPECT_FLOAT_EQ(d.getHght(d.findPres(1000)), 195);
  EXPECT_FLOAT_EQ(d.getTropPres(), 105);
  // PILOT heights of 1000 and 2000 ft get pressures between the right levels.
  int found = 0;
  for (int i = 0; i < d.getNum(); ++i)
    if (d.getType(i) == UpaLevel::WIND && d.validHght(i)) {
      ++found;
      EXPECT_GT(d.getPres(i), 900);
      EXPECT_LT(d.getPres(i), 1000);
    }
  EXPECT_EQ(found, 2);
}

TEST(UpaDecodeTest, Interpolation)
{
  UpaRawinData r = fresh();
  UpaTool::decode(TTAA_72403, r);
  UpaData d;
  UpaTool::merge(r, d);
  UpaLevel l;
  ASSERT_EQ(d.interp(KOL::VCoord::PRESSURE, 850, l), 1);
  EXPECT_FLOAT_EQ(l.hght, 1530);
  EXPECT_NEAR(l.temp, 6.0, 1e-4);
  ASSERT_EQ(d.interp(KOL::VCoord::PRESSURE, 600, l), 1);
  EXPECT_GT(l.hght, 3125);
  EXPECT_LT(l.hght, 5790);
  EXPECT_LT(l.temp, 4.0);
  EXPECT_GT(l.temp, -10.7);
  ASSERT_EQ(d.interp(KOL::VCoord::HEIGHT, 5790, l), 1);
  EXPECT_NEAR(l.pres, 500, 0.01);
  ASSERT_EQ(d.interp(KOL::VCoord::THETA, 300, l), 1);
  EXPECT_GT(l.pres, 500);
  EXPECT_EQ(d.interp(KOL::VCoord::PRESSURE, 5, l), 0);
  EXPECT_EQ(d.interp(KOL::VCoord::LCL, 5, l), -1);
  ASSERT_EQ(d.interp(KOL::VCoord::SURFACE, 0, l), 1);
  EXPECT_FLOAT_EQ(l.pres, 1013);
}

TEST(UpaDecodeTest, LevelsBelowGroundGetNoTemperature)
{
  UpaRawinData r = fresh();
  UpaTool::decode(
      "TTAA 56121 72440 99974 13249 16505 00165 ///// ///// 92829 17861 19010 "
      "85545 12458 27508=",
      r);
  UpaData d;
  UpaTool::merge(r, d);
  int p1000 = d.findPres(1000);
  ASSERT_GE(p1000, 0);
  EXPECT_FALSE(d.validTemp(p1000));
  EXPECT_FLOAT_EQ(d.getHght(p1000), 165);
}

TEST(UpaDecodeTest, BadInputKeepsWhatWasRead)
{
  struct Bad {
    const char* text;
    int result;
    int levels;  // mandatory levels kept
  };
  const Bad cases[] = {
      {"", 0, 0},
      {"TTAA", 0, 0},
      {"TTAA 56121", 0, 0},
      {"TTAA 9912/ 72403 99013", 0, 0},
      {"XXAA 56121 72403 99013 08642 30503", 0, 0},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92", 1, 2},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 63123 10258 34010 85530", 1, 2},
      {"TTAA 56121 72403 99013 08642 30503 00195 99999 34010 92839", 1, 3},
      {"TTAA 56121 72403 99013 70000 30503", 1, 1},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 00195 10258 34010", 1, 2},
  };
  for (const Bad& b : cases) {
    UpaRawinData r = fresh();
    EXPECT_EQ(UpaTool::decode(b.text, r), b.result) << b.text;
    EXPECT_EQ(r.getNumMan(), b.levels) << b.text;
  }
  // A temperature beyond -100..+60 C is dropped, the level kept.
  UpaRawinData r = fresh();
  UpaTool::decode("TTAA 56121 72403 99013 70000 30503 00195 10258 34010", r);
  EXPECT_EQ(r.getMan(r.getSfc())->temp, Const::FMISS);
  EXPECT_FLOAT_EQ(man(r, 1000).hght, 195);
  // Parts out of order merge into the same sounding.
  UpaRawinData a = fresh(), b = fresh();
  UpaTool::decode(TTCC_72403, a);
  UpaTool::decode(TTAA_72403, a);
  UpaTool::decode(TTAA_72403, b);
  UpaTool::decode(TTCC_72403, b);
  UpaData da, db;
  UpaTool::merge(a, da);
  UpaTool::merge(b, db);
  ASSERT_EQ(da.getNum(), db.getNum());
  for (int i = 0; i < da.getNum(); ++i) EXPECT_EQ(*da.getLevel(i), *db.getLevel(i));
}

TEST(UpaDecodeTest, SuperadiabaticLevelDropped)
{
  UpaRawinData r = fresh();
  UpaTool::decode("TTBB 56128 72403 00013 08642 11900 10158 22850 06078=", r);
  UpaData d;
  UpaTool::merge(r, d);
  EXPECT_EQ(d.findPres(900), -1);
  EXPECT_GE(d.findPres(850), 0);
}

// The quirks of the shared files: no "=", leading blanks, tabs, station numbers before part words,
// a line given twice.
TEST(UpaDecodeTest, CutterQuirks)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("parts.txt");
  KOLTest::writeFile(path,
                     "** USUS01 KWBC 061200 ***\n"
                     " TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 06869\n"
                     "01021 85530 06078 31519 70125 04079 28530\n"
                     "01021 85530 06078 31519 70125 04079 28530\n"
                     "72403\tTTBB 56128 72403 00013 08642 11004 10458\n"
                     "TTCC 56121 72403 70864 63375 26030= PPBB 56120 72403 90012 30503 34010=\n"
                     "garbage line\n");
  KOL::UpaWmoFile f;
  f.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  ASSERT_EQ(f.open(path.c_str()), 1);
  KOL::UpaWmoData part;
  UpaRawinData r;
  int parts = 0;
  while (f.read(part)) {
    ++parts;
    EXPECT_STREQ(part.id, "72403");
    EXPECT_STREQ(part.wmo, "USUS01 KWBC 061200");
    EXPECT_EQ(part.date.getDay(), 6);
    UpaTool::decode(part, r);
  }
  EXPECT_EQ(parts, 4);
  // The surface wind of part A and the PILOT winds at 0 and 1000 ft.
  EXPECT_EQ(r.getNumWnd(), 3);
  EXPECT_EQ(r.getNumMan(), 6);
  EXPECT_NEAR(man(r, 700).temp, 4.0, 1e-4);
  EXPECT_EQ(r.getNumSig(), 2);
  EXPECT_FLOAT_EQ(man(r, 70).hght, 18640);
  EXPECT_EQ(UpaTool::partKey("TTAA 56121 72403 99013"), "72403 0612");
  EXPECT_EQ(UpaTool::partKey("TTAA"), "");
}

}  // namespace
