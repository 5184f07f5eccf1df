// The non-geographic projections: thermodynamic diagrams, hodograph, pixels and plain x/y.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geo/Domain.h"
#include "obs/Calc.h"

using KOL::Const;
using KOL::Domain;
using KOL::EarthPoint;
using KOL::Point;
using KOL::Rect;

namespace {

constexpr float MISS = Const::FMISS;

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

// Temperatures and pressures over the whole chart; each diagram must bring them back exactly in
// double precision, and to within what float plot coordinates carry through Points (the rotated
// tephigram mixes a temperature-sized x into the pressure, so it needs pointTolerance 3e-6).
void expectRoundTrips(const Domain& d, double pointTolerance = 1e-6)
{
  for (float t = -90; t <= 50; t += 2.5f) {
    for (float p = 100; p <= 1050; p += 12.5f) {
      double x, y, lat, lon;
      ASSERT_EQ(d.project(t, p, x, y), 1) << d.proj << " T " << t << " p " << p;
      ASSERT_EQ(d.unproject(x, y, lat, lon), 1) << d.proj << " T " << t << " p " << p;
      EXPECT_NEAR(lat, t, 1e-9) << d.proj << " T " << t << " p " << p;
      EXPECT_NEAR(lon, p, p * 1e-12) << d.proj << " T " << t << " p " << p;

      const Point xy = forward(d, t, p);
      const EarthPoint back = inverse(d, xy.x, xy.y);
      EXPECT_NEAR(back.lat, t, 1e-4) << d.proj << " T " << t << " p " << p;
      EXPECT_NEAR(back.lon, p, p * pointTolerance) << d.proj << " T " << t << " p " << p;
    }
  }
}

TEST(DiagramProjection, SkewTLeansIsothermsAboutTheCentrePressure)
{
  Domain d("skewt,-40,325,12,11,9,0.235");
  const double ref = -std::log(325.0), skew = 9 / 0.235;
  Point c;
  ASSERT_EQ(d.tranCenter(c), 1);
  EXPECT_NEAR(c.x, -40, 1e-4);
  EXPECT_NEAR(c.y, ref, 1e-6);
  Point p = forward(d, 20, 1000);
  EXPECT_NEAR(p.y, -std::log(1000.0), 1e-6);
  EXPECT_NEAR(p.x, 20 + (-std::log(1000.0) - ref) * skew, 1e-3);
  EXPECT_NEAR(d.getLimits().x1, -40 - 5.5 * 9, 1e-3);
  expectRoundTrips(d);
}

TEST(DiagramProjection, StuveEmagramAndLogPressure)
{
  Domain stuve("stuve,-20,394,12,11,11,0.36");
  Point p = forward(stuve, 10, 500);
  EXPECT_FLOAT_EQ(p.x, 10);
  EXPECT_NEAR(p.y, -std::pow(500.0, 0.285714), 1e-5);
  expectRoundTrips(stuve);

  Domain ema("ema,-20,325,12,11,11,0.235");
  p = forward(ema, 10, 500);
  EXPECT_NEAR(p.y, -std::log(500.0), 1e-6);
  expectRoundTrips(ema);
  Domain vert("vert,0,500,12,11,1,0.1");
  EXPECT_NEAR(forward(vert, 3, 850).y, -std::log(850.0), 1e-6);
}

TEST(DiagramProjection, TephigramsFollowThePotentialTemperature)
{
  Domain rteph("rteph,-25,400,12,11,13.6,0.049");
  Point p = forward(rteph, 15, 700);
  EXPECT_FLOAT_EQ(p.x, 15);
  EXPECT_NEAR(p.y, std::log(KOL::Calc::potTemp(288.15f, 700)), 1e-5);
  expectRoundTrips(rteph);

  Domain teph("teph:-36:332,-36,332,12,11,9.090909,0.033");
  Point c;
  ASSERT_EQ(teph.tranCenter(c), 1);
  EXPECT_NEAR(c.x, -36, 1e-4);
  EXPECT_NEAR(c.y, std::log(KOL::Calc::potTemp(273.15f - 36, 332)), 1e-5);
  expectRoundTrips(teph, 3e-6);

  // Isotherms and dry adiabats cross at right angles in lattice units: along an isotherm x and
  // y grow alike, along an adiabat one grows as the other falls, whatever the view.
  for (const Rect& view : {Rect(0, 0, 1, 1), Rect(0.1f, 0.2f, 0.9f, 0.8f)}) {
    teph.setView(view);
    const Point a = forward(teph, 0, 1000), b = forward(teph, 0, 500);
    EXPECT_NEAR((b.x - a.x) / 9.090909, (b.y - a.y) / 0.033, 1e-2);
    const double theta = KOL::Calc::potTemp(273.15f, 1000);
    const float p2 = static_cast<float>(1000 * std::pow(233.15 / theta, 1 / 0.286));
    const Point c = forward(teph, -40, p2);
    EXPECT_NEAR((c.x - a.x) / 9.090909, -(c.y - a.y) / 0.033, 1e-2);
    expectRoundTrips(teph, 3e-6);
  }
}

TEST(DiagramProjection, HodographPixelsAndPlainCoordinates)
{
  Domain hodo("hodo,0,0,21,21,15,15");
  Point p = forward(hodo, 90, 10);
  EXPECT_NEAR(p.x, 10, 1e-5);
  EXPECT_NEAR(p.y, 0, 1e-5);
  EarthPoint e = inverse(hodo, 0, -5);
  EXPECT_FLOAT_EQ(e.lat, 180);
  EXPECT_FLOAT_EQ(e.lon, 5);
  e = inverse(hodo, -3, 3);
  EXPECT_FLOAT_EQ(e.lat, 315);

  EXPECT_EQ(forward(Domain("pixel,100,200,201,401,1,1"), 10, 20).y, -20);
  for (const char* text : {"xy,0,0,5,5,1,1", "cat,0,0,5,5,1,1", "gnom,0,0,5,5,1,1"}) {
    p = forward(Domain(text), 3.5f, -7);
    EXPECT_EQ(p.x, 3.5f) << text;
    EXPECT_EQ(p.y, -7) << text;
  }
  Domain xp("xp,0,0,11,11,1,1");  // limits (-5,-5)-(5,5)
  p = forward(xp, 1, 1);
  EXPECT_EQ(p.x, 1);  // unit scale until the factors are given
  xp.setScale(2, 3);
  p = forward(xp, 1, 1);
  EXPECT_FLOAT_EQ(p.x, -5 + 6 * 2);
  EXPECT_FLOAT_EQ(p.y, -5 + (-5 - 1) * 3);
  e = inverse(xp, p.x, p.y);
  EXPECT_FLOAT_EQ(e.lat, 1);
  EXPECT_FLOAT_EQ(e.lon, 1);
}

TEST(DiagramProjection, ImpossibleValuesFailQuietly)
{
  const struct {
    const char* domain;
    float a, b;
  } cases[] = {
      {"skewt,-40,325,12,11,9,0.235", 10, -5},   {"ema,-20,325,12,11,11,0.235", 10, 0},
      {"stuve,-20,394,12,11,11,0.36", 10, -1},   {"rteph,-25,400,12,11,13.6,0.049", -300, 500},
      {"rteph,-25,400,12,11,13.6,0.049", 10, 0}, {"teph,-36,332,12,11,9.090909,0.033", 10, -1}};
  for (const auto& c : cases) {
    Domain d(c.domain);
    EarthPoint e(c.a, c.b);
    Point p;
    testing::internal::CaptureStderr();
    EXPECT_EQ(d.tran(e, p), 0) << c.domain << " " << c.a << "," << c.b;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(p.x, MISS);
    EXPECT_EQ(p.y, MISS);
  }
  // Missing values pass through as missing, successfully.
  Domain skew("skewt,-40,325,12,11,9,0.235");
  EarthPoint m(MISS, 500);
  Point p;
  EXPECT_EQ(skew.tran(m, p), 1);
  EXPECT_EQ(p.x, MISS);
}

}  // namespace
