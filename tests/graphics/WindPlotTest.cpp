// Wind barbs, calm circles, vectors, storm tracks and cloud circles: what they count and where
// they point, in the lines a device receives (the station-model pictures count them in pixels).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/CloudPlot.h"
#include "graphics/Plot.h"
#include "graphics/WindPlot.h"

using namespace KOL;

namespace {

struct FeatherCase {
  float speed;
  int pennants, barbs, halves;
};

TEST(WindPlotFeathers, SpeedsRoundToTheNearestFiveKnots)
{
  const std::vector<FeatherCase> cases = {
      {0, 0, 0, 0},   {2.4f, 0, 0, 0}, {2.5f, 0, 0, 1},
      {5, 0, 0, 1},   {7.4f, 0, 0, 1}, {7.5f, 0, 1, 0},
      {10, 0, 1, 0},  {15, 0, 1, 1},   {47, 0, 4, 1},
      {48, 1, 0, 0},  {50, 1, 0, 0},   {65, 1, 1, 1},
      {100, 2, 0, 0}, {-65, 1, 1, 1},  {KOL::Const::FMISS, 0, 0, 0},
  };
  for (const FeatherCase& c : cases) {
    const WindPlot::Feathers f = WindPlot::countFeathers(c.speed);
    EXPECT_EQ(f.pennants, c.pennants) << c.speed;
    EXPECT_EQ(f.barbs, c.barbs) << c.speed;
    EXPECT_EQ(f.halves, c.halves) << c.speed;
  }
}

// A 1000 x 1000 window, y down, over an "xy" map of 100 x 100 plot units: 10 pixels a unit,
// plot (0, 0) at the centre.
class ShapeTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    open("xy,0,0,101,101,1,1", 1000, 1000);
    plot->setLineColor("black");
    forget();
  }
  int fills() const { return count("fill "); }
  Point centre() { return plot->toDevice(Point(0, 0)); }
};

// Unit vector of a compass direction in device pixels (y down).
Point compass(float dir)
{
  const float a = dir * static_cast<float>(KOL::Const::DRC);
  return Point(std::sin(a), -std::cos(a));
}

float dot(const Point& a, const Point& b) { return a.x * b.x + a.y * b.y; }

TEST_F(ShapeTest, BarbShaftPointsToTheSourceWithFeathersClockwise)
{
  const WindPlot wind;
  for (float dir : {0.0f, 90.0f, 225.0f, 270.0f, 330.0f}) {
    for (float sign : {1.0f, -1.0f}) {
      rec->lines.clear();
      log.clear();
      ASSERT_EQ(wind.drawBarb(*plot, Point(0, 0), dir, sign * 65, 20), 1);
      // shaft, pennant outline, one full and one half barb; the pennant filled once
      ASSERT_EQ(rec->lines.size(), 4u) << dir;
      EXPECT_EQ(fills(), 1);
      const Point c = centre();
      const Points& shaft = rec->lines[0];
      const Point out(shaft[1].x - c.x, shaft[1].y - c.y);
      EXPECT_NEAR(std::hypot(out.x, out.y), 200, 0.5) << "20 units at 10 px";
      EXPECT_GT(dot(out, compass(dir)), 199) << "shaft toward the wind's source " << dir;
      // the full barb leans outward and lies clockwise of the shaft (north hemisphere)
      const Points& barb = rec->lines[2];
      const Point f(barb[1].x - barb[0].x, barb[1].y - barb[0].y);
      const float side = dot(f, compass(dir + 90));
      EXPECT_GT(sign * side, 0.9f * 0.4f * 200 * 0.9f) << dir << " sign " << sign;
      EXPECT_GT(dot(f, compass(dir)), 0) << "leans outward";
    }
  }
}

TEST_F(ShapeTest, DeviceGetsOnePolylinePerFeatherAndOneFillPerPennant)
{
  const WindPlot wind;
  for (const FeatherCase& c : std::vector<FeatherCase>{
           {5, 0, 0, 1}, {10, 0, 1, 0}, {50, 1, 0, 0}, {65, 1, 1, 1}, {155, 3, 0, 1}}) {
    log.clear();
    rec->lines.clear();
    ASSERT_EQ(wind.drawBarb(*plot, Point(0, 0), 135, c.speed, 20), 1);
    EXPECT_EQ(fills(), c.pennants) << c.speed;
    EXPECT_EQ(static_cast<int>(rec->lines.size()), 1 + c.pennants + c.barbs + c.halves) << c.speed;
    // full barbs are twice as long as half barbs: 0.4 and 0.2 of the 200-pixel shaft
    for (size_t i = 1 + c.pennants; i < rec->lines.size(); i++) {
      const Points& f = rec->lines[i];
      const float len = std::hypot(f[1].x - f[0].x, f[1].y - f[0].y);
      const bool half = i == rec->lines.size() - 1 && c.halves;
      EXPECT_NEAR(len, half ? 40 : 80, 0.5) << c.speed;
    }
  }
}

TEST_F(ShapeTest, OffsetShaftStartsAwayFromTheStation)
{
  const WindPlot wind;
  ASSERT_EQ(wind.drawBarb(*plot, Point(0, 0), 180, 20, 20, 4), 1);
  const Point c = centre();
  EXPECT_NEAR(rec->lines[0][0].y - c.y, 40, 0.5) << "starts 4 units south";
  EXPECT_NEAR(rec->lines[0][1].y - c.y, 240, 0.5) << "and runs 20 further";
}

TEST_F(ShapeTest, NothingForMissingOrNegativeDirections)
{
  const WindPlot wind;
  const float miss = KOL::Const::FMISS;
  EXPECT_EQ(wind.drawBarb(*plot, Point(0, 0), -10, 20, 20), 0);
  EXPECT_EQ(wind.drawBarb(*plot, Point(0, 0), miss, 20, 20), 0);
  EXPECT_EQ(wind.drawBarb(*plot, Point(0, 0), 10, miss, 20), 0);
  EXPECT_EQ(wind.drawBarb(*plot, Point(miss, 0), 10, 20, 20), 0);
  EXPECT_EQ(wind.drawVector(*plot, Point(0, 0), 10, 0, 20), 0);
  EXPECT_EQ(wind.drawTrack(*plot, Point(0, 0), miss, 20, 2, 3), 0);
  EXPECT_TRUE(rec->lines.empty());
}

TEST_F(ShapeTest, VectorsPointDownwindWithTheirLength)
{
  const WindPlot wind;
  // a north wind blows south: the arrow runs down the page, 3 x 5 units long
  ASSERT_EQ(wind.drawVector(*plot, Point(0, 0), 0, 3, 5), 1);
  ASSERT_EQ(rec->lines.size(), 2u) << "shaft and head";
  EXPECT_NEAR(rec->lines[0][1].y - centre().y, 150, 0.5);
  EXPECT_NEAR(rec->lines[1][1].y - centre().y, 150, 0.5) << "head at the tip";
  rec->lines.clear();
  // a negative expansion reads the magnitude in hundredths
  ASSERT_EQ(wind.drawVector(*plot, Point(0, 0), 90, 300, 5, -1), 1);
  EXPECT_NEAR(rec->lines[0][1].x - centre().x, -150, 0.5) << "an east wind blows west";
  rec->lines.clear();
  // calm: the circle instead
  ASSERT_EQ(wind.drawArrow(*plot, Point(0, 0), 90, 0, 5, 1, 2), 1);
  ASSERT_EQ(rec->lines.size(), 1u);
  for (const Point& q : rec->lines[0])
    EXPECT_NEAR(std::hypot(q.x - centre().x, q.y - centre().y), 20, 0.5);
}

TEST_F(ShapeTest, TrackHasItsMarksAndAHeadAtMostAThirdOfIt)
{
  const WindPlot wind;
  // a storm from the south-west moves north-east, 30 units, in 3 hours
  ASSERT_EQ(wind.drawTrack(*plot, Point(0, 0), 225, 30, 3, 40), 1);
  ASSERT_EQ(rec->lines.size(), 4u) << "shaft, two marks dividing it in three, head";
  const Point tip = rec->lines[0][1];
  const Point c = centre();
  EXPECT_NEAR(tip.x - c.x, 300 * std::sqrt(0.5f), 0.5);
  EXPECT_NEAR(tip.y - c.y, -300 * std::sqrt(0.5f), 0.5);
  const Points& head = rec->lines[3];
  EXPECT_NEAR(std::hypot(head[0].x - tip.x, head[0].y - tip.y), 100, 0.5) << "capped head";
  const Points& first = rec->lines[1];
  const Point mid((first[0].x + first[1].x) / 2, (first[0].y + first[1].y) / 2);
  EXPECT_NEAR(std::hypot(mid.x - c.x, mid.y - c.y), 100, 0.5) << "first hour a third along";
}

TEST_F(ShapeTest, MarksOfATrackAreLimited)
{
  const WindPlot wind;
  ASSERT_EQ(wind.drawTrack(*plot, Point(0, 0), 225, 30, 2147483647, 1), 1);
  EXPECT_EQ(rec->lines.size(), 101u) << "shaft, 99 marks, head";
}

TEST_F(ShapeTest, ShapesKeepTheirProportionsOnAStretchedPanel)
{
  // a window ten times taller in units than wide on a square viewport
  KOL::Graph& g = plot->getGraph();
  KOL::Rect win(0, 0, 10, 100);
  g.setWindow(Plot::MAP, win);
  const WindPlot wind;
  ASSERT_EQ(wind.drawCalm(*plot, Point(5, 50), 1), 1);
  const Point c = plot->toDevice(Point(5, 50));
  float rx = 0, ry = 0;
  for (const Point& q : rec->lines[0]) {
    rx = std::max(rx, std::fabs(q.x - c.x));
    ry = std::max(ry, std::fabs(q.y - c.y));
  }
  EXPECT_GT(rx, 10);
  EXPECT_NEAR(rx, ry, 0.5) << "round on the page";
}

TEST_F(ShapeTest, CloudCodesAndWhatEachCircleHolds)
{
  // WMO code table 2700 figures, METAR cover words and missing; fills of the circle
  const std::string codes = "0123456789XxCFsBOM ";
  const int OBS = CloudPlot::OBSCURED, MISS = CloudPlot::MISSING;
  const int oktas[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, OBS, OBS, OBS, 0, 2, 4, 6, 8, MISS, MISS};
  const int filled[] = {0, 0, 1, 1, 1, 1, 1, 2, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0};
  const CloudPlot cloud;
  for (std::size_t i = 0; i < codes.size(); i++) {
    SCOPED_TRACE(codes[i]);
    EXPECT_EQ(CloudPlot::toOktas(codes[i]), oktas[i]);
    log.clear();
    rec->lines.clear();
    ASSERT_EQ(cloud.draw(*plot, Point(0, 0), codes[i], 2), 1);
    EXPECT_EQ(fills(), filled[i]);
    EXPECT_FALSE(rec->lines.empty()) << "the circle is always drawn";
  }
}

}  // namespace
