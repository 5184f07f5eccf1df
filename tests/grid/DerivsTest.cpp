// Finite-difference rules at edges, next to missing values and at the poles, on small arrays.
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

TEST(Derivs, LatLonSpacingShrinksWithLatitudeAndDropsThePoles)
{
  // 5 rows from 90 N to 90 S every 45 degrees, 1 degree in longitude.
  Spacing s = Spacing::latLon(3, 5, 1.0f, 45.0f, 90.0f);
  EXPECT_FALSE(s.rowValid(0) || s.rowValid(4));
  EXPECT_NEAR(1.0f / s.inv_dx[1], DEGREE * std::cos(45 * KOL::Const::DRC), 1e-5);
  EXPECT_NEAR(1.0f / s.inv_dx[2], DEGREE, 1e-5);
  EXPECT_NEAR(1.0f / s.inv_dy, 45 * DEGREE, 1e-4);
  auto f = field(3, 5, [](int i, int) { return 1.0f * i; });
  std::vector<float> d(15);
  for (auto op : {&ddx, &ddy, &laplacian}) {
    op(s, f.data(), d.data());
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(d[i] == M && d[12 + i] == M);
      EXPECT_NE(d[6 + i], M);
    }
  }
  Spacing bad = Spacing::uniform(3, 2, 0.0f, 1.0f);
  ddx(bad, f.data(), d.data());
  for (int k = 0; k < 6; ++k) EXPECT_EQ(d[k], M);
}

}  // namespace
