// The HP-GL/2 plotter device: the plot's frame, pens and paper, and the scene's polygons and
// lines at the plotter units the transformation gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "Scene.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/Hpgl.h"

using namespace KOL;
using KOLTest::TempDir;

namespace {

class HpglTest : public KOLTest::DatabaseTest {
 protected:
  // The plot of the scene with these parameters; the graph keeps its transformation.
  std::string plot(const std::string& params, Graph& g)
  {
    const std::string path = dir.file("plot.hpgl");
    EXPECT_EQ(g.setDevice("hpgl", (path + params).c_str()), 1);
    EXPECT_EQ(g.open(), 1);
    KOLTest::drawScene(g);
    g.close();
    return KOLTest::readFile(path);
  }
  TempDir dir;
};

std::string units(const Graph& g, float x, float y)
{
  const Point d = g.toDevice(x, y);
  return std::to_string(std::lround(d.x)) + "," + std::to_string(std::lround(d.y));
}

TEST_F(HpglTest, FramesThePlotAndWrapsItForALaserJet)
{
  Graph g;
  std::string plain = plot("", g);
  EXPECT_EQ(plain.rfind("IN;IP;SP1;PU;\n", 0), 0u) << plain.substr(0, 40);
  EXPECT_NE(plain.find("PU;SP0;\n"), std::string::npos);
  std::string lj = plot(",lj", g);
  const std::string esc = "\x1B";
  EXPECT_EQ(lj.rfind(esc + "E" + esc + "%0BIN;", 0), 0u);
  EXPECT_EQ(lj.substr(lj.size() - 6), esc + "%0A" + esc + "E");
  std::string nopcl = plot(",lj,nopcl", g);
  EXPECT_EQ(nopcl.rfind("IN;", 0), 0u);
}

TEST_F(HpglTest, PaperOrientationAndSize)
{
  struct Case {
    const char* params;
    float w, h;
    bool turned;
  } cases[] = {{"", 10.5f, 8, false},          {",port", 10.5f, 8, true},
               {",port,rot", 10.5f, 8, false}, {",a3", 15.4f, 11.2f, false},
               {",sz=5:4", 5, 4, false},       {",sz=0:4", 10.5f, 8, false}};
  for (const Case& c : cases) {
    Graph g;
    std::string text = plot(c.params, g);
    Hpgl probe;
    probe.setParam((std::string("x") + c.params).c_str());
    EXPECT_FLOAT_EQ(probe.getWidth(), c.w * Hpgl::UNITS_PER_INCH) << c.params;
    EXPECT_FLOAT_EQ(probe.getHeight(), c.h * Hpgl::UNITS_PER_INCH) << c.params;
    EXPECT_EQ(text.find("RO90;") != std::string::npos, c.turned) << c.params;
  }
}

TEST_F(HpglTest, SceneLandsWhereTheTransformationPutsIt)
{
  Graph g;
  std::string text = plot(",color", g);
  // the red square as one polygon, corners in plotter units
  const std::string square = "PC1,255,0,0;SP1;";
  size_t at = text.find(square);
  ASSERT_NE(at, std::string::npos) << text.substr(0, 400);
  size_t poly = text.find("PM0;PU", at);
  ASSERT_NE(poly, std::string::npos);
  std::string polygon = text.substr(poly, text.find("PM2;FP;", poly) - poly);
  for (auto corner : {units(g, 10, 10), units(g, 40, 10), units(g, 40, 40), units(g, 10, 40)})
    EXPECT_NE(polygon.find(corner), std::string::npos) << corner << " in " << polygon;
  // the blue line, 15 wide, from (50, 20) to (90, 20)
  EXPECT_NE(text.find("PC1,0,0,255;SP1;"), std::string::npos);
  EXPECT_NE(text.find("PU" + units(g, 50, 20) + ";PD" + units(g, 90, 20) + ";"), std::string::npos);
  // the viewport clips: its device corners make the input window
  EXPECT_NE(text.find("IW" + units(g, 0, 0) + "," + units(g, 100, 100) + ";"), std::string::npos)
      << text.substr(0, 300);
}

TEST_F(HpglTest, GreyPlotsGiveEveryPenOneLevel)
{
  Graph g;
  std::string text = plot("", g);
  int r = -1, gr = -1, b = -1;
  size_t at = 0;
  int pens = 0;
  while ((at = text.find("PC1,", at)) != std::string::npos) {
    ASSERT_EQ(std::sscanf(text.c_str() + at, "PC1,%d,%d,%d", &r, &gr, &b), 3);
    EXPECT_EQ(r, gr);
    EXPECT_EQ(gr, b);
    ++pens, ++at;
  }
  EXPECT_GE(pens, 3);
}

TEST_F(HpglTest, AreasWithHolesGiveEachRingASubpolygon)
{
  const std::string out = dir.file("frame.hpgl");
  {
    Graph g("hpgl", out.c_str());
    ASSERT_EQ(g.open(), 1);
    KOLTest::drawFrame(g);
  }
  const std::string text = KOLTest::readFile(out);
  const size_t start = text.find("FT1;PM0;PU");
  ASSERT_NE(start, std::string::npos) << text;
  const size_t sub = text.find(";PM1;PU", start), end = text.find("PM2;FP;PU;\n", start);
  EXPECT_LT(sub, end) << "the hole is the second subpolygon of the first area";
  EXPECT_EQ(text.find("PM1;", end), std::string::npos) << "the single square has one";
}

}  // namespace
