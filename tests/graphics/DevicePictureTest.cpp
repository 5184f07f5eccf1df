// Every drawing device makes the same picture, read back as each one shows it: the raster device
// directly and through the bridged polygon of devices without paths, PostScript rendered by
// Ghostscript, the metafile replayed onto the raster device, and an X window under a private Xvfb
// captured with xwd. The scene and the areas with holes land where the transformation puts them;
// drawImage(img, x, y) puts image pixel (x, y) at the top-left sample of the clip box.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Scene.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "common/Xvfb.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/ImageDevice.h"
#include "graphics/MetaFile.h"
#include "graphics/XWindow.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

using namespace KOL;
using KOLTest::Raster;

namespace {

// An image device drawing areas of several rings as a device without paths does.
class Bridged : public ImageDevice {
 public:
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override
  {
    return Device::drawFillPath(type, pts, counts);
  }
};

Raster imageOf(Graph& g, int = 0, int = 0)
{
  Image img;
  g.getImage(img);
  return KOLTest::toRaster(img);
}

// How a device of w x h pixels is opened on a graph, and the picture it gives when done.
struct Target {
  const char* name;
  bool yUp;
  std::function<bool(Graph&, int w, int h)> open;
  std::function<Raster(Graph&, int w, int h)> picture;
};

class DevicePictureTest : public KOLTest::DatabaseTest {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<KOLTest::Xvfb>(); }
  static void TearDownTestSuite() { server.reset(); }

  std::vector<Target> targets()
  {
    const std::string eps = dir.file("page.eps"), meta = dir.file("page.meta");
    auto size = [](int w, int h) { return ",sz=" + std::to_string(w) + "x" + std::to_string(h); };
    std::vector<Target> t = {
        {"image", false,
         [=](Graph& g, int w, int h) { return g.setDevice("image", size(w, h).c_str()); }, imageOf},
        {"bridged", false,
         [=](Graph& g, int w, int h) {
           auto dev = std::make_unique<Bridged>();
           dev->setParam(size(w, h).c_str());
           g.setDevice(std::move(dev));
           return true;
         },
         imageOf},
        {"metafile", false,
         [=](Graph& g, int w, int h) {
           return g.setDevice("meta", ("m," + meta + size(w, h)).c_str());
         },
         [=](Graph& g, int w, int h) {
           g.getDeviceObject()->close();
           Graph r("image", size(w, h).c_str());
           EXPECT_EQ(r.open(), 1);
           EXPECT_EQ(MetaFile::replay(meta.c_str(), r), 1);
           return imageOf(r);
         }}};
    if (KOLTest::haveGhostscript())
      t.push_back({"postscript", true,
                   [=](Graph& g, int, int) {
                     return g.setDevice("postscript", (eps + ",port,eps,color").c_str());
                   },
                   [=](Graph& g, int, int) {
                     g.getDeviceObject()->close();
                     std::string errors;
                     Raster r = KOLTest::renderPs(eps, true, &errors);
                     EXPECT_EQ(errors, "");
                     return r;
                   }});
    if (server->running())
      t.push_back({"xwindow", false,
                   [this](Graph& g, int w, int h) {
                     g.setDevice("display", ("co=" + server->display()).c_str());
                     g.setSize(w, h);
                     g.setInverse(true);  // black on white, like paper
                     return true;
                   },
                   [this](Graph& g, int, int) {
                     g.update();
                     return KOLTest::captureWindow(
                         server->display(),
                         static_cast<XWindow*>(g.getDeviceObject())->getWindow());
                   }});
    return t;
  }

  static std::unique_ptr<KOLTest::Xvfb> server;
  KOLTest::TempDir dir;
};

std::unique_ptr<KOLTest::Xvfb> DevicePictureTest::server;

TEST_F(DevicePictureTest, SceneLandsWhereTheTransformationPutsIt)
{
  for (const Target& t : targets()) {
    SCOPED_TRACE(t.name);
    Graph g;
    ASSERT_TRUE(t.open(g, 756, 576));
    ASSERT_EQ(g.open(), 1);
    KOLTest::drawScene(g);
    const Raster r = t.picture(g, 756, 576);
    ASSERT_EQ(r.width, 756);
    ASSERT_EQ(r.height, 576);
    KOLTest::expectScene(g, r, KOLTest::PixelMap{576, t.yUp});
    if (const char* keep = std::getenv("KOL_KEEP_PICTURES"))
      r.writePpm(std::string(keep) + "/scene_" + t.name + ".ppm");
  }
}

TEST_F(DevicePictureTest, AreasWithHolesLeaveTheHolesEmpty)
{
  for (const Target& t : targets()) {
    SCOPED_TRACE(t.name);
    Graph g;
    ASSERT_TRUE(t.open(g, 260, 260));
    ASSERT_EQ(g.open(), 1);
    KOLTest::drawFrame(g);
    const Raster r = t.picture(g, 260, 260);
    KOLTest::expectFrame(g, r, KOLTest::PixelMap{static_cast<float>(r.height), t.yUp});
  }
}

// A 40 x 40 image of four coloured quadrants over a 40 x 40 clip box at (100, 50) from the top.
constexpr int BOX_X = 100, BOX_Y = 50, SIDE = 40;

uint32_t quadrant(int i, int j)
{
  static constexpr uint32_t COLOURS[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}};
  if (i < 0 || j < 0 || i >= SIDE || j >= SIDE) return 0xFFFFFF;
  return COLOURS[j / (SIDE / 2)][i / (SIDE / 2)];
}

Image quadrants()
{
  Image img(SIDE, SIDE, 24);
  img.allocData();
  for (int j = 0; j < SIDE; ++j)
    for (int i = 0; i < SIDE; ++i) img.setPixel(i, j, static_cast<int>(quadrant(i, j)));
  return img;
}

TEST_F(DevicePictureTest, ImageOffsetsNameThePixelAtTheClipBoxCorner)
{
  Image img = quadrants();
  for (const Target& t : targets()) {
    for (const int o : {0, 10, -10}) {  // one case per sign of the offsets
      SCOPED_TRACE(std::string(t.name) + " offset " + std::to_string(o));
      Graph g;
      ASSERT_TRUE(t.open(g, 300, 200));
      ASSERT_EQ(g.open(), 1);
      Device* d = g.getDeviceObject();
      // PostScript counts y up from its 576-point page and widens the clip by 0.1 on every side
      if (t.yUp)
        d->setClip(BOX_X + 0.1f, 576 - BOX_Y - SIDE + 0.1f, BOX_X + SIDE - 0.1f,
                   576 - BOX_Y - 0.1f);
      else
        d->setClip(BOX_X, BOX_Y, BOX_X + SIDE, BOX_Y + SIDE);
      ASSERT_EQ(d->drawImage(img, static_cast<float>(o), static_cast<float>(o / 2)), 1);
      const Raster page = t.picture(g, 300, 200);
      ASSERT_TRUE(page.valid());
      int wrong = 0;
      // sample centres away from the quadrant edges, where every renderer agrees
      for (int row = 2; row < SIDE; row += 4)
        for (int col = 2; col < SIDE; col += 4)
          wrong += page.at(BOX_X + col, BOX_Y + row) != quadrant(o + col, o / 2 + row);
      EXPECT_EQ(wrong, 0);
      EXPECT_TRUE(page.isWhite(BOX_X - 3, BOX_Y + SIDE / 2)) << "left of the box";
      EXPECT_TRUE(page.isWhite(BOX_X + SIDE / 2, BOX_Y + SIDE + 2)) << "below the box";
    }
  }
}

// Graph places a picture by its corner: the device's white margin stays off the page, and a
// picture half off the device is cut there, not shifted.
TEST_F(DevicePictureTest, PlacedPicturesLeaveTheRestOfThePageAlone)
{
  Graph g("image", ",sz=300x200");
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 300, 200));  // window units are device pixels, y up
  g.activateTran();
  g.setFillColor(g.allocColor(0, 0, 0));
  g.drawFill(Rect(0, 0, 300, 200));
  Image img = quadrants();
  ASSERT_EQ(g.drawImageAt(img, BOX_X, 200 - BOX_Y), 1);
  ASSERT_EQ(g.drawImageAt(img, -10, 200), 1);
  Image empty;
  EXPECT_EQ(g.drawImageAt(empty, 1, 1), 0);
  const Raster r = imageOf(g);
  EXPECT_EQ(r.at(BOX_X + 2, BOX_Y + 2), 0xFF0000u);
  EXPECT_EQ(r.at(BOX_X + SIDE - 2, BOX_Y + SIDE - 2), 0xFFFF00u);
  EXPECT_EQ(r.at(BOX_X - 2, BOX_Y + 2), 0u) << "the page beside the picture";
  EXPECT_EQ(r.at(BOX_X + 2, BOX_Y + SIDE + 2), 0u) << "the page below the picture";
  EXPECT_EQ(r.at(9, 5), 0xFF0000u) << "image column 19 at device column 9";
  EXPECT_EQ(r.at(10, 5), 0x00FF00u);
  EXPECT_EQ(r.at(31, 5), 0u);
  // and the clip box is the viewport's again: a line drawn after the picture is whole
  g.setLineColor(g.allocColor(1, 1, 1));
  g.drawLine(0, 10, 300, 10);
  EXPECT_NE(imageOf(g).at(5, 190), 0u);
}

TEST_F(DevicePictureTest, SizesAndColoursOutOfRangeAreRefused)
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
  KOL::RGB c;
  img.getRGB(5, 5, c);
  EXPECT_EQ(KOL::RGB::toByte(c.blue), 128);
  EXPECT_EQ(KOL::RGB::toByte(c.red), 0);
}

}  // namespace
