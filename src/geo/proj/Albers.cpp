// Albers equal-area conic on the sphere with origin latitude param[0] and two standard
// latitudes. cache: [0] n, [1] K = cos^2(lat1) + 2 n sin(lat1), [2] rho0 at the origin.
#include <algorithm>

#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  coneHemisphere(d, c);
  const double s1 = std::sin(c.std_lat1 * DEG), s2 = std::sin(c.std_lat2 * DEG);
  const double n = (s1 + s2) / 2.0;
  const double k = std::cos(c.std_lat1 * DEG) * std::cos(c.std_lat1 * DEG) + 2.0 * n * s1;
  const double lat0 = isMiss(d.param[0]) ? 0.0 : d.param[0];
  if (!(std::fabs(n) > 1e-9 && std::fabs(c.std_lat1) <= 90.0 && std::fabs(c.std_lat2) <= 90.0 &&
        std::fabs(lat0) <= 90.0)) {
    Kol::outWarning("Domain: standard latitudes %g and %g give no Albers cone\n", c.std_lat1,
                    c.std_lat2);
    return 0;
  }
  c.lat0 = lat0;
  c.cache[0] = n;
  c.cache[1] = k;
  c.cache[2] = c.radius * std::sqrt(std::max(0.0, k - 2.0 * n * std::sin(lat0 * DEG))) / n;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double n = c.cache[0];
  if (c.sign > 0 && lat < -89.99) lat = -89.99;
  if (c.sign < 0 && lat > 89.99) lat = 89.99;
  const double dl = lon - c.lon0;
  if (dl > 180.0 || dl < -180.0) lon += wrap180(dl) - dl;
  const double rho =
      c.radius * std::sqrt(std::max(0.0, c.cache[1] - 2.0 * n * std::sin(lat * DEG))) / n;
  const double theta = n * (lon - c.lon0) * DEG;
  x = rho * std::sin(theta);
  y = c.cache[2] - rho * std::cos(theta);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double n = c.cache[0], r = c.radius;
  double u = x, v = c.cache[2] - y;
  // With a negative cone constant rho is negative: turn the plane over before the angle.
  if (n < 0) u = -u, v = -v;
  const double rho = std::hypot(u, v);
  lat = safeAsin((c.cache[1] - rho * rho * n * n / (r * r)) / (2.0 * n)) * RAD;
  lon = std::atan2(u, v) / n * RAD + c.lon0;
  return 1;
}

}  // namespace

extern const Projection ALBERS = {setup, forward, inverse};

}  // namespace KOL::proj
