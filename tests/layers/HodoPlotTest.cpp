// The hodograph of the Norman, Oklahoma sounding of 22 May 2011 12 UTC: the wind tips where the
// hodograph projection puts them, up to the top pressure asked for, coloured by height, and the
// storm motion ringed where UpaTool::calcStorm puts it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "layers/HodoPlot.h"
#include "layers/sound/SoundReader.h"
#include "obs/UpaData.h"
#include "obs/UpaTool.h"
#include "obs/Wind.h"

namespace {

class HodoPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    if (!KOLTest::haveData()) GTEST_SKIP() << "test data not found at " << KOLTest::dataDir();
    std::string problem;
    ASSERT_TRUE(
        KOL::sound::readSounding({KOLTest::dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt")},
                                 "OUN", KOL::Date(2011, 5, 22, 12, 0, 0), sounding, problem))
        << problem;
  }
  // Device pixels of a wind's tip (the direction it blows to).
  KOL::Point pixel(const KOL::Domain& d, float dir, float spd)
  {
    KOL::EarthPoint e(std::fmod(dir + 180, 360), spd);
    KOL::Point p;
    d.tran(e, p);
    return plot->toDevice(p);
  }
  // An end of a segment of the hodograph (its segments are drawn one by one, in their colours).
  bool vertexNear(const KOL::Point& px) const
  {
    for (const KOL::Points& line : rec->lines)
      for (const KOL::Point& q : line)
        if (line.getNum() == 2)
          if (std::hypot(q.x - px.x, q.y - px.y) <= 2) return true;
    return false;
  }
  KOL::UpaData sounding;
};

TEST_F(HodoPlotTest, WindTipsUpToTheTopAndTheStormMotion)
{
  KOL::HodoPlot hodo;
  hodo.setParam("min_pr=500");
  hodo.setSounding(sounding);
  KOL::Domain d;
  ASSERT_TRUE(hodo.getDomain(d));
  open("xy,0,0,2,2,1,1", 800, 800);
  ASSERT_TRUE(plot->setPanel(KOL::Rect(0.1f, 0.1f, 0.9f, 0.9f), d));
  forget();
  ASSERT_EQ(hodo.draw(*plot), 1);
  std::vector<KOL::Point> tips;
  for (int i = 0; i < sounding.getNum(); ++i) {
    if (!sounding.validDir(i) || !sounding.validSpd(i) || sounding.getPres(i) < 500) continue;
    tips.push_back(pixel(d, sounding.getDir(i), sounding.getSpd(i)));
    EXPECT_TRUE(vertexNear(tips.back())) << sounding.getPres(i) << " hPa";
  }
  ASSERT_GE(tips.size(), 10u);
  // one segment from each wind to the next, and none beyond
  auto isTip = [&](const KOL::Point& q) {
    for (const KOL::Point& t : tips)
      if (std::hypot(q.x - t.x, q.y - t.y) <= 1) return true;
    return false;
  };
  int segments = 0;
  for (const KOL::Points& line : rec->lines)
    segments += line.getNum() == 2 && isTip(line[0]) && isTip(line[1]);
  EXPECT_EQ(segments, static_cast<int>(tips.size()) - 1);
  KOL::Wind storm;
  ASSERT_TRUE(KOL::UpaTool::calcStorm(sounding, storm));
  // the ring about the storm motion: its points 2 knots from it
  const KOL::Point centre = pixel(d, storm.dir, storm.spd);
  const float two =
      std::hypot(pixel(d, 0, 2).x - pixel(d, 0, 0).x, pixel(d, 0, 2).y - pixel(d, 0, 0).y);
  int ring = 0;
  for (const KOL::Points& line : rec->lines) {
    int on = 0;
    for (const KOL::Point& q : line)
      on += std::fabs(std::hypot(q.x - centre.x, q.y - centre.y) - two) <= 1.5f;
    ring += on == line.getNum() && on > 8;
  }
  EXPECT_EQ(ring, 1);
  EXPECT_STREQ(KOL::HodoPlot::heightColor(500), "magenta");
  EXPECT_STREQ(KOL::HodoPlot::heightColor(2000), "red");
  EXPECT_STREQ(KOL::HodoPlot::heightColor(12000), "blue");
}

// The key to the heights' colours: each band's name beside a sample of its colour, from the
// lowest band up in the lower left quarter of the hodograph.
TEST_F(HodoPlotTest, HeightColoursHaveAKey)
{
  KOL::HodoPlot hodo;
  hodo.setSounding(sounding);
  KOL::Domain d;
  ASSERT_TRUE(hodo.getDomain(d));
  open("xy,0,0,2,2,1,1", 800, 800);
  ASSERT_TRUE(plot->setPanel(KOL::Rect(0.1f, 0.1f, 0.9f, 0.9f), d));
  plot->setFont("#fixed");  // device text, read back from the log
  forget();
  ASSERT_EQ(hodo.draw(*plot), 1);
  const KOL::Point centre = pixel(d, 0, 0);
  float last = 1e9f;
  for (const char* band : {"0-1 km", "1-3 km", "3-6 km", "6-9 km", "above 9 km"}) {
    SCOPED_TRACE(band);
    float x = -1, y = -1;
    for (const std::string& l : log)
      if (l.rfind("text ", 0) == 0 && l.find(band) != std::string::npos)
        std::sscanf(l.c_str(), "text %f,%f", &x, &y);
    ASSERT_GE(x, 0) << "named";
    EXPECT_LT(x, centre.x);
    EXPECT_GT(y, centre.y) << "below the centre (rows grow down)";
    EXPECT_LT(y, last) << "above the band under it";
    last = y;
    // its colour sample: a three-point line just left of the name, level with it
    bool sample = false;
    for (const KOL::Points& line : rec->lines)
      sample = sample || (line.getNum() == 3 && std::fabs(line[2].y - y) < 2 && line[2].x < x &&
                          x - line[2].x < 30);
    EXPECT_TRUE(sample);
  }
}

}  // namespace
