// Overlays: station markers thinned by priority so that no two labels overprint, the text file
// of lines, areas, points and texts where the projection puts them, and a stored metafile
// replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "graphics/Graph.h"
#include "layers/CityPlot.h"
#include "layers/MetaPlot.h"
#include "layers/MiscPlot.h"

using KOL::EarthPoint;
using KOL::Point;

namespace {

constexpr const char* PLAINS = "lamb:35:-97:,35,-97,33,25,0.5,0.5";

class OverlayPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  Point device(float lat, float lon)
  {
    EarthPoint e(lat, lon);
    Point p;
    EXPECT_TRUE(plot->getDomain().tran(e, p));
    return plot->toDevice(p);
  }
  KOLTest::TempDir dir;
};

bool overlap(const KOL::Rect& a, const KOL::Rect& b)
{
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

TEST_F(OverlayPlotTest, CitiesThinnedByPriority)
{
  open(PLAINS, 1000, 700);
  KOL::CityPlot all("st=OK:KS");
  ASSERT_EQ(all.draw(*plot), 1);
  const auto& placed = all.getPlaced();
  ASSERT_GT(placed.size(), 10u);
  bool okc = false;
  for (size_t i = 0; i < placed.size(); ++i) {
    const KOL::CityData& c = placed[i].city;
    EXPECT_TRUE(std::string(c.state) == "OK" || std::string(c.state) == "KS") << c.id;
    if (i) {
      EXPECT_GE(c.priority, placed[i - 1].city.priority) << "most important first";
    }
    for (size_t k = 0; k < i; ++k) EXPECT_FALSE(overlap(placed[i].box, placed[k].box)) << c.id;
    okc |= std::string(c.id) == "KOKC";
  }
  EXPECT_TRUE(okc);
  // the mark, and the label's box about it, where the projection puts the station
  EarthPoint e(35.39f, -97.60f);
  Point at;
  ASSERT_TRUE(plot->getDomain().tran(e, at));
  for (const auto& p : placed)
    if (std::string(p.city.id) == "KOKC") {
      EXPECT_NEAR((p.box.y1 + p.box.y2) / 2, at.y, 0.01f);
      EXPECT_LT(p.box.x1, at.x);
      EXPECT_GT(p.box.x2, at.x);
    }
  // fewer the fewer priorities taken, and at most num
  KOL::CityPlot first("st=OK:KS,prior=1,num=5");
  forget();
  first.draw(*plot);
  EXPECT_LE(first.getPlaced().size(), 5u);
  for (const auto& p : first.getPlaced()) EXPECT_EQ(p.city.priority, 1);
}

TEST_F(OverlayPlotTest, MiscFileItemsWhereTheProjectionPutsThem)
{
  const std::string file = dir.file("misc.txt");
  KOLTest::writeFile(file,
                     "# overlay\nline red\n35 -100\n37.5 -97\n40 -95\nend\n"
                     "area - \n30 -90\n32 -88\n30 -86\nend\n"
                     "point blue 35.39 -97.60 OKC\ntext purple 37 -95 Big Sky\n"
                     "bogus\nline red\n36 -99\nnot a point\n");
  open(PLAINS);
  KOL::MiscPlot layer(("co=green,fi=" + file).c_str());
  ASSERT_EQ(layer.load(), 1);
  ASSERT_EQ(layer.getItems().size(), 5u);  // the broken line kept, "bogus" skipped
  EXPECT_EQ(layer.getItems()[4].points.size(), 1u);
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_FALSE(rec->lines.empty());
  const KOL::Points& line = rec->lines.front();
  ASSERT_EQ(line.getNum(), 3);
  const Point first = device(35, -100), last = device(40, -95);
  EXPECT_NEAR(line[0].x, first.x, 1.0);
  EXPECT_NEAR(line[0].y, first.y, 1.0);
  EXPECT_NEAR(line[2].x, last.x, 1.0);
  EXPECT_NEAR(line[2].y, last.y, 1.0);
  // the text's strokes about its place
  const Point sky = device(37, -95);
  int strokes = 0;
  for (const KOL::Points& l : rec->lines)
    strokes += std::hypot(l[0].x - sky.x, l[0].y - sky.y) < 40;
  EXPECT_GT(strokes, 5);
}

TEST_F(OverlayPlotTest, MetafileReplayed)
{
  const std::string meta = dir.file("saved.kmf");
  {
    KOL::Graph g("meta", ("m," + meta + ",sz=100x100").c_str());
    ASSERT_EQ(g.open(), 1);
    g.setWindow(KOL::Rect(0, 0, 10, 10));
    g.drawLine(Point(1, 1), Point(9, 9));
  }
  open(PLAINS, 1000, 1000);
  KOL::MetaPlot layer(("fi=" + meta).c_str());
  ASSERT_EQ(layer.draw(*plot), 1);
  EXPECT_GE(count("line"), 1);
  KOL::MetaPlot none(("fi=" + dir.file("none.kmf")).c_str());
  EXPECT_EQ(none.draw(*plot), 0);
}

}  // namespace
