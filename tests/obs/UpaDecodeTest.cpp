// TEMP and PILOT parts decoded and merged: what the shared files lack, and bad input.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/TestData.h"
#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

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

// Merged levels as "height temperature direction speed": winds in m/s (YY 04), winds up to 700 hPa
// (Id 7), 925 hPa without groups, a level below ground, a superadiabatic level (dropped).
TEST(UpaDecodeTest, LevelsOfMergedParts)
{
  const char* const ms =
      "TTAA 04127 72403 99013 08642 30510 00195 10258 34010 92839 06869 01021 "
      "85530 06078 31519 70125 04079 28530 50579 10762 40746 23374=";
  const char* const no925 =
      "TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 85530 "
      "06078 31519 70125 04079 28530=";
  const char* const ground =
      "TTAA 56121 72440 99974 13249 16505 00165 ///// ///// 92829 17861 "
      "19010 85545 12458 27508=";
  const char* const superadiabatic = "TTBB 56128 72403 00013 08642 11900 10158 22850 06078=";
  const struct {
    const char* part;
    float pres;
    const char* level;
  } cases[] = {{ms, 700, "3125 4 285 58.32"},   {ms, 500, "5790 -10.7 - -"},
               {ms, 400, "7460 -23.3 - -"},     {no925, 850, "1530 6 315 19"},
               {ground, 1000, "165 - - -"},     {superadiabatic, 900, "none"},
               {superadiabatic, 850, "- 6 - -"}};
  for (const auto& c : cases) {
    UpaRawinData r = fresh();
    UpaTool::decode(c.part, r);
    UpaData d;
    UpaTool::merge(r, d);
    std::ostringstream got;
    const int i = d.findPres(c.pres);
    for (float v : {d.getHght(i), d.getTemp(i), d.getDir(i), d.getSpd(i)}) {
      if (got.tellp() > 0) got << " ";
      if (v == Const::FMISS)
        got << "-";
      else
        got << v;
    }
    EXPECT_EQ(i < 0 ? "none" : got.str(), c.level) << c.part << " at " << c.pres;
  }
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
      {"TTCC 56127 72403 70864 63375 26030 50072 59778 30396 52582=", 70, 30},
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

TEST(UpaDecodeTest, MergeOrdersAndFills)
{
  UpaRawinData r = fresh();
  UpaTool::decode(TTAA_72403, r);
  UpaTool::decode("TTBB 56128 72403 00013 08642 11004 10458 22963 08458 33935 06861=", r);
  UpaTool::decode("PPBB 56120 72403 90012 30503 34010 34510=", r);
  r.setElev(88);
  UpaData d;
  ASSERT_EQ(UpaTool::merge(r, d), 1);
  for (int i = 1; i < d.getNum(); ++i)
    EXPECT_FALSE(d.validPres(i) && d.validPres(i - 1) && d.getPres(i) >= d.getPres(i - 1)) << i;
  EXPECT_EQ(d.getSfc(), 0);
  EXPECT_FLOAT_EQ(d.getSfcHght(), 88);
  // 1000 hPa keeps its reported height; 1004 hPa lies between the surface and it.
  int p1004 = d.findPres(1004);
  ASSERT_GE(p1004, 0);
  EXPECT_GT(d.getHght(p1004), 88);
  EXPECT_LT(d.getHght(p1004), 195);
  EXPECT_FLOAT_EQ(d.getHght(d.findPres(1000)), 195);
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

TEST(UpaDecodeTest, BadInputKeepsWhatWasRead)
{
  struct Bad {
    const char* text;
    int result;
    int levels;  // mandatory levels kept
  };
  const Bad cases[] = {
      {"", 0, 0},
      {"TTAA 56121", 0, 0},
      {"TTAA 9912/ 72403 99013", 0, 0},
      {"XXAA 56121 72403 99013 08642 30503", 0, 0},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92", 1, 2},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 63123 10258 34010 85530", 1, 2},
      {"TTAA 56121 72403 99013 08642 30503 00195 99999 34010 92839", 1, 3},
      {"TTAA 56121 72403 99013 70000 30503", 1, 1},
      {"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 00195 10258 34010", 1, 2}};
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

// A part keeps the heading of its bulletin, however the file marks it.
TEST(UpaDecodeTest, PartsKeepTheirBulletinsHeading)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("p.txt"),
                     "** USUS01 KWBC 061200 ***\n TTAA 56121 72403 99013 08642=\n");
  KOL::UpaWmoFile f;
  ASSERT_EQ(f.open(dir.file("p.txt").c_str()), 1);
  KOL::UpaWmoData part;
  ASSERT_TRUE(f.read(part));
  EXPECT_STREQ(part.wmo, "USUS01 KWBC 061200");
}

}  // namespace
