// Lambert azimuthal equal-area on the sphere centred on (param[0], plon); without param[0] the
// centre latitude is the domain's. cache: sine and cosine of the centre latitude.
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  c.lat0 = !isMiss(d.param[0]) ? d.param[0] : isMiss(d.clat) ? 0.0 : d.clat;
  c.cache[0] = std::sin(c.lat0 * DEG);
  c.cache[1] = std::cos(c.lat0 * DEG);
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double phi = lat * DEG, sp = std::sin(phi), cp = std::cos(phi);
  const double dl = (lon - c.lon0) * DEG, cd = std::cos(dl);
  // 1 + cos(c) from the half-angle form, which keeps its precision near the antipode.
  const double h = std::sin((phi + c.lat0 * DEG) / 2.0), hc = std::cos(dl / 2.0);
  const double onePlusCos = 2.0 * (h * h + cp * c.cache[1] * hc * hc);
  if (onePlusCos < 1e-15) return 0;  // the antipode, where every direction meets
  const double k = c.radius * std::sqrt(2.0 / onePlusCos);
  x = k * cp * std::sin(dl);
  y = k * (c.cache[1] * sp - c.cache[0] * cp * cd);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double rho = std::hypot(x, y), sin0 = c.cache[0], cos0 = c.cache[1];
  if (rho / (2.0 * c.radius) > 1.0) return 0;
  if (rho < 1e-10) {
    lat = c.lat0;
    lon = c.lon0;
    return 1;
  }
  // The point as a vector in the frame of the projection longitude: the centre turned by the
  // angular distance towards the azimuth of (x, y).
  const double cc = 2.0 * std::asin(rho / (2.0 * c.radius)), sc = std::sin(cc), ccos = std::cos(cc);
  const double px = ccos * cos0 - sc * (y / rho) * sin0;
  const double py = sc * x / rho;
  const double pz = ccos * sin0 + sc * (y / rho) * cos0;
  lat = std::atan2(pz, std::hypot(px, py)) * RAD;
  lon = c.lon0 + std::atan2(py, px) * RAD;
  return 1;
}

}  // namespace

extern const Projection LAMBERT_AZIMUTHAL = {setup, forward, inverse};

}  // namespace KOL::proj
