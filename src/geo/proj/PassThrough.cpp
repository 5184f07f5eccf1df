// Plain coordinates: the values are the plot coordinates (xy, xz, cat, zoom, size, gnom).
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  x = lat;
  y = lon;
  return 1;
}

int inverse(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  lat = x;
  lon = y;
  return 1;
}

}  // namespace

extern const Projection PASS_THROUGH = {noSetup, forward, inverse};

}  // namespace KOL::proj
