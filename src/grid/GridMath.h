// Calculations on grids: arithmetic, unit conversion and masking, derivatives and kinematics
// (vorticity, convergence, advection, deformation, geostrophic wind), wind components and
// thermodynamic fields, and the dispatcher that applies a function named in a variable list.
//
// Every operation writes a new result (the first argument) that takes the main input's
// description, a new variable name and an info label. A missing input value gives a missing
// result there; a 1 x 1 input (a value grid) stands for every point; two full inputs must lie on
// the same domain. Failures return 0 and leave the result initialised and without data.
//
// Derivatives are centred differences over the domain's spacings (per row for latitude-longitude
// grids), in units of 100 km: a wind in m/s gives a vorticity in 10^-5 /s.
#pragma once

#include "grid/Grid.h"

namespace KOL {

class Grids;

class GridMath {
 public:
  // Applies the named function ("add", "rvort", "adv-name", ...) to the grids of in, slots 0, 1,
  // 2 in order. The part after "-" selects a variant or names the result.
  static int process(const char* name, Grid& out, const Grids& in);
  // The two components of a vector function ("grad", "vdiff").
  static int processVector(const char* name, Grid& outU, Grid& outV, const Grids& in);
  static bool isVectFunc(const char* name);

  static bool checkVar(const Grid& g, const char* abbr);
  // Names the variable of g and sets its info label.
  static void setInfo(Grid& g, const char* name, const char* units);
  // Converts every value to the units; nothing happens for empty or equal units or units that
  // cannot be converted (0 then).
  static int units(Grid& g, const char* units);
  static bool isDomainEqual(const Grid& a, const Grid& b);
  static bool isDomainEqual(const Grid& a, const Domain& d);
  static bool isProjEqual(const Grid& a, const Grid& b);

  // Arithmetic.
  static int add(Grid& out, const Grid& a, const Grid& b);
  static int sub(Grid& out, const Grid& a, const Grid& b);
  static int mult(Grid& out, const Grid& a, const Grid& b);
  static int div(Grid& out, const Grid& a, const Grid& b);
  static int mod(Grid& out, const Grid& a, const Grid& b);
  static int pow(Grid& out, const Grid& a, const Grid& b);
  static int thick(Grid& out, const Grid& upper, const Grid& lower);
  static int sqrt(Grid& out, const Grid& in);
  static int abs(Grid& out, const Grid& in);
  static int inv(Grid& out, const Grid& in);
  static int log(Grid& out, const Grid& in);
  static int log10(Grid& out, const Grid& in);
  static int exp(Grid& out, const Grid& in);
  // a += b and a -= b in place.
  static int add(Grid& a, const Grid& b);
  static int diff(Grid& a, const Grid& b);
  // Over every grid in use of a list.
  static int add(Grid& out, const Grids& in);
  static int avg(Grid& out, const Grids& in);
  static int max(Grid& out, const Grids& in);
  static int min(Grid& out, const Grids& in);
  // a + (b - a)·f.
  static int interp(Grid& out, const Grid& a, float f, const Grid& b);

  // Edits.
  static int remap(Grid& out, const Domain& d, const Grid& in);
  static int revalue(Grid& out, const char* name, const Grid& in);
  // "higher": valid values above threshold become value; "lower": those below it.
  static int cutoff(Grid& out, const char* mode, float threshold, float value, const Grid& in);
  // "higher": values above threshold become missing; "lower": those below it.
  static int mask(Grid& g, const char* mode, float threshold);
  static int resetMiss(Grid& g, float value);
  static int offset(Grid& g, float f);
  static int scale(Grid& g, float f);
  static float maxSpd(const Grid& u, const Grid& v);

  // Derivatives and kinematics.
  static int dx(Grid& out, const Grid& in);
  static int dy(Grid& out, const Grid& in);
  static int laplacian(Grid& out, const Grid& in);
  static int vorticity(Grid& out, const Grid& u, const Grid& v);
  static int converge(Grid& out, const Grid& u, const Grid& v);
  static int converge(Grid& out, const Grid& u, const Grid& v, const Grid& q);
  static int advection(Grid& out, const Grid& s, const Grid& u, const Grid& v);
  static int deformation1(Grid& out, const Grid& u, const Grid& v);
  static int deformation2(Grid& out, const Grid& u, const Grid& v);
  // Combines in with the Coriolis parameter f (10^-5 /s): "add", "sub", "sub-", "mul", "div",
  // "div-".
  static int coriolis(Grid& out, const Grid& in, const char* mode);
  static int absVorticity(Grid& out, const Grid& u, const Grid& v);
  static int geosU(Grid& out, const Grid& height);
  static int geosV(Grid& out, const Grid& height);

  // Winds. With flag set, directions are turned between earth and grid orientation.
  static int windSpd(Grid& out, const Grid& u, const Grid& v);
  static int windDir(Grid& out, const Grid& u, const Grid& v, int flag);
  static int windU(Grid& out, const Grid& spd, const Grid& dir, int flag);
  static int windV(Grid& out, const Grid& spd, const Grid& dir, int flag);
  // Earth-relative components turned grid-relative, in place.
  static int adjustUV(Grid& u, Grid& v);
  // Directions turned to grid orientation of a domain (flag 0: back to earth orientation).
  static int adjustDir(Grid& out, const Grid& in, const Domain& d, int flag);
  // "lat", "lon", "projx" or "projy" of every point.
  static int locatePoint(Grid& out, const Grid& in, const char* what);

  // Thermodynamic fields from temperature and relative humidity (pressure from the level).
  static int dewpoint(Grid& out, const Grid& t, const Grid& rh);
  static int relHum(Grid& out, const Grid& t, const Grid& td);
  static int specHum(Grid& out, const Grid& t, const Grid& rh);
  static int mixRatio(Grid& out, const Grid& t, const Grid& rh);
  static int wetBulb(Grid& out, const Grid& t, const Grid& rh);
  static int potTemp(Grid& out, const Grid& t);
  static int virtTemp(Grid& out, const Grid& t, const Grid& rh);
  static int virtPotTemp(Grid& out, const Grid& t, const Grid& rh);
  static int equivPotTemp(Grid& out, const Grid& t, const Grid& rh);
  static int heatIndex(Grid& out, const Grid& t, const Grid& rh);
  // variant 2 uses the newer wind chill formula.
  static int windChill(Grid& out, const Grid& t, const Grid& spd, int variant);
  static int windChill(Grid& out, const Grid& t, const Grid& u, const Grid& v);
  // Upper temperature less that of a parcel lifted from the lower level (t, rh).
  static int showalter(Grid& out, const Grid& t, const Grid& rh, const Grid& upper);
};

}  // namespace KOL
