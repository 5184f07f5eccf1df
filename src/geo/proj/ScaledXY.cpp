// Plain x/y scaled about the lower left of the limits by the factors given with setScale; the
// second value grows downwards.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  x = c.limit_x1 + (lat - c.limit_x1) * c.scale_x;
  y = c.limit_y1 + (c.limit_y1 - lon) * c.scale_y;
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  if (c.scale_x == 0.0 || c.scale_y == 0.0) return 0;
  lat = c.limit_x1 + (x - c.limit_x1) / c.scale_x;
  lon = c.limit_y1 - (y - c.limit_y1) / c.scale_y;
  return 1;
}

}  // namespace

extern const Projection SCALED_XY = {noSetup, forward, inverse};

}  // namespace KOL::proj
