// Soundings and records as plain data: level bookkeeping, the order of records and the
// calculations that fill heights, pressures and winds.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "obs/Calc.h"
#include "obs/UpaData.h"
#include "obs/UpaLevel.h"
#include "obs/UpaRawinData.h"

namespace {

using KOL::Const;
using KOL::UpaData;
using KOL::UpaLevel;
using KOL::UpaRawinData;

UpaLevel level(float p, float h, float t, float dir = Const::FMISS, float spd = Const::FMISS)
{
  return UpaLevel(p, h, t, Const::FMISS, dir, spd);
}

TEST(UpaDataTest, MandatoryIndexes)
{
  for (auto [p, i] : {std::pair{1000.f, 0}, {925.f, 1}, {70.f, 11}, {1.f, 20}, {950.f, -1}})
    EXPECT_EQ(UpaLevel::getMandatoryIndex(p), i) << p;
  EXPECT_EQ(UpaLevel::getMandatoryPres(21), Const::FMISS);
  // Update fills what is missing and keeps the rest.
  UpaLevel a = level(850, Const::FMISS, 5), b = level(850, 1500, 9, 270, 20);
  b.type = UpaLevel::SIGNIFICANT;
  a.update(b);
  UpaLevel filled(850, 1500, 5, Const::FMISS, 270, 20);
  filled.type = UpaLevel::SIGNIFICANT;
  EXPECT_EQ(a, filled);
}

TEST(UpaDataTest, LevelBookkeeping)
{
  UpaData d;
  EXPECT_EQ(d.addLevel(level(500, 5600, -20)), 0);
  EXPECT_EQ(d.addLevel(level(850, 1500, 5)), 1);
  d.setType(1, UpaLevel::SURFACE);
  EXPECT_EQ(d.getSfc(), 1);
  EXPECT_NEAR(d.getTempK(1), 278.15, 1e-3);
  EXPECT_EQ(d.setTemp(7, 1), 0);
  d.sortPres();
  EXPECT_TRUE(d.isSfc(0));  // the surface follows its level
  d.addLevel(level(Const::FMISS, 300, Const::FMISS));
  d.sortHeight();
  EXPECT_FLOAT_EQ(d.getHght(0), 300);
  EXPECT_EQ(d.delLevel(d.getSfc()), 1);  // deleting the surface level forgets it
  EXPECT_EQ(d.getSfc(), -1);
}

TEST(UpaDataTest, RecordSortKeepsSpecialLevels)
{
  UpaRawinData r;
  r.addMan(level(250, 10400, -50));
  r.setTrop(r.addMan(level(180, Const::FMISS, -55)));
  r.setSfc(r.addMan(level(1013, 10, 15)));
  r.addMan(level(850, 1500, 5));
  r.addSig(level(300, Const::FMISS, -40));
  r.addSig(level(900, Const::FMISS, 10));
  UpaLevel w;
  w.hght = 3000;
  r.addWnd(w);
  w.hght = 0;
  r.addWnd(w);
  r.sort();
  EXPECT_EQ(r.getSfc(), 0);
  EXPECT_FLOAT_EQ(r.getMan(r.getTrop())->pres, 180);
  EXPECT_FLOAT_EQ(r.getSig(0)->pres, 900);
  EXPECT_FLOAT_EQ(r.getWnd(0)->hght, 0);
  EXPECT_EQ(r.getWndHt(3000), 1);
  // Lists refuse more than they hold.
  UpaRawinData full;
  for (int i = 0; i < UpaRawinData::MAX_MAN; ++i) EXPECT_GE(full.addMan(level(1000 - i, 0, 0)), 0);
  EXPECT_EQ(full.addMan(level(10, 0, 0)), -1);
  EXPECT_EQ(full.getMan(UpaRawinData::MAX_MAN), nullptr);
}

TEST(UpaDataTest, HeightsFromTheHypsometricRelation)
{
  UpaData d;
  d.addLevel(level(1000, 100, 15));
  d.addLevel(level(900, Const::FMISS, 10));
  d.addLevel(level(850, Const::FMISS, 5));
  EXPECT_EQ(d.calcHeight(), 2);
  float t = (288.15f + 283.15f) / 2;
  EXPECT_NEAR(d.getHght(1), 100 + Const::R * t / Const::G * std::log(1000.0f / 900), 0.1);
  // A computed run that ends at a reported height is fitted to it.
  UpaData e;
  e.addLevel(level(1000, 100, 15));
  e.addLevel(level(925, Const::FMISS, 10));
  e.addLevel(level(850, 1600, 5));
  e.calcHeight();
  EXPECT_FLOAT_EQ(e.getHght(2), 1600);
  EXPECT_GT(e.getHght(1), 100);
  EXPECT_LT(e.getHght(1), 1600);
  // Without temperatures the standard atmosphere at the layer's mean pressure stands in.
  UpaData s;
  s.addLevel(level(1013.25f, 0, Const::FMISS));
  s.addLevel(level(500, Const::FMISS, Const::FMISS));
  s.calcHeight();
  float ts = 288.15f * std::pow((1013.25f + 500) / 2 / 1013.25f, 0.190263f);
  EXPECT_NEAR(s.getHght(1), Const::R * ts / Const::G * std::log(1013.25f / 500), 0.5);
  UpaData none;
  none.addLevel(level(500, Const::FMISS, 0));
  EXPECT_EQ(none.calcHeight(), 0);
}

TEST(UpaDataTest, PressuresFromHeights)
{
  UpaData d;
  d.addLevel(level(1000, 100, 15));
  d.addLevel(level(Const::FMISS, 1100, Const::FMISS));
  EXPECT_EQ(d.calcPres(), 1);
  EXPECT_NEAR(d.getPres(1), 1000 * std::exp(-Const::G * 1000 / (Const::R * 288.15f)), 0.01);
}

TEST(UpaDataTest, WindsAndTemperaturesBetweenLevels)
{
  UpaData d;
  d.addLevel(level(1000, 100, 10, 350, 20));
  d.addLevel(level(900, 1000, Const::FMISS));
  d.addLevel(level(800, 2000, 0, 10, 20));
  EXPECT_EQ(d.interpWinds(), 1);
  // Through north, not through south.
  EXPECT_TRUE(d.getDir(1) > 355 || d.getDir(1) < 5) << d.getDir(1);
  EXPECT_NEAR(d.getSpd(1), 19.7, 0.3);
  EXPECT_EQ(d.interpTemps(), 1);
  EXPECT_NEAR(d.getTemp(1), KOL::Calc::interpTemp(10, 0, 1000, 800, 900), 0.01);
}

}  // namespace
