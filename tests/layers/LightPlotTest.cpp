// Lightning in the picture: each strike where the projection puts it in the colour of its age
// class (or polarity), strikes older than the last class left out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"
#include "layers/LightPlot.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;

namespace {

// UALF lines: minutes and seconds after 04:00 UTC on 2 July 2018, position, peak current.
std::string ualf(int minute, int second, double lat, double lon, int ka)
{
  char line[200];
  std::snprintf(line, sizeof line,
                "0\t2018\t7\t2\t4\t%d\t%d\t0\t%.4f\t%.4f\t%d\t1\t8\t6\t45\t0.3\t0.2\t1.1\t4."
                "5\t20\t5\t0\t1\t0\t1\n",
                minute, second, lat, lon, ka);
  return line;
}

class LightPictureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    KOL::Kol::resrc.set("inverse", "true");
    KOLTest::writeFile(
        dir.file("strikes.ualf"),
        ualf(58, 0, 35, -97, -20) + ualf(35, 0, 36, -96, 15) + ualf(0, 0, 34, -98, -10));
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("inverse", "");
    QuietTest::TearDown();
  }
  void draw(KOL::LightPlot& layer)
  {
    ASSERT_TRUE(layer.setFilename(dir.file("strikes.ualf").c_str()));
    ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    ASSERT_EQ(plot.getImage(shot), 1);
  }
  uint32_t colorAt(double lat, double lon)
  {
    EarthPoint e(static_cast<float>(lat), static_cast<float>(lon));
    Point p;
    domain.tran(e, p);
    p = plot.toDevice(p);
    const int x = int(p.x + 0.5f), y = int(p.y + 0.5f);
    // Off the picture nothing was drawn: white, as the background.
    if (x < 0 || y < 0 || x >= shot.getWidth() || y >= shot.getHeight()) return 0xFFFFFF;
    return KOLTest::toRaster(shot).at(x, y);
  }
  // The pixel is the class colour within the device's rounding.
  static bool same(uint32_t px, const KOL::RGB& c)
  {
    const int want[3] = {KOL::RGB::toByte(c.red), KOL::RGB::toByte(c.green),
                         KOL::RGB::toByte(c.blue)};
    for (int i = 0; i < 3; ++i)
      if (std::abs(static_cast<int>((px >> (16 - 8 * i)) & 0xFF) - want[i]) > 2) return false;
    return true;
  }

  KOLTest::TempDir dir;
  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
};

TEST_F(LightPictureTest, StrikesInTheColourOfTheirAge)
{
  KOL::LightPlot layer("nomap,nobar,vdate=201807020500");
  draw(layer);
  const auto& s = layer.getStrikes();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(layer.classOf(s[0]), 1);  // 2 minutes old
  EXPECT_EQ(layer.classOf(s[1]), 5);  // 25 minutes old
  EXPECT_EQ(layer.classOf(s[2]), 0);  // an hour old
  EXPECT_TRUE(same(colorAt(35, -97), layer.getClassColor(1)));
  EXPECT_TRUE(same(colorAt(36, -96), layer.getClassColor(5)));
  EXPECT_EQ(colorAt(34, -98), 0xFFFFFFu);
}

TEST_F(LightPictureTest, StrikesInTheColourOfTheirPolarity)
{
  KOL::LightPlot layer("nomap,nobar,pol,vdate=201807020500");
  draw(layer);
  EXPECT_EQ(colorAt(35, -97), 0x0000FFu);
  EXPECT_EQ(colorAt(36, -96), 0xFF0000u);
}

// One colour for all (co=) or a colour per class (cof=) from the plot's colour table.
TEST_F(LightPictureTest, ColoursNamedByTheKeys)
{
  KOL::LightPlot one("nomap,co=green,vdate=201807020500");
  draw(one);
  EXPECT_EQ(colorAt(35, -97), 0x00FF00u);
  EXPECT_EQ(colorAt(36, -96), 0x00FF00u);
  KOL::LightPlot classes("nomap,nobar,pol,cof=green:magenta,vdate=201807020500");
  draw(classes);
  EXPECT_EQ(colorAt(35, -97), 0x00FF00u);  // negative
  EXPECT_EQ(colorAt(36, -96), 0xFF00FFu);
}

TEST(LightPlot, GlmFlashesAllOfTheLastMinute)
{
  KOL_REQUIRE_DATA();
  KOL::LightPlot layer("min=1");
  ASSERT_TRUE(layer.setFilename(
      KOLTest::dataFile(
          "textprod/lightning/"
          "glmtools_OR_GLM-L2-LCFA_G16_s20181830433000_e20181830433200_c20181830433231.nc")
          .c_str()));
  int drawn = 0;
  for (const auto& s : layer.getStrikes()) drawn += layer.classOf(s) > 0;
  EXPECT_EQ(drawn, 302);
}

}  // namespace
