// Map projections against PROJ's command-line tools on the same sphere (or ellipsoid): a few
// hundred points each, poles, dateline and edges included, forward and inverse.
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

constexpr double METRES = 1e5;  // metres per map unit
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

// How PROJ's coordinates become the library's.
enum class Units { METRES, SCAN_ANGLE, TAN_ANGLE, DEGREES };

struct Case {
  const char* domain;      // without its lattice
  std::string definition;  // PROJ definition (cs2cs source +to target for DEGREES)
  double latMin, latMax;   // latitudes where the two are meant to agree
  Units units = Units::METRES;
  double orbit = 421.64;   // satellite orbit radius in map units
  double earth = 63.7122;  // satellite earth radius (equatorial) in map units
  double subLon = NAN;     // satellite views: only the visible half is compared
};

// PROJ's coordinate v in the library's units.
double units(const Case& c, double v)
{
  if (c.units == Units::DEGREES) return v;
  if (c.units == Units::METRES) return v / METRES;
  const double angle = v / ((c.orbit - c.earth) * METRES);
  return c.units == Units::SCAN_ANGLE ? c.orbit * angle : c.orbit * std::tan(angle);
}

double lonDiff(double a, double b)
{
  double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// Forward against the oracle, and our own round trip.
// PROJ reports no failure for some points behind the earth of a satellite view: there the visible
// half is compared (away from the limb, where ellipsoid and sphere differ) and the far side must
// fail.
void compareWithOracle(const Case& c)
{
  SCOPED_TRACE(c.domain);
  Domain d((std::string(c.domain) + ",25,17,1.2,1.2").c_str());
  const bool degrees = c.units == Units::DEGREES;
  const std::string tool = degrees ? "cs2cs" : "proj";
  std::vector<LonLat> pts;
  std::vector<KOLTest::XY> in;
  int hidden = 0;
  for (const LonLat& p : globePoints(c.latMin, c.latMax)) {
    const double cosc = std::cos(p.lat * M_PI / 180) * std::cos((p.lon - c.subLon) * M_PI / 180);
    if (cosc < 0.1) {
      double x, y;
      EXPECT_EQ(d.project(p.lat, p.lon, x, y), 0) << p.lat << " " << p.lon;
      EXPECT_EQ(x, KOL::Const::FMISS);
      hidden++;
    }
    if (cosc <= 0.2) continue;  // false for NaN: every point of the other maps
    pts.push_back(p), in.emplace_back(p.lon, p.lat);
  }
  if (!std::isnan(c.subLon)) {
    EXPECT_GT(hidden, 100);
  }
  auto expect = KOLTest::projRun(tool + " -f %.10f " + c.definition, in);

  // 1 cm on map planes, 1e-8 degrees rotated; satellite views 1 m.
  const double tol = c.units == Units::METRES ? 1e-7 : degrees ? 1e-8 : 1e-5;
  size_t compared = 0;
  for (size_t i = 0; i < pts.size(); i++) {
    double x, y;
    const int ok = d.project(pts[i].lat, pts[i].lon, x, y);
    const bool visible = std::isfinite(expect[i].first) && std::isfinite(expect[i].second);
    ASSERT_EQ(ok == 1, visible) << "lat " << pts[i].lat << " lon " << pts[i].lon;
    if (!visible) continue;
    const double ex = units(c, expect[i].first), ey = units(c, expect[i].second);
    if (!degrees || std::fabs(ey) < 89.99) {
      EXPECT_LT(degrees ? lonDiff(x, ex) : std::fabs(x - ex), tol)
          << "lat " << pts[i].lat << " lon " << pts[i].lon;
    }
    EXPECT_NEAR(y, ey, tol) << "lat " << pts[i].lat << " lon " << pts[i].lon;
    compared++;

    double lat, lon;
    ASSERT_EQ(d.unproject(x, y, lat, lon), 1);
    // Within 0.01 degrees of a pole the plane holds less of the position (equal-area and
    // conformal maps squeeze it there), and at the pole itself the longitude is arbitrary.
    const double back = std::fabs(pts[i].lat) < 89.99 ? 1e-9 : 1e-7;
    EXPECT_NEAR(lat, pts[i].lat, back) << "round trip lon " << pts[i].lon;
    if (std::fabs(pts[i].lat) < 89.999999) {
      EXPECT_LT(lonDiff(lon, pts[i].lon), back) << "round trip lat " << pts[i].lat;
    }
  }
  EXPECT_GT(compared, 100u);
}

class ProjectionOracle : public ::testing::Test {
 protected:
  void SetUp() override { KOL_REQUIRE_PROJ(); }
};

TEST_F(ProjectionOracle, ConicAzimuthalAndWorldMaps)
{
  const Case cases[] = {
      {"ps:90:-105:60,60,-105", "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105" + SPHERE, -75, 90},
      {"ps::30:45,60,30", "+proj=stere +lat_0=90 +lat_ts=45 +lon_0=30" + SPHERE, -75, 90},
      {"ps:-90:150,-70,150", "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=150" + SPHERE, -90, 75},
      {"ps:90:0:60::64.0,60,0", "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=0 +R=6400000 +units=m",
       -75, 90},
      {"lamb:25:-95:30:60,40,-95", "+proj=lcc +lat_0=90 +lat_1=30 +lat_2=60 +lon_0=-95" + SPHERE,
       -89.9, 90},
      {"lamb:25:-95:25:25,40,-95", "+proj=lcc +lat_0=90 +lat_1=25 +lat_2=25 +lon_0=-95" + SPHERE,
       -89.9, 90},
      {"lamb,40,10", "+proj=lcc +lat_0=90 +lat_1=30 +lat_2=60 +lon_0=10" + SPHERE, -89.9, 90},
      {"lamb:-40:140:-20:-50,-35,140",
       "+proj=lcc +lat_0=-90 +lat_1=-20 +lat_2=-50 +lon_0=140" + SPHERE, -90, 89.9},
      {"merc:0:-100,20,-100", "+proj=merc +lon_0=-100" + SPHERE, -89.9, 89.9},
      {"merc:0:180,20,180", "+proj=merc +lon_0=180" + SPHERE, -89.9, 89.9},
      {"merc:e:20:-60,20,-60", "+proj=merc +lat_ts=20 +lon_0=-60" + ELLIPSOID, -89.9, 89.9},
      {"ortho:40:-100,40,-100", "+proj=ortho +lat_0=40 +lon_0=-100" + SPHERE, -90, 90},
      {"ortho:-89.5:0,-90,0", "+proj=ortho +lat_0=-89.5 +lon_0=0" + SPHERE, -90, 90},
      {"lambaz:45:-100,45,-100", "+proj=laea +lat_0=45 +lon_0=-100" + SPHERE, -90, 90},
      {"lambaz:90:20,90,20", "+proj=laea +lat_0=90 +lon_0=20" + SPHERE, -89.9, 90},
      {"moll:0:30,0,30", "+proj=moll +lon_0=30" + HALF_SPHERE, -89.9, 89.9},
      {"albers:23:-96:29.5:45.5,40,-96",
       "+proj=aea +lat_0=23 +lat_1=29.5 +lat_2=45.5 +lon_0=-96" + SPHERE, -89.9, 90},
      {"albers:-32:135:-18:-36,-30,135",
       "+proj=aea +lat_0=-32 +lat_1=-18 +lat_2=-36 +lon_0=135" + SPHERE, -90, 89.9}};
  for (const Case& c : cases) compareWithOracle(c);
}

TEST_F(ProjectionOracle, SatelliteViewsAndRotatedLatLon)
{
  const std::string h = " +h=" + std::to_string((421.64 - 63.7122) * METRES);
  const std::string he = " +h=" + std::to_string((421.64 - 63.78137) * METRES);
  const std::string geos = "+proj=geos +sweep=x +lon_0=-75";
  const Case cases[] = {
      {"sat:0:-75,0,-75", geos + h + SPHERE, -90, 90, Units::TAN_ANGLE, 421.64, 63.7122, -75},
      {"sat:0:-75:421.64:1,0,-75", geos + h + SPHERE, -90, 90, Units::SCAN_ANGLE, 421.64, 63.7122,
       -75},
      {"sat:e:0:-75:421.64:1,0,-75", geos + he + ELLIPSOID, -90, 90, Units::SCAN_ANGLE, 421.64,
       63.78137, -75},

      {"latlon:-30:10,0,0",
       "+proj=longlat +R=1 +to +proj=ob_tran +o_proj=longlat +o_lat_p=30 +o_lon_p=0 +lon_0=10 "
       "+R=1",
       -89.9, 89.9, Units::DEGREES}};
  for (const Case& c : cases) compareWithOracle(c);
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
