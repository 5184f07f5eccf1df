// Saving a plot's picture: PNG and GIF files that read back to what the image device drew, a
// transparent colour, the names of saved frames, and devices without a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotImage.h"
#include "imagery/GifFile.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"

using namespace KOL;

namespace {

class PlotImageTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    KOL::Kol::resrc.set("image_path", dir.path().c_str());
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("image_path", "");
    DatabaseTest::TearDown();
  }
  // A 200 x 100 picture, white background: the left half of the unit-square panel red.
  void drawPicture(Plot& plot)
  {
    plot.setFillColor("red");
    plot.drawFill(Rect(0, 0, 0.5f, 1));
  }
  KOLTest::TempDir dir;
};

TEST_F(PlotImageTest, PngAndGifReadBackAsDrawn)
{
  Plot plot;
  ASSERT_TRUE(plot.open("full,bg=white,de=i,,sz=200x100"));
  plot.setPanel(Rect(0, 0, 1, 1), 2.0f);
  drawPicture(plot);
  ASSERT_EQ(plot.saveImage("pic.png"), 1);
  ASSERT_EQ(plot.saveImage("pic.gif"), 1);
  for (const KOLTest::Raster& r :
       {KOLTest::readPng(dir.file("pic.png")), KOLTest::readGif(dir.file("pic.gif"))}) {
    ASSERT_EQ(r.width, 200);
    ASSERT_EQ(r.height, 100);
    EXPECT_EQ(r.at(50, 50), 0xFF0000u);
    EXPECT_EQ(r.opacity(50, 50), 255);
    EXPECT_EQ(r.at(150, 50), 0xFFFFFFu);
  }
}

TEST_F(PlotImageTest, TransparentColourBecomesTransparent)
{
  Plot plot;
  ASSERT_TRUE(plot.open("full,trans_col=white,bg=white,de=i,,sz=200x100"));
  plot.setPanel(Rect(0, 0, 1, 1), 2.0f);
  drawPicture(plot);
  ASSERT_EQ(plot.saveImage("t.png", "PNG"), 1);
  ASSERT_EQ(plot.saveImage("t.gif", "gif"), 1);
  for (const KOLTest::Raster& r :
       {KOLTest::readPng(dir.file("t.png")), KOLTest::readGif(dir.file("t.gif"))}) {
    ASSERT_EQ(r.width, 200);
    EXPECT_EQ(r.opacity(50, 50), 255) << "red stays opaque";
    EXPECT_EQ(r.opacity(150, 50), 0) << "white is transparent";
  }
}

TEST_F(PlotImageTest, OutputResourceSavesInsteadOfTheEventLoop)
{
  KOL::Kol::resrc.set("output", "png:out.png");
  Plot plot;
  const bool opened = plot.open("de=i,,sz=120x80");
  KOL::Kol::resrc.set("output", "");
  ASSERT_TRUE(opened);
  EXPECT_TRUE(plot.isImageOutput());
  KOL::Kol::resrc.set("output", "png:out.png");
  EXPECT_EQ(plot.manage(), 1);
  KOL::Kol::resrc.set("output", "");
  EXPECT_EQ(KOLTest::readPng(dir.file("out.png")).width, 120);
}

TEST_F(PlotImageTest, DevicesWithoutAPictureSaySo)
{
  for (const std::string& dev : {"de=p," + dir.file("x.ps"), "de=m," + dir.file("x.meta")}) {
    SCOPED_TRACE(dev);
    Plot plot;
    ASSERT_TRUE(plot.open(dev.c_str()));
    EXPECT_EQ(plot.saveImage("none.png"), 0);
    EXPECT_FALSE(KOLTest::readFile(dir.file("none.png")).size());
  }
  Plot plot;
  ASSERT_TRUE(plot.open("de=i,,sz=10x10"));
  EXPECT_EQ(plot.saveImage("picture.jpg"), 0) << "neither gif nor png";
}

int ramp(int i)
{
  const int v = i * 255 / 600;
  return (v << 16) | (v << 8) | std::min(255, v + (i & 1));
}

TEST_F(PlotImageTest, GifOfManyColoursKeepsTheCommonOnesExact)
{
  // a white picture with a ramp of about 500 near-grey shades along one row
  Image img(600, 40, 24);
  ASSERT_EQ(img.allocData(), 1);
  for (int j = 0; j < 40; ++j)
    for (int i = 0; i < 600; ++i) img.setPixel(i, j, j == 20 ? ramp(i) : 0xFFFFFF);
  const std::string gif = dir.file("many.gif");
  ASSERT_EQ(KOL::GifFile::write(gif.c_str(), img), 1);
  const KOLTest::Raster r = KOLTest::readGif(gif);
  ASSERT_EQ(r.width, 600);
  EXPECT_EQ(r.at(5, 5), 0xFFFFFFu);
  // the ramp's shades are replaced by near ones
  int worst = 0;
  for (int i = 0; i < 600; ++i) {
    const int want = ramp(i) >> 16, got = static_cast<int>(r.at(i, 20) >> 16);
    worst = std::max(worst, std::abs(want - got));
  }
  EXPECT_LE(worst, 8);
  // missing folders are made; a folder that cannot be is refused
  EXPECT_EQ(KOL::GifFile::write((gif + "/under/a/file.gif").c_str(), img), 0);
  EXPECT_EQ(KOL::GifFile::write(gif.c_str(), Image()), 0);
}

TEST_F(PlotImageTest, PngOfTrueColourPixelsKeepsThemInEitherByteOrder)
{
  for (int order : {0, 1}) {
    Image img(300, 7, 24);
    img.setByteOrder(order);
    ASSERT_EQ(img.allocData(), 1);
    for (int j = 0; j < 7; ++j)
      for (int i = 0; i < 300; ++i) img.setPixel(i, j, ramp(i) ^ (j << 20) ^ (i << 8));
    const std::string png = dir.file("rgb.png");
    ASSERT_EQ(KOL::PngFile::write(png.c_str(), img), 1);
    const KOLTest::Raster r = KOLTest::readPng(png);
    Image back;  // and as the plot reads pictures
    ASSERT_EQ(KOL::PlotImage::readPng(png.c_str(), back), 1);
    ASSERT_EQ(r.width, 300);
    for (int j = 0; j < 7; ++j)
      for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(r.at(i, j), static_cast<uint32_t>(img.getPixel(i, j)))
            << "order " << order << " at " << i << "," << j;
        ASSERT_EQ(back.getPixel(i, j), img.getPixel(i, j)) << "read back at " << i << "," << j;
      }
  }
}

TEST(PlotImageNames, OutputTextsAndFrameNames)
{
  using namespace KOL::PlotImage;
  EXPECT_STREQ(outputType("gif:plot.gif"), "GIF");
  EXPECT_STREQ(outputType("map.png"), "PNG");
  EXPECT_STREQ(outputType("PNG"), "PNG");
  EXPECT_EQ(outputType("plot.ps"), nullptr);
  EXPECT_EQ(outputType(nullptr), nullptr);
  EXPECT_EQ(outputName("gif:plot.gif"), "plot.gif");
  EXPECT_EQ(outputName("dir/map.png"), "dir/map.png");
  EXPECT_EQ(frameNames("Surface", 1, false), std::vector<std::string>{"Surfa.png"});
  EXPECT_EQ(frameNames("Surface", 1, true), std::vector<std::string>{"Surface.gif"});
  EXPECT_EQ(frameNames("", 1, true), std::vector<std::string>{"output.gif"});
  EXPECT_EQ(frameNames("Radar", 3, false),
            (std::vector<std::string>{"Radar-00.png", "Radar-01.png", "Radar-02.png"}));
  EXPECT_EQ(frameNames(nullptr, 2, true),
            (std::vector<std::string>{"output-00.gif", "output-01.gif"}));
}

}  // namespace
