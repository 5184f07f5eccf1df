// Grids: values and interpolation, row order, description, units in the info text, statistics,
// and selecting grids from a list by key.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/Grid.h"
#include "grid/GridTool.h"
#include "grid/Grids.h"

using KOL::Const;
using KOL::Grid;

namespace {

constexpr float M = Const::FMISS;

// A 4 x 3 grid whose value at (i, j) is 10 j + i.
Grid ramp()
{
  Grid g(4, 3);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 4; ++i) g.setValue(i, j, 10.0f * j + i);
  return g;
}

TEST(Grid, InterpolatesBetweenPointsAndRefusesOutside)
{
  Grid g = ramp();
  struct {
    float x, y, value;
  } cases[] = {
      {0, 0, 0},     {1.5f, 0, 1.5f}, {0, 1.5f, 15},    {1.5f, 1.5f, 16.5f},
      {3, 2, 23},    {3, 0.5f, 8},    {2.5f, 2, 22.5f}, {-0.01f, 0, M},
      {3.01f, 0, M}, {0, 2.01f, M},   {M, 1, M},
  };
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(g.getValue(KOL::GridPoint(c.x, c.y)), c.value) << c.x << "," << c.y;
  }
  // Next to a missing value the result is missing; farther away it is not.
  g.setValue(2, 1, M);
  EXPECT_EQ(g.getValue(KOL::GridPoint(1.5f, 0.5f)), M);
  EXPECT_EQ(g.getValue(KOL::GridPoint(2.0f, 0.0f)), M);  // corner weight 0, still missing
  EXPECT_FLOAT_EQ(g.getValue(KOL::GridPoint(0.5f, 0.5f)), 5.5f);
  EXPECT_EQ(g.getValue(3, 2), 23.0f);
  EXPECT_EQ(g.getValue(4, 0), M);
  EXPECT_EQ(g.setValue(-1, 0, 1.0f), 0);

  // A value grid answers its value everywhere.
  Grid one(1, 1);
  one.setValue(0, 0, 7.5f);
  EXPECT_TRUE(one.isValue());
  EXPECT_EQ(one.getValue(99, -3), 7.5f);
  EXPECT_EQ(one.getValue(KOL::GridPoint(50, 50)), 7.5f);
  EXPECT_EQ(one.getValue(KOL::EarthPoint(10, 10)), 7.5f);

  Grid empty;
  EXPECT_EQ(empty.getValue(0, 0), M);
  EXPECT_EQ(empty.allocData(), 0);
  EXPECT_EQ(empty.getValid(), Const::MISS);
}

TEST(Grid, SetsDataWithAndWithoutFlippingRows)
{
  const std::vector<float> src = {1, 2, 3, 4, 5, 6};  // three rows of two
  Grid g;
  g.setSize(2, 3);
  ASSERT_EQ(g.setData(src, 0), 1);
  EXPECT_EQ(g.getValue(0, 0), 1);
  EXPECT_EQ(g.getValue(1, 2), 6);
  ASSERT_EQ(g.setData(src, 1), 1);
  EXPECT_EQ(g.getValue(0, 0), 5);
  EXPECT_EQ(g.getValue(1, 0), 6);
  EXPECT_EQ(g.getValue(0, 2), 1);
  EXPECT_EQ(g.setData(std::vector<float>{1, 2}, 0), 0);  // too short
  // Changing the size drops the values; keeping it keeps them.
  g.setSize(2, 3);
  EXPECT_TRUE(g.isData());
  g.setSize(3, 3);
  EXPECT_FALSE(g.isData());
}

TEST(Grid, KeepsItsDescriptionAndUnitsInTheInfoText)
{
  KOLTest::DatabaseScope database;
  Grid g = ramp();
  g.setDate(KOL::Date("2024-01-15T12:00:00"));
  g.setForeTime("h12");
  g.setLevel("500");
  g.setVar("hght");
  g.setModel(7);
  g.setGridNum(211);
  EXPECT_EQ(g.getLevelType(), 100);
  EXPECT_FLOAT_EQ(g.getForeHours(), 12);
  EXPECT_EQ(g.getInitDate().getSeconds(), g.getDate().getSeconds() - 43200);
  KOL::GridSpec key = g.getSpec();
  EXPECT_EQ(key.getModel(), 7);
  EXPECT_EQ(key.getGrid(), 211);
  EXPECT_EQ(key.getForeTime(), 12);
  EXPECT_EQ(key.getLevelCode(), 500);
  EXPECT_EQ(key.getVar(), 7);

  struct {
    const char* info;
    const char* units;
    const char* result;
  } cases[] = {
      {"Height [m]", "dam", "Height [dam]"},
      {"Height (m) at 500", "ft", "Height [ft]"},
      {"Height", "m", "Height [m]"},
      {"", "m", "[m]"},
  };
  for (const auto& c : cases) {
    g.setInfo(c.info);
    ASSERT_EQ(g.setUnits(c.units), 1);
    EXPECT_STREQ(g.getInfo(), c.result);
    EXPECT_STREQ(g.getUnits(), c.units);
  }
  EXPECT_EQ(g.setUnits(""), 0);
  g.setInfo(std::string(200, 'x').c_str());
  g.setUnits("m");
  EXPECT_EQ(std::string(g.getInfo()).size(), static_cast<size_t>(Grid::INFO_SIZE - 1));

  // Copies are deep.
  Grid copy(g);
  copy.setValue(0, 0, 99);
  EXPECT_EQ(g.getValue(0, 0), 0);
  Grid info;
  info.copyInfo(g);
  EXPECT_FALSE(info.isData());
  EXPECT_STREQ(info.getVar().getAbbr(), "hght");
}

TEST(Grid, SummarisesValidValues)
{
  Grid g = ramp();
  g.setValue(0, 0, M);
  g.setValue(3, 2, M);
  float min, max;
  ASSERT_EQ(g.getRange(min, max), 1);
  EXPECT_EQ(min, 1);
  EXPECT_EQ(max, 22);
  EXPECT_EQ(g.getValid(), 10);
  EXPECT_FLOAT_EQ(g.getAverage(), 115.0f / 10);
  g.scale(2);
  g.offset(1);
  EXPECT_EQ(g.getValue(1, 0), 3);
  EXPECT_EQ(g.getValue(0, 0), M);
  KOL::String line;
  KOL::GridTool::summary(g, line);
  EXPECT_NE(std::string(line.get()).find("4 x 3 3 45"), std::string::npos) << line.get();

  Grid allMissing(2, 2);
  ASSERT_EQ(allMissing.getRange(min, max), 1);
  EXPECT_EQ(min, M);
  EXPECT_EQ(allMissing.getAverage(), M);
}

TEST(Grid, FindsValuesAtEarthPointsThroughItsDomain)
{
  Grid g;
  g.setDomain(KOLTest::makeDomain(2, M, M, 40, -100, 21, 11, 1.0f));  // 90-110 W, 35-45 N
  g.allocData();
  for (int j = 0; j < 11; ++j)
    for (int i = 0; i < 21; ++i) g.setValue(i, j, 45.0f - j + 0.001f * i);
  EXPECT_NEAR(g.getValue(KOL::EarthPoint(40.5f, -100)), 40.5f + 0.01f, 1e-4);
  EXPECT_NEAR(g.getValue(KOL::EarthPoint(45, -110)), 45, 1e-4);
  EXPECT_EQ(g.getValue(KOL::EarthPoint(50, -100)), M);
  KOL::GridPoint gp;
  ASSERT_EQ(g.tran(KOL::EarthPoint(35, -90), gp), 1);
  EXPECT_NEAR(gp.x, 20, 1e-4);
  EXPECT_NEAR(gp.y, 10, 1e-4);
}

TEST(Grid, ListsSelectGridsByKey)
{
  KOLTest::DatabaseScope database;
  KOL::Grids list(3);
  EXPECT_EQ(list.addSpec("h12:500:hght"), 0);
  EXPECT_EQ(list.addSpec("h12:850:temp"), 1);
  EXPECT_EQ(list.addSpec("temp"), 2);
  EXPECT_EQ(list.addSpec("rhum"), -1);  // full

  Grid t = ramp();
  t.setForeTime("h12");
  t.setLevel("850");
  t.setVar("temp");
  EXPECT_EQ(list.equal(t.getSpec()), 1);
  t.setLevel("700");
  EXPECT_EQ(list.equal(t.getSpec()), 2);  // the unqualified request takes any level
  t.setVar("dewp");
  EXPECT_EQ(list.equal(t.getSpec()), -1);

  ASSERT_EQ(list.setGrid(1, t), 1);
  EXPECT_TRUE(list.isSet(1));
  EXPECT_FALSE(list.isSet(0));
  EXPECT_EQ(list.getNumSet(), 1);
  EXPECT_EQ(list.getValue(1, 2, 1), 12);
  EXPECT_EQ(list.getValue(0, 2, 1), M);
  Grid back;
  EXPECT_EQ(list.getGrid(1, back), 1);
  EXPECT_STREQ(back.getVar().getAbbr(), "dewp");
  EXPECT_EQ(list.getGrid(7, back), 0);

  list.resize(5);
  EXPECT_EQ(list.getNum(), 3);
  EXPECT_TRUE(list.isSet(1));
  EXPECT_EQ(list.add(t), 3);
  list.setSize(2);
  EXPECT_EQ(list.getNum(), 0);
  EXPECT_FALSE(list.isSet(1));

  Grid five;
  ASSERT_EQ(KOL::GridTool::valueGrid(five, "#273.15"), 1);
  EXPECT_TRUE(five.isValue());
  EXPECT_FLOAT_EQ(five.getValue(3, 3), 273.15f);
  EXPECT_EQ(KOL::GridTool::valueGrid(five, "#x"), 0);
}

TEST(Grid, UpdateSpecCompletesKeysFromTheLayer)
{
  KOLTest::DatabaseScope database;
  KOL::GridSpec key("hght");
  KOL::GridTool::updateSpec(key, KOL::ForeTime("h24"), KOL::Level("500"), "hght");
  EXPECT_EQ(key.getForeTime(), 24);
  EXPECT_EQ(key.getLevelType(), 100);
  EXPECT_EQ(key.getLevelCode(), 500);
  EXPECT_EQ(key.getVar(1), 2000007);
  EXPECT_EQ(key.getVar(2), 3005);

  // Set fields stay; a relative forecast time is resolved against the layer's.
  KOL::GridSpec set("h6:850:temp");
  KOL::GridTool::updateSpec(set, KOL::ForeTime("h24"), KOL::Level("500"), "temp");
  EXPECT_EQ(set.getForeTime(), 6);
  EXPECT_EQ(set.getLevelCode(), 850);
  KOL::GridSpec rel("temp");
  rel.setForeTime(KOL::ForeTime("time-6-6acc").toCode());
  KOL::GridTool::updateSpec(rel, KOL::ForeTime("h24"), KOL::Level(), "temp");
  EXPECT_EQ(rel.getForeTime(), KOL::ForeTime("30hr-6acc").toCode());
}

}  // namespace
