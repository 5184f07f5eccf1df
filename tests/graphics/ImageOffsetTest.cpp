// drawImage(img, x, y) on the file and raster devices: W x H samples over the clip box, image
// pixel (x, y) at its top-left one. PostScript is rendered by Ghostscript; the metafile is
// replayed onto the raster device.
#include <gtest/gtest.h>

#include <string>

#include "ImageOffsets.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/ImageDevice.h"
#include "graphics/MetaFile.h"
#include "graphics/Postscript.h"
#include "imagery/Image.h"

using namespace KOLTest::ImageOffsets;

namespace {

constexpr float W = 300, H = 200;

class ImageOffsetTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(ImageOffsetTest, RasterDevice)
{
  for (const Offset& o : CASES) {
    KOL::ImageDevice d;
    d.setParam(",sz=300x200");
    ASSERT_EQ(d.open(), 1);
    d.setClip(BOX_X, BOX_Y, BOX_X + SIDE, BOX_Y + SIDE);
    KOL::Image img = quadrants();
    ASSERT_EQ(d.drawImage(img, static_cast<float>(o.x), static_cast<float>(o.y)), 1);
    KOL::Image out;
    ASSERT_EQ(d.getImage(out), 1);
    expectBox(KOLTest::toRaster(out), o, "image");
  }
}

TEST_F(ImageOffsetTest, PostScriptRenderedByGhostscript)
{
  KOL_REQUIRE_GS();
  constexpr float PAGE = 576;  // the portrait EPS page is 756 x 576 points, y up
  for (const Offset& o : CASES) {
    const std::string eps = dir.file("offsets.eps");
    KOL::Postscript p;
    p.setParam((eps + ",port,eps,color").c_str());
    ASSERT_EQ(p.open(), 1);
    // the device widens the clip by 0.1 on every side
    p.setClip(BOX_X + 0.1f, PAGE - BOX_Y - SIDE + 0.1f, BOX_X + SIDE - 0.1f, PAGE - BOX_Y - 0.1f);
    KOL::Image img = quadrants();
    ASSERT_EQ(p.drawImage(img, static_cast<float>(o.x), static_cast<float>(o.y)), 1);
    p.close();
    std::string errors;
    const KOLTest::Raster page = KOLTest::renderPs(eps, true, &errors);
    EXPECT_EQ(errors, "");
    expectBox(page, o, "postscript");
  }
}

TEST_F(ImageOffsetTest, MetafileReplayedOntoTheRasterDevice)
{
  for (const Offset& o : CASES) {
    const std::string meta = dir.file("offsets.meta");
    {
      KOL::MetaFile m;
      m.setParam(("," + meta + ",sz=300x200").c_str());
      ASSERT_EQ(m.open(), 1);
      m.setClip(BOX_X, BOX_Y, BOX_X + SIDE, BOX_Y + SIDE);
      KOL::Image img = quadrants();
      ASSERT_EQ(m.drawImage(img, static_cast<float>(o.x), static_cast<float>(o.y)), 1);
      m.close();
    }
    KOL::Graph g("image", ",sz=300x200");
    ASSERT_EQ(g.open(), 1);
    ASSERT_EQ(KOL::MetaFile::replay(meta.c_str(), g), 1);
    KOL::Image out;
    ASSERT_EQ(g.getImage(out), 1);
    expectBox(KOLTest::toRaster(out), o, "metafile");
  }
}

// Graph places a picture by its corner: the device's white margin stays off the page.
TEST_F(ImageOffsetTest, PlacedPicturesLeaveTheRestOfTheClipBoxAlone)
{
  KOL::Graph g("image", ",sz=300x200");
  ASSERT_EQ(g.open(), 1);
  g.setWindow(KOL::Rect(0, 0, W, H));  // window units are device pixels, y up
  g.activateTran();
  g.setFillColor(g.allocColor(0, 0, 0));
  g.drawFill(KOL::Rect(0, 0, W, H));
  KOL::Image img = quadrants();
  ASSERT_EQ(g.drawImageAt(img, BOX_X, H - BOX_Y), 1);
  KOL::Image out;
  ASSERT_EQ(g.getImage(out), 1);
  const KOLTest::Raster r = KOLTest::toRaster(out);
  EXPECT_EQ(r.at(BOX_X + 2, BOX_Y + 2), 0xFF0000u);
  EXPECT_EQ(r.at(BOX_X + SIDE - 2, BOX_Y + SIDE - 2), 0xFFFF00u);
  EXPECT_EQ(r.at(BOX_X - 2, BOX_Y + 2), 0u) << "the page beside the picture";
  EXPECT_EQ(r.at(BOX_X + 2, BOX_Y + SIDE + 2), 0u) << "the page below the picture";
  // and the clip box is the viewport's again: a line drawn after the picture is whole
  g.setLineColor(g.allocColor(1, 1, 1));
  g.drawLine(0, 10, W, 10);
  g.getImage(out);
  EXPECT_NE(KOLTest::toRaster(out).at(5, static_cast<int>(H) - 10), 0u);
}

}  // namespace
