// A value against log pressure (emagram and the vertical axis of cross sections): x is the first
// value, y = -ln(pressure).
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int forward(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  if (!(lon > 0.0)) return 0;
  x = lat;
  y = -std::log(lon);
  return 1;
}

int inverse(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  lat = x;
  lon = std::exp(-y);
  return 1;
}

}  // namespace

extern const Projection LOG_PRESSURE = {noSetup, forward, inverse};

}  // namespace KOL::proj
