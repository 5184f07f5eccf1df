// Skew-T/log-p: y = -ln(pressure), and isotherms lean by dx/dy about the centre pressure clon.
// cache: [0] -ln(clon), [1] the skew dx/dy.
#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  if (isMiss(d.clon) || isMiss(d.dx) || isMiss(d.dy)) return 0;
  if (!(d.clon > 0.0f) || d.dy == 0.0f) {
    Kol::outWarning("Domain: skew-T needs a positive centre pressure and dy (%g, %g)\n", d.clon,
                    d.dy);
    return 0;
  }
  c.cache[0] = -std::log(static_cast<double>(d.clon));
  c.cache[1] = static_cast<double>(d.dx) / d.dy;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  if (!(lon > 0.0)) return 0;
  y = -std::log(lon);
  x = lat + (y - c.cache[0]) * c.cache[1];
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  lon = std::exp(-y);
  lat = x - (y - c.cache[0]) * c.cache[1];
  return 1;
}

}  // namespace

extern const Projection SKEW_T = {setup, forward, inverse};

}  // namespace KOL::proj
