// The upper-air plot layer on the soundings of a Chinese TEMP BUFR bulletin (12 stations, 28 Oct
// 2019 23 UTC): station values where the projection puts the stations, interpolated to the
// layer's level and in the entry's units, and the analysis of the heights through the soundings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grid.h"
#include "layers/UpaPlot.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"

namespace {

using KOL::UpaPlot;

// The region "china" of data/kol.reg.
constexpr const char* CHINA = "lamb:30:104.17,31.25,104.17,25,17,3.52,3.52";
constexpr const char* SOUNDINGS = "bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr";

struct Text {
  KOL::Point at;
  std::string text;
};

class UpaPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    if (!KOLTest::haveData()) GTEST_SKIP() << "test data not found at " << KOLTest::dataDir();
    KOL::UpaReports r;
    ASSERT_TRUE(r.read(KOLTest::dataFile(SOUNDINGS).c_str(), KOL::Date(2019, 10, 29, 0, 0, 0)));
    r.locate(nullptr);
    ASSERT_TRUE(r.write(file.c_str()));
    // the soundings as the file keeps them (heights to the decametre, temperatures to the tenth)
    KOL::UpaKolFile in;
    ASSERT_TRUE(in.open(file.c_str(), KOL::UpaKolFile::READ));
    for (KOL::UpaRawinData raw; in.read(raw); raw.init()) {
      KOL::UpaData d;
      ASSERT_TRUE(KOL::UpaTool::merge(raw, d));
      soundings.push_back(d);
    }
    ASSERT_EQ(soundings.size(), 12u);
  }
  // Draws a list at a level on China with every station model kept.
  UpaPlot& draw(const char* variable, const char* level, const char* params = "nothin")
  {
    open(CHINA, 1000, 700);
    layer.setFilename(file.c_str());
    layer.setLevel(level);
    layer.setVariable(variable);
    layer.setParam(params);
    EXPECT_EQ(layer.draw(*plot), 1);
    return layer;
  }
  std::vector<Text> texts() const
  {
    std::vector<Text> out;
    for (const std::string& s : log) {
      Text t;
      char value[64];
      if (std::sscanf(s.c_str(), "text %f,%f %63s", &t.at.x, &t.at.y, value) == 3)
        out.push_back({t.at, value});
    }
    return out;
  }
  KOL::Point pixel(const KOL::UpaData& d)
  {
    KOL::EarthPoint e(d.getLat(), d.getLon());
    KOL::Point p;
    plot->getDomain().tran(e, p);
    return plot->toDevice(p);
  }
  static float at(const KOL::UpaData& d, float p, float KOL::UpaLevel::*field)
  {
    KOL::UpaLevel l;
    return d.interp(KOL::VCoord::PRESSURE, p, l) == 1 ? l.*field : KOL::Const::FMISS;
  }

  KOLTest::TempDir dir;
  std::string file = dir.file("cn.upa");
  std::vector<KOL::UpaData> soundings;
  UpaPlot layer;
};

// Each sounding's height (decametres) and temperature at the layer's level, centred on its
// station: at 500 hPa, at 700 hPa, and at a level between the standard ones (400 hPa is one;
// 600 hPa is interpolated in log pressure).
TEST_F(UpaPlotTest, StationValuesSitAtTheirStationsAtTheLevel)
{
  for (const char* level : {"500", "700", "600"}) {
    SCOPED_TRACE(level);
    // device text, so that the values can be read back
    draw("hght[dam,cc:%.0f:fo=#fixed],temp[C,cc:%.1f:fo=#fixed]", level);
    const std::vector<Text> drawn = texts();
    const float p = std::stof(level);
    int found = 0;
    for (const KOL::UpaData& d : soundings) {
      const float h = at(d, p, &KOL::UpaLevel::hght), t = at(d, p, &KOL::UpaLevel::temp);
      if (h == KOL::Const::FMISS) continue;
      char hText[16], tText[16];
      std::snprintf(hText, sizeof hText, "%.0f", h / 10);
      std::snprintf(tText, sizeof tText, "%.1f", t);
      const KOL::Point where = pixel(d);
      int here = 0;
      for (const Text& x : drawn)
        if (std::hypot(x.at.x - where.x, x.at.y - where.y) <= 2 &&
            (x.text == hText || x.text == tText))
          ++here;
      EXPECT_EQ(here, 2) << d.getId() << " " << hText << " " << tText;
      found += here == 2;
    }
    EXPECT_GE(found, 10);
  }
}

// Heights as the charts write them, three digits at the station: metres without the leading
// 1 at 850 hPa, decametres without the thousands at 250 hPa (10 520 m is 052).
TEST_F(UpaPlotTest, HeightCodesAsChartsWriteThem)
{
  for (const auto& [level, metresPer] : {std::pair{"850", 1.0f}, {"250", 10.0f}}) {
    SCOPED_TRACE(level);
    draw("hgcode[,cc:%03.0f:fo=#fixed]", level);
    const std::vector<Text> drawn = texts();
    int found = 0;
    for (const KOL::UpaData& d : soundings) {
      const float h = at(d, std::stof(level), &KOL::UpaLevel::hght);
      if (h == KOL::Const::FMISS) continue;
      char code[16];
      std::snprintf(code, sizeof code, "%03ld", std::lround(h / metresPer) % 1000);
      const KOL::Point where = pixel(d);
      for (const Text& x : drawn)
        if (std::hypot(x.at.x - where.x, x.at.y - where.y) <= 2 && x.text == code) ++found;
    }
    EXPECT_GE(found, 10);
    for (const Text& x : drawn) EXPECT_EQ(x.text.size(), 3u) << x.text;
  }
}

// The analysed 500 hPa heights pass within 2 dam of the soundings.
TEST_F(UpaPlotTest, AnalysedHeightsFollowTheSoundings)
{
  draw("hght[dam,ln,int=3]", "500", "grid=2,rad_inf=5,filter=4");
  const KOL::Grid& g = layer.getPipeline().slotGrid(0);
  ASSERT_GT(g.getValid(), 0);
  int inside = 0;
  for (const KOL::UpaData& d : soundings) {
    const float h = at(d, 500, &KOL::UpaLevel::hght) / 10;
    KOL::EarthPoint e(d.getLat(), d.getLon());
    const float a = g.getValue(e);
    if (h < 0 || a == KOL::Const::FMISS) continue;
    EXPECT_NEAR(a, h, 2.0f) << d.getId();
    ++inside;
  }
  EXPECT_GE(inside, 10);
}

// Each key of the layer's parameters, and the resources it starts from.
TEST(UpaPlotKeys, ParametersAndResources)
{
  KOLTest::QuietScope quiet;
  KOL::Kol::resrc.set("level", "700");
  KOL::Kol::resrc.set("plot_type", "cf");
  UpaPlot fromResources;
  KOL::Kol::resrc.set("level", "");
  KOL::Kol::resrc.set("plot_type", "");
  EXPECT_TRUE(fromResources.isGridded());
  KOL::VCoord c;
  ASSERT_TRUE(fromResources.getLevel().getLower(c));
  EXPECT_FLOAT_EQ(c.value, 700);

  UpaPlot p;
  ASSERT_TRUE(p.getLevel().getLower(c));
  EXPECT_FLOAT_EQ(c.value, 500) << "the default level";
  EXPECT_FALSE(p.isGridded());
  p.setParam("le=250,va=\"hght,temp\",pl=ln,map,sync");
  ASSERT_TRUE(p.getLevel().getLower(c));
  EXPECT_FLOAT_EQ(c.value, 250);
  EXPECT_STREQ(p.getVariable(), "hght,temp");
  EXPECT_TRUE(p.isGridded());
  EXPECT_EQ(p.getSync(), 1);
  EXPECT_EQ(p.setLevel("nonsense"), 0);
  ASSERT_TRUE(p.getLevel().getLower(c));
  EXPECT_FLOAT_EQ(c.value, 250) << "an unknown level leaves it";
}

TEST_F(UpaPlotTest, MissingFileDrawsNothing)
{
  open(CHINA);
  layer.setFilename(dir.file("none.upa").c_str());
  EXPECT_EQ(layer.draw(*plot), 0);
  EXPECT_EQ(count("line"), 0);
}

}  // namespace
