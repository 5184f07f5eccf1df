// MOS guidance on a map: the stations at their places in the station table, the forecast hour
// asked for, the temperature up left and the dew point down left of each station.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/MosPlot.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::isInkOf;

namespace {

TEST(MosPlot, StationsPlacedWithTheirElementsAroundThem)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOL::Kol::resrc.set("inverse", "true");
  KOL::MosPlot layer("nomap,fh=24,va=TMP:DPT");
  ASSERT_TRUE(layer.setFilename(KOLTest::dataFile("textprod/mos/pyiem_MAVWC0.txt").c_str()));
  const auto placed = layer.placed();
  ASSERT_EQ(placed.size(), 3u);  // KEED, KELN, KEPH
  for (const auto& p : placed) EXPECT_EQ(p.station->hours[p.column], 24);
  EXPECT_NEAR(placed[0].lat, 34.7667, 1e-3);

  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
  ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
  ASSERT_TRUE(layer.getDomain(domain));
  ASSERT_EQ(plot.setDomain(domain), 1);
  ASSERT_EQ(layer.draw(plot), 1);
  ASSERT_EQ(plot.getImage(shot), 1);
  KOL::Kol::resrc.set("inverse", "");
  const KOLTest::Raster pic = KOLTest::toRaster(shot);
  EarthPoint e(placed[0].lat, placed[0].lon);
  Point at;
  ASSERT_TRUE(domain.tran(e, at));
  at = plot.toDevice(at);
  // ink of each colour in the four boxes about the station
  auto count = [&](uint32_t c, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) n += isInkOf(pic.at(int(at.x) + x, int(at.y) + y), c, 80);
    return n;
  };
  // temperature up left, dew point down left (rows grow down); nothing of them on the right
  const int redUp = count(0xFF0000, -30, -20, -1, -1), redDown = count(0xFF0000, -30, 1, -1, 20);
  const int greenUp = count(0x00FF00, -30, -20, -1, -1),
            greenDown = count(0x00FF00, -30, 1, -1, 20);
  EXPECT_GT(redUp, 3 * redDown + 5);
  EXPECT_GT(greenDown, 3 * greenUp + 5);
  EXPECT_EQ(count(0xFF0000, 2, -20, 30, 20) + count(0x00FF00, 2, -20, 30, 20), 0);
}

}  // namespace
