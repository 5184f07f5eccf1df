// Grid calculations checked on analytic fields whose derivatives are known in closed form, on
// polar stereographic, Lambert conformal and latitude-longitude domains: solid-body rotation,
// uniform wind over a linear temperature, a divergence-free flow, the Laplacian of a paraboloid.
// Fields are written in the plot coordinates of each domain (units of 100 km), so the results
// depend on the domain's spacing, and on the latitude of each row for latitude-longitude grids.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/GridMath.h"
#include "grid/GridTool.h"
#include "grid/Grids.h"
#include "obs/Calc.h"

using KOL::Const;
using KOL::Grid;
using KOL::GridMath;

namespace {

constexpr float M = Const::FMISS;

using KOLTest::makeDomain;

struct NamedDomain {
  const char* name;
  KOL::Domain domain;
};

// Polar stereographic at 50 km, Lambert conformal at 30 km, and 1-degree latitude-longitude.
std::vector<NamedDomain> domains()
{
  return {{"pstereo", makeDomain(1, 90, -105, 45, -105, 41, 31, 0.5f)},
          {"lambert", makeDomain(4, 25, -95, 38, -95, 41, 31, 0.3f)},
          {"latlon", makeDomain(2, M, M, 40, -100, 41, 31, 1.0f)}};
}

// A field given in the plot coordinates of each point: x and y in 100 km for map projections,
// longitude and latitude in degrees for latitude-longitude grids.
using Field = std::function<double(double x, double y)>;

Grid make(const KOL::Domain& d, const char* var, const char* units, const Field& f)
{
  Grid g;
  g.setDomain(d);
  g.allocData();
  g.setVar(var);
  g.getVarSpec().setUnits(units);
  for (int j = 0; j < d.ny; ++j) {
    for (int i = 0; i < d.nx; ++i) {
      KOL::Point p;
      g.tran(KOL::GridPoint(static_cast<float>(i), static_cast<float>(j)), p);
      g.setValue(i, j, static_cast<float>(f(p.x, p.y)));
    }
  }
  return g;
}

constexpr double DEGREE = 1.11195;  // 100 km

// Distances in 100 km along the grid's x (its row) and y: latitude-longitude grids shrink their
// rows with the cosine of latitude.
double distX(const KOL::Domain& d, double x, double y)
{
  return d.proj == 2 ? x * DEGREE * std::cos(y * Const::DRC) : x;
}
double distY(const KOL::Domain& d, double y) { return d.proj == 2 ? y * DEGREE : y; }

// The latitude of row j of a latitude-longitude domain.
double rowLat(const KOL::Domain& d, int j) { return d.getLimits().y2 - j * d.dy; }

// Largest deviation from the expected value over every point (or the interior only).
float maxError(const Grid& g, const std::function<float(int, int)>& expected, int margin = 0)
{
  float worst = 0;
  for (int j = margin; j < g.getNy() - margin; ++j)
    for (int i = margin; i < g.getNx() - margin; ++i) {
      float v = g.getValue(i, j);
      if (v == M || std::isnan(v)) return INFINITY;
      worst = std::max(worst, std::fabs(v - expected(i, j)));
    }
  return worst;
}

class GridMathTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
};

TEST_F(GridMathTest, SolidBodyRotationHasVorticityTwiceItsAngularSpeed)
{
  const double w = 3.0;  // m/s per 100 km, so the vorticity is 6 (10^-5 /s)
  for (const auto& d : domains()) {
    const KOL::Domain& dd = d.domain;
    Grid u = make(dd, "uwnd", "m/s", [&](double, double y) { return -w * (distY(dd, y) - 40); });
    Grid v = make(dd, "vwnd", "m/s", [&](double x, double y) { return w * (distX(dd, x, y) + 7); });
    Grid vort, conv, def1, def2;
    ASSERT_EQ(GridMath::vorticity(vort, u, v), 1) << d.name;
    GridMath::converge(conv, u, v);
    GridMath::deformation1(def1, u, v);
    GridMath::deformation2(def2, u, v);
    // Linear fields: exact up to the edges, where the differences are one-sided.
    EXPECT_LT(maxError(vort, [&](int, int) { return 2 * w; }), 2e-3) << d.name;
    EXPECT_STREQ(vort.getVar().getAbbr(), "rvort");
    EXPECT_STREQ(vort.getUnits(), "10^-5 /s");
    if (d.domain.proj == 2) continue;  // meridians converge: v changes along them there
    EXPECT_LT(maxError(conv, [](int, int) { return 0.0f; }), 2e-3) << d.name;
    EXPECT_LT(maxError(def1, [](int, int) { return 0.0f; }), 2e-3) << d.name;
    EXPECT_LT(maxError(def2, [](int, int) { return 0.0f; }), 2e-3) << d.name;
  }
}

TEST_F(GridMathTest, UniformWindOverALinearTemperatureGivesConstantAdvection)
{
  const double a = 0.8, b = -1.5;  // K per 100 km along x and y (per degree on latlon)
  const float U = 12, V = -4;      // m/s
  for (const auto& d : domains()) {
    const KOL::Domain& dd = d.domain;
    Grid t = make(dd, "temp", "K", [&](double x, double y) { return 280 + a * x + b * y; });
    Grid u = make(dd, "uwnd", "m/s", [&](double, double) { return U; });
    Grid v = make(dd, "vwnd", "m/s", [&](double, double) { return V; });
    // The gradient in K per 100 km: constant on a map, per row on latitude-longitude.
    auto gx = [&](int, int j) {
      return static_cast<float>(dd.proj == 2 ? a / (DEGREE * std::cos(rowLat(dd, j) * Const::DRC))
                                             : a);
    };
    auto gy = [&](int, int) { return static_cast<float>(dd.proj == 2 ? b / DEGREE : b); };
    auto expected = [&](int i, int j) { return -(U * gx(i, j) + V * gy(i, j)); };
    Grid adv, dx, dy;
    ASSERT_EQ(GridMath::advection(adv, t, u, v), 1) << d.name;
    EXPECT_LT(maxError(adv, expected), 1e-3) << d.name;
    EXPECT_STREQ(adv.getUnits(), "10^-5 K/s");
    GridMath::dx(dx, t);
    GridMath::dy(dy, t);
    EXPECT_LT(maxError(dx, gx), 1e-4) << d.name;
    EXPECT_LT(maxError(dy, gy), 1e-4) << d.name;
    EXPECT_STREQ(dx.getUnits(), "10^-5 K/m");

    // Value grids stand for every point: a constant wind given as two numbers.
    Grid u1, v1, adv1;
    KOL::GridTool::valueGrid(u1, U);
    KOL::GridTool::valueGrid(v1, V);
    ASSERT_EQ(GridMath::advection(adv1, t, u1, v1), 1) << d.name;
    EXPECT_LT(maxError(adv1, expected), 1e-3) << d.name;
  }
}

TEST_F(GridMathTest, DivergenceFreeFlowHasNoConvergence)
{
  // u = -dpsi/dy, v = dpsi/dx for psi = sin(kx) sin(ky): centred differences of the two
  // components cancel exactly where the spacings are equal.
  for (const auto& d : domains()) {
    if (d.domain.proj == 2) continue;  // x spacing varies by row there
    const double k = 2 * Const::PI / (12 * d.domain.dx);
    Grid u = make(d.domain, "uwnd", "m/s",
                  [&](double x, double y) { return -k * std::sin(k * x) * std::cos(k * y); });
    Grid v = make(d.domain, "vwnd", "m/s",
                  [&](double x, double y) { return k * std::cos(k * x) * std::sin(k * y); });
    Grid conv;
    ASSERT_EQ(GridMath::converge(conv, u, v), 1);
    EXPECT_LT(maxError(
                  conv, [](int, int) { return 0.0f; }, 1),
              1e-4)
        << d.name;
    float lo, hi;
    conv.getRange(lo, hi);
    EXPECT_GT(hi - lo, 0.0f) << d.name << ": the one-sided edges are not exact";
  }
}

TEST_F(GridMathTest, LaplacianOfAParaboloidIsConstant)
{
  // Three-point second differences are exact for quadratics, one-sided ones at the edges too.
  // On latitude-longitude grids a paraboloid in degrees has a Laplacian that grows with the
  // secant of latitude: 6/(w cos(lat))^2 + 1/w^2 with w one degree.
  for (const auto& d : domains()) {
    const KOL::Domain& dd = d.domain;
    Grid f = make(dd, "hght", "m",
                  [](double x, double y) { return 3 * (x - 2) * (x - 2) + 0.5 * y * y; });
    Grid lap;
    ASSERT_EQ(GridMath::laplacian(lap, f), 1) << d.name;
    auto expected = [&](int, int j) {
      if (dd.proj != 2) return 7.0f;
      double w = DEGREE * std::cos(rowLat(dd, j) * Const::DRC);
      return static_cast<float>(6 / (w * w) + 1 / (DEGREE * DEGREE));
    };
    EXPECT_LT(maxError(lap, expected), 2e-2) << d.name;
    EXPECT_STREQ(lap.getUnits(), "10^-10 m/m^2");
  }
}

TEST_F(GridMathTest, CoriolisAndGeostrophicWind)
{
  KOL::Domain ps = domains()[0].domain;
  Grid u = make(ps, "uwnd", "m/s", [](double, double) { return 0; });
  Grid v = u;
  Grid avort;
  ASSERT_EQ(GridMath::absVorticity(avort, u, v), 1);
  Grid lat;
  GridMath::locatePoint(lat, u, "lat");
  EXPECT_STREQ(lat.getInfo(), "Latitude (deg)");
  for (int j = 0; j < ps.ny; j += 10)
    for (int i = 0; i < ps.nx; i += 10)
      EXPECT_NEAR(avort.getValue(i, j), 14.584 * std::sin(lat.getValue(i, j) * Const::DRC), 1e-3);
  EXPECT_STREQ(avort.getVar().getAbbr(), "avort");

  // Heights falling northward by 10 m per 100 km give a westerly of 9.8·10/f.
  Grid z = make(ps, "hght", "m", [](double, double y) { return 5500 - 10 * y; });
  Grid ug, vg;
  ASSERT_EQ(GridMath::geosU(ug, z), 1);
  ASSERT_EQ(GridMath::geosV(vg, z), 1);
  for (int j = 0; j < ps.ny; j += 10)
    for (int i = 0; i < ps.nx; i += 10) {
      float f = static_cast<float>(14.584 * std::sin(lat.getValue(i, j) * Const::DRC));
      EXPECT_NEAR(ug.getValue(i, j), 98 / f, 1e-3);
      EXPECT_NEAR(vg.getValue(i, j), 0, 1e-3);
    }
  // Heights in decametres are converted to metres first.
  Grid zdam = make(ps, "hght", "dam", [](double, double y) { return 550 - y; });
  Grid ug2;
  ASSERT_EQ(GridMath::geosU(ug2, zdam), 1);
  EXPECT_NEAR(ug2.getValue(20, 15), ug.getValue(20, 15), 1e-3);

  Grid sub;
  ASSERT_EQ(GridMath::coriolis(sub, avort, "sub"), 1);
  EXPECT_NEAR(sub.getValue(5, 5), 0, 1e-4);
  EXPECT_EQ(GridMath::coriolis(sub, avort, "plus"), 0);
  EXPECT_FALSE(sub.isData());
}

TEST_F(GridMathTest, MissingValuesStayMissingAndNeverBecomeNumbers)
{
  KOL::Domain d = domains()[1].domain;
  Grid t = make(d, "temp", "K", [](double x, double y) { return 280 + x + y; });
  Grid u = make(d, "uwnd", "m/s", [](double, double) { return 5; });
  Grid v = u;
  t.setValue(10, 10, M);
  u.setValue(20, 20, M);
  Grid adv, dx, sum;
  GridMath::advection(adv, t, u, v);
  GridMath::dx(dx, t);
  GridMath::add(sum, t, u);
  EXPECT_EQ(adv.getValue(10, 10), M);
  EXPECT_EQ(adv.getValue(20, 20), M);
  EXPECT_EQ(sum.getValue(10, 10), M);
  EXPECT_EQ(sum.getValue(20, 20), M);
  // Neighbours of the hole use one-sided differences: still the exact slope.
  EXPECT_NEAR(dx.getValue(9, 10), 1.0f, 1e-3);
  EXPECT_NEAR(dx.getValue(11, 10), 1.0f, 1e-3);
  EXPECT_EQ(adv.getValid(), static_cast<int>(adv.getCount()) - 2);
  for (const Grid* g : {&adv, &dx, &sum})
    for (std::size_t k = 0; k < g->getCount(); ++k) ASSERT_FALSE(std::isnan(g->getData()[k]));
}

TEST_F(GridMathTest, ArithmeticWithValueGridsAndBadOperands)
{
  Grid a(3, 2), zero, two, out;
  for (int k = 0; k < 6; ++k) a.setValue(k % 3, k / 3, static_cast<float>(k - 2));
  a.setValue(2, 1, M);
  KOL::GridTool::valueGrid(zero, 0.0f);
  KOL::GridTool::valueGrid(two, 2.0f);

  struct {
    int (*op)(Grid&, const Grid&, const Grid&);
    const Grid* b;
    float expected[6];
  } cases[] = {
      {&GridMath::add, &two, {0, 1, 2, 3, 4, M}},
      {&GridMath::sub, &two, {-4, -3, -2, -1, 0, M}},
      {&GridMath::mult, &two, {-4, -2, 0, 2, 4, M}},
      {&GridMath::div, &zero, {M, M, M, M, M, M}},
      {&GridMath::div, &two, {-1, -0.5f, 0, 0.5f, 1, M}},
      {&GridMath::mod, &two, {0, -1, 0, 1, 0, M}},
      {&GridMath::pow, &two, {4, 1, 0, 1, 4, M}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(c.op(out, a, *c.b), 1);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(out.getValue(k % 3, k / 3), c.expected[k]) << k;
  }
  struct {
    int (*op)(Grid&, const Grid&);
    float expected[6];
  } unary[] = {
      {&GridMath::sqrt, {M, M, 0, 1, std::sqrt(2.0f), M}},
      {&GridMath::log, {M, M, M, 0, std::log(2.0f), M}},
      {&GridMath::inv, {-0.5f, -1, M, 1, 0.5f, M}},
      {&GridMath::abs, {2, 1, 0, 1, 2, M}},
  };
  for (const auto& c : unary) {
    ASSERT_EQ(c.op(out, a), 1);
    for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(out.getValue(k % 3, k / 3), c.expected[k]) << k;
  }
  // The result may be one of the inputs.
  Grid b = a;
  ASSERT_EQ(GridMath::add(b, b, two), 1);
  EXPECT_EQ(b.getValue(0, 0), 0);

  // Grids on different domains, or without data, are refused and leave an empty result.
  Grid other(4, 2);
  Grid nothing;
  EXPECT_EQ(GridMath::add(out, a, other), 0);
  EXPECT_FALSE(out.isData());
  EXPECT_EQ(GridMath::sub(out, a, nothing), 0);
  EXPECT_EQ(GridMath::vorticity(out, a, other), 0);
  EXPECT_EQ(GridMath::add(a, other), 0);

  // In-place, interpolation, masks and cut-offs.
  Grid c(3, 2);
  for (int k = 0; k < 6; ++k) c.setValue(k % 3, k / 3, 10);
  Grid mid;
  ASSERT_EQ(GridMath::interp(mid, a, 0.5f, c), 1);
  EXPECT_EQ(mid.getValue(0, 0), 4);
  EXPECT_EQ(mid.getValue(2, 1), M);
  ASSERT_EQ(GridMath::cutoff(out, "higher", 1, 100, a), 1);
  EXPECT_EQ(out.getValue(1, 1), 100);
  EXPECT_EQ(out.getValue(0, 1), 1);
  EXPECT_EQ(out.getValue(2, 1), M);
  ASSERT_EQ(GridMath::mask(c, "lower", 11), 1);
  EXPECT_EQ(c.getValid(), 0);
  ASSERT_EQ(GridMath::resetMiss(c, 3), 1);
  EXPECT_EQ(c.getValue(1, 1), 3);
  EXPECT_FLOAT_EQ(GridMath::maxSpd(a, a), std::sqrt(8.0f));
}

TEST_F(GridMathTest, ListsSumAverageAndExtremes)
{
  KOL::Grids in(4);
  Grid a(2, 1), b(2, 1), c;
  a.setValue(0, 0, 1);
  a.setValue(1, 0, M);
  b.setValue(0, 0, 5);
  b.setValue(1, 0, 7);
  KOL::GridTool::valueGrid(c, 3);
  in.add(a);
  in.add(b);
  in.add(c);
  Grid out;
  ASSERT_EQ(GridMath::add(out, in), 1);
  EXPECT_EQ(out.getValue(0, 0), 9);
  EXPECT_EQ(out.getValue(1, 0), M);
  ASSERT_EQ(GridMath::avg(out, in), 1);
  EXPECT_EQ(out.getValue(0, 0), 3);
  EXPECT_STREQ(out.getVar().getAbbr(), "avg");
  ASSERT_EQ(GridMath::max(out, in), 1);
  EXPECT_EQ(out.getValue(0, 0), 5);
  EXPECT_EQ(out.getValue(1, 0), 7);  // the largest valid value
  ASSERT_EQ(GridMath::min(out, in), 1);
  EXPECT_EQ(out.getValue(1, 0), 3);
}

TEST_F(GridMathTest, ConvertsUnits)
{
  Grid t(2, 1);
  t.setVar("temp");
  t.setUnits("C");
  t.setValue(0, 0, 100);
  t.setValue(1, 0, M);
  ASSERT_EQ(GridMath::units(t, "F"), 1);
  EXPECT_NEAR(t.getValue(0, 0), 212, 1e-3);
  EXPECT_EQ(t.getValue(1, 0), M);
  EXPECT_STREQ(t.getUnits(), "F");
  EXPECT_STREQ(t.getInfo(), "[F]");
  EXPECT_EQ(GridMath::units(t, "m/s"), 0);  // not convertible: unchanged
  EXPECT_NEAR(t.getValue(0, 0), 212, 1e-3);
  EXPECT_EQ(GridMath::units(t, ""), 0);
  EXPECT_EQ(GridMath::units(t, "F"), 1);
}

TEST_F(GridMathTest, ThermodynamicFieldsPointByPoint)
{
  Grid t(2, 1), rh(2, 1);
  t.setVar("temp");
  t.getVarSpec().setUnits("C");
  t.setLevel("850");
  t.setValue(0, 0, 20);
  t.setValue(1, 0, -10);
  rh.setVar("rhum");
  rh.getVarSpec().setUnits("%");
  rh.setValue(0, 0, 50);
  rh.setValue(1, 0, M);
  Grid out;
  ASSERT_EQ(GridMath::dewpoint(out, t, rh), 1);
  EXPECT_FLOAT_EQ(out.getValue(0, 0), KOL::Calc::dewTemp(293.15f, 50));
  EXPECT_EQ(out.getValue(1, 0), M);
  EXPECT_STREQ(out.getUnits(), "K");
  ASSERT_EQ(GridMath::mixRatio(out, t, rh), 1);
  EXPECT_FLOAT_EQ(out.getValue(0, 0), KOL::Calc::mixRatio(KOL::Calc::dewTemp(293.15f, 50), 850));
  ASSERT_EQ(GridMath::potTemp(out, t), 1);
  EXPECT_FLOAT_EQ(out.getValue(1, 0), KOL::Calc::potTemp(263.15f, 850));
  ASSERT_EQ(GridMath::equivPotTemp(out, t, rh), 1);
  EXPECT_NEAR(out.getValue(0, 0),
              KOL::Calc::equivPotTemp(293.15f, KOL::Calc::dewTemp(293.15f, 50), 850), 1e-3);

  // The inputs must be what they claim.
  struct {
    int (*op)(Grid&, const Grid&, const Grid&);
    const Grid* a;
    const Grid* b;
    const char* warning;
  } bad[] = {
      {&GridMath::dewpoint, &rh, &rh, "GridMath::dewpoint: not a temperature grid\n"},
      {&GridMath::specHum, &t, &t, "GridMath::specHum: not a rel humidity grid\n"},
      {&GridMath::specHum, &rh, &rh, "GridMath::specHum: not a temperature grid\n"},
      {&GridMath::equivPotTemp, &t, &t, "GridMath::equivPotTemp: not a rel hum grid\n"},
      {&GridMath::virtTemp, &t, &t, "GridMath::virtTemp: not a rel hum grid\n"},
      {&GridMath::virtPotTemp, &t, &t, "GridMath::virtPotTemp: not a rel hum grid\n"},
      {&GridMath::mixRatio, &t, &t, "GridMath::mixRatio: not a rel humidity grid\n"},
      {&GridMath::wetBulb, &t, &t, "GridMath::wetBulb: not a rel humidity grid\n"},
      {&GridMath::heatIndex, &t, &t, "GridMath::heatIndex: not a rel humidity grid\n"},
      // With both wrong, these report the second input; wind chill reports the temperature.
      {&GridMath::heatIndex, &rh, &t, "GridMath::heatIndex: not a rel humidity grid\n"},
      {&GridMath::relHum, &rh, &t, "GridMath::relHum: not a temperature grid\n"},
      {[](Grid& o, const Grid& a, const Grid& b) { return GridMath::windChill(o, a, b, 1); }, &t,
       &t, "GridMath::windChill: not a wind speed grid\n"},
      {[](Grid& o, const Grid& a, const Grid& b) { return GridMath::windChill(o, a, b, 2); }, &rh,
       &rh, "GridMath::windChill: not a temperature grid\n"},
  };
  for (const auto& c : bad) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.op(out, *c.a, *c.b), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning);
    EXPECT_FALSE(out.isData());
  }
  // Fields that need a pressure are missing on a grid without a pressure level.
  t.setLevel("2m_ag");
  ASSERT_EQ(GridMath::potTemp(out, t), 1);
  EXPECT_EQ(out.getValid(), 0);

  Grid spd(2, 1);
  spd.setVar("wspd");
  spd.getVarSpec().setUnits("m/s");
  spd.setValue(0, 0, 10);
  spd.setValue(1, 0, 10);
  ASSERT_EQ(GridMath::windChill(out, t, spd, 2), 1);
  EXPECT_FLOAT_EQ(out.getValue(1, 0), KOL::Calc::windChillTemp2(263.15f, 10));
}

TEST_F(GridMathTest, WindComponentsSpeedAndDirection)
{
  Grid spd(2, 1), dir(2, 1);
  spd.setValue(0, 0, 10);
  spd.setValue(1, 0, 5);
  dir.setValue(0, 0, 270);  // from the west
  dir.setValue(1, 0, 0);    // from the north
  Grid u, v, s, d;
  ASSERT_EQ(GridMath::windU(u, spd, dir, 0), 1);
  ASSERT_EQ(GridMath::windV(v, spd, dir, 0), 1);
  EXPECT_NEAR(u.getValue(0, 0), 10, 1e-4);
  EXPECT_NEAR(v.getValue(1, 0), -5, 1e-4);
  ASSERT_EQ(GridMath::windSpd(s, u, v), 1);
  ASSERT_EQ(GridMath::windDir(d, u, v, 0), 1);
  EXPECT_NEAR(s.getValue(0, 0), 10, 1e-4);
  EXPECT_NEAR(d.getValue(0, 0), 270, 1e-3);
  EXPECT_NEAR(d.getValue(1, 0), 0, 1e-3);

  // A grid of values that are no numbers gives missing speeds and one warning, not one a point.
  Grid bad(300, 200);
  for (std::size_t k = 0; k < bad.getCount(); ++k) bad.getData()[k] = std::nanf("");
  testing::internal::CaptureStderr();
  ASSERT_EQ(GridMath::windSpd(s, bad, bad), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Calc: windSpd: input is not a number\n");
  EXPECT_EQ(s.getValue(17, 3), KOL::Const::FMISS);
}

TEST_F(GridMathTest, DirectionsTurnBetweenEarthAndGridOrientation)
{
  KOL::Domain ps = domains()[0].domain;
  Grid spd = make(ps, "wspd", "m/s", [](double, double) { return 10; });
  Grid dir = make(ps, "wdir", "deg", [](double, double) { return 250; });
  Grid u, v, earth, plain;
  ASSERT_EQ(GridMath::windU(u, spd, dir, 1), 1);
  ASSERT_EQ(GridMath::windV(v, spd, dir, 1), 1);
  ASSERT_EQ(GridMath::windDir(earth, u, v, 1), 1);
  ASSERT_EQ(GridMath::windDir(plain, u, v, 0), 1);
  EXPECT_STREQ(earth.getVar().getAbbr(), "ewdir");
  // Grid-relative components turned back to earth orientation give the direction again.
  EXPECT_LT(maxError(earth, [](int, int) { return 250.0f; }), 1e-2);
  // On the central meridian grid and earth north agree; away from it they differ by the
  // meridian's angle on the map.
  int mid = ps.nx / 2;
  EXPECT_NEAR(plain.getValue(mid, 10), 250, 1e-2);
  KOL::Point corner;
  u.tran(KOL::GridPoint(0, 0), corner);
  float turned = ps.adjustDir(250, corner);
  EXPECT_NEAR(plain.getValue(0, 0), turned, 1e-2);
  EXPECT_GT(std::fabs(turned - 250), 5.0f);

  // adjustUV does the same in place from earth-relative components.
  Grid ue, ve;
  GridMath::windU(ue, spd, dir, 0);
  GridMath::windV(ve, spd, dir, 0);
  ASSERT_EQ(GridMath::adjustUV(ue, ve), 1);
  EXPECT_LT(maxError(ue, [&](int i, int j) { return u.getValue(i, j); }), 1e-3);
  EXPECT_LT(maxError(ve, [&](int i, int j) { return v.getValue(i, j); }), 1e-3);
}

TEST_F(GridMathTest, RemapsToAnotherDomain)
{
  // A field linear in latitude and longitude (x of a latlon domain is the longitude less the
  // central one) is reproduced exactly by bilinear interpolation.
  KOL::Domain ll = makeDomain(2, M, M, 40, -100, 61, 41, 1.0f);
  Grid f = make(ll, "temp", "K", [](double lon, double lat) { return 250 + lat + 0.1 * lon; });
  KOL::Domain ps = domains()[0].domain;
  Grid out;
  ASSERT_EQ(GridMath::remap(out, ps, f), 1);
  EXPECT_EQ(out.getNx(), ps.nx);
  EXPECT_TRUE(GridMath::isDomainEqual(out, ps));
  Grid lat, lon;
  GridMath::locatePoint(lat, out, "lat");
  GridMath::locatePoint(lon, out, "lon");
  EXPECT_LT(maxError(out,
                     [&](int i, int j) {
                       return 250 + lat.getValue(i, j) + 0.1f * (lon.getValue(i, j) + 100);
                     }),
            1e-3);
}

TEST_F(GridMathTest, ProcessAppliesFunctionsByName)
{
  KOL::Grids in(3);
  Grid a(2, 2), b(2, 2);
  for (int k = 0; k < 4; ++k) {
    a.setValue(k % 2, k / 2, 5500);
    b.setValue(k % 2, k / 2, 1500);
  }
  a.setVar("hght");
  a.getVarSpec().setUnits("m");
  in.add(a);
  in.add(b);
  Grid out;
  ASSERT_EQ(GridMath::process("thick", out, in), 1);
  EXPECT_EQ(out.getValue(1, 1), 4000);
  EXPECT_STREQ(out.getVar().getAbbr(), "thick");
  ASSERT_EQ(GridMath::process("sub-thk", out, in), 1);
  EXPECT_STREQ(out.getVar().getAbbr(), "thk");
  EXPECT_STREQ(out.getUnits(), "m");

  testing::internal::CaptureStderr();
  EXPECT_EQ(GridMath::process("frobnicate", out, in), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "GridMath: unknown function: frobnicate\n");

  // A function whose argument is missing still yields a grid, all missing.
  KOL::Grids partial(3);
  partial.add(a);
  ASSERT_EQ(GridMath::process("add", out, partial), 0);
  EXPECT_TRUE(out.isData());
  EXPECT_EQ(out.getValid(), 0);

  EXPECT_TRUE(GridMath::isVectFunc("grad-x"));
  EXPECT_FALSE(GridMath::isVectFunc("gradient"));
  Grid gu, gv;
  EXPECT_EQ(GridMath::processVector("vdiff", gu, gv, in), 0);  // needs four grids
}

}  // namespace
