#include <algorithm>
#include <cmath>

#include "core/Kol.h"
#include "grid/grib/GridDefs.h"

namespace KOL::grib {

bool latLonFromEd2(const Octets&, GridGeom&);
bool latLonFromEd1(const Octets&, GridGeom&);
bool latLonCoords(const GridGeom&, std::vector<double>&, std::vector<double>&);
bool gaussianFromEd2(const Octets&, GridGeom&);
bool gaussianFromEd1(const Octets&, GridGeom&);
bool gaussianCoords(const GridGeom&, std::vector<double>&, std::vector<double>&);
bool mercatorFromEd2(const Octets&, GridGeom&);
bool mercatorFromEd1(const Octets&, GridGeom&);
bool mercatorCoords(const GridGeom&, std::vector<double>&, std::vector<double>&);
bool polarFromEd2(const Octets&, GridGeom&);
bool polarFromEd1(const Octets&, GridGeom&);
bool lambertFromEd2(const Octets&, GridGeom&);
bool lambertFromEd1(const Octets&, GridGeom&);

namespace {
const GridKind kGrids[] = {
    {0, 0, "latlon", latLonFromEd2, latLonFromEd1, latLonCoords},
    {1, 10, "rotated_ll", latLonFromEd2, latLonFromEd1, latLonCoords},
    {10, 1, "mercator", mercatorFromEd2, mercatorFromEd1, mercatorCoords},
    {20, 5, "polar", polarFromEd2, polarFromEd1, domainCoords},
    {30, 3, "lambert", lambertFromEd2, lambertFromEd1, domainCoords},
    {40, 4, "gaussian", gaussianFromEd2, gaussianFromEd1, gaussianCoords},
    {41, 14, "rotated_gg", gaussianFromEd2, gaussianFromEd1, gaussianCoords},
};
}  // namespace

const GridKind* findGridKind(int templ)
{
  for (const auto& k : kGrids)
    if (k.templ == templ) return &k;
  return nullptr;
}

const GridKind* findGridKindEd1(int type)
{
  for (const auto& k : kGrids)
    if (k.ed1Type == type) return &k;
  return nullptr;
}

size_t GridGeom::points() const
{
  if (!pl.empty()) {
    size_t n = 0;
    for (int c : pl) n += static_cast<size_t>(c);
    return n;
  }
  return size_t(nx > 0 ? nx : 0) * size_t(ny > 0 ? ny : 0);
}

double earthRadiusEd2(const Octets& s)
{
  auto scaled = [&](size_t factor, size_t value) {
    return s.u4(value) * std::pow(10.0, -static_cast<int>(s.u1(factor)));
  };
  switch (s.u1(15)) {
    case 1:
      return scaled(16, 17);
    case 2:
      return 6378160.0;
    case 3:
      return scaled(21, 22) * 1000.0;
    case 4:
      return 6378137.0;
    case 5:
      return 6378137.0;
    case 6:
      return 6371229.0;
    case 7:
      return scaled(21, 22);
    case 8:
      return 6371200.0;
    default:
      return 6367470.0;
  }
}

bool setSize(GridGeom& g, long nx, long ny)
{
  // 10^8 points is far beyond what a message of at most 2^32 octets could hold at useful widths,
  // and keeps allocations bounded on hostile input.
  if (nx < 1 || ny < 1 || ny > 100000 || nx > 100000 || nx * ny > 100000000L) {
    Kol::outWarning("GribFile: Grid too large: %ld x %ld\n", nx, ny);
    return false;
  }
  g.nx = static_cast<int>(nx);
  g.ny = static_cast<int>(ny);
  return true;
}

bool setSizeEd1(GridGeom& g, long nx, long ny)
{
  // Edition 1 descriptions beyond this size are taken for corrupt ones.
  if (nx > 10000) {
    Kol::outWarning("GribFile: NX too large\n");
    return false;
  }
  if (ny > 10000) {
    Kol::outWarning("GribFile: NY too large\n");
    return false;
  }
  return setSize(g, nx, ny);
}

void unAlternate(const GridGeom& g, float* values)
{
  if (!(g.scan & 0x10) || g.thinned()) return;
  const size_t line = size_t(g.scan & 0x20 ? g.ny : g.nx);
  const size_t lines = size_t(g.scan & 0x20 ? g.nx : g.ny);
  for (size_t r = 1; r < lines; r += 2) std::reverse(values + r * line, values + (r + 1) * line);
}

bool readRowCounts(const Octets& s, size_t at, int width, GridGeom& g)
{
  if (!s.has(at, size_t(g.ny) * width)) {
    Kol::outWarning("GribFile: thinned grid row counts missing\n");
    return false;
  }
  g.pl.resize(static_cast<size_t>(g.ny));
  int widest = 0;
  long total = 0;
  for (int j = 0; j < g.ny; j++) {
    g.pl[j] = static_cast<int>(s.u(at + size_t(j) * width, width));
    if (g.pl[j] > 100000) {
      Kol::outWarning("GribFile: thinned row of %d points refused\n", g.pl[j]);
      return false;
    }
    widest = g.pl[j] > widest ? g.pl[j] : widest;
    total += g.pl[j];
  }
  if (total > 100000000L) {
    Kol::outWarning("GribFile: Grid too large: %ld points\n", total);
    return false;
  }
  g.nx = widest;
  return widest > 0;
}

}  // namespace KOL::grib
