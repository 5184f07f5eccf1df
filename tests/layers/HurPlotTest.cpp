// Storms in the picture: an advisory's wind radii where each quadrant's radius puts them, none
// where a quadrant has no such wind; the fixes of a best track in their intensity colours.
#include <gtest/gtest.h>

#include "LayerPicture.h"
#include "layers/HurPlot.h"

using KOL::HurPlot;

namespace {

class StormPictureTest : public KOLTest::LayerPictureTest {
 protected:
  bool inkNear(uint32_t c, std::pair<double, double> at, int within = 2)
  {
    return LayerPictureTest::inkNear(c, at.first, at.second, within);
  }
};

// Rita, advisory 11: 64 kt 25NE 25SE 0SW 0NW, 34 kt 105NE 60SE 60SW 105NW.
TEST_F(StormPictureTest, WindRadiiByQuadrant)
{
  KOL_REQUIRE_DATA();
  HurPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(
      KOLTest::dataFile("textprod/tropical/asgs_al182005_fstadv_011.txt").c_str()));
  ASSERT_EQ(layer.getAdvisories().size(), 1u);
  draw(layer, "storm_radii.png");
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
  KOL_REQUIRE_DATA();
  HurPlot layer("nomap,nolabel");
  ASSERT_TRUE(
      layer.setFilename(KOLTest::dataFile("textprod/tropical/asgs_katrina_bal122005.dat").c_str()));
  draw(layer, "storm_track.png");
  int checked = 0;
  const auto& t = layer.getTrack();
  for (size_t i : t.track()) {
    const auto& r = t.records[i];
    const uint32_t c = r.vmax_kt < 34   ? 0x00BFFF
                       : r.vmax_kt < 64 ? 0x00FF00
                       : r.vmax_kt < 96 ? 0xFF0000
                                        : 0xFF00FF;
    EXPECT_TRUE(inkNear(c, {r.lat, r.lon})) << r.time;
    ++checked;
  }
  EXPECT_EQ(checked, 34);
}

}  // namespace
