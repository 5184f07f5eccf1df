// A lifted parcel: its start (pressure, temperature and dew point), its lifting condensation
// level, and its temperature at any pressure above the start: the dry adiabat below the LCL, the
// saturated adiabat through the LCL above it. Plain temperature throughout, no virtual
// temperature correction.
#pragma once

#include "core/Const.h"

namespace KOL {
namespace indices {

class Env;

class Parcel {
 public:
  // t and td in C; invalid when the LCL cannot be computed.
  Parcel(float p, float t, float td);
  bool isValid() const { return valid_; }
  float pres() const { return pres_; }
  float temp() const { return temp_; }
  float dewp() const { return dewp_; }
  float lclPres() const { return lcl_pres_; }
  float lclTemp() const { return lcl_temp_; }  // C
  // The parcel temperature at p (C); missing below the start or when not valid.
  float tempAt(float p) const;

 private:
  float pres_, temp_, dewp_;
  float theta_ = Const::FMISS, thetae_ = Const::FMISS;
  float lcl_pres_ = Const::FMISS, lcl_temp_ = Const::FMISS;
  bool valid_ = false;
};

// Buoyant energy (J/kg) of one layer from the parcel and environment temperatures (C) at its two
// ends and its depth (m).
inline float layerEnergy(float tp1, float tp2, float te1, float te2, float dz)
{
  const float te = (te1 + te2) / 2;
  return 9.8f * dz * ((tp1 + tp2) / 2 - te) / (te + 273.15f);
}

// The parcel at pressure p (the surface when missing), or with the mean potential temperature
// and mixing ratio of the depth hPa above p when depth > 0, starting at p; invalid when the
// sounding lacks them.
Parcel parcelAt(const Env& env, float p, float depth);

}  // namespace indices
}  // namespace KOL
