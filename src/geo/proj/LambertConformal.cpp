// Lambert conformal conic on the sphere with the apex at the pole of the hemisphere s (+1 north,
// -1 south) and one or two standard latitudes. cache: [0] the cone constant n, [1] F R.
#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  const double s = coneHemisphere(d, c);
  const double p1 = c.std_lat1 * DEG, p2 = c.std_lat2 * DEG;
  const double t1 = std::tan(PI / 4.0 - s * p1 / 2.0), t2 = std::tan(PI / 4.0 - s * p2 / 2.0);
  double n;
  if (c.std_lat1 == c.std_lat2)
    n = std::sin(s * p1);
  else
    n = (std::log(std::cos(p1)) - std::log(std::cos(p2))) / (std::log(t1) - std::log(t2));
  const double f = std::cos(p1) / (n * std::pow(t1, n));
  if (!(std::fabs(c.std_lat1) < 90.0 && std::fabs(c.std_lat2) < 90.0 && n > 1e-9 &&
        std::isfinite(f) && f > 0.0)) {
    Kol::outWarning("Domain: standard latitudes %g and %g give no Lambert cone\n", c.std_lat1,
                    c.std_lat2);
    return 0;
  }
  c.cache[0] = n;
  c.cache[1] = f * c.radius;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double s = c.sign, n = c.cache[0];
  if (s > 0 && lat < -89.99) lat = -89.99;
  if (s < 0 && lat > 89.99) lat = 89.99;
  const double dl = lon - c.lon0;
  if (dl > 180.0 || dl < -180.0) lon += wrap180(dl) - dl;
  // t^n as exp(n ln t), a little cheaper than pow.
  const double rho = c.cache[1] * std::exp(n * std::log(std::tan(PI / 4.0 - s * lat * DEG / 2.0)));
  const double theta = n * (lon - c.lon0) * DEG;
  x = rho * std::sin(theta);
  y = -s * rho * std::cos(theta);
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double s = c.sign, n = c.cache[0];
  const double rho = std::sqrt(x * x + y * y);  // as in polar stereographic
  const double theta = std::atan2(x, -s * y);
  lat = s * 90.0 - 2.0 * s * std::atan(std::pow(rho / c.cache[1], 1.0 / n)) * RAD;
  lon = theta / n * RAD + c.lon0;
  return 1;
}

}  // namespace

extern const Projection LAMBERT_CONFORMAL = {setup, forward, inverse};

}  // namespace KOL::proj
