// The wind summary of one sounding: the storm motion of a right-moving supercell, the 0-6 km
// mean wind, the bulk shear of the lowest 1 and 6 km, storm-relative helicity of the lowest 1
// and 3 km and its product with the surface parcel's positive energy, and the bulk Richardson
// number.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "obs/UpaCalc.h"

namespace KOL {

class ParcelParams;
class UpaData;

class WindParams {
 public:
  using Values = std::vector<std::pair<std::string, float>>;

  WindParams() { init(); }
  void init();
  // 0 when the sounding has too few winds for any of it. sfc: the surface parcel of s when
  // already lifted, whose positive energy is taken as it is (else it is lifted here).
  int calc(const UpaData& s, const ParcelParams* sfc = nullptr);

  const Wind& getStorm() const { return storm_; }
  const Wind& getMeanWind() const { return mean_; }
  const ShearData& getShear1() const { return shear1_; }
  const ShearData& getShear6() const { return shear6_; }
  const HelicityData& getHelicity1() const { return srh1_; }
  const HelicityData& getHelicity3() const { return srh3_; }
  float getEnergyHelicity() const { return ehi_; }
  const BrnData& getBrn() const { return brn_; }

  void print() const;
  void list(Values& out) const;

 private:
  Wind storm_, mean_;
  ShearData shear1_, shear6_;
  HelicityData srh1_, srh3_;
  float ehi_;
  BrnData brn_;
};

}  // namespace KOL
