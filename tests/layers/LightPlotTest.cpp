// Lightning in the picture: each strike where the projection puts it in the colour of its age
// class (or polarity), strikes older than the last class left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "LayerPicture.h"
#include "imagery/RGB.h"
#include "layers/LightPlot.h"

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

// The pixel is the class colour within the device's rounding.
bool same(uint32_t px, const KOL::RGB& c)
{
  const int want[3] = {KOL::RGB::toByte(c.red), KOL::RGB::toByte(c.green),
                       KOL::RGB::toByte(c.blue)};
  for (int i = 0; i < 3; ++i)
    if (std::abs(static_cast<int>((px >> (16 - 8 * i)) & 0xFF) - want[i]) > 2) return false;
  return true;
}

class LightPictureTest : public KOLTest::LayerPictureTest {
 protected:
  void SetUp() override
  {
    LayerPictureTest::SetUp();
    KOLTest::writeFile(
        dir.file("strikes.ualf"),
        ualf(58, 0, 35, -97, -20) + ualf(35, 0, 36, -96, 15) + ualf(0, 0, 34, -98, -10));
  }
  KOLTest::TempDir dir;
};

TEST_F(LightPictureTest, StrikesInTheColourOfTheirAge)
{
  KOL::LightPlot layer("nomap,nobar,vdate=201807020500");
  ASSERT_TRUE(layer.setFilename(dir.file("strikes.ualf").c_str()));
  draw(layer);
  const auto& s = layer.getStrikes();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(layer.classOf(s[0]), 1);  // 2 minutes old
  EXPECT_EQ(layer.classOf(s[1]), 5);  // 25 minutes old
  EXPECT_EQ(layer.classOf(s[2]), 0);  // an hour old
  EXPECT_TRUE(same(colourAt(35, -97), layer.getClassColor(1)));
  EXPECT_TRUE(same(colourAt(36, -96), layer.getClassColor(5)));
  EXPECT_EQ(colourAt(34, -98), 0xFFFFFFu);
}

TEST_F(LightPictureTest, StrikesInTheColourOfTheirPolarity)
{
  KOL::LightPlot polarity("nomap,nobar,pol,vdate=201807020500");
  ASSERT_TRUE(polarity.setFilename(dir.file("strikes.ualf").c_str()));
  draw(polarity);
  EXPECT_EQ(colourAt(35, -97), 0x0000FFu);
  EXPECT_EQ(colourAt(36, -96), 0xFF0000u);
}

// One colour for all (co=) or a colour per class (cof=) from the plot's colour table.
TEST_F(LightPictureTest, ColoursNamedByTheKeys)
{
  KOL::LightPlot one("nomap,co=green,vdate=201807020500");
  ASSERT_TRUE(one.setFilename(dir.file("strikes.ualf").c_str()));
  draw(one);
  EXPECT_EQ(colourAt(35, -97), 0x00FF00u);
  EXPECT_EQ(colourAt(36, -96), 0x00FF00u);
  KOL::LightPlot classes("nomap,nobar,pol,cof=green:magenta,vdate=201807020500");
  ASSERT_TRUE(classes.setFilename(dir.file("strikes.ualf").c_str()));
  draw(classes);
  EXPECT_EQ(colourAt(35, -97), 0x00FF00u);  // negative
  EXPECT_EQ(colourAt(36, -96), 0xFF00FFu);
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
