// Grid calculations on real model output: absolute vorticity computed from the 500 hPa winds of
// an NCEP Lambert conformal grid (211, 81 km, grid-relative winds) and of a 2.5-degree global
// grid, against the absolute vorticity the models wrote beside them. The fields are decoded by
// the installed ecCodes tools, an independent reader. The models differentiate with their own
// numerics and map factors, so agreement is statistical, but a wrong orientation, sign or unit
// would show at once.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/GridMath.h"

using KOL::Grid;
using KOL::GridMath;

namespace {

// Values of one 500 hPa field in scanning order, with the first and last point's position.
struct Decoded {
  std::vector<float> values;
  KOL::EarthPoint first, last;
};

bool decode(const std::string& file, const std::string& name, Decoded& out)
{
  int status = 0;
  std::string text = KOLTest::run(
      "grib_get_data -w shortName=" + name + ",typeOfLevel=isobaricInhPa,level=500 " + file,
      &status);
  if (status != 0) return false;
  std::istringstream in(text);
  std::string header;
  std::getline(in, header);
  float lat, lon, v;
  while (in >> lat >> lon >> v) {
    if (out.values.empty()) out.first.set(lat, lon);
    out.last.set(lat, lon);
    out.values.push_back(v);
  }
  return !out.values.empty();
}

// A grid of the decoded values on domain d; rows scanned from the south are turned over.
bool load(const std::string& file, const std::string& name, const KOL::Domain& d, bool south,
          const char* var, const char* units, Grid& g)
{
  Decoded f;
  if (!decode(file, name, f) || f.values.size() != static_cast<size_t>(d.nx) * d.ny) return false;
  g.setDomain(d);
  g.setData(f.values, south ? 1 : 0);
  g.setVar(var);
  g.setLevel("500");
  g.getVarSpec().setUnits(units);
  return true;
}

struct Agreement {
  double correlation = 0;
  double meanDiff = 0;
  double rmsModel = 0;
};

// Compares ours with the model's field (1/s) over rows first..last, columns inside the edges.
Agreement compare(const Grid& ours, const Grid& model, int first, int last)
{
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sd = 0;
  long n = 0;
  for (int j = first; j <= last; ++j)
    for (int i = 1; i < ours.getNx() - 1; ++i) {
      double x = ours.getValue(i, j), y = model.getValue(i, j) * 1e5;
      if (x == KOL::Const::FMISS) continue;
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

class GridMathDataTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    int status = 0;
    KOLTest::run("grib_get_data -V", &status);
    if (status != 0) GTEST_SKIP() << "grib_get_data not installed";
  }
  KOLTest::DatabaseScope database_;
};

TEST_F(GridMathDataTest, VorticityOfALambertModelGrid)
{
  KOL_REQUIRE_DATA();
  std::string file = KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2");
  // Grid 211: Lambert conformal tangent at 25 N, 95 W, 93 x 65 points from the south-west
  // corner, spanned here by its first and last points.
  Decoded corners;
  ASSERT_TRUE(decode(file, "absv", corners));
  KOL::Domain d = KOLTest::lambert(93, 65, 0.81271f);
  ASSERT_EQ(d.set(corners.first, corners.last, 93, 65), 1);
  EXPECT_NEAR(d.dx, 0.81271, 2e-3);  // the file's 81.271 km

  Grid u, w, absv;
  ASSERT_TRUE(load(file, "u", d, true, "uwnd", "m/s", u));
  ASSERT_TRUE(load(file, "v", d, true, "vwnd", "m/s", w));
  ASSERT_TRUE(load(file, "absv", d, true, "avort", "1/s", absv));
  Grid ours;
  ASSERT_EQ(GridMath::absVorticity(ours, u, w), 1);
  // The model differentiated on its native 12 km grid before this 81 km grid was cut from it:
  // the correlation is about 0.86 (and negative were north taken the wrong way).
  Agreement a = compare(ours, absv, 1, d.ny - 2);
  EXPECT_GT(a.correlation, 0.8);
  EXPECT_LT(std::fabs(a.meanDiff), 0.2 * a.rmsModel);
}

TEST_F(GridMathDataTest, VorticityOfAGlobalLatLonGrid)
{
  KOL_REQUIRE_DATA();
  std::string file = KOLTest::dataFile("grib/g2_gfs.t12z.pgrbf120.2p5deg.grib2");
  const KOL::Domain d =
      KOLTest::makeDomain(2, KOL::Const::FMISS, KOL::Const::FMISS, 0, 178.75f, 144, 73, 2.5f);
  Grid u, w, absv;
  ASSERT_TRUE(load(file, "u", d, false, "uwnd", "m/s", u));
  ASSERT_TRUE(load(file, "v", d, false, "vwnd", "m/s", w));
  ASSERT_TRUE(load(file, "absv", d, false, "avort", "1/s", absv));
  Grid ours;
  ASSERT_EQ(GridMath::absVorticity(ours, u, w), 1);
  for (int i = 0; i < d.nx; ++i) {
    EXPECT_EQ(ours.getValue(i, 0), KOL::Const::FMISS);
    EXPECT_EQ(ours.getValue(i, d.ny - 1), KOL::Const::FMISS);
  }
  // Between 80 S and 80 N; the correlation is about 0.96.
  Agreement a = compare(ours, absv, 4, d.ny - 5);
  EXPECT_GT(a.correlation, 0.9);
  EXPECT_LT(std::fabs(a.meanDiff), 0.2 * a.rmsModel);
}

}  // namespace
