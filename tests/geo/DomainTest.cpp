// Domain: names, the text form, limits and lattice, positions, rescaling, directions, dateline.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "core/String.h"
#include "geo/Domain.h"

using namespace KOL;

namespace {

constexpr float MISS = Const::FMISS;
const char* PS = "ps:90:-105:60,50,-105,25,17,1.2,1.2";
const char* LAMB = "lamb:25:-95:30:60,40,-95,25,17,1.2,1.2";

std::string text(const Domain& d)
{
  String s;
  d.toString(s);
  return s.get();
}

TEST(DomainNames, CodesFromNamesInTableOrder)
{
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

// Every kind of projection, printed and read again, gives the same domain.
TEST(DomainText, EveryKindReadsBackAsPrinted)
{
  std::istringstream texts(
      "ps:90:-105:60,50,-105,25,17,1.2,1.2 merc:e:20:-60,20,-60,25,17,1.2,1.2 "
      "lamb:25:-95:25:25,40,-95,25,17,0.40635,0.40635 ortho:45:10,45,10,25,17,0.5,0.5 "
      "moll::0,0,0,25,17,5,5 lambaz:52:10,52,10,25,17,0.5,0.5 "
      "albers:23:-96:29.5:45.5,38,-96,25,17,1.2,1.2 sat:e::-75:421.64:1,0,-75,25,17,0.04,0.04 "
      "radial:90:-97.5:60,35.2,-97.5,25,17,0.01,0.01 xz,0,5,25,17,1,0.5 xlogy,0,500,25,17,1,0.1 "
      "hodo,0,0,25,17,15,15 skewt,-40,325,25,17,9,0.235 rteph,-25,400,25,17,13.6,0.049 "
      "teph:-36:332,-36,332,25,17,9.090909,0.033 size,0,0,25,17,1,1");
  for (std::string t; texts >> t;) {
    Domain d;
    ASSERT_EQ(d.set(t.c_str()), 1) << t;
    const std::string printed = text(d);
    Domain back;
    EXPECT_EQ(back.set(printed.c_str()), 1) << printed;
    EXPECT_TRUE(Domain::compare(d, back)) << t << ": " << printed << " read as " << text(back);
  }
  Domain unset, back;
  back.set(text(unset).c_str());
  EXPECT_TRUE(Domain::compare(unset, back));
}

TEST(DomainText, CompactFormAndRefusals)
{
  EXPECT_EQ(text(Domain(LAMB)),
            "lamb:25.000000:-95.000000:30.000000:60.000000:,40.000000,-95.000000,25,17,1.200000,"
            "1.200000");
  Domain e("ps::30:45,60,30,25,17,1.2,1.2");  // a missing parameter is an empty field
  EXPECT_TRUE(e.param[0] == MISS && e.param[2] == 45);
  Domain m("merc:e:20:-60,20,-60,25,17,1.2,1.2");
  EXPECT_EQ(text(m).substr(0, 31), "merc:e:20.000000:-60.000000:::,");
  Domain p("ps,60,-100,25,17,1.2,1.2");  // a missing plon becomes the centre longitude
  EXPECT_FLOAT_EQ(p.param[1], -100);

  std::istringstream bad(
      "lamb,40,-95 ps,40,-100,25,17,1.2 ,40,-100,25,17,1,1 ps,nan,-100,25,17,1.2,1.2 "
      "ps:inf,40,-100,25,17,1.2,1.2 bogus:25,40,-100,25,17,1,1 qq,40,-100,25,17,1,1 " +
      std::string(5000, 'x') + ",1,2,3,4,5,6");
  for (std::string s; bad >> s;) {
    Domain d(LAMB);
    EXPECT_EQ(d.set(s.c_str()), 0) << s;
    EXPECT_EQ(d.proj, Const::MISS) << s;
    EXPECT_TRUE(d.getLimits().isMiss()) << s;
  }
}

TEST(DomainLimits, CentredLatticeCornersAndTwoCornerForm)
{
  Domain n("xy,10,20,3,5,1,-2");  // a negative dy still gives ordered limits
  EXPECT_TRUE(n.getLimits().y1 == 16 && n.getLimits().y2 == 24);
  Domain ps(PS);
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
    GridPoint back;
    ASSERT_TRUE(ps.tran(k.corner, e) && ps.tran(e, back));
    EXPECT_LT(std::hypot(back.x - k.gx, back.y - k.gy), 1e-3) << k.corner;
  }
  Point p;
  EXPECT_TRUE(!ps.tran(5, p) && p.x == MISS);

  Domain d("lamb:25:-95:25:25,0,0,2,2,1,1");
  EarthPoint ll(20, -120), ur(50, -60), e;
  ASSERT_TRUE(d.set(ll, ur, 93, 65) && d.tran(1, e));
  EXPECT_LT(std::hypot(e.lat - 50, e.lon + 60), 1e-3);
  EXPECT_EQ(d.set(ll, ur, 1, 65), 0);
}

TEST(DomainLattice, GridIndicesListsAndPositions)
{
  Domain d("xy,0,0,5,3,2,1");
  GridPoint g;
  ASSERT_EQ(d.tran(Point(-4, 1), g), 1);
  EXPECT_FLOAT_EQ(g.y, 0);  // row 0 is the top
  EXPECT_TRUE(d.tran(Point(1, -0.5f), g) && g.x == 2.5f && g.y == 1.5f);
  Point p;
  EXPECT_TRUE(d.tran(GridPoint(4, 2), p) && p.y == -1);
  EXPECT_TRUE(!d.tran(Point(MISS, 1), g) && g.x == MISS);

  Domain r("radial:90:-97,35,-97,360,230,1,0.01");  // plain scalings of azimuth and range
  EXPECT_TRUE(r.tran(Point(90, 1.5f), g) && g.x == 90 && g.y == 150);

  // Lists: one output per input, failures marked missing.
  EarthPoints in;
  for (const EarthPoint& e : {EarthPoint(50, -105), EarthPoint(95, 0), EarthPoint(40, -90)})
    in.add(e);
  GridPoints grid;
  EXPECT_EQ(Domain(PS).tran(in, grid), 0);
  ASSERT_EQ(grid.getNum(), 3);
  EXPECT_NEAR(grid[0].x, 12, 1e-4);
  EXPECT_TRUE(grid[1].x == MISS && grid[2].x != MISS);

  Domain pad("xy,0,0,3,3,1,1");  // limits (-1,-1)-(1,1)
  const struct {
    float x, y;
    int where;
  } cases[] = {{-2, 2, 1}, {2, 2, 3}, {2, 0, 6}, {0, -2, 8}, {2, -2, 9}, {1, 1, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(pad.where(Point(c.x, c.y)), c.where) << c.x << "," << c.y;
    EXPECT_EQ(pad.within(Point(c.x, c.y)), c.where == 5) << c.x << "," << c.y;
  }
  EXPECT_TRUE(pad.withinExt(Point(1.9f, -1.9f), 1) && !pad.withinExt(Point(2.1f, 0), 1));
  EXPECT_TRUE(Domain().within(Point(1e6f, 1e6f)));
  Domain ps(PS);
  EXPECT_FALSE(ps.within(EarthPoint(-50, 75)));
  EXPECT_TRUE(ps.where(EarthPoint(50, -105)) == 5 && ps.where(EarthPoint(100, 0)) == 0);
}

TEST(DomainProjection, NormalisationClampsAndFailures)
{
  Domain ps(PS);
  Point p, q;
  EarthPoint e(40, 540), f(40, 180);
  ASSERT_TRUE(ps.tran(e, p) && ps.tran(f, q));
  EXPECT_TRUE(e.lon == 180 && p.x == q.x);
  e.set(40, 4000);
  EXPECT_TRUE(!ps.tran(e, p) && p.y == MISS);
  // Below 75 S a north polar stereographic point is drawn at 75 S, and the caller sees it.
  e.set(-80, 0);
  f.set(-75, 0);
  ASSERT_TRUE(ps.tran(e, p) && ps.tran(f, q));
  EXPECT_TRUE(e.lat == -75 && p.y == q.y);
  // Map projections refuse missing and impossible latitudes; plain ones pass missing through.
  Domain xy;
  xy.set(5, 5);
  for (float lat : {MISS, NAN}) {
    e.set(lat, 10);
    EXPECT_TRUE(!ps.tran(e, p) && p.x == MISS);
    e.set(lat, 10);
    EXPECT_TRUE(xy.tran(e, p) == (lat == MISS) && p.x == MISS);
  }
  EarthPoint back;
  EXPECT_TRUE(ps.tran(Point(MISS, 3), back) && back.lat == MISS);
  // Off the disc of the orthographic and satellite views.
  EXPECT_EQ(Domain("ortho:40:-100,40,-100,25,17,1.2,1.2").tran(Point(70, 0), back), 0);
  EXPECT_EQ(Domain("sat:0:-75,0,-75,25,17,1.2,1.2").tran(Point(400, 400), back), 0);
}

TEST(DomainProjection, UnusableParametersWarnAndFailQuietlyAfterwards)
{
  // No cone, an orbit inside the earth, poles and radii that do not make a map.
  const char* cases[] = {
      "lamb:25:-95:30:-30,40,-95,25,17,1.2,1.2",   "skewt,-40,0,12,11,9,0.235",
      "lamb:25:-95:90:90,40,-95,25,17,1.2,1.2",    "sat:0:-75:50,0,-75,25,17,1.2,1.2",
      "albers:25:-95:20:-20,40,-95,25,17,1.2,1.2", "ps:90:-105:-90,50,-105,25,17,1.2,1.2",
      "ps:90:-105:60::-1,50,-105,25,17,1.2,1.2"};
  for (const char* c : cases) {
    Domain d;
    testing::internal::CaptureStderr();
    EXPECT_EQ(d.set(c), 0) << c;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("Domain: "), 0u) << c;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    EarthPoint e(40, -95);
    Point p;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(!d.tran(e, p) && p.x == MISS && d.getLimits().isMiss()) << c;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
}

TEST(DomainRescale, ScaleZoomPan)
{
  Domain d(PS);
  const Rect before = d.getLimits();
  ASSERT_EQ(d.scaleGrid(0.5f), 1);
  EXPECT_TRUE(d.ny == 9 && std::fabs(d.dy - 2.4f) < 1e-6);
  EXPECT_LT(std::hypot(d.getLimits().x1 - before.x1, d.getLimits().y2 - before.y2), 1e-4);
  EXPECT_EQ(d.scaleGrid(0), 0);
  EXPECT_TRUE(d.scaleGrid(0.01f) && d.nx == 2);      // never below two points
  Domain s("xy,0,0,11,5,1,1");                       // extent 10 x 4
  EXPECT_TRUE(s.scaleSize(21, 21) && s.dy == 0.5f);  // taller than wide: the width decides
  EXPECT_EQ(s.scaleSize(0, 5), 0);

  Domain z(PS);
  Point corner;
  EarthPoint cornerEarth;
  ASSERT_TRUE(z.tran(1, corner) && z.tran(corner, cornerEarth) && z.zoom(corner, 2));
  EXPECT_FLOAT_EQ(z.dx, 0.6f);
  EXPECT_LT(std::hypot(z.clat - cornerEarth.lat, z.clon - cornerEarth.lon), 1e-4);
  EXPECT_TRUE(z.pan(Point(0, 0)) && std::fabs(z.clat - 90) < 1e-4);
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
                           LAMB,
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
        EXPECT_TRUE(adjusted >= 0 && adjusted <= 360) << adjusted;
        EXPECT_LT(angleDiff(adjusted, plotBearing(d, e, dir)), 0.05f)
            << text << " at " << e.lat << "," << e.lon << " dir " << dir;
        EXPECT_NEAR(d.adjustDir(dir, p), adjusted, 0.05f);
        if (d.proj == 1 || d.proj == 4) {
          EXPECT_LT(angleDiff(d.unadjustDir(adjusted, p), dir), 1e-3);
        }
      }
    }
  }
  Domain ps(PS);
  EXPECT_FLOAT_EQ(ps.adjustDir(0, Point(0, 0)), 105);  // at the pole the projection decides
  Point a, b;
  EarthPoint ea(40, -105), eb(41, -105);
  ASSERT_TRUE(ps.tran(ea, a) && ps.tran(eb, b));
  EXPECT_NEAR(ps.direct(a, b), 0, 1e-3);  // due north along the central meridian
}

TEST(DomainDirections, MapFactorsAndDistances)
{
  // The map factor is the plot length of a short step over its earth length.
  for (const char* t : {PS, "ps:-90:0,-60,0,25,17,1.2,1.2", "merc:0:0,0,0,25,17,1.2,1.2"}) {
    const Domain d(t);
    for (float lat : {-60.0f, 20.0f, 45.0f, 70.0f}) {
      EarthPoint a(lat, -40), b(lat + 0.01f, -40);
      Point pa, pb;
      if (!d.tran(a, pa) || !d.tran(b, pb) || (lat < 0) != (d.param[0] < 0)) continue;
      const double plot = std::hypot(pb.x - pa.x, pb.y - pa.y) * 100.0;
      EXPECT_NEAR(plot / Domain::calcEarthDist(a, b), d.getMapFactor(a), 2e-3) << t << lat;
    }
  }
  EXPECT_EQ(Domain(LAMB).getMapFactor(EarthPoint(60, 0)), 1.0f);
  Domain ps(PS);
  EarthPoint out, s(45, -105), m;
  Domain::offsetLatLon(EarthPoint(60, 20), 90, 111.195f, out);
  EXPECT_NEAR(out.lon, 22, 1e-4);
  EXPECT_NEAR(Domain::calcEarthDist(EarthPoint(0, 0), EarthPoint(0, 1)), 111.1985, 1e-2);
  Point moved, start;
  ps.tran(s, start);
  ASSERT_TRUE(ps.offset(start, 0, 111.195f, moved) && ps.tran(moved, m));
  EXPECT_NEAR(m.lat, 46, 1e-3);
}

TEST(DomainDateline, WrapOffsetAndTranslate)
{
  Domain ll("latlon:-90:0,0,0,361,181,1,1");
  Point a(170, 0), b(-170, 0);
  EXPECT_TRUE(ll.wrapLine(a, b) == 1 && b.x == 190);
  Points line;
  for (float x : {150.0f, 175.0f, -170.0f, -150.0f, 179.0f}) line.add(Point(x, 0));
  EXPECT_TRUE(ll.wrapLine(line) == 1 && line[3].x == 210 && line[4].x == 179);
  Point g(10, 0), h(20, 0);
  EXPECT_TRUE(ll.offsetLine(g, h, 0) == 0 && ll.offsetLine(g, h, 1) == 1 && h.x == -340);
  EXPECT_TRUE(ll.offsetLine(line, 2) == 1 && line[0].x == 510);
  Point adj(200, 5), m(-250, 0);
  EXPECT_TRUE(ll.adjust(adj) == -1 && adj.x == -160);
  EXPECT_EQ(Domain("merc:0:0,0,0,25,17,1.2,1.2").adjust(m), 1);
  EXPECT_NEAR(m.x, 150.3156, 1e-3);

  // A flat cone wraps; a steep one does not.
  Domain flat("lamb:25:-95:25:25,40,-95,25,17,1.2,1.2");
  EarthPoint w(30, 100), x(30, 80);
  Point pw, px;
  ASSERT_TRUE(flat.tran(w, pw) && flat.tran(x, px));
  EXPECT_EQ(flat.wrapLine(pw, px), -1);
  Domain steep(LAMB);
  Point s1(-50, -60), s2(50, -60);
  EXPECT_TRUE(steep.wrapLine(s1, s2) == 0 && steep.offsetLine(s1, s2, 1) == 1 && s1.x == -50);
  Point ma(100, 0), mb(-100, 0);
  EXPECT_EQ(Domain("moll:0:0,0,0,25,17,1.2,1.2").wrapLine(ma, mb), 1);
  EXPECT_NEAR(mb.x, -100 + 4 * 63.7122, 1e-3);

  const Domain ps(PS), ps2("ps:90:-105:60,40,-90,13,9,2.4,2.4"), lamb(LAMB);
  EarthPoint e(45, -100);
  Point p, out, expect;
  ps.tran(e, p);
  EXPECT_TRUE(Domain::translate(ps, ps2, p, out) && out.x == p.x);
  ASSERT_TRUE(Domain::translate(ps, lamb, p, out) && lamb.tran(e, expect));
  EXPECT_LT(std::hypot(out.x - expect.x, out.y - expect.y), 1e-4);
}

}  // namespace
