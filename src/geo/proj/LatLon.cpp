// Latitude/longitude, optionally on a grid whose south pole is moved to (param[0], plon): the
// earth is turned by plon about the polar axis, then by 90 + param[0] about the new y axis.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

bool rotated(const Domain::Constants& c) { return !isMiss(c.lat0) && c.lat0 != -90.0; }

int setup(const DomainVal& d, Domain::Constants& c)
{
  c.lat0 = d.param[0];
  c.rot1.set(c.lon0 * DEG);
  c.rot2.set((90.0 + c.lat0) * DEG);
  return 1;
}

// One step of 360 towards [-180, 180].
double stepInto180(double d) { return d > 180.0 ? d - 360.0 : d < -180.0 ? d + 360.0 : d; }

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  if (!rotated(c)) {
    x = stepInto180(lon - c.lon0);
    y = lat;
    return 1;
  }
  const double cl = std::cos(lat * DEG), X = cl * std::cos(lon * DEG), Y = cl * std::sin(lon * DEG);
  const double Z = std::sin(lat * DEG);
  const double a = X * c.rot1.cos + Y * c.rot1.sin;
  const double xr = c.rot2.cos * a + c.rot2.sin * Z;
  const double yr = Y * c.rot1.cos - X * c.rot1.sin;
  const double zr = -c.rot2.sin * a + c.rot2.cos * Z;
  x = std::atan2(yr, xr) * RAD;
  y = safeAsin(zr) * RAD;
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  if (!rotated(c)) {
    lon = wrap180(x + c.lon0);
    lat = y;
    return 1;
  }
  const double cy = std::cos(y * DEG), xr = cy * std::cos(x * DEG), yr = cy * std::sin(x * DEG);
  const double zr = std::sin(y * DEG);
  const double a = c.rot2.cos * xr - c.rot2.sin * zr;
  const double Z = c.rot2.sin * xr + c.rot2.cos * zr;
  const double X = a * c.rot1.cos - yr * c.rot1.sin;
  const double Y = a * c.rot1.sin + yr * c.rot1.cos;
  lon = std::atan2(Y, X) * RAD;
  lat = safeAsin(Z) * RAD;
  return 1;
}

}  // namespace

extern const Projection LATLON = {setup, forward, inverse};

}  // namespace KOL::proj
