// Graph: transformations, attribute forwarding, what reaches the device and what does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/GTran.h"
#include "graphics/Graph.h"

using namespace KOL;
using KOLTest::RecordingDevice;

namespace {

class GraphTest : public KOLTest::DatabaseTest {
 protected:
  // A graph on a recording device of w x h, opened, with the log cleared.
  RecordingDevice* open(float w = 800, float h = 400, bool yUp = false)
  {
    auto dev = std::make_unique<RecordingDevice>(w, h, yUp, &log);
    RecordingDevice* d = dev.get();
    g.setDevice(std::move(dev));
    EXPECT_EQ(g.open(), 1);
    log.clear();
    return d;
  }
  int count(const std::string& prefix) const
  {
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
  }
  std::vector<std::string> log;
  Graph g;
};

TEST_F(GraphTest, WindowPointsLandOnTheDevice)
{
  struct Case {
    float w, h;
    bool yUp;
    Rect view;
    float x, y, dx, dy;
  };
  const Case cases[] = {
      // a window device: NDC (0, 0)-(1, 0.5), y down
      {800, 400, false, Rect(0, 0, 1, 0.5f), 0, 0, 0, 400},
      {800, 400, false, Rect(0, 0, 1, 0.5f), 10, 10, 800, 0},
      {800, 400, false, Rect(0, 0, 1, 0.5f), 5, 5, 400, 200},
      {800, 400, false, Rect(0.5f, 0.25f, 1, 0.5f), 0, 0, 400, 200},
      // a page: y up in points
      {756, 576, true, Rect(0, 0, 1, 576.f / 756), 10, 10, 756, 576},
      {756, 576, true, Rect(0, 0, 1, 576.f / 756), 0, 10, 0, 576},
      // taller than wide: NDC (0, 0)-(0.5, 1)
      {300, 600, false, Rect(0, 0, 0.5f, 1), 10, 0, 300, 600},
  };
  for (const Case& c : cases) {
    open(c.w, c.h, c.yUp);
    const Rect ndc = g.getMaxViewport();
    EXPECT_FLOAT_EQ(ndc.x2, std::max(c.w, c.h) == c.w ? 1 : c.w / c.h);
    ASSERT_EQ(g.setViewport(c.view), 1);
    ASSERT_EQ(g.setWindow(Rect(0, 0, 10, 10)), 1);
    const Point d = g.toDevice(c.x, c.y);
    EXPECT_NEAR(d.x, c.dx, 1e-3) << c.w << "x" << c.h << " " << c.x << "," << c.y;
    EXPECT_NEAR(d.y, c.dy, 1e-3) << c.w << "x" << c.h << " " << c.x << "," << c.y;
    Point back;
    g.tranPlotWindow(d, back);
    EXPECT_NEAR(back.x, c.x, 1e-4);
    EXPECT_NEAR(back.y, c.y, 1e-4);
  }
}

TEST_F(GraphTest, FarAndInvalidCoordinatesAreClampedNeverPassedOn)
{
  open();
  g.setWindow(Rect(0, 0, 1, 1));
  const float nan = std::nanf("");
  for (float v : {1e9f, -1e9f, INFINITY, -INFINITY, nan}) {
    const Point d = g.toDevice(v, v);
    EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y)) << v;
    EXPECT_LE(std::fabs(d.x), GTran::DEVICE_LIMIT);
    EXPECT_LE(std::fabs(d.y), GTran::DEVICE_LIMIT);
  }
  EXPECT_EQ(g.toDevice(1e9f, 0).x, 30000);
  EXPECT_EQ(g.drawLine(0.5f, 0.5f, 1e30f, -1e30f), 1);
  for (const std::string& s : log) EXPECT_EQ(s.find("nan"), std::string::npos) << s;
}

TEST_F(GraphTest, AttributesReachTheDeviceOnlyWhenTheyChange)
{
  open();
  EXPECT_EQ(g.setLineColor(3), 1);
  EXPECT_EQ(g.setLineColor(3), 0);
  EXPECT_EQ(g.setLineWidth(2), 1);
  EXPECT_EQ(g.setLineWidth(2), 0);
  EXPECT_EQ(g.setMarkWeight(1), 0);  // the default
  EXPECT_EQ(g.setTextWeight(2.5f), 1);
  EXPECT_EQ(count("color 1 "), 1);
  EXPECT_EQ(count("width 1 2"), 1);
  EXPECT_EQ(count("width 2 "), 0);
  EXPECT_EQ(count("width 4 2.5"), 1);
  // the device gets the colour map's device value, not the index
  g.setFillColor(g.getColor("red"));
  EXPECT_EQ(log.back(), "color 3 " + std::to_string(0xFF0000));
}

TEST_F(GraphTest, WhatLiesOutsideTheWindowOrHasNoColourIsNotDrawn)
{
  open();
  g.setWindow(Rect(0, 0, 10, 10));
  Points out;
  out.add(Point(20, 20));
  out.add(Point(30, 25));
  EXPECT_EQ(g.drawLine(out), 0);
  EXPECT_EQ(g.drawFill(out), 0);
  Points one;
  one.add(Point(5, 5));
  EXPECT_EQ(g.drawLine(one), 0);
  g.setLineColor(g.getColor("none"));
  EXPECT_EQ(g.drawLine(1, 1, 2, 2), 0);
  EXPECT_EQ(count("line"), 0);
  EXPECT_EQ(count("fill"), 0);
  // a line crossing the window is passed on whole; the device clips
  g.setLineColor(1);
  Points across;
  across.add(Point(-5, 5));
  across.add(Point(15, 5));
  EXPECT_EQ(g.drawLine(across), 1);
  EXPECT_EQ(count("line 1 2"), 1);
}

TEST_F(GraphTest, DropShadowCopiesGoRightAndDownBeforeTheLine)
{
  RecordingDevice* d = open(100, 100);
  g.setWindow(Rect(0, 0, 100, 100));
  g.setDropShadow(2);
  g.setDropColor(0);
  g.setDropWidth(3);
  g.drawLine(10, 50, 20, 50);
  ASSERT_EQ(d->lines.size(), 3u);
  EXPECT_FLOAT_EQ(d->lines[0][0].x, 11);
  EXPECT_FLOAT_EQ(d->lines[0][0].y, 51);  // y down: one unit further down
  EXPECT_FLOAT_EQ(d->lines[1][0].x, 12);
  EXPECT_FLOAT_EQ(d->lines[1][0].y, 52);
  EXPECT_FLOAT_EQ(d->lines[2][0].x, 10);
  EXPECT_FLOAT_EQ(d->lines[2][0].y, 50);
  EXPECT_EQ(count("width 1 3"), 1);
}

TEST_F(GraphTest, CirclesRectanglesAndMarks)
{
  RecordingDevice* d = open(100, 100);
  g.setWindow(Rect(0, 0, 100, 100));
  g.drawCircle(50, 50, 10);
  ASSERT_EQ(d->lines.size(), 1u);
  ASSERT_EQ(d->lines[0].getNum(), 73);
  EXPECT_NEAR(d->lines[0][0].y, 40, 1e-3);   // top of the circle, device y down
  EXPECT_NEAR(d->lines[0][18].x, 60, 1e-3);  // 90 degrees: east
  g.drawRect(10, 10, 20, 30);
  EXPECT_EQ(d->lines[1].getNum(), 5);
  // a plus of size 10: arms 5 long about the centre, drawn as class-2 lines
  g.setMarkType(2);
  g.setMarkSize(10);
  d->lines.clear();
  EXPECT_EQ(g.drawMark(50, 50), 1);
  ASSERT_EQ(d->lines.size(), 2u);
  EXPECT_EQ(count("line 2 "), 2);
  EXPECT_FLOAT_EQ(d->lines[0][0].x, 45);
  EXPECT_FLOAT_EQ(d->lines[0][1].x, 55);
  // every type draws something centred within its size
  for (int type = 1; type <= 10; ++type) {
    g.setMarkType(type);
    d->lines.clear();
    EXPECT_EQ(g.drawMark(50, 50), 1) << type;
    for (const Points& p : d->lines)
      for (const Point& q : p) {
        EXPECT_LE(std::fabs(q.x - 50), 5.01f) << type;
        EXPECT_LE(std::fabs(q.y - 50), 5.01f) << type;
      }
  }
}

TEST_F(GraphTest, SymbolsArePlacedByTheTextAlignmentAndFillInTheLineColour)
{
  RecordingDevice* d = open(100, 100);
  g.setWindow(Rect(0, 0, 100, 100));
  g.setLineColor(g.getColor("red"));
  EXPECT_EQ(g.drawSymbol(50, 50, "nosuchsymbol", 10), 0);
  // "coldpip" is one filled triangle from (0, 0) to (1, 0) and (0.5, 0.8)
  struct Case {
    int h, v;
    float x, y;  // window position of the symbol's lower left corner
  };
  const Case cases[] = {
      {1, 0, 50, 50}, {3, 0, 40, 50}, {2, 0, 45, 50}, {1, 2, 50, 40}, {1, 3, 50, 45}};
  for (const Case& c : cases) {
    log.clear();
    g.setTextAlign(c.h, c.v);
    ASSERT_EQ(g.drawSymbol(50, 50, "coldpip", 10), 1);
    const std::string fill = "fill 3 3 " + std::to_string(static_cast<int>(c.x)) + "," +
                             std::to_string(static_cast<int>(100 - c.y));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "color 3 " + std::to_string(0xFF0000)) << c.h << c.v;
    EXPECT_EQ(log[1].rfind(fill, 0), 0u) << log[1] << " want " << fill;
    EXPECT_EQ(log[2], "color 3 0") << "the fill colour comes back (black, index 1)";
  }
  EXPECT_EQ(d->lines.size(), 0u);
}

TEST_F(GraphTest, ViewportWithAspectIsPlacedInItsRectangle)
{
  open(800, 400);
  struct Case {
    float aspect;
    int h, v;
    Rect want;
  };
  const Case cases[] = {
      {1, 2, 2, Rect(0.25f, 0, 0.75f, 0.5f)}, {1, 1, 2, Rect(0, 0, 0.5f, 0.5f)},
      {1, 3, 2, Rect(0.5f, 0, 1, 0.5f)},      {4, 2, 1, Rect(0, 0, 1, 0.25f)},
      {4, 2, 3, Rect(0, 0.25f, 1, 0.5f)},     {0, 2, 2, Rect(0, 0, 1, 0.5f)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(g.setViewportAspect(Rect(0, 0, 1, 0.5f), c.aspect, c.h, c.v), 1);
    const Rect v = g.getViewport();
    EXPECT_NEAR(v.x1, c.want.x1, 1e-5) << c.aspect << " " << c.h << c.v;
    EXPECT_NEAR(v.y1, c.want.y1, 1e-5) << c.aspect << " " << c.h << c.v;
    EXPECT_NEAR(v.x2, c.want.x2, 1e-5) << c.aspect << " " << c.h << c.v;
    EXPECT_NEAR(v.y2, c.want.y2, 1e-5) << c.aspect << " " << c.h << c.v;
  }
  // negative corners count from the far edge
  Rect fromFar;
  fromFar.setu(0, 0, -0.5f, -0.25f);
  g.setViewportAspect(fromFar, 0, 2, 2);
  EXPECT_NEAR(g.getViewport().x2, 0.5f, 1e-5);
  EXPECT_NEAR(g.getViewport().y2, 0.25f, 1e-5);
  EXPECT_EQ(g.setViewportAspect(Rect(0.5f, 0, 0.5f, 0.5f), 1), 0);
}

TEST_F(GraphTest, ColoursByComponentsAreFoundOrAdded)
{
  open();
  EXPECT_EQ(g.allocColor(1, 0, 0), g.getColor("red"));
  const int n = g.getColorMap().getNum(), odd = g.allocColor(0.1f, 0.2f, 0.3f);
  EXPECT_EQ(odd, n);
  EXPECT_EQ(g.getColorMap().getValue(odd), 0x19334C);
}

}  // namespace
