// The raster device: the scene drawn off-screen lands where the PostScript page has it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "Scene.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "graphics/Graph.h"
#include "graphics/ImageDevice.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

using KOL::Graph;
using KOL::Image;
using KOL::ImageDevice;
using KOL::Rect;
using KOL::RGB;

namespace {

class ImageDeviceTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(ImageDeviceTest, SceneMatchesThePostScriptPage)
{
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  const std::string png = keep ? std::string(keep) + "/scene_image.png" : dir.file("scene.png");
  Graph g("image", (png + ",sz=756x576").c_str());
  ASSERT_EQ(g.open(), 1);
  KOL::String name;
  g.getDevice(name);
  EXPECT_STREQ(name.get(), "image");
  KOLTest::drawScene(g);
  Image img;
  ASSERT_EQ(g.getImage(img), 1);
  ASSERT_EQ(img.getWidth(), 756);
  ASSERT_EQ(img.getHeight(), 576);
  const KOLTest::Raster r = KOLTest::toRaster(img);
  KOLTest::expectScene(g, r, KOLTest::PixelMap{576, false});

  if (KOLTest::haveGhostscript()) {
    const std::string eps = dir.file("scene.eps");
    Graph p("postscript", (eps + ",port,eps,color").c_str());
    ASSERT_EQ(p.open(), 1);
    KOLTest::drawScene(p);
    p.close();
    const KOLTest::Raster ps = KOLTest::renderPs(eps, true);
    // lines are three times as thick here (a width unit is a pixel, not a third of a point)
    // and edges are antialiased: a few percent of the page may differ
    EXPECT_LT(r.differ(ps, 60), 0.02);
  }
  g.close();
  EXPECT_EQ(KOLTest::readFile(png).substr(1, 3), "PNG");
}

// A 40 x 30 image: red left half, blue right half, a green top row.
Image testImage()
{
  Image img(40, 30, 24);
  img.allocData();
  for (int j = 0; j < 30; ++j)
    for (int i = 0; i < 40; ++i)
      img.setPixel(i, j, j == 0 ? 0x00FF00 : i < 20 ? 0xFF0000 : 0x0000FF);
  return img;
}

TEST_F(ImageDeviceTest, ImagesPutTheirTopLeftPixelAtThePositionOnEveryDevice)
{
  Image img = testImage();
  Graph g("image", ",sz=300x200");
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 3, 2));
  ASSERT_EQ(g.drawImageAt(img, 1, 1.5f), 1);  // device (100, 50)
  Image out;
  g.getImage(out);
  const KOLTest::Raster r = KOLTest::toRaster(out);
  EXPECT_EQ(r.at(100, 50), 0x00FF00u);
  EXPECT_EQ(r.at(101, 52), 0xFF0000u);
  EXPECT_EQ(r.at(139, 79), 0x0000FFu);
  EXPECT_EQ(r.at(99, 52), 0xFFFFFFu);
  EXPECT_EQ(r.at(100, 49), 0xFFFFFFu);
  EXPECT_EQ(r.at(140, 60), 0xFFFFFFu);
  EXPECT_EQ(r.at(120, 80), 0xFFFFFFu);
  // a picture half off the device is cut, not shifted
  g.clear();
  g.drawImageAt(img, -0.1f, 2);  // device (-10, 0)
  g.getImage(out);
  const KOLTest::Raster cut = KOLTest::toRaster(out);
  EXPECT_EQ(cut.at(0, 0), 0x00FF00u);
  EXPECT_EQ(cut.at(9, 5), 0xFF0000u);
  EXPECT_EQ(cut.at(10, 5), 0x0000FFu);
  EXPECT_EQ(cut.at(30, 5), 0xFFFFFFu);
  Image empty;
  EXPECT_EQ(g.drawImageAt(empty, 1, 1), 0);

  KOL_REQUIRE_GS();
  for (const char* mode : {",color", ""}) {
    const std::string eps = dir.file("image.eps");
    Graph p("postscript", (eps + ",port,eps" + mode).c_str());
    ASSERT_EQ(p.open(), 1);
    p.setWindow(Rect(0, 0, 7.56f, 5.76f));
    ASSERT_EQ(p.drawImageAt(img, 1, 1.5f), 1);  // device (100, 150): 150 up from the bottom
    p.close();
    std::string errors;
    const KOLTest::Raster ps = KOLTest::renderPs(eps, true, &errors);
    EXPECT_EQ(errors, "");
    const bool colour = *mode != '\0';
    // pixel rows count down from the top: the image's top row is at 576 - 150
    EXPECT_EQ(ps.at(100, 426), colour ? 0x00FF00u : 0x5E5E5Eu) << mode;
    EXPECT_EQ(ps.at(101, 428), colour ? 0xFF0000u : 0x545454u) << mode;
    EXPECT_EQ(ps.at(139, 455), colour ? 0x0000FFu : 0x4B4B4Bu) << mode;
    EXPECT_EQ(ps.at(99, 430), 0xFFFFFFu) << mode;
    EXPECT_EQ(ps.at(100, 425), 0xFFFFFFu) << mode;
    EXPECT_EQ(ps.at(140, 440), 0xFFFFFFu) << mode;
    EXPECT_EQ(ps.at(120, 456), 0xFFFFFFu) << mode;
  }
}

TEST_F(ImageDeviceTest, SizesAndColoursOutOfRangeAreRefused)
{
  ImageDevice d;
  EXPECT_EQ(d.setSize(0, 100), 0);
  EXPECT_EQ(d.setSize(100, std::nanf("")), 0);
  EXPECT_EQ(d.setSize(1e9f, 10), 0);
  EXPECT_EQ(d.getWidth(), 640);
  KOL::Points pts;
  EXPECT_EQ(d.drawLine(1, pts), 0) << "closed";
  EXPECT_EQ(d.setBackground("nosuchcolour"), 0);
  EXPECT_EQ(d.setBackground("navy"), 1);
  ASSERT_EQ(d.open(), 1);
  EXPECT_EQ(d.setSize(10, 10), 0) << "open";
  Image img;
  ASSERT_EQ(d.getImage(img), 1);
  RGB c;
  img.getRGB(5, 5, c);
  EXPECT_EQ(RGB::toByte(c.blue), 128);
  EXPECT_EQ(RGB::toByte(c.red), 0);
}

}  // namespace
