// Storms in the picture: an advisory's wind radii where each quadrant's radius puts them, none
// where a quadrant has no such wind; the fixes of a best track in their intensity colours.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/HurPlot.h"

using KOL::EarthPoint;
using KOL::HurPlot;
using KOL::Plot;
using KOL::Point;
using KOLTest::isInkOf;

namespace {

class StormPictureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    KOL_REQUIRE_DATA();
    KOL::Kol::resrc.set("inverse", "true");
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("inverse", "");
    QuietTest::TearDown();
  }
  void draw(HurPlot& layer)
  {
    layer.setParam("nomap,nolabel");
    ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    ASSERT_EQ(plot.getImage(shot), 1);
  }
  bool inkNear(uint32_t c, std::pair<double, double> at, int within = 2)
  {
    EarthPoint e(static_cast<float>(at.first), static_cast<float>(at.second));
    Point p;
    if (!domain.tran(e, p)) return false;
    p = plot.toDevice(p);
    const KOLTest::Raster pic = KOLTest::toRaster(shot);
    for (int j = -within; j <= within; ++j)
      for (int i = -within; i <= within; ++i)
        if (isInkOf(pic.at(int(p.x + 0.5f) + i, int(p.y + 0.5f) + j), c, 80)) return true;
    return false;
  }

  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
};

// Rita, advisory 11: 64 kt 25NE 25SE 0SW 0NW, 34 kt 105NE 60SE 60SW 105NW.
TEST_F(StormPictureTest, WindRadiiByQuadrant)
{
  HurPlot layer;
  ASSERT_TRUE(layer.setFilename(
      KOLTest::dataFile("textprod/tropical/asgs_al182005_fstadv_011.txt").c_str()));
  ASSERT_EQ(layer.getAdvisories().size(), 1u);
  draw(layer);
  const auto& c = layer.getAdvisories().front().center;
  const uint32_t gold = 0xDAA520, red = 0xFF0000;
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 105, 45)));
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 60, 135)));
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 105, 315)));
  EXPECT_TRUE(inkNear(red, HurPlot::offset(c.lat, c.lon, 25, 45)));
  EXPECT_FALSE(inkNear(red, HurPlot::offset(c.lat, c.lon, 25, 225), 1));
}

TEST_F(StormPictureTest, BestTrackFixesInTheirIntensityColours)
{
  HurPlot layer;
  ASSERT_TRUE(
      layer.setFilename(KOLTest::dataFile("textprod/tropical/asgs_katrina_bal122005.dat").c_str()));
  draw(layer);
  int checked = 0;
  const auto& t = layer.getTrack();
  for (size_t i : t.track()) {
    const auto& r = t.records[i];
    const uint32_t c = r.vmax_kt < 34   ? 0x00BFFF
                       : r.vmax_kt < 64 ? 0x00FF00
                       : r.vmax_kt < 96 ? 0xFF0000
                                        : 0xFF00FF;
    EXPECT_STREQ(HurPlot::intensityColor(r.vmax_kt), r.vmax_kt < 34   ? "deepskyblue"
                                                     : r.vmax_kt < 64 ? "green"
                                                     : r.vmax_kt < 96 ? "red"
                                                                      : "magenta");
    EXPECT_TRUE(inkNear(c, {r.lat, r.lon})) << r.time;
    ++checked;
  }
  EXPECT_EQ(checked, 34);
}

}  // namespace
