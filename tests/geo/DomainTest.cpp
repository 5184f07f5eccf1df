// Domain: names, the domain text form, limits and lattice, position tests, rescaling, directions,
// dateline handling and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "core/String.h"
#include "geo/Domain.h"

using KOL::Const;
using KOL::Domain;
using KOL::DomainVal;
using KOL::EarthPoint;
using KOL::GridPoint;
using KOL::Point;
using KOL::Points;
using KOL::Rect;

namespace {

constexpr float MISS = Const::FMISS;

std::string text(const Domain& d)
{
  KOL::String s;
  d.toString(s);
  return s.get();
}

TEST(DomainNames, CodesFromNamesInTableOrder)
{
  // name and code, in the order of the table of names
  std::istringstream table(
      "ll 2 LatLon 2 regular 2 polar 1 PS 1 pstereo 1 stuve 41 stereo 1 sat 10 satellite 10 "
      "lambaz 8 lambert 4 lc 4 laea 8 azim 8 albers 9 gnom 6 ortho 5 moll 7 merc 3 radial 11 "
      "pixel 20 xy 21 xlogy 24 xlogp 24 cat 26 skewt 40 ema 42 teph 43 rteph 44 thermo 40 "
      "hodo 25 vert 24 xp 23 zoom 50 size 51 missing -1 l -1 xz 22 q -1");
  std::string name;
  int code;
  while (table >> name >> code) EXPECT_EQ(Domain::getProj(name.c_str()), code) << name;
  EXPECT_EQ(Domain::getProj("MISS"), Const::MISS);
  EXPECT_EQ(Domain::getProj(nullptr), -1);
  EXPECT_STREQ(Domain::getProjName(99), "");
}

// Every projection code, printed and read again, gives the same domain (with values that the
// six decimals of the text carry).
TEST(DomainText, EveryCodeReadsBackAsPrinted)
{
  const struct {
    int code;
    float p0, p1, p2, p3;
    float clat, clon, dx, dy;
    bool ellipsoid;
  } cases[] = {{1, 90, -105, 60, MISS, 60, -100, 1.2f, 1.2f, false},
               {3, 20, -60, MISS, MISS, 20, -60, 1.2f, 1.2f, true},
               {4, 25, -95, 25, 25, 40, -95, 0.40635f, 0.40635f, false},
               {5, 45, 10, MISS, MISS, 45, 10, 0.5f, 0.5f, false},
               {7, MISS, 0, MISS, MISS, 0, 0, 5, 5, false},
               {8, 52, 10, MISS, MISS, 52, 10, 0.5f, 0.5f, false},
               {9, 23, -96, 29.5f, 45.5f, 38, -96, 1.2f, 1.2f, false},
               {10, MISS, -75, 421.64f, 1, 0, -75, 0.04f, 0.04f, true},
               {11, 90, -97.5f, 60, MISS, 35.2f, -97.5f, 0.01f, 0.01f, false},
               {22, MISS, MISS, MISS, MISS, 0, 5, 1, 0.5f, false},
               {24, MISS, MISS, MISS, MISS, 0, 500, 1, 0.1f, false},
               {25, MISS, MISS, MISS, MISS, 0, 0, 15, 15, false},
               {40, MISS, MISS, MISS, MISS, -40, 325, 9, 0.235f, false},
               {43, -36, 332, MISS, MISS, -36, 332, 9.090909f, 0.033f, false},
               {44, MISS, MISS, MISS, MISS, -25, 400, 13.6f, 0.049f, false},
               {51, MISS, MISS, MISS, MISS, 0, 0, 1, 1, false},
               {Const::MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS, false}};
  for (const auto& c : cases) {
    DomainVal v;
    v.proj = c.code;
    v.param[0] = c.p0, v.param[1] = c.p1, v.param[2] = c.p2, v.param[3] = c.p3;
    v.clat = c.clat, v.clon = c.clon, v.dx = c.dx, v.dy = c.dy;
    v.nx = 25, v.ny = 17;
    v.ellipsoid = c.ellipsoid;
    Domain d;
    EXPECT_EQ(d.set(v), 1) << c.code;
    const std::string printed = text(d);
    Domain back;
    EXPECT_EQ(back.set(printed.c_str()), 1) << printed;
    EXPECT_TRUE(Domain::compare(d, back)) << c.code << ": " << printed << " read as " << text(back);
  }
}

TEST(DomainText, ReadsAndWritesTheCompactForm)
{
  Domain d;
  ASSERT_EQ(d.set("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2"), 1);
  EXPECT_EQ(text(d),
            "lamb:25.000000:-95.000000:30.000000:60.000000:,40.000000,-95.000000,25,17,1.200000,"
            "1.200000");

  // A missing parameter is an empty field.
  Domain e("ps::30:45,60,30,25,17,1.2,1.2");
  EXPECT_EQ(e.param[0], MISS);
  EXPECT_FLOAT_EQ(e.param[2], 45);
  Domain m("merc:e:20:-60,20,-60,25,17,1.2,1.2");
  EXPECT_EQ(text(m).substr(0, 31), "merc:e:20.000000:-60.000000:::,");

  // A missing plon becomes the centre longitude.
  Domain p("ps,60,-100,25,17,1.2,1.2");
  EXPECT_FLOAT_EQ(p.param[1], -100);
}

TEST(DomainText, RefusesOtherFormsAndResets)
{
  const char* bad[] = {"lamb,40,-95",
                       "ps,40,-100,25,17,1.2",
                       ",40,-100,25,17,1,1",
                       "ps,nan,-100,25,17,1.2,1.2",
                       "ps:inf,40,-100,25,17,1.2,1.2",
                       "bogus:25,40,-100,25,17,1,1",
                       "qq,40,-100,25,17,1,1"};
  for (const char* s : bad) {
    Domain d("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2");
    EXPECT_EQ(d.set(s), 0) << s;
    EXPECT_EQ(d.proj, Const::MISS) << s;
    EXPECT_TRUE(d.getLimits().isMiss()) << s;
  }
  Domain d;
  // A long projection part is cut, not overrun.
  std::string longName(5000, 'x');
  EXPECT_EQ(d.set((longName + ",1,2,3,4,5,6").c_str()), 0);
}

TEST(DomainVal, CompareAndAspect)
{
  Domain a("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2");
  Domain b("lamb:25:-95:30:60,45,-90,13,9,2.4,2.4");
  EXPECT_FALSE(Domain::compare(a, b));
  EXPECT_TRUE(Domain::compareProj(a, b));
  b.param[2] = 33;
  EXPECT_FALSE(Domain::compareProj(a, b));
  EXPECT_FLOAT_EQ(a.getAspect(), 1.5f);
}

TEST(DomainLimits, CentredLatticeAndCorners)
{
  // A negative dy still gives ordered limits.
  Domain n("xy,10,20,3,5,1,-2");
  EXPECT_FLOAT_EQ(n.getLimits().y1, 16);
  EXPECT_FLOAT_EQ(n.getLimits().y2, 24);

  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  Point c;
  ASSERT_EQ(ps.tranCenter(c), 1);
  EXPECT_NEAR(ps.getLimits().x1, c.x - 14.4f, 1e-4);
  EXPECT_NEAR(ps.getLimits().y2, c.y + 9.6f, 1e-4);

  const struct {
    int corner;
    float gx, gy;
  } corners[] = {{1, 24, 0}, {2, 0, 16}, {4, 12, 8}};
  for (const auto& k : corners) {
    EarthPoint e;
    ASSERT_EQ(ps.tran(k.corner, e), 1);
    GridPoint back;
    ASSERT_EQ(ps.tran(e, back), 1);
    EXPECT_NEAR(back.x, k.gx, 1e-3) << k.corner;
    EXPECT_NEAR(back.y, k.gy, 1e-3) << k.corner;
  }
  Point p;
  EXPECT_EQ(ps.tran(5, p), 0);
  EXPECT_EQ(p.x, MISS);
}

TEST(DomainLimits, LatticeFromTwoCorners)
{
  Domain d;
  d.proj = 4;
  d.param[0] = 25;
  d.param[1] = -95;
  d.param[2] = d.param[3] = 25;
  EarthPoint ll(20, -120), ur(50, -60);
  ASSERT_EQ(d.set(ll, ur, 93, 65), 1);
  EarthPoint e;
  ASSERT_EQ(d.tran(1, e), 1);
  EXPECT_NEAR(e.lat, 50, 1e-3);
  EXPECT_NEAR(e.lon, -60, 1e-3);
  EXPECT_EQ(d.set(ll, ur, 1, 65), 0);
}

TEST(DomainLattice, GridIndicesAndMissingInput)
{
  Domain d("xy,0,0,5,3,2,1");
  GridPoint g;
  ASSERT_EQ(d.tran(Point(-4, 1), g), 1);
  EXPECT_FLOAT_EQ(g.y, 0);  // row 0 is the top
  ASSERT_EQ(d.tran(Point(1, -0.5f), g), 1);
  EXPECT_FLOAT_EQ(g.x, 2.5f);
  EXPECT_FLOAT_EQ(g.y, 1.5f);
  Point p;
  ASSERT_EQ(d.tran(GridPoint(4, 2), p), 1);
  EXPECT_FLOAT_EQ(p.y, -1);
  EXPECT_EQ(d.tran(Point(MISS, 1), g), 0);
  EXPECT_EQ(g.x, MISS);

  // Radial lattices are plain scalings of azimuth and range.
  Domain r("radial:90:-97,35,-97,360,230,1,0.01");
  ASSERT_EQ(r.tran(Point(90, 1.5f), g), 1);
  EXPECT_FLOAT_EQ(g.x, 90);
  EXPECT_FLOAT_EQ(g.y, 150);

  // Lists: one output per input, failures marked missing.
  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  KOL::EarthPoints in;
  for (const EarthPoint& e : {EarthPoint(50, -105), EarthPoint(95, 0), EarthPoint(40, -90)})
    in.add(e);
  KOL::GridPoints grid;
  EXPECT_EQ(ps.tran(in, grid), 0);
  ASSERT_EQ(grid.getNum(), 3);
  EXPECT_NEAR(grid[0].x, 12, 1e-4);
  EXPECT_EQ(grid[1].x, MISS);
  EXPECT_NE(grid[2].x, MISS);
}

TEST(DomainPosition, WithinAndKeypad)
{
  Domain d("xy,0,0,3,3,1,1");  // limits (-1,-1)-(1,1)
  const struct {
    float x, y;
    int where;
  } cases[] = {{-2, 2, 1}, {2, 2, 3}, {2, 0, 6}, {0, -2, 8}, {2, -2, 9}, {1, 1, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(d.where(Point(c.x, c.y)), c.where) << c.x << "," << c.y;
    EXPECT_EQ(d.within(Point(c.x, c.y)), c.where == 5) << c.x << "," << c.y;
  }
  EXPECT_TRUE(d.withinExt(Point(1.9f, -1.9f), 1));
  EXPECT_FALSE(d.withinExt(Point(2.1f, 0), 1));

  Domain unset;
  EXPECT_TRUE(unset.within(Point(1e6f, 1e6f)));
  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  EXPECT_FALSE(ps.within(EarthPoint(-50, 75)));
  EXPECT_EQ(ps.where(EarthPoint(50, -105)), 5);
  EXPECT_EQ(ps.where(EarthPoint(100, 0)), 0);
}

TEST(DomainProjection, NormalisationClampsAndFailures)
{
  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  Point p, q;
  EarthPoint e(40, 540);
  ASSERT_EQ(ps.tran(e, p), 1);
  EXPECT_FLOAT_EQ(e.lon, 180);
  EarthPoint f(40, 180);
  ASSERT_EQ(ps.tran(f, q), 1);
  EXPECT_EQ(p.x, q.x);

  e.set(40, 4000);
  EXPECT_EQ(ps.tran(e, p), 0);
  EXPECT_EQ(p.y, MISS);

  // Below 75 S a north polar stereographic point is drawn at 75 S, and the caller sees it.
  e.set(-80, 0);
  ASSERT_EQ(ps.tran(e, p), 1);
  EXPECT_FLOAT_EQ(e.lat, -75);
  f.set(-75, 0);
  ASSERT_EQ(ps.tran(f, q), 1);
  EXPECT_EQ(p.y, q.y);

  // Map projections refuse missing and impossible latitudes; plain ones pass missing through.
  Domain xy;
  xy.set(5, 5);
  for (float lat : {MISS, NAN}) {
    e.set(lat, 10);
    EXPECT_EQ(ps.tran(e, p), 0);
    EXPECT_EQ(p.x, MISS);
    e.set(lat, 10);
    EXPECT_EQ(xy.tran(e, p), lat == MISS);
    EXPECT_EQ(p.x, MISS);
  }
  EarthPoint back;
  EXPECT_EQ(ps.tran(Point(MISS, 3), back), 1);
  EXPECT_EQ(back.lat, MISS);

  // Off the disc of the orthographic and satellite views (their far sides meet PROJ).
  Domain ortho("ortho:40:-100,40,-100,25,17,1.2,1.2");
  EXPECT_EQ(ortho.tran(Point(70, 0), back), 0);
  Domain sat("sat:0:-75,0,-75,25,17,1.2,1.2");
  EXPECT_EQ(sat.tran(Point(400, 400), back), 0);
}

TEST(DomainProjection, UnusableParametersWarnAndFailQuietlyAfterwards)
{
  const char* cases[] = {
      "lamb:25:-95:30:-30,40,-95,25,17,1.2,1.2",  // no cone
      "lamb:25:-95:90:90,40,-95,25,17,1.2,1.2",  "albers:25:-95:20:-20,40,-95,25,17,1.2,1.2",
      "ps:90:-105:-90,50,-105,25,17,1.2,1.2",
      "sat:0:-75:50,0,-75,25,17,1.2,1.2",  // orbit inside the earth
      "ps:90:-105:60::-1,50,-105,25,17,1.2,1.2", "skewt,-40,0,12,11,9,0.235",
  };
  for (const char* c : cases) {
    Domain d;
    testing::internal::CaptureStderr();
    EXPECT_EQ(d.set(c), 0) << c;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Domain: "), std::string::npos) << c;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    EarthPoint e(40, -95);
    Point p;
    testing::internal::CaptureStderr();
    EXPECT_EQ(d.tran(e, p), 0) << c;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(p.x, MISS);
    EXPECT_TRUE(d.getLimits().isMiss());
  }
}

TEST(DomainRescale, ScaleZoomPan)
{
  Domain d("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  const Rect before = d.getLimits();
  ASSERT_EQ(d.scaleGrid(0.5f), 1);
  EXPECT_EQ(d.ny, 9);
  EXPECT_FLOAT_EQ(d.dy, 2.4f);
  EXPECT_NEAR(d.getLimits().x1, before.x1, 1e-4);
  EXPECT_NEAR(d.getLimits().y2, before.y2, 1e-4);
  EXPECT_EQ(d.scaleGrid(0), 0);
  ASSERT_EQ(d.scaleGrid(0.01f), 1);
  EXPECT_EQ(d.nx, 2);  // never below two points

  Domain s("xy,0,0,11,5,1,1");        // extent 10 x 4
  ASSERT_EQ(s.scaleSize(21, 21), 1);  // taller than the extent: the width decides
  EXPECT_FLOAT_EQ(s.dy, 0.5f);
  EXPECT_EQ(s.scaleSize(0, 5), 0);

  Domain z("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  Point corner;
  ASSERT_EQ(z.tran(1, corner), 1);
  EarthPoint cornerEarth;
  ASSERT_EQ(z.tran(corner, cornerEarth), 1);
  ASSERT_EQ(z.zoom(corner, 2), 1);
  EXPECT_FLOAT_EQ(z.dx, 0.6f);
  EXPECT_NEAR(z.clat, cornerEarth.lat, 1e-4);
  EXPECT_NEAR(z.clon, cornerEarth.lon, 1e-4);
  ASSERT_EQ(z.pan(Point(0, 0)), 1);
  EXPECT_NEAR(z.clat, 90, 1e-4);
}

// The bearing on the plot of a short step (10 m) from e along dir on the earth.
float plotBearing(const Domain& d, const EarthPoint& e, float dir)
{
  const double rad = M_PI / 180, step = 0.01 / 111.195;
  const double blat = e.lat + step * std::cos(dir * rad);
  const double blon = e.lon + step * std::sin(dir * rad) / std::cos(e.lat * rad);
  double ax, ay, bx, by;
  d.project(e.lat, e.lon, ax, ay);
  d.project(blat, blon, bx, by);
  double r = std::atan2(bx - ax, by - ay) * 180 / M_PI;
  return static_cast<float>(r < 0 ? r + 360 : r);
}

float angleDiff(float a, float b)
{
  float d = std::fmod(std::fabs(a - b), 360.0f);
  return d > 180 ? 360 - d : d;
}

TEST(DomainDirections, RotationMatchesTheProjectedStep)
{
  const char* domains[] = {"ps:90:-105:60,50,-105,25,17,1.2,1.2",
                           "ps:-90:150:-60,-70,150,25,17,1.2,1.2",
                           "lamb:25:-95:30:60,40,-95,25,17,1.2,1.2",
                           "lamb:-40:140:-20:-50,-35,140,25,17,1.2,1.2",
                           "sat:0:-75,0,-75,25,17,6,6",
                           "merc:0:-100,20,-100,25,17,1.2,1.2"};
  const EarthPoint places[] = {{50, -105}, {35, -80}, {60, 170}, {-30, 130},
                               {-70, 10},  {10, -70}, {-20, -60}};
  for (const char* text : domains) {
    Domain d(text);
    for (const EarthPoint& e : places) {
      Point p;
      EarthPoint c = e;
      if (!d.tran(c, p) || (d.proj == 10 && !d.within(e))) continue;
      for (float dir : {0.0f, 45.0f, 90.0f, 200.0f, 330.0f}) {
        const float adjusted = d.adjustDir(dir, e);
        ASSERT_NE(adjusted, MISS) << text;
        EXPECT_GE(adjusted, 0.0f);
        EXPECT_LE(adjusted, 360.0f);
        EXPECT_LT(angleDiff(adjusted, plotBearing(d, e, dir)), 0.05f)
            << text << " at " << e.lat << "," << e.lon << " dir " << dir;
        EXPECT_NEAR(d.adjustDir(dir, p), adjusted, 0.05f);
        if (d.proj == 1 || d.proj == 4) {
          EXPECT_LT(angleDiff(d.unadjustDir(adjusted, p), dir), 1e-3);
        }
      }
    }
  }
  Domain ps(domains[0]);
  // At the pole itself the projection longitude decides.
  EXPECT_FLOAT_EQ(ps.adjustDir(0, Point(0, 0)), 105);
  // Bearings turned to true north: due north along the central meridian is 0.
  Point a, b;
  EarthPoint ea(40, -105), eb(41, -105);
  ps.tran(ea, a);
  ps.tran(eb, b);
  EXPECT_NEAR(ps.direct(a, b), 0, 1e-3);
}

TEST(DomainDirections, MapFactorsAndDistances)
{
  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  EXPECT_NEAR(ps.getMapFactor(EarthPoint(90, 0)), 0.9330127, 1e-6);
  Domain south("ps:-90:0,-60,0,25,17,1.2,1.2");
  EXPECT_NEAR(south.getMapFactor(EarthPoint(-60, 0)), 1.0, 1e-6);
  Domain merc("merc:0:0,0,0,25,17,1.2,1.2");
  EXPECT_NEAR(merc.getMapFactor(EarthPoint(60, 0)), 2.0, 1e-5);
  Domain lamb("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2");
  EXPECT_EQ(lamb.getMapFactor(EarthPoint(60, 0)), 1.0f);

  // The map factor is the plot length of a short step over its earth length.
  for (float lat : {20.0f, 45.0f, 80.0f}) {
    EarthPoint a(lat, -40), b(lat + 0.01f, -40);
    Point pa, pb;
    ps.tran(a, pa);
    ps.tran(b, pb);
    const double plot = std::hypot(pb.x - pa.x, pb.y - pa.y) * 100.0;
    EXPECT_NEAR(plot / Domain::calcEarthDist(a, b), ps.getMapFactor(a), 2e-3) << lat;
  }

  EarthPoint out;
  Domain::offsetLatLon(EarthPoint(60, 20), 90, 111.195f, out);
  EXPECT_NEAR(out.lon, 22, 1e-4);
  EXPECT_NEAR(Domain::calcEarthDist(EarthPoint(0, 0), EarthPoint(0, 1)), 111.1985, 1e-2);
  Point moved, start;
  EarthPoint s(45, -105);
  ps.tran(s, start);
  ASSERT_EQ(ps.offset(start, 0, 111.195f, moved), 1);
  EarthPoint m;
  ps.tran(moved, m);
  EXPECT_NEAR(m.lat, 46, 1e-3);
}

TEST(DomainDateline, WrapAndOffsetLines)
{
  Domain ll("latlon:-90:0,0,0,361,181,1,1");
  Point a(170, 0), b(-170, 0);
  EXPECT_EQ(ll.wrapLine(a, b), 1);
  EXPECT_FLOAT_EQ(b.x, 190);

  Points line;
  for (float x : {150.0f, 175.0f, -170.0f, -150.0f, 179.0f}) line.add(Point(x, 0));
  EXPECT_EQ(ll.wrapLine(line), 1);
  EXPECT_FLOAT_EQ(line[3].x, 210);
  EXPECT_FLOAT_EQ(line[4].x, 179);

  Point g(10, 0), h(20, 0);
  EXPECT_EQ(ll.offsetLine(g, h, 0), 0);
  EXPECT_EQ(ll.offsetLine(g, h, 1), 1);
  EXPECT_FLOAT_EQ(h.x, -340);
  EXPECT_EQ(ll.offsetLine(line, 2), 1);
  EXPECT_FLOAT_EQ(line[0].x, 510);

  Point adj(200, 5);
  EXPECT_EQ(ll.adjust(adj), -1);
  EXPECT_FLOAT_EQ(adj.x, -160);
  Domain merc("merc:0:0,0,0,25,17,1.2,1.2");
  Point m(-250, 0);
  EXPECT_EQ(merc.adjust(m), 1);
  EXPECT_NEAR(m.x, 150.3156, 1e-3);

  // A flat cone wraps; a steep one and the polar stereographic plane do not.
  Domain flat("lamb:25:-95:25:25,40,-95,25,17,1.2,1.2");
  EarthPoint w(30, 100), x(30, 80);
  Point pw, px;
  flat.tran(w, pw);
  flat.tran(x, px);
  EXPECT_EQ(flat.wrapLine(pw, px), -1);
  Domain steep("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2");
  Point s1(-50, -60), s2(50, -60);
  EXPECT_EQ(steep.wrapLine(s1, s2), 0);
  EXPECT_EQ(steep.offsetLine(s1, s2, 1), 1);
  EXPECT_FLOAT_EQ(s1.x, -50);
  Domain moll("moll:0:0,0,0,25,17,1.2,1.2");
  Point ma(100, 0), mb(-100, 0);
  EXPECT_EQ(moll.wrapLine(ma, mb), 1);
  EXPECT_NEAR(mb.x, -100 + 4 * 63.7122, 1e-3);
}

TEST(DomainTranslate, BetweenProjections)
{
  Domain ps("ps:90:-105:60,50,-105,25,17,1.2,1.2");
  Domain ps2("ps:90:-105:60,40,-90,13,9,2.4,2.4");
  Domain lamb("lamb:25:-95:30:60,40,-95,25,17,1.2,1.2");
  EarthPoint e(45, -100);
  Point p, out, expect;
  ps.tran(e, p);
  ASSERT_EQ(Domain::translate(ps, ps2, p, out), 1);
  EXPECT_EQ(out.x, p.x);
  ASSERT_EQ(Domain::translate(ps, lamb, p, out), 1);
  lamb.tran(e, expect);
  EXPECT_NEAR(out.x, expect.x, 1e-4);
  EXPECT_NEAR(out.y, expect.y, 1e-4);
}

}  // namespace
