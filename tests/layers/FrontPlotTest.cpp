// Fronts and centres in the picture: the symbols on the side the bulletin lists a front toward
// (triangles of a cold front running south on its east side, half-circles of a warm front
// running east on its north side), the H and L where the projection puts their positions.
#include <gtest/gtest.h>

#include "LayerPicture.h"
#include "geo/DomainTool.h"
#include "layers/FrontPlot.h"
#include "layers/frontplot/FrontPath.h"

using KOL::Point;

namespace {

constexpr uint32_t BLUE = 0x0000FF, RED = 0xFF0000;

const char* BULLETIN =
    "ASUS02 KWBC 281800\nCODSUS\n\nVALID 062818Z\n"
    "HIGHS 1030 4001000\nLOWS 998 3500800\n"
    "COLD 4500950 4100950 3700950 3300950\n"   // running south along 95W
    "WARM 3001000 3000950 3000900 3000850\n";  // running east along 30N

class FrontPictureTest : public KOLTest::LayerPictureTest {};

TEST_F(FrontPictureTest, SymbolsOnTheSideTheFrontMovesToAndCentres)
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

// nobarb leaves the fronts plain lines; filter= draws only the kinds named.
TEST_F(FrontPictureTest, PlainLinesOfTheKindsAskedFor)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"), BULLETIN);
  KOL::FrontPlot plain("nomap,nospline,nobarb,filter=COLD:HIGH");
  ASSERT_TRUE(plain.setFilename(dir.file("frt.txt").c_str()));
  KOL::Domain conus;
  ASSERT_TRUE(KOL::DomainTool::decode(conus, "conus"));
  draw(plain, "fronts_plain.png", &conus);
  int line = 0, east = 0, warm = 0;
  for (float lat = 34; lat <= 44; lat += 0.5f) {
    const Point p = pixel(lat, -95);
    line += inkAround(BLUE, p, 1);
    east += inkAround(BLUE, Point(p.x + 7, p.y), 3);
  }
  for (float lon = -99; lon <= -86; lon += 0.5f) warm += inkAround(RED, pixel(30, lon), 3);
  EXPECT_GT(line, 20);
  EXPECT_EQ(east, 0);
  EXPECT_EQ(warm, 0);
  EXPECT_GT(inkAround(BLUE, pixel(40, -100), 6), 5);
  EXPECT_EQ(inkAround(RED, pixel(35, -80), 6), 0);
}

TEST(FrontPath, SymbolPlacesAndSides)
{
  using KOL::frontplot::FrontPath;
  FrontPath path({Point(0, 10), Point(0, 0)});  // heading down: left is +x
  const auto places = path.places(4, 1);
  ASSERT_EQ(places.size(), 2u);  // at 2 and 6; at 10 the base would not fit
  EXPECT_FLOAT_EQ(places[0].at.y, 8);
  const auto tri = FrontPath::triangle(places[0], 1, 0.8f, 1);
  EXPECT_GT(tri[1].x, 0.7f);
  const auto half = FrontPath::halfCircle(places[0], 1, -1);
  for (const Point& p : half) EXPECT_LE(p.x, 1e-5f);
}

}  // namespace
