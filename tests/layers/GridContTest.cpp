// The contour layer of one grid: its own keys and the contour keys it passes on, labels and bar
// fitted to the kind of drawing unless chosen, reset between entries, and a grid read from a file
// by its selection text and drawn with its labels.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "layers/GridCont.h"

using KOL::ContPlot;
using KOL::GridCont;

namespace {

KOL::Domain lambert(float d)
{
  KOL::DomainVal v;
  v.proj = 4;
  v.param[0] = 25;
  v.param[1] = -95;
  v.param[2] = v.param[3] = 25;
  v.clat = 38;
  v.clon = -95;
  v.nx = 60;
  v.ny = 45;
  v.dx = v.dy = d;
  return KOL::Domain(v);
}

KOL::Grid ramp()
{
  KOL::Grid g;
  g.setDomain(lambert(0.8f));
  g.allocData();
  for (int j = 0; j < 45; ++j)
    for (int i = 0; i < 60; ++i) g.setValue(i, j, static_cast<float>(i + j));
  g.setInfo("ramp");
  return g;
}

class GridContTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    KOL::Kol::setDatabasePath(KOLTest::databaseDir().c_str());
    ASSERT_TRUE(plot.open("bg=white,de=i,sz=320x240"));
    KOL::Grid g = ramp();
    plot.setDomain(g.getDomain());
  }
  KOL::Plot plot;
};

TEST_F(GridContTest, OwnKeysAndContourKeys)
{
  GridCont c("nolabel,map_fill,mo=nam,gs=500:hght,cf,int=5,co=black");
  EXPECT_FALSE(c.getLabel());
  EXPECT_EQ(c.getMapMode(), 1);
  EXPECT_STREQ(c.getModel(), "nam");
  EXPECT_STREQ(c.getGridSpec(), "500:hght");
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::FILL);
  EXPECT_FLOAT_EQ(c.getContPlot().getInterval(), 5.0f);
  EXPECT_STREQ(c.getContPlot().getColorLine(), "black");
  c.setParam("map_line,va=850:temp");
  EXPECT_EQ(c.getMapMode(), 0);
  EXPECT_STREQ(c.getGridSpec(), "850:temp");
  // the next entry starts from the defaults; the layer's own keys stay
  c.reset();
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::LINE);
  EXPECT_TRUE(KOL::Const::isMiss(c.getContPlot().getInterval()));
  EXPECT_FALSE(c.getLabel());
}

TEST_F(GridContTest, LabelsAndBarFitTheDrawing)
{
  KOL::Grid g = ramp();
  const struct {
    const char* params;
    int freq;    // contour label frequency drawn with
    int radius;  // high/low radius
    bool bar;
  } cases[] = {
      {"ln", 2, 4, false},  // lines: labels, highs over a twelfth of the map
      {"cf", 0, 4, true},   // fills: colours and their bar instead of labels
      {"lcf", 2, 4, true},
      {"cf,nobar,lab=1:5", 1, 5, false},  // chosen by the user
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    GridCont layer(c.params);
    EXPECT_EQ(layer.draw(plot, g), 1);
    EXPECT_EQ(layer.getContPlot().getLabelFreq(), c.freq);
    EXPECT_EQ(layer.getContPlot().getLabelRadius(), c.radius);
    EXPECT_EQ(layer.getContPlot().getBar(), c.bar);
  }
  // on a map three times as wide a twelfth is 11 grid points: the field is too fine to show
  // its highs and lows there
  plot.setDomain(lambert(2.4f));
  GridCont wide("ln");
  EXPECT_EQ(wide.draw(plot, g), 1);
  EXPECT_EQ(wide.getContPlot().getLabelRadius(), 0);
}

TEST_F(GridContTest, LabelsTheDrawingOnItsOwnLine)
{
  KOL::Grid g = ramp();
  const int before = plot.getNumLabels();
  GridCont layer("ln");
  ASSERT_EQ(layer.draw(plot, g), 1);
  EXPECT_EQ(plot.getNumLabels(), before + 3) << "information, date and range";
  const int line = plot.getLabelLine();
  ASSERT_EQ(layer.draw(plot, g), 1);
  EXPECT_EQ(plot.getLabelLine(), line + 1) << "a second field labels the next line";
  GridCont quiet("ln,nolabel");
  const int n = plot.getNumLabels();
  ASSERT_EQ(quiet.draw(plot, g), 1);
  EXPECT_EQ(plot.getNumLabels(), n);
}

TEST_F(GridContTest, ReadsItsGridFromAFile)
{
  KOL_REQUIRE_DATA();
  GridCont layer("gs=500:hght,ln");
  EXPECT_EQ(layer.draw(plot), 0) << "no file";
  layer.setFilename(KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2").c_str());
  EXPECT_EQ(layer.draw(plot), 1);
  // 500 hPa heights of a September analysis: about 5200 to 5950 m
  EXPECT_GT(layer.getContPlot().getFirst(), 5000.0f);
  EXPECT_LT(layer.getContPlot().getLast(), 6100.0f);
}

}  // namespace
