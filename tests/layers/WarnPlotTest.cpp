// Warnings in the picture: the polygons in force at the valid time where the projection puts
// their corners, in their hazard colour; cancelled and expired ones gone.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/WarnPlot.h"
#include "obs/text/Vtec.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::isInkOf;

namespace {

std::string warning(const std::string& name)
{
  return KOLTest::dataFile("textprod/warnings/" + name);
}

class WarnPictureTest : public KOLTest::DatabaseTest {
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
  void draw(KOL::WarnPlot& layer)
  {
    layer.setParam("nomap,nolabel");
    ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    ASSERT_EQ(plot.getImage(shot), 1);
  }
  // Ink of colour c within 2 pixels of an earth point.
  bool inkNear(uint32_t c, double lat, double lon)
  {
    EarthPoint e(static_cast<float>(lat), static_cast<float>(lon));
    Point p;
    if (!domain.tran(e, p)) return false;
    p = plot.toDevice(p);
    const KOLTest::Raster pic = KOLTest::toRaster(shot);
    for (int j = -2; j <= 2; ++j)
      for (int i = -2; i <= 2; ++i)
        if (isInkOf(pic.at(int(p.x + 0.5f) + i, int(p.y + 0.5f) + j), c, 80)) return true;
    return false;
  }

  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
};

TEST_F(WarnPictureTest, PolygonCornersWhereTheProjectionPutsThem)
{
  KOL::WarnPlot layer;
  ASSERT_TRUE(layer.setFilename(warning("pyiem_SVRMEG_SVRMEG_0.txt").c_str()));
  ASSERT_EQ(layer.drawn().size(), 1u);
  draw(layer);
  const auto& polygon = layer.drawn().front()->polygon;
  ASSERT_EQ(polygon.size(), 16u);
  for (const auto& [lat, lon] : polygon)
    EXPECT_TRUE(inkNear(0xFFA500, lat, lon)) << lat << " " << lon;
}

TEST_F(WarnPictureTest, OneColourForAll)
{
  KOL::WarnPlot layer("co=blue");
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

TEST(WarnPlotColors, HazardColoursByPhenomenonAndSignificance)
{
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'W'), "red");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("SV", 'W'), "orange");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("FF", 'W'), "darkred");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'A'), "gold");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("ZZ", 'Y'), "sienna");
}

}  // namespace
