// Mollweide equal-area world map about plon, scaled so that the equator is 4 R long.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  // Newton's method for t + sin t = pi sin(lat), t being twice the auxiliary angle. Near the
  // poles the root is nearly triple and Newton crawls from t = lat: start there from the cubic
  // approximation pi - t = (6 pi (1 - sin|lat|))^(1/3) instead.
  const double phi = lat * DEG, target = PI * std::sin(phi);
  double t = phi;
  if (std::fabs(lat) > 60.0) {
    const double h = std::sin(PI / 4.0 - std::fabs(phi) / 2.0);
    t = std::copysign(PI - std::cbrt(6.0 * PI * 2.0 * h * h), phi);
  }
  for (int i = 0; i < 15; i++) {
    const double step = -(t + std::sin(t) - target) / (1.0 + std::cos(t));
    if (!std::isfinite(step)) break;
    t += step;
    if (std::fabs(step) < 1e-10) break;
  }
  const double theta = t / 2.0;
  const double dl = wrap180(lon - c.lon0);
  x = std::fabs(lat) > 89.99 ? 0.0 : c.radius * dl / 90.0 * std::cos(theta);
  y = c.radius * std::sin(theta);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double s = y / c.radius;
  if (s < -1.0 || s > 1.0) return 0;
  const double theta = std::asin(s);
  const double q = x / (c.radius * std::cos(theta));
  if (!(q >= -2.0 && q <= 2.0)) return 0;
  lon = 90.0 * q + c.lon0;
  const double v = (2.0 * theta + std::sin(2.0 * theta)) / PI;
  if (v < -1.0 || v > 1.0) return 0;
  lat = std::asin(v) * RAD;
  return 1;
}

}  // namespace

extern const Projection MOLLWEIDE = {noSetup, forward, inverse};

}  // namespace KOL::proj
