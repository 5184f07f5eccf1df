// The variable-list pipeline on lists a user writes: which entries get grid slots and which of
// them the layer must read, constant grids from "#number", the functions evaluated deepest first
// on the grids read, vector functions and vector entries, and the automatic map decision.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/GridSpec.h"
#include "layers/VarList.h"
#include "layers/varplot/VarPlot.h"

using KOL::Const;
using KOL::Grid;
using KOL::Grids;
using KOL::VarList;
using KOL::VarPlot;

namespace {

// A layer whose data are fields of one value per variable (or, with ramp, increasing to the
// east by 1 per grid point), counting how often it is asked to read.
class FakeSource : public KOL::VarPlotSource {
 public:
  explicit FakeSource(bool grid = true) : grid_(grid) {}
  bool gridded() const override { return grid_; }
  void dataSpec(const VarList& list, int i, KOL::GridSpec& spec) override
  {
    spec.set(*list.getSpec(i));
  }
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override
  {
    ++reads;
    asked = entries;
    int filled = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
      const std::string name = list.getName(entries[k]);
      if (!values.count(name)) continue;
      Grid g;
      g.setDomain(KOLTest::lambert(5, 4, 0.4f));
      g.allocData();
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 5; ++i) g.setValue(i, j, values[name] + (ramp.count(name) ? i : 0));
      g.setVar(name.c_str());
      grids.setGrid(static_cast<int>(k), g);
      ++filled;
    }
    return filled;
  }

  std::map<std::string, float> values;
  std::map<std::string, bool> ramp;
  int reads = 0;
  std::vector<int> asked;

 private:
  bool grid_;
};

VarList decoded(const char* text)
{
  VarList list;
  EXPECT_EQ(list.decode(text), 1) << text;
  return list;
}

// The list's slots given, its data read and its functions evaluated; the number of functions.
int evaluated(VarPlot& p, VarList& list, FakeSource& src)
{
  p.assignSlots(list, src);
  p.readData(list, src);
  return p.evaluate(list);
}

std::vector<int> indices(const VarList& list)
{
  std::vector<int> out;
  for (int i = 0; i < list.getNum(); ++i) out.push_back(list.getDataIndex(i));
  return out;
}

struct SlotCase {
  const char* list;
  bool gridded;
  std::vector<int> indices;      // data index of every entry in order
  std::vector<int> dataEntries;  // the entries the layer reads
  int slots;
};

class VarPlotTest : public KOLTest::DatabaseTest {};

TEST_F(VarPlotTest, SlotsFollowTheListsEntries)
{
  const SlotCase cases[] = {
      // a plain field of a grid layer is contoured
      {"500:hght", true, {0}, {0}, 1},
      // a function, then its arguments; the constant is made, not read
      {"add(500:temp,#273.15)", true, {0, 1, 2}, {1}, 3},
      // nested: every function its own slot, arguments after their function
      {"sub(add(a,b),c)", true, {0, 1, 2, 3, 4}, {2, 3, 4}, 5},
      // a vector function takes two slots
      {"grad(500:hght)[,vect]", true, {0, 2}, {1}, 3},
      // a vector entry has its components' slots
      {"wnd<10m_ag:uwnd,10m_ag:vwnd>[kt,vect]", true, {0, 0, 1}, {1, 2}, 2},
      // groups hold slots only for their members
      {"{500:hght,500:temp}[,ln]", true, {-1, 0, 1}, {1, 2}, 2},
      // at the stations: only contour entries and function arguments are gridded
      {"temp,dewp,pmsl[,cf]", false, {-1, -1, 0}, {2}, 1},
      {"temp,add(dewp,#2)", false, {-1, 0, 1, 2}, {2}, 3},
      // maps and panels take none
      {"map[us.map],panel[2x1+0+0],500:hght", true, {-1, -1, 0}, {2}, 1},
  };
  for (const SlotCase& c : cases) {
    SCOPED_TRACE(c.list);
    VarList list = decoded(c.list);
    FakeSource src(c.gridded);
    VarPlot p;
    EXPECT_EQ(p.assignSlots(list, src), c.slots);
    EXPECT_EQ(indices(list), c.indices);
    EXPECT_EQ(p.getDataEntries(), c.dataEntries);
  }
}

TEST_F(VarPlotTest, ConstantArgumentIsAValueGrid)
{
  VarList list = decoded("sub(2m_ag:temp,#273.15)");
  FakeSource src;
  src.values["temp"] = 300.0f;
  VarPlot p;
  p.assignSlots(list, src);
  const Grid& constant = p.slotGrid(list.getDataIndex(2));
  ASSERT_TRUE(constant.isValue());
  EXPECT_FLOAT_EQ(constant.getValue(3, 2), 273.15f);
  p.readData(list, src);
  EXPECT_EQ(p.evaluate(list), 1);
  const Grid& result = p.slotGrid(list.getDataIndex(0));
  ASSERT_TRUE(result.isData());
  EXPECT_NEAR(result.getValue(2, 1), 26.85f, 1e-3);
}

TEST_F(VarPlotTest, FunctionOfTwoFieldsReadsBothInOnePass)
{
  VarList list = decoded("500:hght[m],sub(500:hght,700:hght)[m]");
  FakeSource src;
  src.values["hght"] = 5000.0f;
  VarPlot p;
  p.assignSlots(list, src);
  EXPECT_EQ(p.readData(list, src), 3);
  EXPECT_EQ(src.reads, 1);
  EXPECT_EQ(src.asked, (std::vector<int>{0, 2, 3}));
}

TEST_F(VarPlotTest, FunctionsAreEvaluatedDeepestFirst)
{
  // (a + b) - c with the inner sum needed before the difference
  VarList list = decoded("sub(add(a,b),c),mul(a,#2)");
  FakeSource src;
  src.values = {{"a", 10.0f}, {"b", 5.0f}, {"c", 1.0f}};
  VarPlot p;
  EXPECT_EQ(evaluated(p, list, src), 3);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(1)).getValue(1, 1), 15.0f);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(0)).getValue(1, 1), 14.0f);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(5)).getValue(4, 3), 20.0f);
}

TEST_F(VarPlotTest, VectorFunctionFillsTwoSlots)
{
  // a field rising by 1 per 40 km to the east: its gradient points east, nothing north
  VarList list = decoded("grad(h)[,vect]");
  FakeSource src;
  src.values["h"] = 0.0f;
  src.ramp["h"] = true;
  VarPlot p;
  evaluated(p, list, src);
  const Grid& dx = p.slotGrid(list.getDataIndex(0));
  const Grid& dy = p.slotGrid(list.getDataIndex(0) + 1);
  ASSERT_TRUE(dx.isData());
  ASSERT_TRUE(dy.isData());
  EXPECT_NEAR(dx.getValue(2, 2), 2.5f, 0.05f);  // per 100 km
  EXPECT_NEAR(dy.getValue(2, 2), 0.0f, 1e-3);
}

TEST_F(VarPlotTest, VectorArgumentGivesBothComponents)
{
  // the speed of the wind entry: both components reach the function
  VarList list = decoded("spd(wnd<u,v>[,vect])");
  FakeSource src;
  src.values = {{"u", 3.0f}, {"v", 4.0f}};
  VarPlot p;
  evaluated(p, list, src);
  EXPECT_NEAR(p.slotGrid(list.getDataIndex(0)).getValue(0, 0), 5.0f, 1e-4);
}

TEST_F(VarPlotTest, MissingArgumentStillGivesAGridToDraw)
{
  VarList list = decoded("add(a,nothere)");
  FakeSource src;
  src.values["a"] = 1.0f;
  VarPlot p;
  p.assignSlots(list, src);
  EXPECT_EQ(p.readData(list, src), 1);
  p.evaluate(list);
  const Grid& result = p.slotGrid(list.getDataIndex(0));
  EXPECT_EQ(result.getValid() > 0 ? 1 : 0, 0) << "no valid value from a missing argument";
}

struct MapCase {
  const char* list;
  VarPlot::MapChoice choice;
  bool automatic;
  const char* under;
  const char* over;
};

TEST_F(VarPlotTest, MapsGoOverFillsAndYieldToMapEntries)
{
  const MapCase cases[] = {
      {"500:hght", {true, -1, 0}, true, "default,under", "over"},
      {"500:hght,500:avort[,cf]", {true, -1, 0}, true, "default,under,nodefault", "over,default"},
      {"temp", {true, -1, 3}, true, "default,under,nodefault", "over,default"},
      {"temp", {true, 1, 0}, true, "default,under,nodefault", "over,default"},
      {"500:avort[,cf]", {true, 0, 0}, true, "default,under", "over"},
      {"map[us.map],500:avort[,cf]", {true, -1, 0}, false, nullptr, nullptr},
      {"500:hght", {false, -1, 0}, false, nullptr, nullptr},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.list);
    VarList list = decoded(c.list);
    VarPlot p;
    EXPECT_EQ(p.chooseMaps(list, c.choice), c.automatic);
    if (c.under) {
      EXPECT_EQ(p.getUnderMap(), c.under);
      EXPECT_EQ(p.getOverMap(), c.over);
    }
  }
}

}  // namespace
