#include "Scene.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "common/Raster.h"

using namespace KOL;

namespace KOLTest {

void drawScene(Graph& g)
{
  g.setViewport(Rect(0.1f, 0.1f, 0.9f, 0.7f));
  g.setWindow(Rect(0, 0, 100, 100));
  g.activateTran();
  g.setFillColor(g.getColor("red"));
  g.drawFill(Rect(10, 10, 40, 40));
  g.setLineColor(g.getColor("blue"));
  g.setLineWidth(15);
  g.drawLine(50, 20, 90, 20);
  g.setLineColor(g.getColor("black"));
  g.setLineWidth(6);
  g.drawLine(-500, 80, 600, 80);
  g.setTextColor(g.getColor("green"));
  g.setTextHeight(10);
  g.setTextWeight(3);
  g.drawText(50, 55, "KOL");
}

void expectScene(const Graph& g, const Raster& r, const PixelMap& m)
{
  ASSERT_TRUE(r.valid());
  auto pix = [&](float x, float y) {
    const Point d = g.toDevice(x, y);
    return std::pair<int, int>(m.x(d.x), m.y(d.y));
  };
  auto colour = [&](float x, float y) {
    auto [px, py] = pix(x, y);
    return r.at(px, py);
  };
  // the square's inside is red, just outside it white
  EXPECT_EQ(colour(25, 25), 0xFF0000u);
  EXPECT_EQ(colour(12, 38), 0xFF0000u);
  EXPECT_EQ(colour(8, 25), 0xFFFFFFu);
  EXPECT_EQ(colour(25, 43), 0xFFFFFFu);
  // the thick line: blue along its middle, white beyond its half width
  for (float x : {55.f, 70.f, 85.f}) EXPECT_EQ(colour(x, 20), 0x0000FFu) << x;
  EXPECT_EQ(colour(70, 26), 0xFFFFFFu);
  EXPECT_EQ(colour(95, 20), 0xFFFFFFu);
  // the long line ends at the viewport: inked inside, nothing left of the clip
  EXPECT_NE(colour(1, 80), 0xFFFFFFu);
  EXPECT_NE(colour(99, 80), 0xFFFFFFu);
  auto [lx, ly] = pix(0, 80);
  auto [rx, ry] = pix(100, 80);
  EXPECT_EQ(r.inked(0, ly - 5, lx - 3, ly + 5), 0) << "line left of the clip";
  EXPECT_EQ(r.inked(rx + 3, ry - 5, r.width - 1, ry + 5), 0) << "line right of the clip";
  // the text sits in its box above the baseline: 3 characters about 10 high
  const float w = g.getTextWidth("KOL");
  auto [tx1, ty1] = pix(50, 55);
  auto [tx2, ty2] = pix(50 + w, 65);
  const int top = std::min(ty1, ty2), bottom = std::max(ty1, ty2);
  EXPECT_GT(r.inked(tx1, top, tx2, bottom), 50);
  EXPECT_EQ(r.inked(tx1, top - 30, tx2, top - 4), 0) << "text above its box";
  EXPECT_EQ(r.inked(tx1, bottom + 4, tx2, bottom + 12), 0) << "text below its baseline";
  EXPECT_EQ(colour(55, 60) == 0x00FF00u || r.inked(tx1, top, tx2, bottom) > 0, true);
  // nothing else: everything inked lies inside the viewport
  const Rect clip = g.getGTran(g.getTran()).getClipRect();
  const int cx1 = m.x(clip.x1), cx2 = m.x(clip.x2);
  const int cy1 = std::min(m.y(clip.y1), m.y(clip.y2)), cy2 = std::max(m.y(clip.y1), m.y(clip.y2));
  EXPECT_EQ(r.inked(), r.inked(cx1 - 1, cy1 - 1, cx2 + 1, cy2 + 1)) << "ink outside the viewport";
}

void drawFrame(KOL::Graph& g)
{
  g.setWindow(KOL::Rect(0, 0, 13, 13));
  g.setFillColor(g.getColor("blue"));
  KOL::Points pts;
  for (const KOL::Point& p :
       {KOL::Point(1, 1), KOL::Point(1, 9), KOL::Point(9, 9), KOL::Point(9, 1),  // outline
        KOL::Point(3, 3), KOL::Point(7, 3), KOL::Point(7, 7),
        KOL::Point(3, 7)})  // hole, the other way round
    pts.add(p);
  EXPECT_EQ(g.drawFillPath(pts, {4, 4}), 1);
  KOL::Points single;
  for (const KOL::Point& p :
       {KOL::Point(10, 10), KOL::Point(10, 12), KOL::Point(12, 12), KOL::Point(12, 10)})
    single.add(p);
  EXPECT_EQ(g.drawFillPath(single, {4}), 1);
}

void expectFrame(const KOL::Graph& g, const Raster& r, const PixelMap& m)
{
  ASSERT_TRUE(r.valid());
  auto at = [&](float x, float y) {
    const KOL::Point d = g.toDevice(x, y);
    return r.at(m.x(d.x), m.y(d.y));
  };
  EXPECT_EQ(at(2, 2), 0x0000FFu) << "frame";
  EXPECT_EQ(at(8, 5), 0x0000FFu) << "frame";
  EXPECT_EQ(at(5, 5), 0xFFFFFFu) << "hole";
  EXPECT_EQ(at(11, 11), 0x0000FFu) << "single square";
  EXPECT_EQ(at(9.5f, 5), 0xFFFFFFu) << "outside";
  EXPECT_EQ(at(11, 5), 0xFFFFFFu) << "beside the single square";
}

}  // namespace KOLTest
