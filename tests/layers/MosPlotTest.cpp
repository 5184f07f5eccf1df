// MOS guidance on a map: the stations at their places in the station table, the forecast hour
// asked for, the temperature up left and the dew point down left of each station.
#include <gtest/gtest.h>

#include "LayerPicture.h"
#include "layers/MosPlot.h"

namespace {

class MosPictureTest : public KOLTest::LayerPictureTest {};

TEST_F(MosPictureTest, StationsPlacedWithTheirElementsAroundThem)
{
  KOL_REQUIRE_DATA();
  KOL::MosPlot layer("nomap,fh=24,va=TMP:DPT");
  ASSERT_TRUE(layer.setFilename(KOLTest::dataFile("textprod/mos/pyiem_MAVWC0.txt").c_str()));
  const auto placed = layer.placed();
  ASSERT_EQ(placed.size(), 3u);  // KEED, KELN, KEPH
  for (const auto& p : placed) EXPECT_EQ(p.station->hours[p.column], 24);
  EXPECT_NEAR(placed[0].lat, 34.7667, 1e-3);
  draw(layer, "mos.png");
  const KOL::Point at = pixel(placed[0].lat, placed[0].lon);
  // ink of each colour in the four boxes about the station (rows grow down)
  auto count = [&](uint32_t c, int x1, int y1, int x2, int y2) {
    return KOLTest::inkOf(pic, c, 80, int(at.x) + x1, int(at.y) + y1, int(at.x) + x2,
                          int(at.y) + y2)
        .count;
  };
  // temperature up left, dew point down left; nothing of them on the right
  const int redUp = count(0xFF0000, -30, -20, -1, -1), redDown = count(0xFF0000, -30, 1, -1, 20);
  const int greenUp = count(0x00FF00, -30, -20, -1, -1),
            greenDown = count(0x00FF00, -30, 1, -1, 20);
  EXPECT_GT(redUp, 3 * redDown + 5);
  EXPECT_GT(greenDown, 3 * greenUp + 5);
  EXPECT_EQ(count(0xFF0000, 2, -20, 30, 20) + count(0x00FF00, 2, -20, 30, 20), 0);
}

}  // namespace
