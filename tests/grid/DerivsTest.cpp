// The finite-difference rules at edges, next to missing values and at the poles, checked on
// small arrays where every expected value can be written down.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/Const.h"
#include "grid/math/Derivs.h"

using namespace KOL::gridmath;

namespace {

constexpr float M = KOL::Const::FMISS;

std::vector<float> field(int nx, int ny, float (*f)(int, int))
{
  std::vector<float> v(nx * ny);
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) v[j * nx + i] = f(i, j);
  return v;
}

TEST(Derivs, LinearFieldsHaveTheirSlopeUpToTheEdges)
{
  const int nx = 6, ny = 5;
  Spacing s = Spacing::uniform(nx, ny, 2.0f, 0.5f);
  // 3 per column and -4 per row; rows grow southward, so the northward slope is +4 per row.
  auto f = field(nx, ny, [](int i, int j) { return 3.0f * i - 4.0f * j + 7; });
  std::vector<float> dx(nx * ny), dy(nx * ny), lap(nx * ny);
  ddx(s, f.data(), dx.data());
  ddy(s, f.data(), dy.data());
  laplacian(s, f.data(), lap.data());
  for (int k = 0; k < nx * ny; ++k) {
    EXPECT_FLOAT_EQ(dx[k], 1.5f) << k;
    EXPECT_FLOAT_EQ(dy[k], 8.0f) << k;
    EXPECT_NEAR(lap[k], 0.0f, 1e-4) << k;
  }
}

TEST(Derivs, MissingValuesMakeDifferencesOneSidedNeverNumbers)
{
  const int nx = 5, ny = 1;
  Spacing s = Spacing::uniform(nx, ny, 1.0f, 1.0f);
  std::vector<float> f = {0, 1, M, 9, 16};  // i squared with a hole
  std::vector<float> d(nx);
  ddx(s, f.data(), d.data());
  EXPECT_FLOAT_EQ(d[0], 1.0f);  // forward at the edge
  EXPECT_FLOAT_EQ(d[1], 1.0f);  // right neighbour missing: backward 1 - 0
  EXPECT_EQ(d[2], M);           // the point itself
  EXPECT_FLOAT_EQ(d[3], 7.0f);  // left neighbour missing: forward 16 - 9
  EXPECT_FLOAT_EQ(d[4], 7.0f);  // backward at the edge

  std::vector<float> lonely = {M, 5, M};
  std::vector<float> d3(3);
  ddx(Spacing::uniform(3, 1, 1, 1), lonely.data(), d3.data());
  EXPECT_EQ(d3[0], M);
  EXPECT_EQ(d3[1], 0.0f);  // no valid neighbour at all
  EXPECT_EQ(d3[2], M);
}

TEST(Derivs, KinematicCombinationsPropagateMissingInputs)
{
  const int nx = 4, ny = 4;
  Spacing s = Spacing::uniform(nx, ny, 1, 1);
  auto u = field(nx, ny, [](int, int j) { return 1.0f * j; });
  auto v = field(nx, ny, [](int i, int) { return 2.0f * i; });
  auto t = field(nx, ny, [](int i, int j) { return 1.0f * i + j; });
  u[5] = M;
  t[10] = M;
  std::vector<float> vort(nx * ny), adv(nx * ny);
  combine(s, v.data(), 1, u.data(), -1, vort.data());
  advection(s, t.data(), u.data(), v.data(), adv.data());
  for (int k = 0; k < nx * ny; ++k) {
    if (k == 5) {
      EXPECT_EQ(vort[k], M);
    } else if (k == 1) {
      EXPECT_FLOAT_EQ(vort[k], 2.0f) << k;  // top row, southern neighbour missing: du/dy = 0
    } else {
      EXPECT_FLOAT_EQ(vort[k], 2.0f + 1.0f) << k;  // dv/dx = 2, du/dy = -1 (u grows south)
    }
    if (k == 5 || k == 10) {
      EXPECT_EQ(adv[k], M) << k;
    }
    EXPECT_FALSE(std::isnan(adv[k]));
  }
}

TEST(Derivs, LatLonSpacingShrinksWithLatitudeAndDropsThePoles)
{
  // 5 rows from 90 N to 90 S every 45 degrees, 1 degree in longitude.
  Spacing s = Spacing::latLon(3, 5, 1.0f, 45.0f, 90.0f);
  EXPECT_FALSE(s.rowValid(0));
  EXPECT_FALSE(s.rowValid(4));
  EXPECT_NEAR(1.0f / s.inv_dx[1], DEGREE * std::cos(45 * KOL::Const::DRC), 1e-5);
  EXPECT_NEAR(1.0f / s.inv_dx[2], DEGREE, 1e-5);
  EXPECT_NEAR(1.0f / s.inv_dy, 45 * DEGREE, 1e-4);

  auto f = field(3, 5, [](int i, int) { return 1.0f * i; });
  std::vector<float> d(15);
  for (auto op : {&ddx, &ddy, &laplacian}) {
    op(s, f.data(), d.data());
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(d[i], M);
      EXPECT_EQ(d[12 + i], M);
      EXPECT_NE(d[6 + i], M);
    }
  }

  Spacing bad = Spacing::uniform(3, 2, 0.0f, 1.0f);
  ddx(bad, f.data(), d.data());
  for (int k = 0; k < 6; ++k) EXPECT_EQ(d[k], M);
}

}  // namespace
