// Gaussian grids, regular or thinned (edition 2 templates 3.40 and 3.41, edition 1 types 4 and
// 14): rows lie on the zeros of the Legendre polynomial of degree 2N.
#include <cmath>

#include "grid/grib/GridDefs.h"

namespace KOL::grib {

namespace {

// The finest operational Gaussian grids have N of a few thousand. The latitudes cost N squared
// (1.4 s at 8000): a larger N is a broken or hostile message, not a grid.
constexpr int MAX_GAUSSIAN_N = 8000;

// Rows beyond the 2N latitudes, or an N no grid has, describe no Gaussian grid.
bool plausibleN(const GridGeom& g)
{
  return g.gaussN >= 1 && g.gaussN <= MAX_GAUSSIAN_N && g.ny <= 2 * g.gaussN;
}

// The 2N Gaussian latitudes from north to south, in degrees.
std::vector<double> gaussianLatitudes(int n)
{
  const int rows = 2 * n;
  std::vector<double> lat(static_cast<size_t>(rows));
  for (int i = 0; i < n; i++) {
    double z = std::cos(M_PI * (i + 0.75) / (rows + 0.5));
    for (int iter = 0; iter < 100; iter++) {
      double p1 = 1.0, p2 = 0.0;
      for (int k = 1; k <= rows; k++) {
        double p3 = p2;
        p2 = p1;
        p1 = ((2.0 * k - 1.0) * z * p2 - (k - 1.0) * p3) / k;
      }
      double dp = rows * (z * p1 - p2) / (z * z - 1.0);
      double dz = p1 / dp;
      z -= dz;
      if (std::fabs(dz) < 1e-15) break;
    }
    lat[i] = std::asin(z) * 180.0 / M_PI;
    lat[rows - 1 - i] = -lat[i];
  }
  return lat;
}

// Index of the Gaussian latitude nearest to lat.
int nearestRow(const std::vector<double>& lats, double lat)
{
  int best = 0;
  for (size_t r = 1; r < lats.size(); r++)
    if (std::fabs(lats[r] - lat) < std::fabs(lats[best] - lat)) best = static_cast<int>(r);
  return best;
}

double rowStep(const GridGeom& g, int n)
{
  if (n < 2) return 0.0;
  double span = g.lo2 - g.lo1;
  if (span < 0) span += 360;
  // A row that closes the circle spaces its points evenly round it.
  if (g.thinned() && std::fabs(span + 360.0 / g.nx - 360.0) < 180.0 / g.nx) return 360.0 / n;
  return span / (n - 1);
}

}  // namespace

bool gaussianFromEd2(const Octets& s, GridGeom& g)
{
  g.radius = earthRadiusEd2(s);
  bool thinned = s.allOnes(31, 4);
  if (!setSize(g, thinned ? 1 : long(s.u4(31)), long(s.u4(35)))) return false;
  g.la1 = microDegrees(s, 47);
  g.lo1 = microDegrees(s, 51);
  g.la2 = microDegrees(s, 56);
  g.lo2 = microDegrees(s, 60);
  g.di = s.u4(64) * 1e-6;
  g.gaussN = static_cast<int>(s.u4(68));
  g.scan = static_cast<int>(s.u1(72));
  size_t listAt = 73;
  if (g.templ == 41) {
    g.spLat = microDegrees(s, 73);
    g.spLon = microDegrees(s, 77);
    listAt = 85;
  }
  if (!plausibleN(g)) return false;
  return thinned ? readRowCounts(s, listAt, static_cast<int>(s.u1(11)), g) : true;
}

bool gaussianFromEd1(const Octets& s, GridGeom& g)
{
  bool thinned = s.u2(7) == 0xFFFF;
  if (!setSizeEd1(g, thinned ? 1 : s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.la2 = milliDegrees(s, 18);
  g.lo2 = milliDegrees(s, 21);
  g.di = s.u2(24) * 1e-3;
  g.gaussN = static_cast<int>(s.u2(26));
  g.scan = static_cast<int>(s.u1(28));
  if (!plausibleN(g)) return false;
  if (!thinned) return true;
  size_t nv = s.u1(4), at = s.u1(5);
  return readRowCounts(s, at + 4 * nv, 2, g);
}

bool gaussianCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  std::vector<double> lats = gaussianLatitudes(g.gaussN);
  const int first = nearestRow(lats, g.la1);
  const int dir = (g.scan & 0x40) ? -1 : 1;  // rows run north to south unless +j
  if (first + dir * (g.ny - 1) < 0 || first + dir * (g.ny - 1) >= int(lats.size())) return false;
  lat.resize(g.points());
  lon.resize(g.points());
  if (g.thinned()) {
    size_t k = 0;
    for (int j = 0; j < g.ny; j++) {
      double step = rowStep(g, g.pl[j]);
      for (int i = 0; i < g.pl[j]; i++, k++) {
        lat[k] = lats[first + dir * j];
        lon[k] = g.lo1 + i * step;
      }
    }
    return true;
  }
  const double step = rowStep(g, g.nx);
  forEachPoint(g, [&](size_t k, size_t i, size_t j) {
    lat[k] = lats[first + dir * int(j)];
    lon[k] = g.lo1 + double(i) * ((g.scan & 0x80) ? -step : step);
  });
  return true;
}

}  // namespace KOL::grib
