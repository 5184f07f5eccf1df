// Azimuth and range about the domain centre, measured on the polar stereographic plane: x is the
// azimuth clockwise from the plane's y axis in degrees, y the distance.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  if (!POLAR_STEREOGRAPHIC.setup(d, c)) return 0;
  // The centre fixes the origin (it is the first point a domain projects); without one the
  // origin is the pole.
  double lat = d.clat, lon = d.clon, x = 0.0, y = 0.0;
  if (!isMiss(lat) && !isMiss(lon)) POLAR_STEREOGRAPHIC.forward(c, lat, lon, x, y);
  c.origin_x = static_cast<float>(x);
  c.origin_y = static_cast<float>(y);
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  double px, py;
  if (!POLAR_STEREOGRAPHIC.forward(c, lat, lon, px, py)) return 0;
  const double ex = px - c.origin_x, ey = py - c.origin_y;
  double az = std::atan2(ex, ey) * RAD;
  if (az < 0.0) az += 360.0;
  x = az;
  y = std::hypot(ex, ey);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double px = c.origin_x + y * std::sin(x * DEG);
  const double py = c.origin_y + y * std::cos(x * DEG);
  return POLAR_STEREOGRAPHIC.inverse(c, px, py, lat, lon);
}

}  // namespace

extern const Projection RADIAL = {setup, forward, inverse};

}  // namespace KOL::proj
