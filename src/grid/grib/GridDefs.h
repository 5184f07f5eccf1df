// Grid templates: each kind of grid reads its edition 1 and edition 2 descriptions into a
// GridGeom and gives the latitude and longitude of every stored point. One table, keyed by the
// edition 2 template number, lists them.
#pragma once

#include <vector>

#include "grid/grib/Field.h"

namespace KOL {
class DomainVal;
}

namespace KOL::grib {

struct GridKind {
  int templ;    // edition 2 grid template
  int ed1Type;  // edition 1 data representation type, -1 when none
  const char* name;
  bool (*fromEd2)(const Octets& sec3, GridGeom& g);  // section 3, octet 1 = its first octet
  bool (*fromEd1)(const Octets& gds, GridGeom& g);
  // Latitude and longitude of every stored point, in stored order.
  bool (*coords)(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon);
};

const GridKind* findGridKind(int templ);
const GridKind* findGridKindEd1(int type);

// Shared by the grid templates.
// Earth radius in metres of the edition 2 shape-of-earth octets (octets 15-30 of section 3).
double earthRadiusEd2(const Octets& sec3);
// Micro-degrees (edition 2) or milli-degrees (edition 1) with a sign bit.
inline double microDegrees(const Octets& s, size_t octet) { return s.s(octet, 4) * 1e-6; }
inline double milliDegrees(const Octets& s, size_t octet) { return s.s(octet, 3) * 1e-3; }
// Reads Ni, Nj, refusing grids larger than any message could describe.
bool setSize(GridGeom& g, long nx, long ny);
// The same for edition 1 Ni, Nj, which never exceed 10000.
bool setSizeEd1(GridGeom& g, long nx, long ny);
// Calls visit(k, i, j) for every stored point k, where i and j count columns and rows from the
// first point along the scanning directions. Boustrophedon rows have already been turned round
// when the values were unpacked (see unAlternate), so every row runs the same way here.
template <class Visit>
void forEachPoint(const GridGeom& g, Visit visit)
{
  const size_t nx = static_cast<size_t>(g.nx), ny = static_cast<size_t>(g.ny);
  size_t k = 0;
  if (g.scan & 0x20) {  // columns stored one after the other
    for (size_t i = 0; i < nx; i++)
      for (size_t j = 0; j < ny; j++) visit(k++, i, j);
    return;
  }
  for (size_t j = 0; j < ny; j++)
    for (size_t i = 0; i < nx; i++) visit(k++, i, j);
}
// Reverses every other row (or column) of values stored boustrophedon (scanning flag 0x10).
void unAlternate(const GridGeom& g, float* values);
// Projected grids: coordinates from a projection's inverse, stepping Di, Dj metres from the first
// point in plane coordinates. Proj has forward(lat, lon, x, y) and inverse(x, y, lat, lon) in
// radians and metres.
template <class Proj>
bool projectedCoords(const GridGeom& g, const Proj& proj, std::vector<double>& lat,
                     std::vector<double>& lon)
{
  constexpr double RAD = 0.017453292519943295;
  double x0, y0;
  proj.forward(g.la1 * RAD, g.lo1 * RAD, x0, y0);
  const double dx = (g.scan & 0x80) ? -g.di : g.di;
  const double dy = (g.scan & 0x40) ? g.dj : -g.dj;
  lat.resize(g.points());
  lon.resize(g.points());
  forEachPoint(g, [&](size_t k, size_t i, size_t j) {
    double la, lo;
    proj.inverse(x0 + double(i) * dx, y0 + double(j) * dy, la, lo);
    lat[k] = la / RAD;
    lon[k] = lo / RAD;
  });
  return true;
}
// The library projection of a polar stereographic (template 20) or Lambert conformal (30) grid:
// code, projection parameters and earth radius into dv, centre and lattice left alone; false
// for other grids.
bool projectionOf(const GridGeom& g, DomainVal& dv);
// Coordinates of a grid that projectionOf describes, through the library's projections.
bool domainCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon);
// Reads the point counts of a thinned grid: n rows of `width` octets from octet `at`.
bool readRowCounts(const Octets& s, size_t at, int width, GridGeom& g);

}  // namespace KOL::grib
