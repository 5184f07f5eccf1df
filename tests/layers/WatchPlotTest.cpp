// Watch boxes in the picture where the projection puts their corners; a watch replaced by a
// later one, or cancelled, gone.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/WatchPlot.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::isInkOf;

namespace {

const char* WATCH_152 =
    "WWUS30 KWNS 210517\nSAW2\nSPC AWW 210517\nWW 152 TORNADO OK TX 210520Z - 211100Z\n"
    "LAT...LON 36000200 36009800 34009800 34000200\n";
const char* WATCH_152_CANCELLED =
    "WWUS30 KWNS 210700\nSAW2\nSPC AWW 210700\nWW 152 TORNADO CANCELLED\n";

TEST(WatchPlot, ReplacedAndCancelledWatchesAreGone)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("152.txt"), WATCH_152);
  KOLTest::writeFile(dir.file("152can.txt"), WATCH_152_CANCELLED);
  KOL::WatchPlot layer;
  ASSERT_TRUE(layer.setFilename(dir.file("152.txt").c_str()));
  ASSERT_EQ(layer.getWatches().size(), 1u);
  // watch 153 replaces 152
  ASSERT_TRUE(
      layer.addFile(KOLTest::dataFile("textprod/watches/pyiem_SAW_SAW-replaces.txt").c_str()));
  ASSERT_EQ(layer.getWatches().size(), 1u);
  EXPECT_EQ(layer.getWatches()[0].watch_number, 153);
  ASSERT_TRUE(layer.setFilename(dir.file("152.txt").c_str()));
  ASSERT_TRUE(layer.addFile(dir.file("152can.txt").c_str()));
  EXPECT_TRUE(layer.getWatches().empty());
}

TEST(WatchPlot, BoxCornersWhereTheProjectionPutsThem)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOL::Kol::resrc.set("inverse", "true");
  KOL::WatchPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(KOLTest::dataFile("textprod/watches/pyiem_SAW_SAW6.txt").c_str()));
  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
  ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
  ASSERT_TRUE(layer.getDomain(domain));
  ASSERT_EQ(plot.setDomain(domain), 1);
  ASSERT_EQ(layer.draw(plot), 1);
  ASSERT_EQ(plot.getImage(shot), 1);
  KOL::Kol::resrc.set("inverse", "");
  const KOLTest::Raster pic = KOLTest::toRaster(shot);
  const auto& box = layer.getWatches().at(0).box;
  ASSERT_EQ(box.size(), 4u);
  for (const auto& [lat, lon] : box) {
    EarthPoint e(static_cast<float>(lat), static_cast<float>(lon));
    Point p;
    ASSERT_TRUE(domain.tran(e, p));
    p = plot.toDevice(p);
    bool found = false;
    for (int j = -2; j <= 2; ++j)
      for (int i = -2; i <= 2; ++i)
        found = found || isInkOf(pic.at(int(p.x + 0.5f) + i, int(p.y + 0.5f) + j), 0xFF0000, 80);
    EXPECT_TRUE(found) << lat << " " << lon;
  }
}

}  // namespace
