// Grids that edition 1 messages may name by number instead of describing: the NCEP Lambert
// grids over North America and the latitude-longitude octant and hemisphere grids (their pole
// rows carry one value, stored as a thinned row of one point), with a whole-globe grid for any
// other number.
#include <algorithm>
#include <cmath>

#include "grid/grib/GridDefs.h"
#include "grid/grib/Message.h"

namespace KOL::grib {

namespace {

struct LambertGrid {
  int number, nx, ny;
  double la1, lo1, dx;
};

const LambertGrid kLambert[] = {
    {211, 93, 65, 12.190, -133.459, 81270.5},
    {212, 185, 129, 12.190, -133.459, 40635.0},
    {215, 369, 257, 12.190, -133.459, 20317.625},
    {218, 614, 428, 12.190, -133.459, 12190.58},
};

// Latitude-longitude grids between the equator and a pole: rows run from La1 to La2.
struct LatLonGrid {
  int first, last;  // grid numbers
  int nx, ny;
  double di, dj;
  bool thinnedOctant;  // 1.25 degree octants whose rows shorten toward the pole
};

const LatLonGrid kLatLon[] = {
    {21, 24, 37, 37, 5.0, 2.5, false},
    {25, 26, 72, 19, 5.0, 5.0, false},
    {37, 44, 73, 73, 1.25, 1.25, true},
    {61, 64, 91, 46, 2.0, 2.0, false},
};

bool latLonGrid(int number, GridGeom& g)
{
  for (const auto& l : kLatLon) {
    if (number < l.first || number > l.last) continue;
    const int k = number - l.first;
    g = GridGeom();
    g.templ = 0;
    g.ny = l.ny;
    g.di = l.di;
    g.dj = l.dj;
    g.scan = 0x40;
    // Octants 37-44 and the pairs of the other groups: northern ones first, then southern ones.
    const int half = (l.last - l.first + 1) / 2;
    const bool south = k >= half;
    const int quarter = k % half;
    g.la1 = south ? -90.0 : 0.0;
    g.la2 = south ? 0.0 : 90.0;
    if (l.thinnedOctant) {
      g.lo1 = -30.0 + 90.0 * quarter;
    } else if (half == 1) {
      g.lo1 = 0.0;  // grids 25, 26: the whole circle
    } else {
      g.lo1 = quarter == 0 ? 0.0 : -180.0;
    }
    if (g.lo1 < -180) g.lo1 += 360;
    g.lo2 = half == 1 ? 355.0 : g.lo1 + l.di * (l.nx - 1);
    g.wrapped = half == 1;
    g.pl.assign(static_cast<size_t>(l.ny), l.nx);
    for (int j = 0; j < l.ny; j++) {
      const double lat = g.la1 + j * l.dj;
      if (l.thinnedOctant)
        g.pl[j] = static_cast<int>(std::ceil(72.0 * std::cos(lat * M_PI / 180.0) - 1e-9)) + 1;
      else if (std::fabs(lat) > 89.999)
        g.pl[j] = 1;
    }
    g.nx = l.nx;
    return true;
  }
  return false;
}

// Grid 50 over North America, 2.5 degrees of longitude by 1.25 of latitude from 20N to 60N. Its
// rows hold fewer points toward the north, about in step with the shrinking parallels, centred
// on the grid's middle meridian; the columns beyond a row's ends are missing.
void northAmericaGrid(GridGeom& g)
{
  g = GridGeom();
  g.templ = 0;
  g.nx = 36;
  g.ny = 33;
  g.di = 2.5;
  g.dj = 1.25;
  g.la1 = 20.0;
  g.la2 = 60.0;
  g.lo1 = -140.0;
  g.lo2 = -52.5;
  g.scan = 0x40;
  g.padded = true;
  g.pl.resize(static_cast<size_t>(g.ny));
  const double widest = std::cos(g.la1 * M_PI / 180.0);
  for (int j = 0; j < g.ny; j++) {
    const double shrink = std::cos((g.la1 + j * g.dj) * M_PI / 180.0) / widest;
    g.pl[j] = std::min(g.nx, 2 * static_cast<int>(std::ceil(g.nx / 2 * shrink - 1e-9)));
  }
}

// Any grid number not known otherwise: the whole globe at 5 degrees, north row first.
void globalGrid(GridGeom& g)
{
  g = GridGeom();
  g.templ = 0;
  g.nx = 73;
  g.ny = 37;
  g.di = g.dj = 5.0;
  g.la1 = 90.0;
  g.la2 = -90.0;
  g.lo1 = -180.0;
  g.lo2 = 180.0;
}

}  // namespace

bool predefinedGridEd1(int number, GridGeom& g)
{
  if (latLonGrid(number, g)) return true;
  if (number == 50) {
    northAmericaGrid(g);
    return true;
  }
  for (const auto& l : kLambert) {
    if (l.number != number) continue;
    g = GridGeom();
    g.templ = 30;
    g.nx = l.nx;
    g.ny = l.ny;
    g.la1 = l.la1;
    g.lo1 = l.lo1;
    g.di = g.dj = l.dx;
    g.lov = -95.0;
    g.latin1 = g.latin2 = g.lad = 25.0;
    g.scan = 0x40;
    g.radius = 6367470.0;
    return true;
  }
  globalGrid(g);
  return true;
}

}  // namespace KOL::grib
