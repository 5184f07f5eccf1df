// Polar stereographic on the sphere, true at a chosen latitude. The sign s is -1 for the north
// pole and +1 for the south; cache[0] is A = (1 - s sin(true latitude)) R.
#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  double pole = d.param[0];
  if (isMiss(pole)) pole = (!isMiss(d.clat) && d.clat > 0) ? 90.0 : -90.0;
  const double s = pole >= 0 ? -1.0 : 1.0;
  const double truelat = isMiss(d.param[2]) ? -60.0 * s : d.param[2];
  const double a = (1.0 - s * std::sin(truelat * DEG)) * c.radius;
  if (!(std::fabs(truelat) <= 90.0) || !(a > 1e-9)) {
    Kol::outWarning("Domain: unusable true latitude %g for polar stereographic\n", truelat);
    return 0;
  }
  c.lat0 = pole;
  c.sign = s;
  c.cache[0] = a;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double s = c.sign;
  if (s * lat > 75.0) lat = 75.0 * s;
  const double rho = c.cache[0] * std::tan((s * lat + 90.0) * 0.5 * DEG);
  const double dl = (lon - c.lon0) * DEG;
  x = rho * std::sin(dl);
  y = s * rho * std::cos(dl);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double s = c.sign;
  lon = c.lon0 + ((x == 0.0 && y == 0.0) ? 0.0 : std::atan2(x, s * y) * RAD);
  // sqrt, not hypot: plane coordinates are far from overflow, and whole grids come through here.
  lat = s * (2.0 * std::atan(std::sqrt(x * x + y * y) / c.cache[0]) * RAD - 90.0);
  return 1;
}

}  // namespace

extern const Projection POLAR_STEREOGRAPHIC = {setup, forward, inverse};

}  // namespace KOL::proj
