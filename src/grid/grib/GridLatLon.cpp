// Latitude-longitude grids, regular, thinned or rotated (edition 2 templates 3.0 and 3.1, edition
// 1 types 0 and 10).
#include <cmath>

#include "grid/grib/GridDefs.h"

namespace KOL::grib {

namespace {

constexpr double RAD = 0.017453292519943295;

// Geographic position of a point given in a grid rotated so that its south pole lies at
// (spLat, spLon).
void unrotate(const GridGeom& g, double lat, double lon, double& glat, double& glon)
{
  const double theta = (90.0 + g.spLat) * RAD;
  const double x = std::cos(lat * RAD) * std::cos(lon * RAD);
  const double y = std::cos(lat * RAD) * std::sin(lon * RAD);
  const double z = std::sin(lat * RAD);
  const double x2 = std::cos(theta) * x - std::sin(theta) * z;
  const double z2 = std::sin(theta) * x + std::cos(theta) * z;
  glat = std::asin(z2 < -1 ? -1 : z2 > 1 ? 1 : z2) / RAD;
  glon = std::atan2(y, x2) / RAD + g.spLon;
  if (glon > 180) glon -= 360;
  if (glon < -180) glon += 360;
}

// Longitude step along a row of n points: the span from first to last point shared out; rows of
// a thinned grid whose widest row closes the circle spread round it.
double lonStep(const GridGeom& g, int n)
{
  const bool westward = g.scan & 0x80;
  if (n < 2) return westward ? -g.di : g.di;
  double span = g.lo2 - g.lo1;
  if (!westward && span < 0) span += 360;
  if (westward && span > 0) span -= 360;
  if (g.thinned() && std::fabs(std::fabs(span) + 360.0 / g.nx - 360.0) < 180.0 / g.nx)
    return (westward ? -360.0 : 360.0) / n;
  return span / (n - 1);
}

double latStep(const GridGeom& g)
{
  if (!g.thinned() && g.diGiven && g.dj > 0) return (g.scan & 0x40) ? g.dj : -g.dj;
  return g.ny > 1 ? (g.la2 - g.la1) / (g.ny - 1) : g.dj;
}

}  // namespace

bool latLonFromEd2(const Octets& s, GridGeom& g)
{
  g.radius = earthRadiusEd2(s);
  long ni = s.u4(31), nj = s.u4(35);
  bool thinned = s.allOnes(31, 4);
  if (!setSize(g, thinned ? 1 : ni, nj)) return false;
  double unit = 1e-6;
  if (s.u4(39) != 0 && !s.allOnes(39, 4) && s.u4(43) != 0 && !s.allOnes(43, 4))
    unit = double(s.u4(39)) / s.u4(43);
  g.la1 = s.s(47, 4) * unit;
  g.lo1 = s.s(51, 4) * unit;
  g.la2 = s.s(56, 4) * unit;
  g.lo2 = s.s(60, 4) * unit;
  g.diGiven = s.u1(55) & 0x20;
  g.di = s.allOnes(64, 4) ? 0 : s.u4(64) * unit;
  g.dj = s.allOnes(68, 4) ? 0 : s.u4(68) * unit;
  g.scan = static_cast<int>(s.u1(72));
  size_t listAt = 73;
  if (g.templ == 1) {
    g.spLat = s.s(73, 4) * unit;
    g.spLon = s.s(77, 4) * unit;
    g.rotAngle = s.ieee(81);
    listAt = 85;
  }
  if (thinned) return readRowCounts(s, listAt, static_cast<int>(s.u1(11)), g);
  return true;
}

bool latLonFromEd1(const Octets& s, GridGeom& g)
{
  bool thinned = s.u2(7) == 0xFFFF;
  if (!setSizeEd1(g, thinned ? 1 : s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.la2 = milliDegrees(s, 18);
  g.lo2 = milliDegrees(s, 21);
  g.diGiven = s.u1(17) & 0x80;
  g.di = s.u2(24) * 1e-3;
  g.dj = s.u2(26) * 1e-3;
  g.scan = static_cast<int>(s.u1(28));
  if (g.templ == 1) {
    g.spLat = milliDegrees(s, 33);
    g.spLon = milliDegrees(s, 36);
    g.rotAngle = s.ibm(39);
  }
  if (!thinned) return true;
  size_t nv = s.u1(4), at = s.u1(5);
  return readRowCounts(s, at + 4 * nv, 2, g);
}

bool latLonCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  lat.resize(g.points());
  lon.resize(g.points());
  const double dlat = latStep(g);
  if (g.thinned()) {
    size_t k = 0;
    for (int j = 0; j < g.ny; j++) {
      const double step = g.padded ? g.di : lonStep(g, g.pl[j]);
      const double west = g.padded ? g.lo1 + (g.nx - g.pl[j]) / 2 * g.di : g.lo1;
      for (int i = 0; i < g.pl[j]; i++, k++) {
        lat[k] = g.la1 + j * dlat;
        lon[k] = west + i * step;
      }
    }
  } else {
    const double dlon = lonStep(g, g.nx);
    // Rows step by the given increment, the last row lying on the given last latitude.
    forEachPoint(g, [&](size_t k, size_t i, size_t j) {
      lat[k] = (j + 1 == size_t(g.ny) && j > 0) ? g.la2 : g.la1 + double(j) * dlat;
      lon[k] = g.lo1 + double(i) * dlon;
    });
  }
  if (g.templ == 1)
    for (size_t k = 0; k < lat.size(); k++) unrotate(g, lat[k], lon[k], lat[k], lon[k]);
  return true;
}

}  // namespace KOL::grib
