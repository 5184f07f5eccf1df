// The map layer: the entry list (attributes, conditions, blocks, list files), segments skipped or
// drawn as names, and the default map landing where PROJ puts the same points (its picture is
// among the references of PictureTest).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/Proj.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/MapFile.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"

using namespace KOL;

namespace {

constexpr const char* GLOBE = "latlon:-90:0,0,0,361,181,1,1";

class MapPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    open(GLOBE);
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("map_file", "");
    RecordedPlotTest::TearDown();
  }
  // A text map file of the given segments (each a list of lat, lon pairs).
  std::string mapFile(const std::string& name, const std::vector<std::vector<float>>& segs)
  {
    std::ostringstream out;
    int id = 0;
    for (const auto& s : segs) {
      float la1 = 90, la2 = -90, lo1 = 360, lo2 = -360;
      for (size_t i = 0; i + 1 < s.size(); i += 2)
        la1 = std::min(la1, s[i]), la2 = std::max(la2, s[i]), lo1 = std::min(lo1, s[i + 1]),
        lo2 = std::max(lo2, s[i + 1]);
      out << s.size() / 2 << ' ' << la2 << ' ' << la1 << ' ' << lo2 << ' ' << lo1 << ' ' << ++id
          << '\n';
      for (size_t i = 0; i + 1 < s.size(); i += 2) out << s[i] << ' ' << s[i + 1] << '\n';
    }
    KOLTest::writeFile(dir.file(name), out.str());
    return dir.file(name);
  }

  KOLTest::TempDir dir;
};

TEST_F(MapPlotTest, EntryWithAttributeAndLatLonLines)
{
  const std::string us = mapFile("us.map", {{30, -100, 40, -90, 45, -80}});
  plot->setText();
  const int text = plot->getTextColor();
  MapPlot blue;
  blue.setMapFiles((us + "[blue:w2]").c_str());
  EXPECT_GT(blue.draw(*plot), 0);
  EXPECT_EQ(plot->getTextColor(), text) << "the entry's blue is not left for later text";
  forget();
  MapPlot m;
  m.setMapFiles((us + "[blue:w2],lalo:10").c_str());
  EXPECT_GT(m.draw(*plot), 0);
  EXPECT_GT(count("color 1 255"), 0) << "the map is drawn in blue (0x0000ff)";
  EXPECT_GT(count("width 1 2"), 0);
  // the map, 17 latitude circles and 36 meridians (with some pieces split at the dateline)
  ASSERT_GE(rec->lines.size(), 1u + 17 + 36);
  const Points& first = rec->lines[0];
  ASSERT_EQ(first.getNum(), 3);
  EXPECT_NEAR(first[0].x, (-100 + 180) / 360.0f * 1000.0f, 0.5);
  EXPECT_NEAR(first[0].y, (90 - 30) / 180.0f * 500.0f, 0.5);
  EXPECT_GT(count("line 4 "), 0) << "latitude and longitude labels in stroke text";
}

TEST_F(MapPlotTest, SegmentsOutsideAreSkippedAndPointsBecomeNames)
{
  open("latlon:-90:0,0,0,61,41,1,1");                          // 30W to 30E, 20S to 20N
  const std::string f = mapFile("m.map", {{0, -60, 5, -50},    // west of the plot
                                          {0, 50, 5, 60},      // east
                                          {-10, -10, 10, 10},  // across it
                                          {2, 3}});            // a town
  KOL::MapFileHeader h;
  KOLTest::writeFile(dir.file("m.mdb"), "header\n1 a West\n2 b East\n3 c Across\n4 d Town\n");
  MapPlot m;
  EXPECT_GT(m.draw(*plot, f.c_str()), 0);
  EXPECT_EQ(count("line 1 "), 1);
  const int named = count("line 4 ");  // the name in stroke text
  EXPECT_GT(named, 4);
  // a one-point segment without a name is a "+": two strokes
  forget();
  std::remove(dir.file("m.mdb").c_str());
  m.draw(*plot, f.c_str());
  EXPECT_EQ(count("line 4 "), 2);
  // map_in reads every segment: the off-plot ones are drawn and cropped away by the plot
  forget();
  MapPlot all("map_in");
  all.draw(*plot, f.c_str());
  EXPECT_GE(count("line 1 "), 1);
  // non-geographic domains draw nothing
  open("pix,0,0,100,100,1,1");
  forget();
  EXPECT_EQ(m.draw(*plot, f.c_str()), 0);
  EXPECT_EQ(count("line "), 0);
}

TEST_F(MapPlotTest, ConditionsSignsAndBlocksChooseEntries)
{
  const std::string f = mapFile("c.map", {{10, 10, 20, 20}});
  const float vert = plot->getVert();  // 180 on the globe
  ASSERT_NEAR(vert, 180.0f, 1.0f);
  const struct {
    std::string list;
    const char* params;
    size_t lines;
  } cases[] = {
      {"s+100:" + f, "", 1},
      {"s+200:" + f, "", 0},
      {"s-200:" + f, "", 1},
      {"s-100:" + f, "", 0},
      {">100<200:" + f, "", 1},
      {">100<150:" + f, "", 0},
      {"<200>100:" + f, "", 1},
      {"<200>190:" + f, "", 0},
      {"+" + f, "", 0},
      {"+" + f, "over", 1},
      {"-" + f, "under", 1},
      {f, "over", 0},
      {f, "over,default", 1},
      {f + "[off]", "", 0},
      {"[-10,-10,10,10]," + f + ",[]", "", 1},
      {"[20,20,30,30]," + f + ",[]," + f, "", 1},
      {"[-10,-10,10,10,100]," + f + ",[]", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list + " / " + c.params);
    forget();
    MapPlot m(c.params);
    m.setMapFiles(c.list.c_str());
    m.draw(*plot);
    EXPECT_EQ(count("line 1 "), static_cast<int>(c.lines));
  }
}

TEST_F(MapPlotTest, ListFilesAndMissingFiles)
{
  const std::string f = mapFile("l.map", {{10, 10, 20, 20}});
  const KOL::Domain lattice("latlon:-90:0,0,0,3,2,10,10");
  const size_t latticeLines =
      static_cast<size_t>(lattice.nx + lattice.ny);  // a line per column and row
  KOLTest::writeFile(dir.file("two.mpl"), f + "\n" + f + "[blue]\n");
  // a segment cut short, and a point whose position is missing, are not drawn
  KOLTest::writeFile(dir.file("cut.map"), "3 20 10 20 10 1\n10 10 20 20\n");
  KOLTest::writeFile(dir.file("nopoint.map"), "2 20 10 20 10 1\n10 10 20 20\n1 5 5 5 5 2\n");
  const struct {
    std::string list;
    const char* params;
    size_t lines;
  } cases[] = {
      {dir.file("two.mpl"), "", 2},
      {"+" + dir.file("two.mpl"), "", 0},
      {"+fi:" + dir.file("two.mpl"), "over,default", 2},
      {"fi:" + dir.file("two.mpl"), "", 2},
      {dir.file("none.mpl"), "", 0},
      {dir.file("cut.map"), "", 0},
      {dir.file("none.map") + "," + f, "", 1},
      {"bg:blue", "", 0},
      {"\"grid:latlon:-90:0,0,0,3,2,10,10:green\"", "", latticeLines},  // quoted: commas inside
      {"mk:10,20,X", "", 0},
      {dir.file("none.png"), "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    forget();
    MapPlot m(c.params);
    m.setMapFiles(c.list.c_str());
    m.draw(*plot);
    EXPECT_EQ(count("line 1 "), static_cast<int>(c.lines));
  }
  forget();
  MapPlot point;
  point.setMapFiles(dir.file("nopoint.map").c_str());
  point.draw(*plot);
  EXPECT_EQ(count("line 1 "), 1);
  EXPECT_EQ(count("line 4 "), 0) << "no mark for the missing point";
  forget();
  MapPlot bg;
  bg.setMapFiles("bg:blue");
  bg.draw(*plot);
  EXPECT_EQ(count("fill "), 1);
  // nothing at all when the plot does not want maps
  plot->setDrawing("1");
  forget();
  MapPlot m;
  m.setMapFiles(f.c_str());
  EXPECT_EQ(m.draw(*plot), 0);
  EXPECT_EQ(count("line "), 0);
}

TEST_F(MapPlotTest, FillsAndOutlines)
{
  const std::string f = mapFile("f.map", {{10, 10, 20, 20, 10, 30, 10, 10}});
  for (const char* params : {"fill", "fc"}) {
    SCOPED_TRACE(params);
    forget();
    MapPlot m(params);
    m.setMapFiles(f.c_str());
    m.draw(*plot);
    EXPECT_EQ(count("fill "), 1);
    EXPECT_EQ(count("line 1 "), std::string(params) == "fc" ? 1 : 0);
  }
}

// Index mode lists each segment (id, colour by id, count, first point) and writes its id.
TEST_F(MapPlotTest, IndexModeListsSegments)
{
  const std::string f =
      mapFile("i.map", {{10, 10, 20, 20}, {-10, -10, -20, -20, -30, -30}, {5, 5}});
  MapPlot m("index");
  testing::internal::CaptureStdout();
  m.draw(*plot, f.c_str());
  m.draw(*plot, dir.file("missing.map").c_str());
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("1 lblue 2 10.0000 10.0000\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2 lgreen 3 -10.0000 -10.0000\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("5.0000 5.0000"), std::string::npos) << "a point is a mark, not listed";
  EXPECT_NE(out.find("Mapfile: " + dir.file("missing.map")), std::string::npos) << out;
  EXPECT_GT(count("line 4 "), 0) << "the ids in stroke text";
}

// ---- the default map against PROJ ------------------------------------------------------------

struct DomainCase {
  const char* label;
  const char* domain;
  const char* proj;
};

// Every point of the crude coastlines that the domain holds, projected by PROJ (cs2cs) and put
// through the plot's window, must be a vertex the map layer sent to the device.
TEST_F(MapPlotTest, DefaultMapLandsWherePROJPutsIt)
{
  KOL_REQUIRE_PROJ();
  const DomainCase cases[] = {
      {"polar stereographic", "ps:90:-105:60,60,-40,60,40,1.5,1.5",
       "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105"},
      {"Lambert", "lamb:25:-95:25:25,39,-96,60,40,0.8,0.8",
       "+proj=lcc +lat_0=90 +lat_1=25 +lat_2=25 +lon_0=-95"},
      {"Mercator", "merc:0:-100,20,-60,60,40,1,1", "+proj=merc +lon_0=-100"},
  };
  const std::string coast = KOLTest::databaseDir() + "/coast_c.map";
  for (const DomainCase& c : cases) {
    SCOPED_TRACE(c.label);
    open(c.domain);
    MapPlot m;
    m.setMapFiles(coast.c_str());
    ASSERT_GT(m.draw(*plot), 0);
    std::map<std::pair<int, int>, int> vertices;
    for (const Points& l : rec->lines)
      for (const Point& p : l)
        vertices[{static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))}]++;

    // the points to check: every 7th coastline point
    std::vector<EarthPoint> pts;
    MapFile in(coast.c_str(), 0, 0);
    MapFileHeader h;
    EarthPoint e;
    int k = 0;
    while (in.readHeader(h))
      while (in.readData(e))
        if (k++ % 7 == 0) pts.push_back(e);
    std::vector<KOLTest::XY> lonLat;
    for (const EarthPoint& p : pts) lonLat.emplace_back(p.lon, p.lat);
    const auto plane =
        KOLTest::projRun(std::string("proj -f %.6f ") + c.proj + " +R=6371220 +units=m", lonLat);
    int checked = 0, found = 0;
    const KOL::Rect lim = plot->getDomain().getLimits();
    for (size_t i = 0; i < pts.size(); ++i) {
      const EarthPoint& p = pts[i];
      const double x = plane[i].first, y = plane[i].second;
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      const Point map(static_cast<float>(x / 1e5), static_cast<float>(y / 1e5));
      // well inside the plot, where no cropping changes a vertex
      const float mx = 0.02f * (lim.x2 - lim.x1), my = 0.02f * (lim.y2 - lim.y1);
      if (map.x < lim.x1 + mx || map.x > lim.x2 - mx || map.y < lim.y1 + my || map.y > lim.y2 - my)
        continue;
      const Point d = plot->toDevice(map);
      ++checked;
      bool hit = false;
      for (int dx = -1; dx <= 1 && !hit; ++dx)
        for (int dy = -1; dy <= 1 && !hit; ++dy)
          hit = vertices.count({static_cast<int>(std::lround(d.x)) + dx,
                                static_cast<int>(std::lround(d.y)) + dy}) > 0;
      found += hit;
      if (!hit && checked - found < 5) ADD_FAILURE() << "no vertex near " << p.lat << " " << p.lon;
    }
    EXPECT_GT(checked, 50);
    EXPECT_EQ(found, checked);
  }
}

}  // namespace
