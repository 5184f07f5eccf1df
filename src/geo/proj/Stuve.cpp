// Stuve diagram: temperature against -p^(R/cp), which makes dry adiabats straight.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

// R/cp as the diagram has always drawn it; the inverse uses its exact reciprocal so that a
// pressure comes back as it went in.
constexpr double EXPONENT = 0.285714;

int forward(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  if (!(lon >= 0.0)) return 0;
  x = lat;
  y = -std::pow(lon, EXPONENT);
  return 1;
}

int inverse(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  if (!(y <= 0.0)) return 0;
  lat = x;
  lon = std::pow(-y, 1.0 / EXPONENT);
  return 1;
}

}  // namespace

extern const Projection STUVE = {noSetup, forward, inverse};

}  // namespace KOL::proj
