// The raster device: the scene drawn off-screen lands where the transformation puts it.
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

TEST_F(ImageDeviceTest, SceneLandsWhereTheTransformationPutsIt)
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

// Where image pixels land in the clip box is ImageOffsetTest's; a picture half off the device
// is cut there, not shifted.
TEST_F(ImageDeviceTest, PicturesHalfOffTheDeviceAreCutNotShifted)
{
  Image img = testImage();
  Graph g("image", ",sz=300x200");
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 3, 2));
  g.drawImageAt(img, -0.1f, 2);  // device (-10, 0)
  Image out;
  g.getImage(out);
  const KOLTest::Raster cut = KOLTest::toRaster(out);
  EXPECT_EQ(cut.at(0, 0), 0x00FF00u);
  EXPECT_EQ(cut.at(9, 5), 0xFF0000u);
  EXPECT_EQ(cut.at(10, 5), 0x0000FFu);
  EXPECT_EQ(cut.at(30, 5), 0xFFFFFFu);
  Image empty;
  EXPECT_EQ(g.drawImageAt(empty, 1, 1), 0);
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
