// Hodograph: a (direction in degrees, speed) pair drawn as a vector from the origin, north up.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  x = lon * std::sin(lat * DEG);
  y = lon * std::cos(lat * DEG);
  return 1;
}

int inverse(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  double dir = (x == 0.0 && y == 0.0) ? 0.0 : std::atan2(x, y) * RAD;
  if (dir < 0.0) dir += 360.0;
  lat = dir;
  lon = std::hypot(x, y);
  return 1;
}

}  // namespace

extern const Projection HODOGRAPH = {noSetup, forward, inverse};

}  // namespace KOL::proj
