// Map projections against PROJ's command-line tools on the same sphere (or ellipsoid): a few
// hundred points per projection, near the poles, the dateline and the edges included, forward
// and inverse, batched into one oracle run per projection.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/Proj.h"
#include "common/TestData.h"
#include "geo/Domain.h"

using KOL::Domain;

namespace {

constexpr double METRES = 1e5;      // metres per map unit
constexpr double TOL_UNITS = 1e-5;  // 1 m
constexpr double R_MEAN = 6371220.0;
const std::string SPHERE = " +R=6371220 +units=m";
const std::string HALF_SPHERE = " +R=4505132.866431 +units=m";  // R / sqrt(2), for Mollweide
const std::string ELLIPSOID = " +a=6378137 +b=6356752 +units=m";

struct LonLat {
  double lon, lat;
};

// Points over the whole globe: a regular net, random points, and the awkward places.
std::vector<LonLat> globePoints(double latMin, double latMax)
{
  std::vector<LonLat> pts;
  for (double lat = -88.0; lat <= 88.0; lat += 11.0)
    for (double lon = -177.5; lon < 180.0; lon += 15.0) pts.push_back({lon, lat});
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> ulat(-90.0, 90.0), ulon(-180.0, 180.0);
  for (int i = 0; i < 150; i++) pts.push_back({ulon(rng), ulat(rng)});
  const double awkward[][2] = {{180.0, 10.0},  {-180.0, -20.0}, {179.9999, 45.0}, {-179.9999, 45.0},
                               {0.0, 89.9999}, {33.0, 90.0},    {-120.0, -90.0},  {0.0, -89.9999},
                               {179.5, 89.5},  {-179.5, -89.5}, {0.0, 0.0},       {90.0, 0.0},
                               {-90.0, 1e-6},  {1e-9, -1e-9},   {135.0, 75.0},    {-45.0, -75.0},
                               {180.0, 0.0},   {-0.0001, 60.0}, {45.0, 30.0},     {-100.0, 40.0}};
  for (const auto& a : awkward) pts.push_back({a[0], a[1]});
  std::vector<LonLat> kept;
  for (const LonLat& p : pts)
    if (p.lat >= latMin && p.lat <= latMax) kept.push_back(p);
  return kept;
}

// How PROJ's plane coordinates become the library's.
enum class Units { METRES, SCAN_ANGLE, TAN_ANGLE };

struct Case {
  const char* label;
  const char* domain;
  std::string definition;  // PROJ definition
  double latMin, latMax;   // latitudes where the two are meant to agree
  Units units = Units::METRES;
  double orbit = 421.64;   // satellite orbit radius in map units
  double earth = 63.7122;  // satellite earth radius (equatorial) in map units
};

double toUnits(const Case& c, double v)
{
  if (c.units == Units::METRES) return v / METRES;
  const double angle = v / ((c.orbit - c.earth) * METRES);
  return c.units == Units::SCAN_ANGLE ? c.orbit * angle : c.orbit * std::tan(angle);
}

double fromUnits(const Case& c, double v)
{
  if (c.units == Units::METRES) return v * METRES;
  const double angle = c.units == Units::SCAN_ANGLE ? v / c.orbit : std::atan(v / c.orbit);
  return angle * (c.orbit - c.earth) * METRES;
}

double lonDiff(double a, double b)
{
  double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// Forward against the oracle, inverse of our results through the oracle, and our own round trip.
void compareWithOracle(const Case& c)
{
  SCOPED_TRACE(c.label);
  Domain d(c.domain);
  std::vector<LonLat> pts = globePoints(c.latMin, c.latMax);
  std::vector<KOLTest::XY> in;
  for (const LonLat& p : pts) in.emplace_back(p.lon, p.lat);
  auto expect = KOLTest::projRun("proj -f %.7f " + c.definition, in);

  int compared = 0;
  std::vector<KOLTest::XY> ours;
  std::vector<size_t> which;
  for (size_t i = 0; i < pts.size(); i++) {
    double x, y;
    const int ok = d.project(pts[i].lat, pts[i].lon, x, y);
    const bool visible = std::isfinite(expect[i].first) && std::isfinite(expect[i].second);
    ASSERT_EQ(ok == 1, visible) << "lat " << pts[i].lat << " lon " << pts[i].lon;
    if (!visible) continue;
    const double ex = toUnits(c, expect[i].first), ey = toUnits(c, expect[i].second);
    EXPECT_NEAR(x, ex, TOL_UNITS) << "lat " << pts[i].lat << " lon " << pts[i].lon;
    EXPECT_NEAR(y, ey, TOL_UNITS) << "lat " << pts[i].lat << " lon " << pts[i].lon;
    compared++;
    ours.emplace_back(fromUnits(c, x), fromUnits(c, y));
    which.push_back(i);

    double lat, lon;
    ASSERT_EQ(d.unproject(x, y, lat, lon), 1);
    // Within 0.01 degrees of a pole the plane holds less of the position (equal-area and
    // conformal maps squeeze it there), and at the pole itself the longitude is arbitrary.
    const double tol = std::fabs(pts[i].lat) < 89.99 ? 1e-9 : 1e-7;
    EXPECT_NEAR(lat, pts[i].lat, tol) << "round trip lon " << pts[i].lon;
    if (std::fabs(pts[i].lat) < 89.999999) {
      EXPECT_LT(lonDiff(lon, pts[i].lon), tol) << "round trip lat " << pts[i].lat;
    }
  }
  EXPECT_GT(compared, 200);

  auto back = KOLTest::projRun("proj -I -f %.12f " + c.definition, ours);
  for (size_t k = 0; k < which.size(); k++) {
    const LonLat& p = pts[which[k]];
    EXPECT_NEAR(back[k].second, p.lat, 1e-7) << "inverse of lon " << p.lon;
    if (std::fabs(p.lat) < 89.99) {
      EXPECT_LT(lonDiff(back[k].first, p.lon), 1e-6) << p.lat;
    }
  }
}

class ProjectionOracle : public ::testing::Test {
 protected:
  void SetUp() override { KOL_REQUIRE_PROJ(); }
};

TEST_F(ProjectionOracle, ConicAzimuthalAndWorldMaps)
{
  const Case cases[] = {
      {"polar stereographic, north, true at 60", "ps:90:-105:60,60,-105,25,17,1.2,1.2",
       "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105" + SPHERE, -75, 90},
      {"polar stereographic, true at 45, default pole", "ps::30:45,60,30,25,17,1.2,1.2",
       "+proj=stere +lat_0=90 +lat_ts=45 +lon_0=30" + SPHERE, -75, 90},
      {"polar stereographic, south, default true latitude", "ps:-90:150,-70,150,25,17,1.2,1.2",
       "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=150" + SPHERE, -90, 75},
      {"polar stereographic, other radius", "ps:90:0:60::64.0,60,0,25,17,1.2,1.2",
       "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=0 +R=6400000 +units=m", -75, 90},
      {"Lambert, two standard latitudes", "lamb:25:-95:30:60,40,-95,25,17,1.2,1.2",
       "+proj=lcc +lat_0=90 +lat_1=30 +lat_2=60 +lon_0=-95" + SPHERE, -89.9, 90},
      {"Lambert, one standard latitude", "lamb:25:-95:25:25,40,-95,25,17,1.2,1.2",
       "+proj=lcc +lat_0=90 +lat_1=25 +lat_2=25 +lon_0=-95" + SPHERE, -89.9, 90},
      {"Lambert, defaults from the centre", "lamb,40,10,25,17,1.2,1.2",
       "+proj=lcc +lat_0=90 +lat_1=30 +lat_2=60 +lon_0=10" + SPHERE, -89.9, 90},
      {"Lambert, south", "lamb:-40:140:-20:-50,-35,140,25,17,1.2,1.2",
       "+proj=lcc +lat_0=-90 +lat_1=-20 +lat_2=-50 +lon_0=140" + SPHERE, -90, 89.9},
      {"Mercator", "merc:0:-100,20,-100,25,17,1.2,1.2", "+proj=merc +lon_0=-100" + SPHERE, -89.9,
       89.9},
      {"Mercator on the dateline", "merc:0:180,20,180,25,17,1.2,1.2",
       "+proj=merc +lon_0=180" + SPHERE, -89.9, 89.9},
      {"Mercator, ellipsoid true at 20", "merc:e:20:-60,20,-60,25,17,1.2,1.2",
       "+proj=merc +lat_ts=20 +lon_0=-60" + ELLIPSOID, -89.9, 89.9},
      {"orthographic", "ortho:40:-100,40,-100,25,17,1.2,1.2",
       "+proj=ortho +lat_0=40 +lon_0=-100" + SPHERE, -90, 90},
      {"orthographic, near the south pole", "ortho:-89.5:0,-90,0,25,17,1.2,1.2",
       "+proj=ortho +lat_0=-89.5 +lon_0=0" + SPHERE, -90, 90},
      {"Lambert azimuthal", "lambaz:45:-100,45,-100,25,17,1.2,1.2",
       "+proj=laea +lat_0=45 +lon_0=-100" + SPHERE, -90, 90},
      {"Lambert azimuthal, north pole", "lambaz:90:20,90,20,25,17,1.2,1.2",
       "+proj=laea +lat_0=90 +lon_0=20" + SPHERE, -89.9, 90},
      {"Mollweide", "moll:0:30,0,30,25,17,1.2,1.2", "+proj=moll +lon_0=30" + HALF_SPHERE, -89.9,
       89.9},
      {"Albers, north", "albers:23:-96:29.5:45.5,40,-96,25,17,1.2,1.2",
       "+proj=aea +lat_0=23 +lat_1=29.5 +lat_2=45.5 +lon_0=-96" + SPHERE, -89.9, 90},
      {"Albers, south", "albers:-32:135:-18:-36,-30,135,25,17,1.2,1.2",
       "+proj=aea +lat_0=-32 +lat_1=-18 +lat_2=-36 +lon_0=135" + SPHERE, -90, 89.9}};
  for (const Case& c : cases) compareWithOracle(c);
}

TEST_F(ProjectionOracle, Satellite)
{
  const double h = (421.64 - 63.7122) * METRES;
  const double he = (421.64 - 63.78137) * METRES;
  char sweep[160], sweepe[160];
  std::snprintf(sweep, sizeof sweep, "+proj=geos +sweep=x +lon_0=-75 +h=%.4f", h);
  std::snprintf(sweepe, sizeof sweepe, "+proj=geos +sweep=x +lon_0=-75 +h=%.4f", he);
  Case cases[] = {{"view angles", "sat:0:-75,0,-75,25,17,1.2,1.2", std::string(sweep) + SPHERE, -90,
                   90, Units::TAN_ANGLE},
                  {"scan angles", "sat:0:-75:421.64:1,0,-75,25,17,1.2,1.2",
                   std::string(sweep) + SPHERE, -90, 90, Units::SCAN_ANGLE},
                  {"scan angles, ellipsoid", "sat:e:0:-75:421.64:1,0,-75,25,17,1.2,1.2",
                   std::string(sweepe) + ELLIPSOID, -90, 90, Units::SCAN_ANGLE, 421.64, 63.78137}};
  // PROJ reports no failure for some points behind the earth: compare the visible half (away
  // from the limb, where the ellipsoid's limb differs from the sphere's) and expect the far
  // side to fail.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Domain d(c.domain);
    std::vector<KOLTest::XY> in;
    std::vector<LonLat> pts;
    int hidden = 0;
    for (const LonLat& p : globePoints(-90, 90)) {
      const double cosc = std::cos(p.lat * M_PI / 180) * std::cos((p.lon + 75) * M_PI / 180);
      if (cosc > 0.2) {
        pts.push_back(p), in.emplace_back(p.lon, p.lat);
      } else if (cosc < 0.1) {
        double x, y;
        EXPECT_EQ(d.project(p.lat, p.lon, x, y), 0) << p.lat << " " << p.lon;
        EXPECT_EQ(x, KOL::Const::FMISS);
        hidden++;
      }
    }
    auto expect = KOLTest::projRun("proj -f %.7f " + c.definition, in);
    for (size_t i = 0; i < pts.size(); i++) {
      double x, y;
      ASSERT_EQ(d.project(pts[i].lat, pts[i].lon, x, y), 1);
      EXPECT_NEAR(x, toUnits(c, expect[i].first), TOL_UNITS) << pts[i].lat << " " << pts[i].lon;
      EXPECT_NEAR(y, toUnits(c, expect[i].second), TOL_UNITS) << pts[i].lat << " " << pts[i].lon;
      double lat, lon;
      ASSERT_EQ(d.unproject(x, y, lat, lon), 1);
      EXPECT_NEAR(lat, pts[i].lat, 1e-9);
      EXPECT_NEAR(lon, pts[i].lon, 1e-9);
    }
    EXPECT_GT(pts.size(), 100u);
    EXPECT_GT(hidden, 100);
  }
}

TEST_F(ProjectionOracle, RotatedLatLon)
{
  // The grid's south pole at (-30, 10): PROJ's general oblique transform with the new north
  // pole at latitude 30.
  Domain d("latlon:-30:10,0,0,25,17,1,1");
  std::vector<KOLTest::XY> in;
  std::vector<LonLat> pts = globePoints(-89.9, 89.9);
  for (const LonLat& p : pts) in.emplace_back(p.lon, p.lat);
  auto expect = KOLTest::projRun(
      "cs2cs -f %.12f +proj=longlat +R=1 +to +proj=ob_tran +o_proj=longlat +o_lat_p=30 "
      "+o_lon_p=0 +lon_0=10 +R=1",
      in);
  for (size_t i = 0; i < pts.size(); i++) {
    double x, y;
    ASSERT_EQ(d.project(pts[i].lat, pts[i].lon, x, y), 1);
    EXPECT_NEAR(y, expect[i].second, 1e-8) << pts[i].lat << " " << pts[i].lon;
    if (std::fabs(y) < 89.99) {
      EXPECT_LT(lonDiff(x, expect[i].first), 1e-8) << pts[i].lat;
    }
    double lat, lon;
    ASSERT_EQ(d.unproject(x, y, lat, lon), 1);
    EXPECT_NEAR(lat, pts[i].lat, 1e-9);
    EXPECT_LT(lonDiff(lon, pts[i].lon), 1e-9);
  }
}

TEST_F(ProjectionOracle, RadialIsAzimuthAndRangeOnTheStereographicPlane)
{
  Domain d("radial:90:-97,35,-97,25,17,1.2,1.2");
  std::vector<KOLTest::XY> in = {{-97, 35}};
  std::vector<LonLat> pts = globePoints(-75, 90);
  for (const LonLat& p : pts) in.emplace_back(p.lon, p.lat);
  auto plane =
      KOLTest::projRun("proj -f %.7f +proj=stere +lat_0=90 +lat_ts=60 +lon_0=-97" + SPHERE, in);
  const double x0 = plane[0].first / METRES, y0 = plane[0].second / METRES;
  for (size_t i = 0; i < pts.size(); i++) {
    const double ex = plane[i + 1].first / METRES - x0, ey = plane[i + 1].second / METRES - y0;
    double az, range;
    ASSERT_EQ(d.project(pts[i].lat, pts[i].lon, az, range), 1);
    // The origin is kept in single precision.
    EXPECT_NEAR(range, std::hypot(ex, ey), 1e-4);
    if (std::hypot(ex, ey) > 1.0) {
      double expectAz = std::atan2(ex, ey) * 180 / M_PI;
      if (expectAz < 0) expectAz += 360;
      EXPECT_LT(lonDiff(az, expectAz), 1e-4);
    }
  }
}

}  // namespace
