// The non-geographic projections: thermodynamic diagrams, hodograph, pixels and plain x/y.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geo/Domain.h"
#include "obs/Calc.h"

using namespace KOL;

namespace {

constexpr float MISS = Const::FMISS;
const char* SKEWT = "skewt,-40,325,12,11,9,0.235";
const char* TEPH = "teph:-36:332,-36,332,12,11,9.090909,0.033";
const char* STUVE = "stuve,-20,394,12,11,11,0.36";
const char* EMA = "ema,-20,325,12,11,11,0.235";
const char* RTEPH = "rteph,-25,400,12,11,13.6,0.049";

Point forward(const Domain& d, float a, float b)
{
  EarthPoint e(a, b);
  Point p;
  EXPECT_EQ(d.tran(e, p), 1) << a << "," << b;
  return p;
}

EarthPoint inverse(const Domain& d, float x, float y)
{
  EarthPoint e;
  EXPECT_EQ(d.tran(Point(x, y), e), 1) << x << "," << y;
  return e;
}

// Temperatures and pressures over the whole chart come back exactly in double precision, and to
// within what float plot coordinates carry through Points (the rotated tephigram mixes a
// temperature-sized x into the pressure: pointTolerance 3e-6).
void expectRoundTrips(const Domain& d, double pointTolerance)
{
  for (float t = -90; t <= 50; t += 2.5f) {
    for (float p = 100; p <= 1050; p += 12.5f) {
      SCOPED_TRACE(testing::Message() << d.proj << " T " << t << " p " << p);
      double x, y, lat, lon;
      ASSERT_EQ(d.project(t, p, x, y), 1);
      ASSERT_EQ(d.unproject(x, y, lat, lon), 1);
      EXPECT_NEAR(lat, t, 1e-9);
      EXPECT_NEAR(lon, p, p * 1e-12);
      const Point xy = forward(d, t, p);
      const EarthPoint back = inverse(d, xy.x, xy.y);
      EXPECT_NEAR(back.lat, t, 1e-4);
      EXPECT_NEAR(back.lon, p, p * pointTolerance);
    }
  }
}

// Where each diagram puts a temperature and pressure (or direction and speed), from the
// definitions of the diagrams; the centre pressure of the skew-T is where isotherms stand upright.
TEST(DiagramProjection, PlacesAndRoundTrips)
{
  const double skewRef = -std::log(325.0), skew = 9 / 0.235;
  const struct {
    const char* domain;
    float a, b;
    double x, y;
  } cases[] = {{SKEWT, 20, 1000, 20 + (-std::log(1000.0) - skewRef) * skew, -std::log(1000.0)},
               {SKEWT, -40, 325, -40, skewRef},
               {STUVE, 10, 500, 10, -std::pow(500.0, 0.285714)},
               {EMA, 10, 500, 10, -std::log(500.0)},
               {"vert,0,500,12,11,1,0.1", 3, 850, 3, -std::log(850.0)},
               {RTEPH, 15, 700, 15, std::log(Calc::potTemp(288.15f, 700))},
               {TEPH, -36, 332, -36, std::log(Calc::potTemp(273.15f - 36, 332))},
               {"hodo,0,0,21,21,15,15", 90, 10, 10, 0},
               {"hodo,0,0,21,21,15,15", 180, 5, 0, -5},
               {"pixel,100,200,201,401,1,1", 10, 20, 10, -20},
               {"xy,0,0,5,5,1,1", 3.5f, -7, 3.5f, -7},
               {"xp,0,0,11,11,1,1", 1, 1, 1, -11}};  // unit scale until the factors are given
  for (const auto& c : cases) {
    const Domain d(c.domain);
    const Point p = forward(d, c.a, c.b);
    EXPECT_NEAR(p.x, c.x, 2e-5 * std::max(1.0, std::fabs(c.x))) << c.domain;
    EXPECT_NEAR(p.y, c.y, 2e-5) << c.domain;
    const EarthPoint e = inverse(d, p.x, p.y);
    EXPECT_NEAR(e.lat, c.a, 1e-3) << c.domain;
    EXPECT_NEAR(e.lon, c.b, 1e-3 * std::max(1.0f, std::fabs(c.b))) << c.domain;
  }
  EXPECT_FLOAT_EQ(inverse(Domain("hodo,0,0,21,21,15,15"), -3, 3).lat, 315);
  EXPECT_NEAR(Domain(SKEWT).getLimits().x1, -40 - 5.5 * 9, 1e-3);
  for (const char* t : {SKEWT, STUVE, EMA, RTEPH}) expectRoundTrips(Domain(t), 1e-6);

  Domain xp("xp,0,0,11,11,1,1");  // limits (-5,-5)-(5,5)
  xp.setScale(2, 3);
  const Point p = forward(xp, 1, 1);
  EXPECT_TRUE(p.x == -5 + 6 * 2 && p.y == -5 + (-5 - 1) * 3) << p.x << "," << p.y;
  const EarthPoint e = inverse(xp, p.x, p.y);
  EXPECT_TRUE(e.lat == 1 && e.lon == 1) << e.lat << "," << e.lon;
}

TEST(DiagramProjection, TephigramIsothermsAndAdiabatsCrossAtRightAngles)
{
  // Along an isotherm x and y grow alike in lattice units, along an adiabat one grows as the
  // other falls, whatever the view.
  Domain teph(TEPH);
  for (const Rect& view : {Rect(0, 0, 1, 1), Rect(0.1f, 0.2f, 0.9f, 0.8f)}) {
    teph.setView(view);
    const Point a = forward(teph, 0, 1000), b = forward(teph, 0, 500);
    EXPECT_NEAR((b.x - a.x) / 9.090909, (b.y - a.y) / 0.033, 1e-2);
    const double theta = Calc::potTemp(273.15f, 1000);
    const float p2 = static_cast<float>(1000 * std::pow(233.15 / theta, 1 / 0.286));
    const Point c = forward(teph, -40, p2);
    EXPECT_NEAR((c.x - a.x) / 9.090909, -(c.y - a.y) / 0.033, 1e-2);
    expectRoundTrips(teph, 3e-6);
  }
}

TEST(DiagramProjection, ImpossibleValuesFailQuietly)
{
  const struct {
    const char* domain;
    float a, b;
  } cases[] = {{SKEWT, 10, -5},    {EMA, 10, 0},   {STUVE, 10, -1},
               {RTEPH, -300, 500}, {RTEPH, 10, 0}, {TEPH, 10, -1}};
  for (const auto& c : cases) {
    EarthPoint e(c.a, c.b);
    Point p;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Domain(c.domain).tran(e, p), 0) << c.domain << " " << c.a << "," << c.b;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(p.x == MISS && p.y == MISS);
  }
  EarthPoint m(MISS, 500);  // missing values pass through as missing, successfully
  Point p;
  EXPECT_TRUE(Domain(SKEWT).tran(m, p) && p.x == MISS);
}

}  // namespace
