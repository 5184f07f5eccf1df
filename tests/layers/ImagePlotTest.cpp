// A grid drawn as an image: each pixel in the colour of the class of the grid value at its place
// on the earth (a grid on a Lambert cone drawn on a polar stereographic map), nearest or
// bilinear, and the points cut off left as the page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/Domains.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "imagery/Image.h"
#include "layers/ImagePlot.h"
#include "layers/image/GridPaint.h"

using KOL::EarthPoint;
using KOL::GridPoint;
using KOL::Point;

namespace {

class ImagePlotTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    KOL::Grid g;
    g.setDomain(grid);
    g.allocData();
    for (int j = 0; j < 11; ++j)
      for (int i = 0; i < 21; ++i) g.setValue(i, j, static_cast<float>(i));  // 0 to 20 eastward
    g.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
    g.setLevel("sfc");
    g.setForeTime("anal");
    g.setVar("temp");
    g.getVarSpec().setUnits("C");
    KOL::GridFile out;
    ASSERT_EQ(out.write(file.c_str(), g), 1);
  }
  // The picture of the layer with params, and the device pixel of grid point (x, y).
  KOLTest::Raster draw(KOL::ImagePlot& layer, KOL::Plot& plot)
  {
    EXPECT_TRUE(layer.setFilename(file.c_str()));
    EXPECT_TRUE(plot.open("bg=white,de=i,,sz=500x400"));
    plot.setDomain(map);
    EXPECT_EQ(layer.draw(plot), 1);
    KOL::Image shot;
    EXPECT_EQ(plot.getImage(shot), 1);
    return KOLTest::toRaster(shot);
  }
  Point pixelOf(KOL::Plot& plot, float x, float y) const
  {
    EarthPoint e;
    Point p;
    EXPECT_TRUE(grid.tran(GridPoint(x, y), e));
    EXPECT_TRUE(map.tran(e, p));
    return plot.toDevice(p);
  }
  static uint32_t rgb(const KOL::RGB& c)
  {
    return KOL::RGB::toByte(c.red) << 16 | KOL::RGB::toByte(c.green) << 8 |
           KOL::RGB::toByte(c.blue);
  }
  uint32_t classColour(const KOL::ImagePlot& layer, float v) const
  {
    return rgb(layer.getColors().rgb[KOL::imageplot::classOf(layer.getPaint().levels, v)]);
  }

  KOLTest::TempDir dir;
  std::string file = dir.file("field.grd");
  KOL::Domain grid = KOLTest::lambert(21, 11, 0.5f);
  KOL::Domain map = KOLTest::makeDomain(1, 90, -95, 38, -95, 31, 21, 0.5f);
};

TEST_F(ImagePlotTest, PixelsTakeTheClassOfTheValueWhereTheyLie)
{
  for (const char* mode : {"pixoff", "fill"}) {
    SCOPED_TRACE(mode);
    KOL::ImagePlot layer((std::string("va=sfc:temp,int=5,over,nobar,") + mode).c_str());
    KOL::Plot plot;
    const KOLTest::Raster pic = draw(layer, plot);
    const std::vector<float>& levels = layer.getPaint().levels;
    ASSERT_GE(levels.size(), 5u);
    EXPECT_FLOAT_EQ(levels[1] - levels[0], 5.0f);  // as the fills of int=5
    for (float x : {2.0f, 7.0f, 12.0f, 17.0f}) {
      const Point at = pixelOf(plot, x, 5);
      EXPECT_EQ(pic.at(int(at.x), int(at.y)), classColour(layer, x)) << x;
    }
    // 0.4 of a cell short of 10: the nearest point reads 10, the bilinear value 9.6
    const Point at = pixelOf(plot, 9.6f, 5);
    EXPECT_EQ(pic.at(int(at.x), int(at.y)), classColour(layer, mode[0] == 'f' ? 9.6f : 10.0f));
    // beyond the grid the page is left as it is
    const Point off = pixelOf(plot, 10, 14);
    EXPECT_TRUE(pic.isWhite(int(off.x), int(off.y)));
  }
}

TEST_F(ImagePlotTest, CutoffAndLongitudesLeaveThePage)
{
  KOL::ImagePlot layer("va=sfc:temp,int=5,over,nobar,cutoff=10");
  KOL::Plot plot;
  const KOLTest::Raster pic = draw(layer, plot);
  const Point cold = pixelOf(plot, 4, 5), warm = pixelOf(plot, 14, 5);
  EXPECT_TRUE(pic.isWhite(int(cold.x), int(cold.y)));
  EXPECT_EQ(pic.at(int(warm.x), int(warm.y)), classColour(layer, 14));

  KOL::ImagePlot west("va=sfc:temp,int=5,over,nobar,maxlon=-95");
  KOL::Plot plot2;
  const KOLTest::Raster half = draw(west, plot2);
  const Point w = pixelOf(plot2, 5, 5), e = pixelOf(plot2, 15, 5);
  EXPECT_FALSE(half.isWhite(int(w.x), int(w.y)));
  EXPECT_TRUE(half.isWhite(int(e.x), int(e.y)));
}

TEST_F(ImagePlotTest, MissingFileDrawsNothing)
{
  KOL::ImagePlot layer(("fi=" + dir.file("none.grd")).c_str());
  KOL::Plot plot;
  KOL::Domain d;
  EXPECT_EQ(layer.getDomain(d), 0);
  EXPECT_EQ(layer.draw(plot), 0);
}

}  // namespace
