// Mercator on the sphere, or with the ":e" flag on the ellipsoid, true at latitude param[0].
// cache: [0] half the world width W, [1] the x scale (R, or a k), [2] the eccentricity e.
#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

constexpr double MAX_LAT = 89.9;

int setup(const DomainVal& d, Domain::Constants& c)
{
  if (!d.ellipsoid) {
    c.cache[1] = c.radius;
    c.cache[2] = 0.0;
  } else {
    const double lat0 = isMiss(d.param[0]) ? 0.0 : d.param[0];
    if (!(std::fabs(lat0) < 90.0)) {
      Kol::outWarning("Domain: unusable latitude of true scale %g for Mercator\n", lat0);
      return 0;
    }
    const double e = std::sqrt(1.0 - c.axis_ratio2), s = std::sin(lat0 * DEG);
    c.cache[1] = Const::EARTH_MAJ * std::cos(lat0 * DEG) / std::sqrt(1.0 - e * e * s * s);
    c.cache[2] = e;
  }
  c.cache[0] = c.cache[1] * PI;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double w = c.cache[0], k = c.cache[1], e = c.cache[2];
  x = (lon - c.lon0) * k * DEG;
  if (x > w) x -= 2.0 * w;
  if (x < -w) x += 2.0 * w;
  const double phi = (lat > MAX_LAT ? MAX_LAT : lat < -MAX_LAT ? -MAX_LAT : lat) * DEG;
  double t = std::tan(PI / 4.0 - phi / 2.0);
  if (e != 0.0) {
    const double es = e * std::sin(phi);
    t /= std::pow((1.0 - es) / (1.0 + es), e / 2.0);
  }
  y = -k * std::log(t);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double k = c.cache[1], e = c.cache[2];
  lon = wrap180(x / (k * DEG) + c.lon0);
  const double t = std::exp(-y / k);
  double phi = PI / 2.0 - 2.0 * std::atan(t);
  for (int i = 0; e != 0.0 && i < 15; i++) {
    const double es = e * std::sin(phi);
    const double next = PI / 2.0 - 2.0 * std::atan(t * std::pow((1.0 - es) / (1.0 + es), e / 2.0));
    const double change = std::fabs(next - phi);
    phi = next;
    if (change < 1e-12) break;
  }
  lat = phi * RAD;
  return 1;
}

}  // namespace

extern const Projection MERCATOR = {setup, forward, inverse};

}  // namespace KOL::proj
