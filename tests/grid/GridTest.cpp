// Grids: values, interpolation, row order, description, statistics, lists by key.
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

using namespace KOL;

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

TEST(Grid, ValuesInterpolationAndRowOrder)
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
    EXPECT_FLOAT_EQ(g.getValue(GridPoint(c.x, c.y)), c.value) << c.x << "," << c.y;
  }
  // Next to a missing value the result is missing; farther away it is not.
  g.setValue(2, 1, M);
  EXPECT_EQ(g.getValue(GridPoint(1.5f, 0.5f)), M);
  EXPECT_EQ(g.getValue(GridPoint(2.0f, 0.0f)), M);  // corner weight 0, still missing
  EXPECT_FLOAT_EQ(g.getValue(GridPoint(0.5f, 0.5f)), 5.5f);
  EXPECT_TRUE(g.getValue(3, 2) == 23 && g.getValue(4, 0) == M && !g.setValue(-1, 0, 1.0f));
  // A value grid answers its value everywhere.
  Grid one(1, 1);
  one.setValue(0, 0, 7.5f);
  EXPECT_TRUE(one.getValue(99, -3) == 7.5f && one.getValue(GridPoint(50, 50)) == 7.5f &&
              one.getValue(EarthPoint(10, 10)) == 7.5f);
  Grid empty;
  EXPECT_TRUE(empty.getValue(0, 0) == M && !empty.allocData() && empty.getValid() == Const::MISS);

  const std::vector<float> src = {1, 2, 3, 4, 5, 6};  // three rows of two
  Grid rows;
  rows.setSize(2, 3);
  ASSERT_EQ(rows.setData(src, 0), 1);
  EXPECT_EQ(std::vector<float>(rows.getData(), rows.getData() + 6), src);
  ASSERT_EQ(rows.setData(src, 1), 1);
  EXPECT_EQ(std::vector<float>(rows.getData(), rows.getData() + 6),
            std::vector<float>({5, 6, 3, 4, 1, 2}));
  EXPECT_EQ(rows.setData(std::vector<float>{1, 2}, 0), 0);  // too short
  rows.setSize(2, 3);  // the same size keeps the values, another drops them
  EXPECT_TRUE(rows.isData());
  rows.setSize(3, 3);
  EXPECT_FALSE(rows.isData());
}

TEST(Grid, DescriptionUnitsAndStatistics)
{
  KOLTest::DatabaseScope database;
  Grid g = ramp();
  g.setDate(Date("2024-01-15T12:00:00"));
  g.setForeTime("h12");
  g.setLevel("500");
  g.setVar("hght");
  g.setModel(7);
  g.setGridNum(211);
  EXPECT_EQ(g.getInitDate().getSeconds(), g.getDate().getSeconds() - 43200);
  const GridSpec key = g.getSpec();
  EXPECT_TRUE(key.getModel() == 7 && key.getGrid() == 211 && key.getForeTime() == 12);
  EXPECT_TRUE(key.getLevelCode() == 500 && key.getVar() == 7);
  struct {
    const char* info;
    const char* units;
    const char* result;
  } cases[] = {{"Height [m]", "dam", "Height [dam]"},
               {"Height (m) at 500", "ft", "Height [ft]"},
               {"Height", "m", "Height [m]"},
               {"", "m", "[m]"}};
  for (const auto& c : cases) {
    g.setInfo(c.info);
    ASSERT_EQ(g.setUnits(c.units), 1);
    EXPECT_EQ(std::string(g.getInfo()) + "|" + g.getUnits(), std::string(c.result) + "|" + c.units);
  }
  EXPECT_EQ(g.setUnits(""), 0);
  g.setInfo(std::string(200, 'x').c_str());
  g.setUnits("m");
  EXPECT_EQ(std::string(g.getInfo()).size(), static_cast<size_t>(Grid::INFO_SIZE - 1));
  Grid info;
  info.copyInfo(g);
  EXPECT_TRUE(!info.isData() && std::string(info.getVar().getAbbr()) == "hght");

  Grid r = ramp();
  r.setValue(0, 0, M);
  r.setValue(3, 2, M);
  float min, max;
  ASSERT_EQ(r.getRange(min, max), 1);
  EXPECT_TRUE(min == 1 && max == 22 && r.getValid() == 10);
  EXPECT_FLOAT_EQ(r.getAverage(), 115.0f / 10);
  r.scale(2);
  r.offset(1);
  EXPECT_TRUE(r.getValue(1, 0) == 3 && r.getValue(0, 0) == M);
  String line;
  GridTool::summary(r, line);
  EXPECT_NE(std::string(line.get()).find("4 x 3 3 45"), std::string::npos) << line.get();
  Grid allMissing(2, 2);
  ASSERT_EQ(allMissing.getRange(min, max), 1);
  EXPECT_TRUE(min == M && allMissing.getAverage() == M);
}

TEST(Grid, ListsSelectGridsByKey)
{
  KOLTest::DatabaseScope database;
  Grids list(3);
  EXPECT_TRUE(list.addSpec("h12:500:hght") == 0 && list.addSpec("h12:850:temp") == 1);
  EXPECT_TRUE(list.addSpec("temp") == 2 && list.addSpec("rhum") == -1);  // then full
  Grid t = ramp();
  t.setForeTime("h12");
  t.setLevel("850");
  t.setVar("temp");
  EXPECT_EQ(list.equal(t.getSpec()), 1);
  t.setLevel("700");
  EXPECT_EQ(list.equal(t.getSpec()), 2);  // the unqualified request takes any level
  t.setVar("dewp");
  EXPECT_EQ(list.equal(t.getSpec()), -1);
  EXPECT_TRUE(list.setGrid(1, t) && list.isSet(1) && !list.isSet(0) && list.getNumSet() == 1);
  EXPECT_TRUE(list.getValue(1, 2, 1) == 12 && list.getValue(0, 2, 1) == M);
  Grid back;
  EXPECT_TRUE(list.getGrid(1, back) && std::string(back.getVar().getAbbr()) == "dewp");
  EXPECT_EQ(list.getGrid(7, back), 0);
  list.resize(5);  // keeps the grids
  EXPECT_TRUE(list.isSet(1));
  EXPECT_EQ(list.add(t), 3);
  list.setSize(2);  // drops them
  EXPECT_FALSE(list.isSet(1));
  Grid five;
  ASSERT_EQ(GridTool::valueGrid(five, "#273.15"), 1);
  EXPECT_TRUE(five.isValue() && five.getValue(3, 3) == 273.15f);
  EXPECT_EQ(GridTool::valueGrid(five, "#x"), 0);
}

TEST(Grid, UpdateSpecCompletesKeysFromTheLayer)
{
  KOLTest::DatabaseScope database;
  GridSpec key("hght");
  GridTool::updateSpec(key, ForeTime("h24"), Level("500"), "hght");
  EXPECT_TRUE(key.getForeTime() == 24 && key.getLevelType() == 100 && key.getLevelCode() == 500);
  EXPECT_TRUE(key.getVar(1) == 2000007 && key.getVar(2) == 3005);
  // Set fields stay; a relative forecast time is resolved against the layer's.
  GridSpec set("h6:850:temp");
  GridTool::updateSpec(set, ForeTime("h24"), Level("500"), "temp");
  EXPECT_TRUE(set.getForeTime() == 6 && set.getLevelCode() == 850);
  GridSpec rel("temp");
  rel.setForeTime(ForeTime("time-6-6acc").toCode());
  GridTool::updateSpec(rel, ForeTime("h24"), Level(), "temp");
  EXPECT_EQ(rel.getForeTime(), ForeTime("30hr-6acc").toCode());
}

}  // namespace
