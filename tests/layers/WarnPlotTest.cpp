// Warnings in the picture: the polygons in force at the valid time where the projection puts
// their corners, in their hazard colour; cancelled and expired ones gone.
#include <gtest/gtest.h>

#include <string>

#include "LayerPicture.h"
#include "layers/WarnPlot.h"
#include "obs/text/Vtec.h"

namespace {

std::string warning(const std::string& name)
{
  return KOLTest::dataFile("textprod/warnings/" + name);
}

class WarnPictureTest : public KOLTest::LayerPictureTest {};

TEST_F(WarnPictureTest, PolygonCornersWhereTheProjectionPutsThem)
{
  KOL_REQUIRE_DATA();
  KOL::WarnPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(warning("pyiem_SVRMEG_SVRMEG_0.txt").c_str()));
  ASSERT_EQ(layer.drawn().size(), 1u);
  draw(layer, "warning.png");
  const auto& polygon = layer.drawn().front()->polygon;
  ASSERT_EQ(polygon.size(), 16u);
  for (const auto& [lat, lon] : polygon)
    EXPECT_TRUE(inkNear(0xFFA500, lat, lon)) << lat << " " << lon;
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'W'), "red");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("FF", 'W'), "darkred");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'A'), "gold");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("ZZ", 'Y'), "sienna");
}

TEST_F(WarnPictureTest, OneColourForAll)
{
  KOL_REQUIRE_DATA();
  KOL::WarnPlot layer("nomap,nolabel,co=blue");
  ASSERT_TRUE(layer.setFilename(warning("pyiem_SVRMEG_SVRMEG_0.txt").c_str()));
  draw(layer);
  const auto& polygon = layer.drawn().front()->polygon;
  for (const auto& [lat, lon] : polygon) {
    EXPECT_TRUE(inkNear(0x0000FF, lat, lon)) << lat << " " << lon;
    EXPECT_FALSE(inkNear(0xFFA500, lat, lon)) << lat << " " << lon;
  }
}

TEST_F(WarnPictureTest, CancelledAndExpiredWarningsAreGone)
{
  KOL_REQUIRE_DATA();
  KOL::WarnPlot layer;
  ASSERT_TRUE(layer.setFilename(warning("pyiem_vtec_TORFWD_0.txt").c_str()));
  const std::time_t during = layer.getValidTime() + 60;
  layer.setValidTime(during);
  EXPECT_EQ(layer.drawn().size(), 1u);
  ASSERT_TRUE(layer.addFile(warning("pyiem_vtec_TORFWD_1.txt").c_str()));
  EXPECT_TRUE(layer.drawn().empty());

  KOL::WarnPlot later;
  ASSERT_TRUE(later.setFilename(warning("pyiem_TOROAX_0.txt").c_str()));
  later.setValidTime(KOL::Vtec::seconds("240426T2300Z"));  // its end
  EXPECT_TRUE(later.drawn().empty());
  later.setValidTime(KOL::Vtec::seconds("240426T2259Z"));
  EXPECT_EQ(later.drawn().size(), 1u);
}

}  // namespace
