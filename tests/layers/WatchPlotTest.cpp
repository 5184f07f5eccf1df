// Watch boxes in the picture where the projection puts their corners; a watch replaced by a
// later one, or cancelled, gone.
#include <gtest/gtest.h>

#include "LayerPicture.h"
#include "layers/WatchPlot.h"

namespace {

const char* WATCH_152 =
    "WWUS30 KWNS 210517\nSAW2\nSPC AWW 210517\nWW 152 TORNADO OK TX 210520Z - 211100Z\n"
    "LAT...LON 36000200 36009800 34009800 34000200\n";
const char* WATCH_152_CANCELLED =
    "WWUS30 KWNS 210700\nSAW2\nSPC AWW 210700\nWW 152 TORNADO CANCELLED\n";

class WatchPictureTest : public KOLTest::LayerPictureTest {};

TEST_F(WatchPictureTest, ReplacedAndCancelledWatchesAreGone)
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

TEST_F(WatchPictureTest, BoxCornersWhereTheProjectionPutsThem)
{
  KOL_REQUIRE_DATA();
  KOL::WatchPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(KOLTest::dataFile("textprod/watches/pyiem_SAW_SAW6.txt").c_str()));
  draw(layer, "watch.png");
  const auto& box = layer.getWatches().at(0).box;
  ASSERT_EQ(box.size(), 4u);
  for (const auto& [lat, lon] : box) EXPECT_TRUE(inkNear(0xFF0000, lat, lon)) << lat << " " << lon;
}

}  // namespace
