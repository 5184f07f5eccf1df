// Image pixels: x is the column, y the negated row, so that rows grow downwards.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  x = lat;
  y = -lon;
  return 1;
}

int inverse(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  lat = x;
  lon = -y;
  return 1;
}

}  // namespace

extern const Projection PIXEL = {noSetup, forward, inverse};

}  // namespace KOL::proj
