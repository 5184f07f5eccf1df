// Polar stereographic and Lambert conformal grids go through the library's own projections, the
// ones their Grid's Domain uses, so that the decoder's point coordinates and the Domain agree.
#include <cmath>

#include "geo/Domain.h"
#include "geo/proj/Projection.h"
#include "grid/grib/GridDefs.h"

namespace KOL::grib {

bool projectionOf(const GridGeom& g, DomainVal& dv)
{
  const float south = (g.projCentre & 0x80) ? -1.0f : 1.0f;
  switch (g.templ) {
    case 20:
      // Some producers give LaD without the southern sign: the pole decides the hemisphere.
      dv.proj = 1;
      dv.param[0] = 90.0f * south;
      dv.param[2] = static_cast<float>(south * std::fabs(g.lad));
      break;
    case 30: {
      // The cone opens towards the pole of its standard latitudes.
      const double ref = g.latin1 != 0 ? g.latin1 : g.latin2;
      dv.proj = 4;
      dv.param[0] = ref != 0 ? (ref < 0 ? -90.0f : 90.0f) : 90.0f * south;
      dv.param[2] = static_cast<float>(g.latin1);
      dv.param[3] = static_cast<float>(g.latin2);
      break;
    }
    default:
      return false;
  }
  dv.param[1] = static_cast<float>(g.lov > 180 ? g.lov - 360 : g.lov);
  dv.param[4] = static_cast<float>(g.radius / 1e5);
  return true;
}

bool domainCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  DomainVal dv;
  if (!projectionOf(g, dv)) return false;
  const Domain d(dv);
  double x0, y0;
  if (!d.project(g.la1, g.lo1, x0, y0)) return false;
  // Plane coordinates are in units of 100 km on the domain's earth, whose radius went through a
  // float: the steps are scaled to that radius, or points near a pole would turn by 1e-4 degrees.
  const double unit = d.getRadius() / g.radius;
  const double dx = ((g.scan & 0x80) ? -g.di : g.di) * unit;
  const double dy = ((g.scan & 0x40) ? g.dj : -g.dj) * unit;
  lat.resize(g.points());
  lon.resize(g.points());
  // The projection's own inverse, as Domain::unproject calls it, without the checks every
  // point would repeat (the constants are usable once the first point projected).
  const auto inverse = proj::find(dv.proj).projection->inverse;
  const Domain::Constants& c = d.constants();
  forEachPoint(g, [&](size_t k, size_t i, size_t j) {
    inverse(c, x0 + double(i) * dx, y0 + double(j) * dy, lat[k], lon[k]);
  });
  return true;
}

}  // namespace KOL::grib
