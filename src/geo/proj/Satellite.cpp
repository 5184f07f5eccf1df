// The earth seen from a geostationary satellite above plon at orbit radius r: plane coordinates
// are r times the tangents of the view angles, or with param[3] = 1 r times the scan angles.
// With the ":e" flag the earth is the ellipsoid. cache[0] is 1 for scan angles.
#include "core/Kol.h"
#include "geo/proj/Projection.h"

namespace KOL::proj {

namespace {

int setup(const DomainVal& d, Domain::Constants& c)
{
  const double r = isMiss(d.param[2]) ? 421.64 : d.param[2];
  const double earth = d.ellipsoid ? Const::EARTH_MAJ : c.radius;
  if (!(r > earth && r < 1e6)) {
    Kol::outWarning("Domain: orbit radius %g is not above the earth\n", r);
    return 0;
  }
  c.orbit = r;
  c.orbit2 = r * r;
  c.orbit4 = c.orbit2 * c.orbit2;
  c.orbit_gap = c.orbit2 - earth * earth;
  c.radius_ratio = c.radius / r;
  c.cache[0] = d.param[3] == 1.0f ? 1.0 : 0.0;
  c.cache[1] = d.ellipsoid ? 1.0 : 0.0;
  return 1;
}

int forward(const Domain::Constants& c, double& lat, double& lon, double& x, double& y)
{
  const bool ellipsoid = c.cache[1] != 0.0;
  double phi = lat * DEG;
  if (ellipsoid) phi = std::atan(c.axis_ratio2 * std::tan(phi));
  const double dl = (lon - c.lon0) * DEG, cp = std::cos(phi), cd = std::cos(dl);
  if (c.radius_ratio > cp * cd) return 0;  // beyond the limb
  const double rl =
      ellipsoid ? Const::EARTH_MIN / std::sqrt(1.0 - (1.0 - c.axis_ratio2) * cp * cp) : c.radius;
  const double r1 = c.orbit - rl * cp * cd, r2 = -rl * cp * std::sin(dl), r3 = rl * std::sin(phi);
  if (c.cache[0] != 0.0) {
    x = c.orbit * std::asin(-r2 / std::sqrt(r1 * r1 + r2 * r2 + r3 * r3));
    y = c.orbit * std::atan(r3 / r1);
  } else {
    x = c.orbit * (-r2 / std::sqrt(r1 * r1 + r3 * r3));
    y = c.orbit * (r3 / r1);
  }
  return 1;
}

int inverse(const Domain::Constants& c, double x, double y, double& lat, double& lon)
{
  const bool ellipsoid = c.cache[1] != 0.0;
  const double ax = c.cache[0] != 0.0 ? x / c.orbit : std::atan(x / c.orbit);
  const double ay = c.cache[0] != 0.0 ? y / c.orbit : std::atan(y / c.orbit);
  const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
  const double q = ellipsoid ? (sy * sy / c.axis_ratio2 + cy * cy) * cx * cx + sx * sx : 1.0;
  const double b = -2.0 * c.orbit * cx * cy;
  const double disc = b * b - 4.0 * q * c.orbit_gap;
  if (disc < 0.0) return 0;  // off the disc
  const double sd = (-b - std::sqrt(disc)) / (2.0 * q);
  const double s1 = c.orbit - sd * cx * cy, s2 = sd * sx, s3 = sd * cx * sy;
  const double h = std::sqrt(s1 * s1 + s2 * s2);
  lat = std::atan(s3 / (ellipsoid ? c.axis_ratio2 * h : h)) * RAD;
  lon = std::atan(s2 / s1) * RAD + c.lon0;
  return 1;
}

}  // namespace

extern const Projection SATELLITE = {setup, forward, inverse};

}  // namespace KOL::proj
