// Tephigram: temperature against ln(potential temperature), the rotated form (turned by 45
// degrees about the reference point and the lower left of the view) and the unrotated one.
// Temperatures are in degrees Celsius, pressures in hPa. Rotated cache: [0] sx = 1/((nx-1) dx),
// [1] sy = 1/((nx-1) dy), [2] the reference ln(theta), [3] the reference temperature T0.
#include "core/Kol.h"
#include "geo/proj/Projection.h"
#include "obs/Calc.h"

namespace KOL::proj {

namespace {

constexpr double KELVIN = 273.15;

// Potential temperature (K) of T (K) at p (hPa) in double precision, with the exponent of
// Calc::potTemp; 0 when either is not positive.
double potTemp(double t, double p)
{
  if (!(t > 0.0) || !(p > 0.0)) return 0.0;
  return t * std::pow(1000.0 / p, Calc::KAPPA);
}

// The pressure at which temperature t (deg C) has potential temperature exp(lnTheta): the exact
// inverse of potTemp.
double pressureOf(double t, double lnTheta)
{
  return 1000.0 * std::pow((t + KELVIN) / std::exp(lnTheta), 1.0 / Calc::KAPPA);
}

int setup(const DomainVal& d, Domain::Constants& c)
{
  const double t0 = isMiss(d.param[0]) ? d.clat : d.param[0];
  const double p0 = c.lon0;
  if (isMiss(t0) || isMiss(p0) || isMiss(d.dx) || isMiss(d.dy) || Const::isMiss(d.nx)) return 0;
  const double theta = potTemp(t0 + KELVIN, p0);
  const double sx = 1.0 / ((d.nx - 1.0) * static_cast<double>(d.dx));
  const double sy = 1.0 / ((d.nx - 1.0) * static_cast<double>(d.dy));
  if (theta <= 0.0 || !std::isfinite(sx) || !std::isfinite(sy)) {
    Kol::outWarning("Domain: unusable tephigram reference %g C, %g hPa or lattice\n", t0, p0);
    return 0;
  }
  c.cache[0] = sx;
  c.cache[1] = sy;
  c.cache[2] = std::log(theta);
  c.cache[3] = t0;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const double theta = potTemp(lat + KELVIN, lon);
  if (theta <= 0.0) return 0;
  const double sx = c.cache[0], sy = c.cache[1], ref = c.cache[2], t0 = c.cache[3];
  const double vx = c.view_x1, vy = c.view_y1;
  const double u = (lat - t0) * sx + vx, v = (std::log(theta) - ref) * sy + vy;
  const double ur = (u + vx) / 2.0 + (v - vy) / 2.0;
  const double vr = v - (ur - vx);
  x = (ur - vx) / sx + t0;
  y = (vr - vy) / sy + ref;
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const double sx = c.cache[0], sy = c.cache[1], ref = c.cache[2], t0 = c.cache[3];
  const double vx = c.view_x1, vy = c.view_y1;
  const double ur = (x - t0) * sx + vx, vr = (y - ref) * sy + vy;
  const double v = vr + ur - vx;
  const double u = 2.0 * ur - (v - vy) - vx;
  lat = (u - vx) / sx + t0;
  lon = pressureOf(lat, (v - vy) / sy + ref);
  return 1;
}

int forwardUnrotated(const Domain::Constants&, double& lat, double& lon, double& x, double& y)
{
  const double theta = potTemp(lat + KELVIN, lon);
  if (theta <= 0.0) return 0;
  x = lat;
  y = std::log(theta);
  return 1;
}

int inverseUnrotated(const Domain::Constants&, double x, double y, double& lat, double& lon)
{
  lat = x;
  lon = pressureOf(x, y);
  return 1;
}

}  // namespace

extern const Projection TEPHIGRAM = {setup, forward, inverse};
extern const Projection UNROTATED_TEPHIGRAM = {noSetup, forwardUnrotated, inverseUnrotated};

}  // namespace KOL::proj
