// The projections a Domain dispatches to. Each one lives in its own file as a setup that checks
// the parameters and derives its constants, and a pure forward/inverse pair; the table in
// Projections.cpp maps projection codes to them. Angles are in degrees, plane coordinates in
// the domain's units.
#pragma once

#include <cmath>

#include "geo/Domain.h"

namespace KOL::proj {

struct Projection {
  // Derives the projection's constants into c; 0 after a warning when the parameters are
  // unusable (every projection then fails).
  int (*setup)(const DomainVal& d, Domain::Constants& c);
  // Earth (or data) values to the plane; may clamp lat and shift lon in place. 0 when the
  // point cannot be projected.
  int (*forward)(const Domain::Constants& c, double& lat, double& lon, double& x, double& y);
  // The plane back to earth (or data) values; 0 when the point has no preimage.
  int (*inverse)(const Domain::Constants& c, double x, double y, double& lat, double& lon);
};

struct Entry {
  int code;
  const char* name;  // the printed name, "" when the code has none
  const Projection* projection;
};

// The entry of a code; codes without a transform (and a missing code) pass values through.
const Entry& find(int code);

extern const Projection PASS_THROUGH;
extern const Projection POLAR_STEREOGRAPHIC;

inline constexpr double PI = 3.14159265358979323846;
inline constexpr double DEG = PI / 180.0;  // radians per degree
inline constexpr double RAD = 180.0 / PI;  // degrees per radian

// d brought into [-180, 180] by whole turns.
inline double wrap180(double d)
{
  if (d >= -180.0 && d <= 180.0) return d;
  d = std::fmod(d, 360.0);
  if (d > 180.0) return d - 360.0;
  if (d < -180.0) return d + 360.0;
  return d;
}

// asin of a value that rounding may have pushed just past +-1.
inline double safeAsin(double v) { return std::asin(v > 1.0 ? 1.0 : v < -1.0 ? -1.0 : v); }

inline bool isMiss(double v) { return v == Const::FMISS; }

// The hemisphere of a conic projection (+1 north, -1 south, from param[0], else from the
// centre) and its standard latitudes (param[2] and param[3] when both are given, else 30 and
// 60 in that hemisphere) into c.sign, c.std_lat1 and c.std_lat2; returns the hemisphere.
inline double coneHemisphere(const DomainVal& d, Domain::Constants& c)
{
  const double hemi = !isMiss(d.param[0]) ? d.param[0] : isMiss(d.clat) ? 1.0 : d.clat;
  const double s = hemi >= 0 ? 1.0 : -1.0;
  const bool given = !isMiss(d.param[2]) && !isMiss(d.param[3]);
  c.sign = s;
  c.std_lat1 = given ? d.param[2] : static_cast<float>(30.0 * s);
  c.std_lat2 = given ? d.param[3] : static_cast<float>(60.0 * s);
  return s;
}

// A setup that needs nothing.
inline int noSetup(const DomainVal&, Domain::Constants&) { return 1; }

}  // namespace KOL::proj
