// Orthographic view of the sphere centred on (param[0], plon). cache: sine and cosine of the
// centre latitude.
#include <algorithm>

#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  c.lat0 = isMiss(d.param[0]) ? 0.0 : d.param[0];
  c.cache[0] = std::sin(c.lat0 * DEG);
  c.cache[1] = std::cos(c.lat0 * DEG);
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double sp = std::sin(lat * DEG), cp = std::cos(lat * DEG);
  const double dl = (lon - c.lon0) * DEG, cd = std::cos(dl);
  if (c.cache[0] * sp + c.cache[1] * cp * cd < 0.0) return 0;  // far side
  x = c.radius * cp * std::sin(dl);
  y = c.radius * (c.cache[1] * sp - c.cache[0] * cp * cd);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double r = c.radius, q = r * r - x * x - y * y;
  if (q < -1e-9 * r * r) return 0;  // off the disc; a rounding step past the rim is on it
  // The point as a vector: depth z towards the viewer, x east and y north of the centre.
  const double z = std::sqrt(std::max(q, 0.0));
  const double px = c.cache[1] * z - c.cache[0] * y, pz = c.cache[0] * z + c.cache[1] * y;
  lat = std::atan2(pz, std::hypot(px, x)) * RAD;
  lon = c.lon0 + std::atan2(x, px) * RAD;
  return 1;
}

}  // namespace

extern const Projection ORTHOGRAPHIC = {setup, forward, inverse};

}  // namespace KOL::proj
