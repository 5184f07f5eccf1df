// The stability and moisture summary of one sounding: the classic indices from the standard
// levels, the surface parcel's lifted index and cap, precipitable water, the freezing, wet-bulb
// zero and convective condensation levels, the forecast maximum temperature, the 700-500 hPa
// lapse rate and the 1000-500 hPa thickness.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "obs/UpaCalc.h"
#include "obs/UpaLevel.h"

namespace KOL {

class ParcelParams;
class UpaData;

class SoundParams {
 public:
  using Values = std::vector<std::pair<std::string, float>>;

  SoundParams() { init(); }
  void init();
  // 0 when the sounding has no usable level (everything stays missing). sfc: the surface
  // parcel of s when already lifted, whose lifted index and cap are taken as they are.
  int calc(const UpaData& s, const ParcelParams* sfc = nullptr);

  float getLiftedIndex() const { return lifted_; }
  float getCap() const { return cap_; }
  float getTotalTotals() const { return tt_; }
  float getVerticalTotals() const { return vt_; }
  float getCrossTotals() const { return ct_; }
  float getKIndex() const { return k_; }
  float getSweat() const { return sweat_; }
  float getEnergyIndex() const { return energy_; }
  const ThetaEData& getThetaE() const { return thetae_; }
  float getPrecipWater() const { return pw_; }  // inches
  const UpaLevel& getFreezing() const { return freezing_; }
  const UpaLevel& getWetBulbZero() const { return wbz_; }
  const CclData& getCcl() const { return ccl_; }
  float getMaxTemp() const { return maxt_; }
  float getLapseRate() const { return lapse_; }  // C/km, 700-500 hPa
  float getThickness() const { return thick_; }  // m, 1000-500 hPa

  void print() const;
  void list(Values& out) const;

 private:
  float lifted_, cap_, tt_, vt_, ct_, k_, sweat_, energy_, pw_, maxt_, lapse_, thick_;
  ThetaEData thetae_;
  UpaLevel freezing_, wbz_;
  CclData ccl_;
};

}  // namespace KOL
