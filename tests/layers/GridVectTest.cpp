// The vector layer: winds given in the orientation of a Lambert grid turned onto the map of
// another projection, checked against where PROJ puts north on both; the thinning that keeps
// symbols apart; the parameter keys; and vectors drawn on a picture.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/Domains.h"
#include "common/Proj.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"
#include "layers/GridVect.h"

using KOL::Const;
using KOL::Grid;
using KOL::GridVect;
using KOL::Plot;

namespace {

constexpr double DEG = 0.017453292519943295;

using KOLTest::lambert;

// A grid like NAM's 211, 40 km apart.
const KOL::Domain LAMBERT = lambert(151, 101, 0.4f);
const char* LAMBERT_PROJ = "+proj=lcc +lat_1=25 +lat_2=25 +lat_0=25 +lon_0=-95 +R=6371220";

// The direction of north (degrees clockwise from up) in a PROJ projection at a place: the way
// a step of a hundredth of a degree northwards goes.
double northIn(const std::string& proj, double lat, double lon)
{
  const auto p = KOLTest::projRun("proj -f %.6f " + proj, {{lon, lat}, {lon, lat + 0.01}});
  return std::atan2(p[1].first - p[0].first, p[1].second - p[0].second) / DEG;
}

double turn(double a)
{
  while (a > 180) a -= 360;
  while (a <= -180) a += 360;
  return a;
}

class GridVectTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    ASSERT_TRUE(plot.open("bg=white,de=i,,sz=400x300"));
  }
  Plot plot;
};

// A southerly wind of the grid's own north at each place, as a model gives it, must point to
// the map's north: up on a latitude-longitude map, PROJ's north on a polar stereographic one.
TEST_F(GridVectTest, GridNorthTurnedToTheMap)
{
  KOL_REQUIRE_PROJ();
  Grid g;
  g.setDomain(LAMBERT);
  struct Map {
    const char* name;
    KOL::Domain domain;
    const char* proj;  // null: north is up everywhere
  } maps[] = {
      {"latlon", KOLTest::makeDomain(2, Const::FMISS, Const::FMISS, 40, -95, 80, 40, 1.0f),
       nullptr},
      {"polar", KOLTest::makeDomain(1, 90, -105, 45, -105, 41, 31, 1.0f),
       "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105 +R=6371220"},
  };
  const double places[][2] = {{40, -125}, {40, -95}, {45, -70}, {30, -110}, {55, -80}};
  for (const Map& m : maps) {
    SCOPED_TRACE(m.name);
    plot.setDomain(m.domain);
    for (const auto& pl : places) {
      SCOPED_TRACE(std::to_string(pl[0]) + " " + std::to_string(pl[1]));
      KOL::EarthPoint e(static_cast<float>(pl[0]), static_cast<float>(pl[1]));
      KOL::GridPoint gp;
      ASSERT_TRUE(g.tran(e, gp));
      const int i = static_cast<int>(std::lround(gp.x)), j = static_cast<int>(std::lround(gp.y));
      KOL::EarthPoint at;
      g.tran(KOL::GridPoint(static_cast<float>(i), static_cast<float>(j)), at);
      // the wind towards earth north, in grid components
      const double north = northIn(LAMBERT_PROJ, at.lat, at.lon);
      const float u = static_cast<float>(std::sin(north * DEG)),
                  v = static_cast<float>(std::cos(north * DEG));
      KOL::Point p;
      ASSERT_TRUE(plot.getDomain().tran(at, p));
      const float dir = GridVect::mapDirection(g, i, j, u, v, plot, p);
      const double want = m.proj ? northIn(m.proj, at.lat, at.lon) : 0.0;
      EXPECT_NEAR(turn(dir - want), 0.0, 0.2);
    }
  }
}

TEST_F(GridVectTest, SymbolsKeptApart)
{
  Grid g;
  g.setDomain(LAMBERT);
  plot.setDomain(LAMBERT);
  const struct {
    float spacing;
    int step;
  } cases[] = {{0.1f, 1}, {0.4f, 1}, {1.0f, 3}, {2.0f, 5}};
  for (const auto& c : cases) {
    int di, dj;
    GridVect::stride(g, plot, c.spacing, di, dj);
    EXPECT_EQ(di, c.step) << c.spacing;
    EXPECT_EQ(dj, c.step) << c.spacing;
  }
  // a map showing the grid twice as large needs half the stride
  plot.setDomain(lambert(151, 101, 0.2f));
  int di, dj;
  GridVect::stride(g, plot, 2.0f, di, dj);
  EXPECT_EQ(di, 5);
  GridVect::stride(g, plot, 1.0f, di, dj);
  EXPECT_EQ(di, 3);
}

TEST_F(GridVectTest, ParameterKeys)
{
  GridVect v("vbar,nolabel,co=blue,sc=1.5,sk=2");
  EXPECT_TRUE(v.getBarbs());
  EXPECT_FALSE(v.getLabel());
  EXPECT_STREQ(v.getColor(), "blue");
  EXPECT_FLOAT_EQ(v.getScale(), 1.5f);
  EXPECT_EQ(v.getSkip(), 2);
  v.setParam("vect,sc=-1");
  EXPECT_FALSE(v.getBarbs());
  EXPECT_FLOAT_EQ(v.getScale(), 1.5f) << "a negative size is refused";
}

// Westerlies of 20 m/s drawn in blue: the arrows are there, and only where the wind is.
TEST_F(GridVectTest, ArrowsOnThePicture)
{
  const KOL::Domain d = lambert(31, 21, 2.0f);
  plot.setDomain(d);
  Grid u, v;
  for (Grid* g : {&u, &v}) {
    g->setDomain(d);
    g->allocData();
  }
  for (int j = 0; j < 21; ++j)
    for (int i = 0; i < 31; ++i) {
      u.setValue(i, j, i < 15 ? 20.0f : Const::FMISS);
      v.setValue(i, j, 0.0f);
    }
  u.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
  GridVect vect("co=blue");
  ASSERT_EQ(vect.draw(plot, u, v), 1);
  EXPECT_EQ(plot.getDate().getSeconds(), u.getDate().getSeconds()) << "the frame takes its date";
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  int west = 0, east = 0;
  KOL::RGB c;
  for (int y = 0; y < img.getHeight(); ++y)
    for (int x = 0; x < img.getWidth(); ++x) {
      img.getRGB(x, y, c);
      // the last arrows start half way across and point east
      if (c.blue > 0.5f && c.red < 0.5f) (x < img.getWidth() * 0.55 ? west : east)++;
    }
  EXPECT_GT(west, 200);
  EXPECT_EQ(east, 0);
  // components that do not match are refused
  Grid small;
  small.setDomain(lambert(5, 5, 2.0f));
  small.allocData();
  EXPECT_EQ(vect.draw(plot, u, small), 0);
}

}  // namespace
