#include "obs/SaoTool.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Const.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"

using KOL::SaoTool;
using KOL::SfcData;
using KOL::SfcWmoData;

namespace {

constexpr float MISS = KOL::Const::FMISS;

SfcData decodeFrom(const char* text, int location, int format = SfcWmoData::SA)
{
  SfcWmoData w;
  w.setData(text);
  w.format = format;
  w.location = location;
  w.setDate(KOL::Date(2020, 1, 6, 0, 0, 0));
  SfcData s;
  EXPECT_EQ(SaoTool::decode(w, s), 1);
  return s;
}

TEST(SaoToolTest, CanadianAutomaticReports)
{
  SfcData s = decodeFrom(
      "AAW SA 0000 AUTO8 M M M 947/-03/-04/3316+29/M/0004 PK WND 3329 2357Z SOG 03 1056 82MM",
      SfcWmoData::CANADA);
  EXPECT_STREQ(s.platform, "SA");
  EXPECT_EQ(s.type, 3);
  EXPECT_EQ(s.vis, MISS);
  EXPECT_NEAR(s.slp, 994.7, 1e-3);
  EXPECT_FLOAT_EQ(s.wdir, 330);
  EXPECT_FLOAT_EQ(s.gust, 29);
  EXPECT_EQ(s.alt, MISS);
  EXPECT_FLOAT_EQ(s.snow, 3);
  EXPECT_EQ(s.ptend_type, 1);
  EXPECT_NEAR(s.ptend, 5.6, 1e-5);
  EXPECT_STREQ(s.comment, "0004 PK WND 3329 2357Z 82MM ");

  // Missing fields of the slash block, one by one.
  const struct {
    const char* block;
    float slp, temp, dewp, dir, speed;
  } table[] = {
      {"M/19/06/1806/M/", MISS, 19, 6, 180, 6},
      {"073/18/14/MM10/M/M", 1007.3f, 18, 14, MISS, 10},
      {"126/-25/-28/33MM/M/", 1012.6f, -25, -28, 330, MISS},
      {"M/-02/-10/MMMM/M/", MISS, -2, -10, MISS, MISS},
  };
  for (const auto& c : table) {
    std::string text = std::string("WXL SA 1400 AUTO8 M M M ") + c.block + " M 75MM";
    SfcData r = decodeFrom(text.c_str(), SfcWmoData::CANADA);
    const float got[] = {r.slp, r.temp, r.dewp, r.wdir, r.wspd},
                want[] = {c.slp, c.temp, c.dewp, c.dir, c.speed};
    for (int i = 0; i < 5; i++) EXPECT_NEAR(got[i], want[i], 1e-3) << i << " " << c.block;
  }
}

TEST(SaoToolTest, SkyVisibilityAndWeather)
{
  // A US report: temperatures in Fahrenheit, a three-digit altimeter code.
  SfcData us = decodeFrom("ORD SA 1850 M12 OVC 1 1/2 R-F 132/45/40/2710G20/992", SfcWmoData::USA);
  ASSERT_EQ(us.ncld, 1);
  EXPECT_EQ(us.cld[0].cover, 'O');
  EXPECT_FLOAT_EQ(us.cld[0].height, 1200);
  EXPECT_STREQ(us.wx, "R-F");
  EXPECT_NEAR(us.temp, 7.222, 1e-3);
  EXPECT_FLOAT_EQ(us.gust, 20);

  SfcData ca = decodeFrom("YUL SP 1812 E25 BKN 100 -OVC 15+ 045/-03/-08/CALM/012",
                          SfcWmoData::CANADA, SfcWmoData::SP);
  EXPECT_EQ(ca.type, 4);
  ASSERT_EQ(ca.ncld, 2);
  EXPECT_FLOAT_EQ(ca.cld[0].height, 2500);
  EXPECT_EQ(ca.cld[1].cover, 'o');
  EXPECT_FLOAT_EQ(ca.vis, 15);
  EXPECT_FLOAT_EQ(ca.wspd, 0);
  EXPECT_NEAR(ca.alt, 30.12, 1e-5);

  const struct {
    const char* sky;
    const char* covers;
    float height;
    float vis;
  } table[] = {
      {"CLR BLO 120 3/4", "C", 12000, 0.75f},
      {"-X 5 SCT 11/2", "xS", MISS, 1.5f},
      {"W3 X 1 1/4", "X", 300, 1.25f},
      {"CLR 7", "C", MISS, 7},
  };
  for (const auto& c : table) {
    std::string text = std::string("XYZ SA 1850 ") + c.sky + " 132/45/40/2710/992";
    SfcData r = decodeFrom(text.c_str(), SfcWmoData::USA);
    ASSERT_EQ(r.ncld, static_cast<int>(std::string(c.covers).size())) << c.sky;
    for (int i = 0; i < r.ncld; ++i) EXPECT_EQ(r.cld[i].cover, c.covers[i]) << c.sky;
    EXPECT_FLOAT_EQ(r.cld[0].height, c.height) << c.sky;
    EXPECT_NEAR(r.vis, c.vis, 1e-5) << c.sky;
  }
}

TEST(SaoToolTest, AltimeterCodes)
{
  EXPECT_NEAR(SaoTool::decodeAlt(500), 35.0, 1e-5);
  EXPECT_NEAR(SaoTool::decodeAlt(501), 25.01, 1e-5);
  EXPECT_EQ(SaoTool::decodeAlt(-1), MISS);

  SfcData s;
  EXPECT_EQ(SaoTool::decode("XYZ SA", s), 1);
}

}  // namespace
