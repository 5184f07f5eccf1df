// The energy budget of a lifted parcel through the sounding: dry layers between the sounding's
// levels up to the LCL, then saturated steps of 10 hPa to the top, each layer's buoyant energy
// summed into the positive area (CAPE) and the inhibition below the level of free convection.
#pragma once

#include <vector>

#include "core/Const.h"

namespace KOL {
namespace indices {

class Env;
class Parcel;

// Where the positive area ends: an index into AscentResult::area.
enum ElRule : int {
  FIRST_NEGATIVE = 0,   // at the first negative layer after positive ones
  HIGHEST_POSITIVE = 1  // at the top of the highest positive layer; CAPE sums every positive layer
};

struct PositiveArea {
  float cape = Const::FMISS, cin = Const::FMISS, bel = Const::FMISS;  // J/kg
  float lfc = Const::FMISS, el = Const::FMISS, mpl = Const::FMISS;    // hPa
};

struct AscentResult {
  float lifted = Const::FMISS;  // environment minus parcel at 500 hPa, C
  float cap = Const::FMISS;     // C
  PositiveArea area[2];         // by ElRule
};

// The ascent from the parcel to the top of the sounding, or only up to pressure stop (the areas
// are then those below it).
AscentResult ascend(const Env& env, const Parcel& parcel, float stop = 0);

}  // namespace indices
}  // namespace KOL
