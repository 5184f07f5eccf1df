// Inverse video means one thing on every device: a white background (paper, a white picture)
// with black ink for what defaults to white. A plot's default border and labels must show on
// whatever background the device has, and colours that are given stay as given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "Scene.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/ImageDevice.h"
#include "graphics/Plot.h"
#include "graphics/Postscript.h"
#include "graphics/XWindow.h"
#include "imagery/Image.h"

using KOL::Plot;
using KOL::Point;

namespace {

constexpr const char* GLOBE = "latlon:-90:0,0,0,361,181,1,1";

using Ink = std::function<bool(uint32_t)>;

int part(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 255); }
// Thin lines are antialiased: half a line's ink on the background counts.
bool dark(uint32_t c) { return part(c, 16) < 170 && part(c, 8) < 170 && part(c, 0) < 170; }
bool light(uint32_t c) { return part(c, 16) > 85 && part(c, 8) > 85 && part(c, 0) > 85; }
bool red(uint32_t c)
{
  return part(c, 16) > 150 && part(c, 16) - part(c, 8) > 60 && part(c, 8) == part(c, 0);
}

int count(const KOLTest::Raster& r, int x1, int y1, int x2, int y2, const Ink& ink)
{
  int n = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) n += ink(r.at(x, y));
  return n;
}

// Where the border and the labels of a whole-globe panel land, in device units.
struct Layout {
  Point left, top;  // middle of the panel's left edge; top-left corner
};

Layout drawDefaults(Plot& plot)
{
  plot.setDomain(GLOBE);
  plot.addLabel("ul", "World_map");
  plot.addLabel("ur", "Information");
  const Layout at{plot.toDevice(Point(-180, 0)), plot.toDevice(Point(-180, 90))};
  plot.drawBorder();
  plot.drawLabels();
  return at;
}

// Ink on the border's left edge and in the label band above the panel.
void expectInk(const KOLTest::Raster& r, const Layout& at, const KOLTest::PixelMap& m,
               const Ink& ink, const char* what)
{
  const int x = m.x(at.left.x), y = m.y(at.left.y), top = m.y(at.top.y);
  EXPECT_GT(count(r, x - 2, y - 20, x + 2, y + 20, ink), 20)
      << what << ": border near " << x << "," << y;
  EXPECT_GT(count(r, 0, 0, r.width - 1, top - 3, ink), 30) << what << ": labels";
}

class InverseVideoTest : public KOLTest::DatabaseTest {
 protected:
  // The pictures go where KOL_KEEP_PICTURES names, for a person to look at.
  std::string file(const std::string& name)
  {
    const char* keep = std::getenv("KOL_KEEP_PICTURES");
    return keep ? std::string(keep) + "/inverse_" + name : dir.file(name);
  }
  KOLTest::TempDir dir;
};

// The default border and labels show on every background: a white and a black picture, grey
// and colour paper as Ghostscript renders it ("color" keeps inverse video, which the plot must
// not take back when no resource asks it to), and a black page.
TEST_F(InverseVideoTest, DefaultBorderAndLabelsShowOnEveryBackground)
{
  const struct {
    const char* name;
    bool page, inverse;
    const char* params;
  } cases[] = {{"w.png", false, true, ",sz=600x400"},
               {"b.png", false, false, ",sz=600x400"},
               {"gray.ps", true, true, ",gray,port,eps"},
               {"color.ps", true, true, ",color,port,eps"},
               {"black.ps", true, false, ",color,port,eps"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.page && !KOLTest::haveGhostscript()) continue;
    std::unique_ptr<KOL::Device> dev;
    if (c.page)
      dev = std::make_unique<KOL::Postscript>();
    else
      dev = std::make_unique<KOL::ImageDevice>();
    dev->setParam((file(c.name) + c.params).c_str());
    if (!c.inverse) dev->setInverse(false);
    Plot plot;
    ASSERT_TRUE(plot.open(std::move(dev), ""));
    EXPECT_EQ(plot.getGraph().getInverse(), c.inverse);
    const Layout at = drawDefaults(plot);
    KOLTest::Raster r;
    if (c.page) {
      plot.close();
      r = KOLTest::renderPs(file(c.name), true);
    } else {
      KOL::Image img;
      ASSERT_EQ(plot.getImage(img), 1);
      r = KOLTest::toRaster(img);
    }
    ASSERT_TRUE(r.valid());
    EXPECT_EQ(r.at(2, r.height - 2), c.inverse ? 0xFFFFFFu : 0u) << "background";
    expectInk(r, at, {static_cast<float>(r.height), c.page}, c.inverse ? Ink(dark) : Ink(light),
              c.name);
  }
}

TEST_F(InverseVideoTest, AGivenLabelColourIsKept)
{
  Plot plot;
  ASSERT_TRUE(plot.open(("de=i," + file("r.png") + ",sz=600x400").c_str()));
  plot.setLabelColor("red");
  const Layout at = drawDefaults(plot);
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  const KOLTest::Raster r = KOLTest::toRaster(img);
  expectInk(r, at, {static_cast<float>(r.height), false}, red, "red labels");
  EXPECT_EQ(count(r, 0, 0, r.width - 1, r.height - 1, dark), 0) << "nothing in the default ink";
}

}  // namespace
