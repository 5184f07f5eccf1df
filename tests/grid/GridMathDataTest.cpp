// Absolute vorticity from the 500 hPa winds of real model grids against the models' own: the
// agreement is statistical (the models differentiate with their own numerics), but an orientation,
// sign or unit fault would show at once.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/GribFile.h"
#include "grid/GridMath.h"
#include "grid/Grids.h"

using namespace KOL;

namespace {

struct Agreement {
  double correlation = 0, meanDiff = 0, rmsModel = 0;
};

// Compares ours with the model's field (1/s) over rows first..last, columns inside the edges.
Agreement compare(const Grid& ours, const Grid& model, int first, int last)
{
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sd = 0;
  long n = 0;
  for (int j = first; j <= last; ++j)
    for (int i = 1; i < ours.getNx() - 1; ++i) {
      double x = ours.getValue(i, j), y = model.getValue(i, j) * 1e5;
      if (x == Const::FMISS) continue;
      sx += x, sy += y, sxx += x * x, syy += y * y, sxy += x * y, sd += x - y;
      n++;
    }
  Agreement a;
  if (n < 2) return a;
  double cov = sxy / n - sx / n * sy / n;
  a.correlation = cov / std::sqrt((sxx / n - sx * sx / n / n) * (syy / n - sy * sy / n / n));
  a.meanDiff = sd / n;
  a.rmsModel = std::sqrt(syy / n);
  return a;
}

class GridMathDataTest : public KOLTest::DatabaseTest {};

// NAM's grid 211 (81 km Lambert, grid-relative winds, cut from a 12 km grid the model
// differentiated on): correlation about 0.86, negative were north taken the wrong way. GFS at
// 2.5 degrees: about 0.96 between 80 S and 80 N, no vorticity at the poles.
TEST_F(GridMathDataTest, VorticityOfLambertAndGlobalModelGrids)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* file;
    int margin;
    double correlation;
  } cases[] = {{"g2_nam.t00z.awp21100.tm00.grib2", 1, 0.8},
               {"g2_gfs.t12z.pgrbf120.2p5deg.grib2", 4, 0.9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    GribFile file(KOLTest::dataFile(std::string("grib/") + c.file).c_str());
    file.setParam("nowrap");
    Grids in(3);
    for (const char* spec : {"500:uwnd", "500:vwnd", "500:avort"}) in.addSpec(spec);
    ASSERT_EQ(file.read(in), 3);
    Grid ours;
    ASSERT_EQ(GridMath::absVorticity(ours, in.getGrid(0), in.getGrid(1)), 1);
    const int ny = ours.getNy();
    const Agreement a = compare(ours, in.getGrid(2), c.margin, ny - 1 - c.margin);
    EXPECT_GT(a.correlation, c.correlation);
    EXPECT_LT(std::fabs(a.meanDiff), 0.2 * a.rmsModel);
    if (ours.getProj() != 2) continue;
    for (int i = 0; i < ours.getNx(); ++i)
      EXPECT_TRUE(ours.getValue(i, 0) == Const::FMISS && ours.getValue(i, ny - 1) == Const::FMISS);
  }
}

}  // namespace
