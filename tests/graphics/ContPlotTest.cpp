// Contour levels, options, stored positions and the drawn picture; the geometry of whole fields is
// checked against contourpy in ContourOracleTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ContourGeometry.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "geo/Domain.h"
#include "graphics/ContPlot.h"
#include "graphics/Device.h"
#include "graphics/Graph.h"
#include "graphics/GridBox.h"
#include "graphics/Plot.h"
#include "grid/GribFile.h"
#include "imagery/Image.h"

using namespace KOL;
using KOLTest::Collect;

namespace {

Grid ramp(int nx, int ny, float from, float to)
{
  Grid g(nx, ny);
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++)
      g.setValue(i, j,
                 from + (to - from) * static_cast<float>(i + j) / static_cast<float>(nx + ny - 2));
  return g;
}

Grid filled(int nx, int ny, float v)
{
  Grid g(nx, ny);
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) g.setValue(i, j, v);
  return g;
}

class ContPlotTest : public KOLTest::DatabaseTest {};

}  // namespace

TEST_F(ContPlotTest, LevelsFromRangeIntervalBaseAndLimits)
{
  struct Case {
    const char* params;
    float min, max;
    int n;
    float first, last;
  } cases[] = {
      {"int=10", 0, 100, 12, 0, 110},             // 100 lies on a level: one more
      {"int=10", 3, 97, 11, 0, 100},              //
      {"int=10,cb=5", 3, 97, 12, -5, 105},        // levels on the base
      {"int=4,base=>10", -50, 50, 12, 10, 54},    // a lower limit is the minimum and the base
      {"int=4,cb=1,cb=>10", -50, 50, 12, 9, 53},  // a base given keeps its levels
      {"ci=0.5", -1.2f, 0.7f, 6, -1.5f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    ContPlot cp(c.params);
    EXPECT_EQ(cp.setLevels(ramp(5, 4, c.min, c.max)), c.n);
    EXPECT_FLOAT_EQ(cp.getFirst(), c.first);
    EXPECT_FLOAT_EQ(cp.getLast(), c.last);
    EXPECT_FLOAT_EQ(cp.getLevel(c.n - 1), c.last);
    EXPECT_TRUE(Const::isMiss(cp.getLevel(c.n)));
  }
}

TEST_F(ContPlotTest, BaseTextSetsRangeLimits)
{
  ContPlot cp("int=4");
  cp.setBase(">10,<20,1");
  // 9 ... 21 on the base 1; 21 is above the upper limit 20, so no extra level.
  EXPECT_EQ(cp.setLevels(ramp(5, 4, -50, 50)), 4);
  EXPECT_FLOAT_EQ(cp.getFirst(), 9.0f);
  EXPECT_FLOAT_EQ(cp.getLast(), 21.0f);
}

TEST_F(ContPlotTest, TypeKeysNameTheDrawing)
{
  EXPECT_EQ(ContPlot("ty=lcf").getType(), ContPlot::LINE_FILL);
  EXPECT_EQ(ContPlot("pl=dln").getDashRule(), 1);
}

TEST_F(ContPlotTest, TooSmallOrMissingIntervalIsComputed)
{
  ContPlot tiny("int=0.001");
  int n = tiny.setLevels(ramp(6, 6, 0, 1000));
  EXPECT_GT(n, 2);
  EXPECT_LE(n, ContPlot::MAX_LEVELS);
  ContPlot automatic;
  n = automatic.setLevels(ramp(6, 6, 0, 1000), 11);
  EXPECT_GE(n, 6);
  EXPECT_LE(n, 20);
  EXPECT_LE(automatic.getFirst(), 0.0f);
  EXPECT_GE(automatic.getLast(), 1000.0f);
}

TEST_F(ContPlotTest, BadLevelsAndEmptyGridsGiveNoLevels)
{
  ContPlot cp;
  EXPECT_EQ(cp.setLevels(filled(4, 4, Const::FMISS)), 0) << "all missing";
  cp.setLevels(std::vector<float>{1, 3, 3, 4});
  EXPECT_EQ(cp.setLevels(ramp(4, 4, 0, 5)), 0) << "not increasing";
  cp.setLevels(std::vector<float>{1, 3, 2});
  EXPECT_EQ(cp.setLevels(ramp(4, 4, 0, 5)), 0) << "decreasing";
  cp.setLevels(std::vector<float>{1, 2, 4});
  EXPECT_EQ(cp.setLevels(ramp(4, 4, 0, 5)), 3);
  EXPECT_FLOAT_EQ(cp.getLevel(2), 4.0f);
}

TEST_F(ContPlotTest, ConstantAndDegenerateGridsDrawNothing)
{
  ContPlot cp("int=1");
  Grid flat = filled(10, 8, 5.0f);
  ASSERT_GT(cp.setLevels(flat), 0);
  Collect out;
  EXPECT_EQ(cp.contourLines(flat, nullptr, out), 0);
  cp.contourFills(flat, nullptr, out);
  double total = 0;
  for (const auto& [k, a] : out.area) total += a;
  EXPECT_NEAR(total, 9.0 * 7.0, 1e-6) << "one band covers the constant field";

  for (Grid g : {ramp(1, 12, 0, 5), ramp(12, 1, 0, 5)}) {
    Collect none;
    ASSERT_GT(cp.setLevels(g), 0);
    EXPECT_EQ(cp.contourLines(g, nullptr, none), 0);
    EXPECT_EQ(cp.contourFills(g, nullptr, none), 0);
    EXPECT_EQ(cp.lineLabels(g, nullptr, none), 0);
  }
}

TEST_F(ContPlotTest, BadInputDrawsNothingAndSaysSo)
{
  Graph graph("image", ",sz=200x150");
  ASSERT_EQ(graph.open(), 1);
  ContPlot cp("cf");
  EXPECT_EQ(cp.draw(graph, filled(5, 5, Const::FMISS)), 0);
  EXPECT_EQ(cp.draw(graph, ramp(1, 9, 0, 1)), 0);
  cp.setLevels(std::vector<float>{2, 1});
  EXPECT_EQ(cp.draw(graph, ramp(5, 5, 0, 3)), 0);
  // More bands than the palette has colours: neighbouring bands share one, all are drawn.
  ContPlot many("cf,int=0.01");
  EXPECT_EQ(many.draw(graph, ramp(20, 20, 0, 1)), 1);
  Image img;
  ASSERT_EQ(graph.getImage(img), 1);
  graph.close();
}

// The positions stored for a whole grid are those each point gets from the domains alone, on the
// grid's own plane (taken by column and row) and on another projection (through the earth).
TEST_F(ContPlotTest, StoredPositionsAreThoseOfTheDomains)
{
  KOL_REQUIRE_DATA();
  GribFile gf;
  ASSERT_TRUE(gf.open(KOLTest::dataFile("grib/g1_lambert_grid.grib").c_str()));
  Grid g;
  ASSERT_TRUE(gf.read(g));
  const Domain own = g.getDomain();
  const Domain polar("pstereo:90:-95:60::,40,-95,25,17,1.2,1.2");
  for (const Domain* plot : {&own, &polar}) {
    Grid stored = g;
    ASSERT_FALSE(stored.isLocate());
    ASSERT_EQ(GridBox::locateAll(stored, *plot), 1);
    ASSERT_TRUE(stored.isLocate());
    int differ = 0, placed = 0;
    for (int j = 0; j < g.getNy(); j++)
      for (int i = 0; i < g.getNx(); i++) {
        Point want, got;
        if (!GridBox::locate(g, *plot, i, j, want)) want.init();
        stored.getLocate(i, j, got);
        differ += got.x != want.x || got.y != want.y;
        placed += !got.isMiss();
      }
    EXPECT_EQ(differ, 0) << "of " << g.getCount();
    EXPECT_GT(placed, g.getCount() / 2);
  }
}

TEST_F(ContPlotTest, FillsUseTheirOwnFillStyle)
{
  // A style left on the graph by earlier drawing must not leak into fills without one.
  std::vector<std::string> log;
  Graph graph;
  graph.setDevice(std::make_unique<KOLTest::RecordingDevice>(400, 300, false, &log));
  ASSERT_EQ(graph.open(), 1);
  const std::string prefix = "fstyle " + std::to_string(Device::FILL) + " ";
  for (auto [params, style] : {std::pair{"cf,fill=3", 3}, {"cf", 0}, {"lcf,fill=5", 5}}) {
    SCOPED_TRACE(params);
    log.clear();
    ContPlot cp(params);
    ASSERT_EQ(cp.draw(graph, ramp(6, 5, 0, 10)), 1);
    const auto fill = std::find_if(log.begin(), log.end(),
                                   [](const std::string& s) { return s.rfind("fill ", 0) == 0; });
    ASSERT_NE(fill, log.end());
    const auto set = std::find_if(std::make_reverse_iterator(fill), log.rend(),
                                  [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    ASSERT_NE(set, log.rend()) << "style set before the first fill";
    EXPECT_EQ(*set, prefix + std::to_string(style));
    EXPECT_EQ(std::count_if(fill, log.end(),
                            [&](const std::string& s) {
                              return s.rfind("fstyle", 0) == 0 &&
                                     s != prefix + std::to_string(style);
                            }),
              0);
  }
}

TEST_F(ContPlotTest, LabelsTakeTheFieldDateWhenThePlotHasNone)
{
  KOL_REQUIRE_DATA();
  GribFile gf;
  ASSERT_TRUE(gf.open(KOLTest::dataFile("grib/g2_gfs.t12z.pgrbf120.2p5deg.grib2").c_str()));
  Grid g;
  ASSERT_TRUE(gf.read(g));
  ASSERT_TRUE(g.getDate().isSet());
  const Date own(2001, 2, 3, 4, 0, 0);
  for (const bool dated : {false, true}) {
    SCOPED_TRACE(dated ? "a date of its own is kept" : "undated");
    Plot plot;
    ASSERT_TRUE(plot.open("de=i,,sz=200x150"));
    if (dated) plot.setDate(own);
    ASSERT_EQ(ContPlot("cf").drawLabels(plot, g), 1);
    EXPECT_EQ(plot.getDate().getSeconds(), (dated ? own : g.getDate()).getSeconds());
    if (dated) {
      EXPECT_TRUE(Const::isMiss(plot.getForeHour()));
    } else {
      EXPECT_EQ(plot.getDate().getHour(), 12) << "valid at 12 UTC, five days on";
      EXPECT_FLOAT_EQ(plot.getForeHour(), 120.0f);
    }
  }
}
