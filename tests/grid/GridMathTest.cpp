// Grid calculations on analytic fields in the plot coordinates of three domains, point by point
// calculations, lists, units and functions by name.
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

using namespace KOL;

namespace {

constexpr float M = Const::FMISS;

using KOLTest::makeDomain;

// Polar stereographic at 50 km, Lambert conformal at 30 km, and 1-degree latitude-longitude.
std::vector<Domain> domains()
{
  return {makeDomain(1, 90, -105, 45, -105, 41, 31, 0.5f),
          makeDomain(4, 25, -95, 38, -95, 41, 31, 0.3f), makeDomain(2, M, M, 40, -100, 41, 31, 1)};
}

// A field in plot coordinates: x, y in 100 km, or longitude and latitude on latlon grids.
using Field = std::function<double(double x, double y)>;

Grid make(const Domain& d, const char* var, const char* units, const Field& f)
{
  Grid g;
  g.setDomain(d);
  g.allocData();
  g.setVar(var);
  g.getVarSpec().setUnits(units);
  for (int j = 0; j < d.ny; ++j)
    for (int i = 0; i < d.nx; ++i) {
      Point p;
      g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), p);
      g.setValue(i, j, static_cast<float>(f(p.x, p.y)));
    }
  return g;
}

constexpr double DEGREE = 1.11195;  // 100 km

// Distances in 100 km along x and y (latlon rows shrink with the cosine of latitude).
double distX(const Domain& d, double x, double y)
{
  return d.proj == 2 ? x * DEGREE * std::cos(y * Const::DRC) : x;
}
double distY(const Domain& d, double y) { return d.proj == 2 ? y * DEGREE : y; }

// The latitude of row j of a latitude-longitude domain.
double rowLat(const Domain& d, int j) { return d.getLimits().y2 - j * d.dy; }

// Largest deviation from the expected value over every point.
float maxError(const Grid& g, const std::function<float(int, int)>& expected)
{
  float worst = 0;
  for (int j = 0; j < g.getNy(); ++j)
    for (int i = 0; i < g.getNx(); ++i) {
      float v = g.getValue(i, j);
      if (v == M || std::isnan(v)) return INFINITY;
      worst = std::max(worst, std::fabs(v - expected(i, j)));
    }
  return worst;
}

// A grid of one row of values.
Grid values(std::initializer_list<float> v, const char* var = nullptr, const char* units = nullptr)
{
  Grid g(int(v.size()), 1);
  int i = 0;
  for (float x : v) g.setValue(i++, 0, x);
  if (var) g.setVar(var);
  if (units) g.getVarSpec().setUnits(units);
  return g;
}

// The values of a grid in storage order.
std::vector<float> all(const Grid& g) { return {g.getData(), g.getData() + g.getCount()}; }

class GridMathTest : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

TEST_F(GridMathTest, SolidBodyRotationHasVorticityTwiceItsAngularSpeed)
{
  const double w = 3.0;  // m/s per 100 km, so the vorticity is 6 (10^-5 /s)
  for (const Domain& dd : domains()) {
    Grid u = make(dd, "uwnd", "m/s", [&](double, double y) { return -w * (distY(dd, y) - 40); });
    Grid v = make(dd, "vwnd", "m/s", [&](double x, double y) { return w * (distX(dd, x, y) + 7); });
    Grid vort, conv, def1, def2;
    ASSERT_EQ(GridMath::vorticity(vort, u, v), 1) << dd.proj;
    GridMath::converge(conv, u, v), GridMath::deformation1(def1, u, v);
    GridMath::deformation2(def2, u, v);
    // Linear fields: exact up to the edges, where the differences are one-sided.
    EXPECT_LT(maxError(vort, [&](int, int) { return 2 * w; }), 2e-3) << dd.proj;
    EXPECT_EQ(std::string(vort.getVar().getAbbr()) + " " + vort.getUnits(), "rvort 10^-5 /s");
    if (dd.proj == 2) continue;  // meridians converge: v changes along them there
    for (const Grid* g : {&conv, &def1, &def2})
      EXPECT_LT(maxError(*g, [](int, int) { return 0.0f; }), 2e-3) << dd.proj;
  }
}

TEST_F(GridMathTest, UniformWindOverALinearTemperatureGivesConstantAdvection)
{
  const double a = 0.8, b = -1.5;  // K per 100 km along x and y (per degree on latlon)
  const float U = 12, V = -4;      // m/s
  for (const Domain& dd : domains()) {
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
    Grid adv, dx, dy, u1, v1, adv1;
    ASSERT_EQ(GridMath::advection(adv, t, u, v), 1) << dd.proj;
    EXPECT_LT(maxError(adv, expected), 1e-3) << dd.proj;
    EXPECT_STREQ(adv.getUnits(), "10^-5 K/s");
    GridMath::dx(dx, t), GridMath::dy(dy, t);
    EXPECT_LT(maxError(dx, gx), 1e-4) << dd.proj;
    EXPECT_LT(maxError(dy, gy), 1e-4) << dd.proj;
    EXPECT_STREQ(dx.getUnits(), "10^-5 K/m");
    // Value grids stand for every point: a constant wind given as two numbers.
    GridTool::valueGrid(u1, U), GridTool::valueGrid(v1, V);
    ASSERT_EQ(GridMath::advection(adv1, t, u1, v1), 1) << dd.proj;
    EXPECT_LT(maxError(adv1, expected), 1e-3) << dd.proj;
  }
}

TEST_F(GridMathTest, LaplacianOfAParaboloidIsConstant)
{
  // Exact for quadratics; on latlon grids 6/(w cos(lat))^2 + 1/w^2 with w one degree.
  for (const Domain& dd : domains()) {
    Grid f = make(dd, "hght", "m",
                  [](double x, double y) { return 3 * (x - 2) * (x - 2) + 0.5 * y * y; });
    Grid lap;
    ASSERT_EQ(GridMath::laplacian(lap, f), 1) << dd.proj;
    auto expected = [&](int, int j) {
      if (dd.proj != 2) return 7.0f;
      double w = DEGREE * std::cos(rowLat(dd, j) * Const::DRC);
      return static_cast<float>(6 / (w * w) + 1 / (DEGREE * DEGREE));
    };
    EXPECT_LT(maxError(lap, expected), 2e-2) << dd.proj;
    EXPECT_STREQ(lap.getUnits(), "10^-10 m/m^2");
  }
}

TEST_F(GridMathTest, CoriolisAndGeostrophicWind)
{
  const Domain ps = domains()[0];
  Grid u = make(ps, "uwnd", "m/s", [](double, double) { return 0; });
  Grid avort, lat, ug, vg, ug2, sub;
  ASSERT_EQ(GridMath::absVorticity(avort, u, u), 1);
  EXPECT_STREQ(avort.getVar().getAbbr(), "avort");
  GridMath::locatePoint(lat, u, "lat");
  EXPECT_STREQ(lat.getInfo(), "Latitude (deg)");
  // Heights falling 10 m (1 dam) per 100 km northward: a westerly of 9.8·10/f.
  Grid z = make(ps, "hght", "m", [](double, double y) { return 5500 - 10 * y; });
  Grid zdam = make(ps, "hght", "dam", [](double, double y) { return 550 - y; });
  ASSERT_TRUE(GridMath::geosU(ug, z) && GridMath::geosV(vg, z) && GridMath::geosU(ug2, zdam));
  for (int j = 0; j < ps.ny; j += 10)
    for (int i = 0; i < ps.nx; i += 10) {
      const float f = static_cast<float>(14.584 * std::sin(lat.getValue(i, j) * Const::DRC));
      EXPECT_NEAR(avort.getValue(i, j), f, 1e-3);
      EXPECT_NEAR(ug.getValue(i, j), 98 / f, 1e-3);
      EXPECT_NEAR(ug2.getValue(i, j), 98 / f, 1e-3);
      EXPECT_NEAR(vg.getValue(i, j), 0, 1e-3);
    }
  ASSERT_EQ(GridMath::coriolis(sub, avort, "sub"), 1);
  EXPECT_NEAR(sub.getValue(5, 5), 0, 1e-4);
  EXPECT_TRUE(!GridMath::coriolis(sub, avort, "plus") && !sub.isData());
}

TEST_F(GridMathTest, MissingValuesStayMissingAndNeverBecomeNumbers)
{
  const Domain d = domains()[1];
  Grid t = make(d, "temp", "K", [](double x, double y) { return 280 + x + y; });
  Grid u = make(d, "uwnd", "m/s", [](double, double) { return 5; });
  Grid v = u;
  t.setValue(10, 10, M);
  u.setValue(20, 20, M);
  Grid adv, dx, sum;
  GridMath::advection(adv, t, u, v), GridMath::dx(dx, t), GridMath::add(sum, t, u);
  for (const Grid* g : {&adv, &sum}) {
    EXPECT_TRUE(g->getValue(10, 10) == M && g->getValue(20, 20) == M);
    EXPECT_EQ(g->getValid(), static_cast<int>(g->getCount()) - 2);
  }
  for (const Grid* g : {&adv, &dx, &sum})
    for (float x : all(*g)) ASSERT_FALSE(std::isnan(x));
}

TEST_F(GridMathTest, ArithmeticWithValueGridsAndBadOperands)
{
  Grid a(3, 2), zero, two, out;
  for (int k = 0; k < 6; ++k) a.setValue(k % 3, k / 3, static_cast<float>(k - 2));
  a.setValue(2, 1, M);
  GridTool::valueGrid(zero, 0.0f);
  GridTool::valueGrid(two, 2.0f);
  const float r2 = std::sqrt(2.0f), l2 = std::log(2.0f);
  const struct {
    int (*op)(Grid&, const Grid&, const Grid&);
    const Grid* b;
    std::vector<float> expected;
  } cases[] = {{&GridMath::add, &two, {0, 1, 2, 3, 4, M}},
               {&GridMath::sub, &two, {-4, -3, -2, -1, 0, M}},
               {&GridMath::mult, &two, {-4, -2, 0, 2, 4, M}},
               {&GridMath::div, &zero, {M, M, M, M, M, M}},
               {&GridMath::div, &two, {-1, -0.5f, 0, 0.5f, 1, M}},
               {&GridMath::mod, &two, {0, -1, 0, 1, 0, M}},
               {&GridMath::pow, &two, {4, 1, 0, 1, 4, M}},
               {[](Grid& o, const Grid& x, const Grid&) { return GridMath::sqrt(o, x); },
                &two,
                {M, M, 0, 1, r2, M}},
               {[](Grid& o, const Grid& x, const Grid&) { return GridMath::log(o, x); },
                &two,
                {M, M, M, 0, l2, M}},
               {[](Grid& o, const Grid& x, const Grid&) { return GridMath::inv(o, x); },
                &two,
                {-0.5f, -1, M, 1, 0.5f, M}},
               {[](Grid& o, const Grid& x, const Grid&) { return GridMath::abs(o, x); },
                &two,
                {2, 1, 0, 1, 2, M}}};
  for (const auto& c : cases) {
    EXPECT_TRUE(c.op(out, a, *c.b) && all(out) == c.expected) << out.getValue(0, 0);
  }
  Grid b = a;  // the result may be one of the inputs
  EXPECT_TRUE(GridMath::add(b, b, two) && b.getValue(0, 0) == 0);
  // Grids on different domains, or without data, are refused and leave an empty result.
  Grid other(4, 2), nothing;
  EXPECT_TRUE(!GridMath::add(out, a, other) && !out.isData());
  EXPECT_TRUE(!GridMath::sub(out, a, nothing) && !GridMath::vorticity(out, a, other));
  EXPECT_EQ(GridMath::add(a, other), 0);

  // In-place, interpolation, masks and cut-offs.
  Grid c(3, 2), mid;
  for (int k = 0; k < 6; ++k) c.setValue(k % 3, k / 3, 10);
  ASSERT_EQ(GridMath::interp(mid, a, 0.5f, c), 1);
  EXPECT_EQ(all(mid), std::vector<float>({4, 4.5f, 5, 5.5f, 6, M}));
  ASSERT_EQ(GridMath::cutoff(out, "higher", 1, 100, a), 1);
  EXPECT_EQ(all(out), std::vector<float>({-2, -1, 0, 1, 100, M}));
  EXPECT_TRUE(GridMath::mask(c, "lower", 11) && c.getValid() == 0);
  EXPECT_TRUE(GridMath::resetMiss(c, 3) && c.getValue(1, 1) == 3);
  EXPECT_FLOAT_EQ(GridMath::maxSpd(a, a), std::sqrt(8.0f));
}

TEST_F(GridMathTest, ListsAndUnits)
{
  Grids in(4);
  Grid c, out;
  GridTool::valueGrid(c, 3);
  in.add(values({1, M}));
  in.add(values({5, 7}));
  in.add(c);
  EXPECT_TRUE(GridMath::add(out, in) && all(out) == std::vector<float>({9, M}));
  ASSERT_EQ(GridMath::avg(out, in), 1);
  EXPECT_TRUE(out.getValue(0, 0) == 3 && std::string(out.getVar().getAbbr()) == "avg");
  ASSERT_EQ(GridMath::max(out, in), 1);
  EXPECT_EQ(all(out), std::vector<float>({5, 7}));  // the largest valid value
  EXPECT_TRUE(GridMath::min(out, in) && out.getValue(1, 0) == 3);

  Grid t = values({100, M}, "temp");
  t.setUnits("C");
  ASSERT_EQ(GridMath::units(t, "F"), 1);
  EXPECT_TRUE(std::fabs(t.getValue(0, 0) - 212) < 1e-3 && t.getValue(1, 0) == M);
  EXPECT_EQ(std::string(t.getUnits()) + t.getInfo(), "F[F]");
  EXPECT_TRUE(!GridMath::units(t, "m/s") && !GridMath::units(t, ""));  // not convertible
  EXPECT_NEAR(t.getValue(0, 0), 212, 1e-3);
}

TEST_F(GridMathTest, ThermodynamicFieldsPointByPoint)
{
  Grid t = values({20, -10}, "temp", "C"), rh = values({50, M}, "rhum", "%");
  Grid spd = values({10, 10}, "wspd", "m/s"), out;
  t.setLevel("850");
  ASSERT_EQ(GridMath::dewpoint(out, t, rh), 1);
  EXPECT_EQ(all(out), std::vector<float>({Calc::dewTemp(293.15f, 50), M}));
  EXPECT_STREQ(out.getUnits(), "K");
  ASSERT_EQ(GridMath::mixRatio(out, t, rh), 1);
  EXPECT_FLOAT_EQ(out.getValue(0, 0), Calc::mixRatio(Calc::dewTemp(293.15f, 50), 850));
  EXPECT_TRUE(GridMath::potTemp(out, t) && out.getValue(1, 0) == Calc::potTemp(263.15f, 850));
  ASSERT_EQ(GridMath::equivPotTemp(out, t, rh), 1);
  EXPECT_NEAR(out.getValue(0, 0), Calc::equivPotTemp(293.15f, Calc::dewTemp(293.15f, 50), 850),
              1e-3);

  // Wrong inputs; with both wrong most report the second, wind chill the temperature.
  const struct {
    int (*op)(Grid&, const Grid&, const Grid&);
    const Grid* a;
    const Grid* b;
    const char* warning;
  } bad[] = {{&GridMath::dewpoint, &rh, &rh, "GridMath::dewpoint: not a temperature grid\n"},
             {&GridMath::specHum, &t, &t, "GridMath::specHum: not a rel humidity grid\n"},
             {&GridMath::specHum, &rh, &rh, "GridMath::specHum: not a temperature grid\n"},
             {&GridMath::equivPotTemp, &t, &t, "GridMath::equivPotTemp: not a rel hum grid\n"},
             {&GridMath::virtTemp, &t, &t, "GridMath::virtTemp: not a rel hum grid\n"},
             {&GridMath::virtPotTemp, &t, &t, "GridMath::virtPotTemp: not a rel hum grid\n"},
             {&GridMath::mixRatio, &t, &t, "GridMath::mixRatio: not a rel humidity grid\n"},
             {&GridMath::wetBulb, &t, &t, "GridMath::wetBulb: not a rel humidity grid\n"},
             {&GridMath::heatIndex, &t, &t, "GridMath::heatIndex: not a rel humidity grid\n"},
             {&GridMath::heatIndex, &rh, &t, "GridMath::heatIndex: not a rel humidity grid\n"},
             {&GridMath::relHum, &rh, &t, "GridMath::relHum: not a temperature grid\n"},
             {[](Grid& o, const Grid& a, const Grid& b) { return GridMath::windChill(o, a, b, 1); },
              &t, &t, "GridMath::windChill: not a wind speed grid\n"},
             {[](Grid& o, const Grid& a, const Grid& b) { return GridMath::windChill(o, a, b, 2); },
              &rh, &rh, "GridMath::windChill: not a temperature grid\n"}};
  for (const auto& c : bad) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(!c.op(out, *c.a, *c.b) && !out.isData());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning);
  }
  // Fields that need a pressure are missing on a grid without a pressure level.
  t.setLevel("2m_ag");
  EXPECT_TRUE(GridMath::potTemp(out, t) && out.getValid() == 0);
  ASSERT_EQ(GridMath::windChill(out, t, spd, 2), 1);
  EXPECT_FLOAT_EQ(out.getValue(1, 0), Calc::windChillTemp2(263.15f, 10));
}

TEST_F(GridMathTest, WindComponentsAndDirections)
{
  Grid spd = values({10, 5}), dir = values({270, 0});  // from the west, from the north
  Grid u, v, s, d;
  ASSERT_TRUE(GridMath::windU(u, spd, dir, 0) && GridMath::windV(v, spd, dir, 0));
  EXPECT_NEAR(u.getValue(0, 0), 10, 1e-4);
  EXPECT_NEAR(v.getValue(1, 0), -5, 1e-4);
  ASSERT_TRUE(GridMath::windSpd(s, u, v) && GridMath::windDir(d, u, v, 0));
  EXPECT_NEAR(s.getValue(0, 0), 10, 1e-4);
  EXPECT_NEAR(d.getValue(0, 0), 270, 1e-3);
  EXPECT_NEAR(d.getValue(1, 0), 0, 1e-3);
  // A grid of values that are no numbers gives missing speeds and one warning, not one a point.
  Grid bad(300, 200);
  std::fill(bad.getData(), bad.getData() + bad.getCount(), std::nanf(""));
  testing::internal::CaptureStderr();
  ASSERT_EQ(GridMath::windSpd(s, bad, bad), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Calc: windSpd: input is not a number\n");
  EXPECT_EQ(s.getValue(17, 3), Const::FMISS);

  const Domain ps = domains()[0];
  Grid wspd = make(ps, "wspd", "m/s", [](double, double) { return 10; });
  Grid wdir = make(ps, "wdir", "deg", [](double, double) { return 250; });
  Grid earth, plain, ue, ve;
  ASSERT_TRUE(GridMath::windU(u, wspd, wdir, 1) && GridMath::windV(v, wspd, wdir, 1));
  ASSERT_TRUE(GridMath::windDir(earth, u, v, 1) && GridMath::windDir(plain, u, v, 0));
  EXPECT_STREQ(earth.getVar().getAbbr(), "ewdir");
  // Grid-relative components turned back to earth orientation give the direction again.
  EXPECT_LT(maxError(earth, [](int, int) { return 250.0f; }), 1e-2);
  // Grid and earth north agree on the central meridian only.
  EXPECT_NEAR(plain.getValue(ps.nx / 2, 10), 250, 1e-2);
  Point corner;
  u.tran(GridPoint(0, 0), corner);
  const float turned = ps.adjustDir(250, corner);
  EXPECT_NEAR(plain.getValue(0, 0), turned, 1e-2);
  EXPECT_GT(std::fabs(turned - 250), 5.0f);
  // adjustUV does the same in place from earth-relative components.
  GridMath::windU(ue, wspd, wdir, 0), GridMath::windV(ve, wspd, wdir, 0);
  ASSERT_EQ(GridMath::adjustUV(ue, ve), 1);
  EXPECT_LT(maxError(ue, [&](int i, int j) { return u.getValue(i, j); }), 1e-3);
  EXPECT_LT(maxError(ve, [&](int i, int j) { return v.getValue(i, j); }), 1e-3);
}

TEST_F(GridMathTest, RemapsToAnotherDomain)
{
  // Bilinear interpolation reproduces a field linear in latitude and longitude.
  Domain ll = makeDomain(2, M, M, 40, -100, 61, 41, 1.0f);
  Grid f = make(ll, "temp", "K", [](double lon, double lat) { return 250 + lat + 0.1 * lon; });
  const Domain ps = domains()[0];
  Grid out, lat, lon;
  ASSERT_TRUE(GridMath::remap(out, ps, f) && GridMath::isDomainEqual(out, ps));
  GridMath::locatePoint(lat, out, "lat"), GridMath::locatePoint(lon, out, "lon");
  EXPECT_LT(maxError(out,
                     [&](int i, int j) {
                       return 250 + lat.getValue(i, j) + 0.1f * (lon.getValue(i, j) + 100);
                     }),
            1e-3);
}

TEST_F(GridMathTest, ProcessAppliesFunctionsByName)
{
  Grids in(3), partial(3);
  Grid a = values({5500, 5500}, "hght", "m"), out, gu, gv;
  in.add(a);
  in.add(values({1500, 1500}));
  partial.add(a);
  ASSERT_EQ(GridMath::process("thick", out, in), 1);
  EXPECT_TRUE(out.getValue(1, 0) == 4000 && std::string(out.getVar().getAbbr()) == "thick");
  ASSERT_EQ(GridMath::process("sub-thk", out, in), 1);
  EXPECT_EQ(std::string(out.getVar().getAbbr()) + " " + out.getUnits(), "thk m");
  testing::internal::CaptureStderr();
  EXPECT_EQ(GridMath::process("frobnicate", out, in), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "GridMath: unknown function: frobnicate\n");
  // A function whose argument is missing still yields a grid, all missing.
  EXPECT_TRUE(!GridMath::process("add", out, partial) && out.isData() && out.getValid() == 0);
  EXPECT_TRUE(GridMath::isVectFunc("grad-x") && !GridMath::isVectFunc("gradient"));
  EXPECT_EQ(GridMath::processVector("vdiff", gu, gv, in), 0);  // needs four grids
}

}  // namespace
