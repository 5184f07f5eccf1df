// Overlays: shared keys, cities, items, metafiles, warnings, watches, storms, fronts, lightning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "LayerPicture.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "geo/DomainTool.h"
#include "graphics/Graph.h"
#include "imagery/RGB.h"
#include "layers/CityPlot.h"
#include "layers/FrontPlot.h"
#include "layers/HurPlot.h"
#include "layers/LightPlot.h"
#include "layers/MetaPlot.h"
#include "layers/MiscPlot.h"
#include "layers/WarnPlot.h"
#include "layers/WatchPlot.h"
#include "layers/frontplot/FrontPath.h"
#include "layers/overlay/OverlayKeys.h"
#include "layers/overlay/Overlays.h"
#include "obs/text/Vtec.h"

namespace {

using KOL::EarthPoint;
using KOL::HurPlot;
using KOL::Point;
using KOL::overlay::OverlayKeys;
using KOL::overlay::parseDate;

const char* WATCH_152 =
    "WWUS30 KWNS 210517\nSAW2\nSPC AWW 210517\nWW 152 TORNADO OK TX 210520Z - 211100Z\n"
    "LAT...LON 36000200 36009800 34009800 34000200\n";
const char* WATCH_152_CANCELLED =
    "WWUS30 KWNS 210700\nSAW2\nSPC AWW 210700\nWW 152 TORNADO CANCELLED\n";
const char* BULLETIN =
    "ASUS02 KWBC 281800\nCODSUS\n\nVALID 062818Z\n"
    "HIGHS 1030 4001000\nLOWS 998 3500800\n"
    "COLD 4500950 4100950 3700950 3300950\n"   // running south along 95W
    "WARM 3001000 3000950 3000900 3000850\n";  // running east along 30N

// UALF lines: minutes and seconds after 04:00 UTC on 2 July 2018, position, peak current.
std::string ualf(int minute, int second, double lat, double lon, int ka)
{
  char line[200];
  std::snprintf(line, sizeof line,
                "0\t2018\t7\t2\t4\t%d\t%d\t0\t%.4f\t%.4f\t%d\t1\t8\t6\t45\t0.3\t0.2\t1.1\t4."
                "5\t20\t5\t0\t1\t0\t1\n",
                minute, second, lat, lon, ka);
  return line;
}

class OverlayPictureTest : public KOLTest::LayerPictureTest {
 protected:
  using LayerPictureTest::inkNear;
  bool inkNear(uint32_t c, std::pair<double, double> at, int within = 2)
  {
    return inkNear(c, at.first, at.second, within);
  }
  // Strikes 2 minutes, 25 minutes and an hour before 05 UTC.
  std::string strikes()
  {
    KOLTest::writeFile(
        dir.file("strikes.ualf"),
        ualf(58, 0, 35, -97, -20) + ualf(35, 0, 36, -96, 15) + ualf(0, 0, 34, -98, -10));
    return dir.file("strikes.ualf");
  }
  // The pixel is the class colour within the device's rounding.
  static bool same(uint32_t px, const KOL::RGB& c)
  {
    const uint32_t w = KOLTest::packed(c);
    for (int s : {16, 8, 0})
      if (std::abs(static_cast<int>((px >> s & 0xFF) - (w >> s & 0xFF))) > 2) return false;
    return true;
  }
  KOLTest::TempDir dir;
};

TEST(OverlayKeys, DatesLocalTimesAndWatchTimes)
{
  EXPECT_EQ(parseDate("202405210520"), 1716249600 + 5 * 3600 + 20 * 60);
  EXPECT_EQ(parseDate("2024052105"), 1716249600 + 5 * 3600);
  EXPECT_EQ(parseDate("20240521"), -1);
  OverlayKeys keys;
  keys.init("color_warn");
  const std::time_t t = parseDate("202405210520");
  EXPECT_EQ(keys.clock(t), "0520Z");
  EXPECT_EQ(keys.validLabel(t), "Valid 2024-05-21 05:20Z");
  ASSERT_TRUE(keys.read("tz=CDT:-5"));
  EXPECT_EQ(keys.clock(t), "0020 CDT");
  EXPECT_EQ(keys.clock(t - 3600, true), "20/2320 CDT");  // the day before in the zone
  EXPECT_EQ(keys.validLabel(t), "Valid 2024-05-21 00:20 CDT");
  // one colour for all overrides the product's; the layer's own keys are not read
  EXPECT_STREQ(keys.color("red"), "red");
  ASSERT_TRUE(keys.read("co=blue"));
  EXPECT_STREQ(keys.color("red"), "blue");
  EXPECT_FALSE(keys.read("ty=TO"));
  EXPECT_FALSE(keys.read("noradii"));
  // watch times in the nearest month
  const std::time_t may31 = parseDate("202405312300");
  EXPECT_EQ(KOL::WatchPlot::resolve("312300", parseDate("202406010010")), may31);
  EXPECT_EQ(KOL::WatchPlot::resolve("010010", may31), parseDate("202406010010"));
  EXPECT_EQ(KOL::WatchPlot::resolve("0100", may31), -1);
}

TEST(OverlayKeys, StormAdvisoriesByTimeAndForecastHours)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  const std::string first = KOLTest::dataFile("textprod/tropical/asgs_al122005_fstadv_001.txt");
  const std::string later = KOLTest::dataFile("textprod/tropical/asgs_al122005_fstadv_013.txt");
  KOL::HurPlot all;
  ASSERT_TRUE(all.setFilename(first.c_str()) && all.addFile(later.c_str()));
  ASSERT_EQ(all.shown().size(), 2u);
  const auto& last = all.getAdvisories().back();
  EXPECT_GT(all.ahead(last).size(), 2u);
  // by the first advisory's time only it is out; within a day of it, two forecast points
  const std::string when = last.center.valid.substr(0, 4) + last.center.valid.substr(5, 2) +
                           last.center.valid.substr(8, 2) + last.center.valid.substr(11, 2);
  KOL::HurPlot early(("hour=24,vdate=" + std::to_string(std::stol(when) - 1)).c_str());
  ASSERT_TRUE(early.setFilename(first.c_str()) && early.addFile(later.c_str()));
  ASSERT_EQ(early.shown().size(), 1u);
  EXPECT_EQ(early.ahead(*early.shown().front()).size(), 2u);  // 12 and 24 h
}

TEST(OverlayKeys, FrontBulletinsByKindAndHour)
{
  KOLTest::QuietScope quiet;
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"), BULLETIN);
  for (const auto& [params, read] : {std::pair{"", 1}, {"hour=18", 1}, {"hour=12", 0}, {"fore", 0}})
    EXPECT_EQ(KOL::FrontPlot(params).setFilename(dir.file("frt.txt").c_str()), read) << params;
}

// The products named by the programs' options, fronts first; one that cannot be read fails.
TEST(Overlays, ProductsNamedByTheOptions)
{
  KOLTest::QuietScope quiet;
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"), BULLETIN);
  KOLTest::writeFile(dir.file("strikes.ualf"), ualf(58, 0, 35, -97, -20));
  KOLTest::ResourceScope r{{"light_file", dir.file("strikes.ualf")},
                           {"front_file", dir.file("frt.txt")}};
  KOL::overlay::Overlays overlays;
  EXPECT_TRUE(overlays.read());
  const auto layers = overlays.get();
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_NE(dynamic_cast<KOL::FrontPlot*>(layers[0]), nullptr);
  r.set("front_file", dir.file("none.txt"));
  EXPECT_FALSE(overlays.read());
}

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
  EarthPoint e(35.39f, -97.60f);
  Point okc;
  ASSERT_TRUE(plot->getDomain().tran(e, okc));
  int boxed = 0;  // the label's box about the station's place
  for (size_t i = 0; i < placed.size(); ++i) {
    const KOL::CityData& c = placed[i].city;
    const KOL::Rect& b = placed[i].box;
    EXPECT_TRUE(std::string(c.state) == "OK" || std::string(c.state) == "KS") << c.id;
    EXPECT_GE(c.priority, placed[i ? i - 1 : 0].city.priority) << "most important first";
    for (size_t k = 0; k < i; ++k) EXPECT_FALSE(overlap(b, placed[k].box)) << c.id;
    boxed += std::string(c.id) == "KOKC" && b.x1 < okc.x && b.x2 > okc.x &&
             std::fabs((b.y1 + b.y2) / 2 - okc.y) < 0.01f;
  }
  EXPECT_EQ(boxed, 1);
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
  EXPECT_LT(std::hypot(line[0].x - first.x, line[0].y - first.y), 1.0);
  EXPECT_LT(std::hypot(line[2].x - last.x, line[2].y - last.y), 1.0);
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
}

std::string warning(const std::string& name)
{
  return KOLTest::dataFile("textprod/warnings/" + name);
}

// Warning polygons and watch boxes with their corners where the projection puts them.
TEST_F(OverlayPictureTest, CornersWhereTheProjectionPutsThem)
{
  KOL_REQUIRE_DATA();
  KOL::WarnPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(warning("pyiem_SVRMEG_SVRMEG_0.txt").c_str()));
  ASSERT_EQ(layer.drawn().size(), 1u);
  draw(layer, "warning.png");
  const auto& polygon = layer.drawn().front()->polygon;
  ASSERT_EQ(polygon.size(), 16u);
  for (const auto& [lat, lon] : polygon)
    EXPECT_TRUE(inkNear(0xFFA500, lat, lon)) << lat << " " << lon;
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'W'), "red");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("FF", 'W'), "darkred");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("TO", 'A'), "gold");
  EXPECT_STREQ(KOL::WarnPlot::colorOf("ZZ", 'Y'), "sienna");
  KOL::WatchPlot watch("nomap,nolabel");
  ASSERT_TRUE(watch.setFilename(KOLTest::dataFile("textprod/watches/pyiem_SAW_SAW6.txt").c_str()));
  draw(watch, "watch.png");
  const auto& box = watch.getWatches().at(0).box;
  ASSERT_EQ(box.size(), 4u);
  for (const auto& [lat, lon] : box) EXPECT_TRUE(inkNear(0xFF0000, lat, lon)) << lat << " " << lon;
}

// Warnings begun in the last minutes; cancelled and expired ones gone.
TEST_F(OverlayPictureTest, RecentWarningsWithoutCancelledAndExpiredOnes)
{
  KOL_REQUIRE_DATA();
  KOL::WarnPlot layer;
  ASSERT_TRUE(layer.setFilename(warning("pyiem_vtec_TORFWD_0.txt").c_str()));
  const std::time_t begun = layer.getValidTime();
  for (const auto& [minutes, after, drawn] :
       {std::tuple{"min=0", 20, 1u}, {"min=30", 20, 1u}, {"min=10", 20, 0u}, {"min=0", 1, 1u}}) {
    layer.setParam(minutes);
    layer.setValidTime(begun + 60 * after);
    EXPECT_EQ(layer.drawn().size(), drawn) << minutes;
  }
  ASSERT_TRUE(layer.addFile(warning("pyiem_vtec_TORFWD_1.txt").c_str()));
  EXPECT_TRUE(layer.drawn().empty());

  KOL::WarnPlot later;
  ASSERT_TRUE(later.setFilename(warning("pyiem_TOROAX_0.txt").c_str()));
  later.setValidTime(KOL::Vtec::seconds("240426T2300Z"));  // its end
  EXPECT_TRUE(later.drawn().empty());
  later.setValidTime(KOL::Vtec::seconds("240426T2259Z"));
  EXPECT_EQ(later.drawn().size(), 1u);
}

// Watches drawn only while valid; replaced and cancelled ones gone.
TEST_F(OverlayPictureTest, ValidWatchesWithoutReplacedAndCancelledOnes)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("152.txt"), WATCH_152);
  KOLTest::writeFile(dir.file("152can.txt"), WATCH_152_CANCELLED);
  for (const auto& [vdate, drawn] : {std::pair{"", 1u},
                                     {"vdate=202405210519", 0u},
                                     {"vdate=202405210520", 1u},
                                     {"vdate=202405211059", 1u},
                                     {"vdate=202405211100", 0u}}) {
    KOL::WatchPlot valid(vdate);
    ASSERT_TRUE(valid.setFilename(dir.file("152.txt").c_str()));
    EXPECT_EQ(valid.drawn().size(), drawn) << vdate;
  }
  KOL::WatchPlot layer;
  ASSERT_TRUE(layer.setFilename(dir.file("152.txt").c_str()));
  ASSERT_EQ(layer.getWatches().size(), 1u);
  // watch 153 replaces 152
  ASSERT_TRUE(
      layer.addFile(KOLTest::dataFile("textprod/watches/pyiem_SAW_SAW-replaces.txt").c_str()));
  ASSERT_EQ(layer.getWatches().size(), 1u);
  EXPECT_EQ(layer.getWatches()[0].watch_number, 153);
  ASSERT_TRUE(layer.setFilename(dir.file("152.txt").c_str()));
  ASSERT_TRUE(layer.addFile(dir.file("152can.txt").c_str()));
  EXPECT_TRUE(layer.getWatches().empty());
}

// Rita, advisory 11: 64 kt 25NE 25SE 0SW 0NW, 34 kt 105NE 60SE 60SW 105NW.
TEST_F(OverlayPictureTest, WindRadiiByQuadrant)
{
  KOL_REQUIRE_DATA();
  HurPlot layer("nomap,nolabel");
  ASSERT_TRUE(layer.setFilename(
      KOLTest::dataFile("textprod/tropical/asgs_al182005_fstadv_011.txt").c_str()));
  ASSERT_EQ(layer.getAdvisories().size(), 1u);
  draw(layer, "storm_radii.png");
  const auto& c = layer.getAdvisories().front().center;
  const uint32_t gold = 0xDAA520, red = 0xFF0000;
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 105, 45)));
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 60, 135)));
  EXPECT_TRUE(inkNear(gold, HurPlot::offset(c.lat, c.lon, 105, 315)));
  EXPECT_TRUE(inkNear(red, HurPlot::offset(c.lat, c.lon, 25, 45)));
  EXPECT_FALSE(inkNear(red, HurPlot::offset(c.lat, c.lon, 25, 225), 1));
}

TEST_F(OverlayPictureTest, BestTrackFixesInTheirIntensityColours)
{
  KOL_REQUIRE_DATA();
  HurPlot layer("nomap,nolabel");
  ASSERT_TRUE(
      layer.setFilename(KOLTest::dataFile("textprod/tropical/asgs_katrina_bal122005.dat").c_str()));
  draw(layer, "storm_track.png");
  int checked = 0;
  const auto& t = layer.getTrack();
  for (size_t i : t.track()) {
    const auto& r = t.records[i];
    const uint32_t c = r.vmax_kt < 34   ? 0x00BFFF
                       : r.vmax_kt < 64 ? 0x00FF00
                       : r.vmax_kt < 96 ? 0xFF0000
                                        : 0xFF00FF;
    EXPECT_TRUE(inkNear(c, {r.lat, r.lon})) << r.time;
    ++checked;
  }
  EXPECT_EQ(checked, 34);
}

constexpr uint32_t BLUE = 0x0000FF, RED = 0xFF0000;

TEST_F(OverlayPictureTest, SymbolsOnTheSideTheFrontMovesToAndCentres)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"), BULLETIN);
  KOL::FrontPlot layer;
  ASSERT_TRUE(layer.setFilename(dir.file("frt.txt").c_str()));
  layer.setParam("nomap,nospline");
  KOL::Domain conus;
  ASSERT_TRUE(KOL::DomainTool::decode(conus, "conus"));
  draw(layer, "fronts.png", &conus);
  // along each front, the ink beside it on the one side against the other
  int east = 0, west = 0, north = 0, south = 0;
  for (float lat = 34; lat <= 44; lat += 0.5f) {
    const Point p = pixel(lat, -95);
    east += inkAround(BLUE, Point(p.x + 7, p.y), 3, 60);
    west += inkAround(BLUE, Point(p.x - 7, p.y), 3, 60);
  }
  for (float lon = -99; lon <= -86; lon += 0.5f) {
    const Point p = pixel(30, lon);
    north += inkAround(RED, Point(p.x, p.y - 7), 3, 60);
    south += inkAround(RED, Point(p.x, p.y + 7), 3, 60);
  }
  EXPECT_GT(east, 40);
  EXPECT_EQ(west, 0);
  EXPECT_GT(north, 40);
  EXPECT_EQ(south, 0);
  // the high in blue, the low in red
  EXPECT_GT(inkAround(BLUE, pixel(40, -100), 6, 60), 5);
  EXPECT_GT(inkAround(RED, pixel(35, -80), 6, 60), 5);
  EXPECT_EQ(inkAround(BLUE, pixel(35, -80), 6, 60), 0);
}

// Strikes coloured by age, or polarity (negative blue), or one colour (co=), or a class (cof=).
TEST_F(OverlayPictureTest, StrikesInTheColourOfTheirAgePolarityOrTheKeys)
{
  KOL::LightPlot layer("nomap,nobar,vdate=201807020500");
  ASSERT_TRUE(layer.setFilename(strikes().c_str()));
  draw(layer);
  const auto& s = layer.getStrikes();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(layer.classOf(s[0]), 1);  // 2 minutes old
  EXPECT_EQ(layer.classOf(s[1]), 5);  // 25 minutes old
  EXPECT_EQ(layer.classOf(s[2]), 0);  // an hour old
  EXPECT_TRUE(same(colourAt(35, -97), layer.getClassColor(1)));
  EXPECT_TRUE(same(colourAt(36, -96), layer.getClassColor(5)));
  EXPECT_EQ(colourAt(34, -98), 0xFFFFFFu);
  for (const auto& [params, negative, positive] :
       {std::tuple{"pol", 0x0000FFu, 0xFF0000u},
        {"co=green", 0x00FF00u, 0x00FF00u},
        {"pol,cof=green:magenta", 0x00FF00u, 0xFF00FFu}}) {
    KOL::LightPlot keyed((std::string("nomap,nobar,vdate=201807020500,") + params).c_str());
    ASSERT_TRUE(keyed.setFilename(strikes().c_str()));
    draw(keyed);
    EXPECT_EQ(colourAt(35, -97), negative) << params;
    EXPECT_EQ(colourAt(36, -96), positive) << params;
  }
}

TEST(LightPlot, GlmFlashesAllOfTheLastMinute)
{
  KOL_REQUIRE_DATA();
  KOL::LightPlot layer("min=1");
  ASSERT_TRUE(layer.setFilename(
      KOLTest::dataFile(
          "textprod/lightning/"
          "glmtools_OR_GLM-L2-LCFA_G16_s20181830433000_e20181830433200_c20181830433231.nc")
          .c_str()));
  int drawn = 0;
  for (const auto& s : layer.getStrikes()) drawn += layer.classOf(s) > 0;
  EXPECT_EQ(drawn, 302);
}

}  // namespace
