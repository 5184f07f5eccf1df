#include "obs/WxTool.h"

#include <gtest/gtest.h>

#include "common/TestData.h"
#include "core/Const.h"
#include "core/String.h"
#include "obs/CloudLayer.h"

using KOL::String;
using KOL::WxTool;

namespace {

constexpr float MISS = KOL::Const::FMISS;

// The weather table is read once per process from the database directory.
class WxToolTest : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

TEST_F(WxToolTest, WeatherForms)
{
  String out("unchanged");
  EXPECT_EQ(WxTool::getWeather("TRW+A", out), 1);
  EXPECT_STREQ(out.get(), "+TSGR");
  out.copy("unchanged");
  EXPECT_EQ(WxTool::getWeather("QQ", out), 0);
  EXPECT_STREQ(out.get(), "unchanged");
  EXPECT_EQ(WxTool::getSAWeather("!-RA_FG", out), 1);
  EXPECT_STREQ(out.get(), "R-F");
  WxTool::getSAWeather("95", out);
  EXPECT_STREQ(out.get(), "TRW");

  const struct {
    const char* wx;
    int wmo;
  } codes[] = {{"!-RA_BR", 61}, {"!+TSRA", 97}, {"!BR", 0},    {"!MIFG", 12}, {"!FZFG", 44},
               {"!-SHRA", 80},  {"63", 63},     {"TRW+F", 97}, {"", 0}};
  for (const auto& c : codes) EXPECT_EQ(WxTool::getWmoFromWeather(c.wx), c.wmo) << c.wx;
  EXPECT_EQ(WxTool::getWmoFromSAWeather("ZR-"), 66);
  EXPECT_STREQ(WxTool::getWmoWeather(50), "-DZ");
  EXPECT_STREQ(WxTool::getWmoWeather(1), " ");
  EXPECT_STREQ(WxTool::getWmoAutoWeather(28), "BS");
  EXPECT_STREQ(WxTool::getWmoAutoWeather(99), " ");
}

TEST_F(WxToolTest, PlainWords)
{
  const struct {
    const char* wx;
    const char* words;
  } table[] = {
      {"!-RA_BR", "light rain, mist"},
      {"!+TSRA", "heavy thunderstorm with rain"},
      {"!VCSH", "showers in the vicinity"},
      {"!-SHRASN", "light rain and snow showers"},
      {"!BCFG", "patches of fog"},
      {"!+FC", "tornado"},
      {"!TSFZRA", "thunderstorm with freezing rain"},
      {"63", "rain"},
      {"R-F", "light rain, fog"},
      {"!XX", "XX"},
  };
  String out;
  for (const auto& c : table) {
    WxTool::getTextFromWeather(c.wx, out);
    EXPECT_STREQ(out.get(), c.words) << c.wx;
  }
}

TEST_F(WxToolTest, CodesAndClouds)
{
  const struct {
    int code;
    float miles;
  } vis[] = {{0, 0},     {10, 0.625f},   {56, 3.75f},  {80, 18.75f}, {85, 34.375f},
             {90, MISS}, {91, 0.03125f}, {99, 31.25f}, {100, MISS}};
  for (const auto& c : vis) EXPECT_NEAR(WxTool::getWmoVis(c.code), c.miles, 1e-4) << c.code;
  EXPECT_FLOAT_EQ(WxTool::getWmoCldBase(9), 12000);
  EXPECT_EQ(WxTool::getWmoCldBase(10), MISS);
  const struct {
    float feet;
    int code;
  } base[] = {{100, 0}, {164, 1}, {655, 2}, {984, 4}, {5000, 7}, {30000, 9}};
  for (const auto& c : base) EXPECT_EQ(WxTool::getWmoCeilingToCode(c.feet), c.code) << c.feet;
  EXPECT_FLOAT_EQ(WxTool::decodeDir("NNW"), 337.5);
  EXPECT_EQ(WxTool::decodeDir("NORTH"), MISS);
  EXPECT_STREQ(WxTool::getCloudStr('X'), "obscured");

  KOL::CloudLayer layers[] = {{'F', 1500}, {'B', 3000}, {'O', 5000}};
  KOL::CloudLayer summary;
  EXPECT_EQ(WxTool::setCloud(3, layers, summary), 1);
  EXPECT_EQ(summary.cover, 'O');
  EXPECT_FLOAT_EQ(summary.height, 3000);
  EXPECT_EQ(WxTool::setCloud(0, layers, summary), 0);
}

}  // namespace
