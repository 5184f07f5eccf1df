// The parcel quantities of one sounding: lifted index, positive and negative areas, cap, the
// condensation, free convection, equilibrium and maximum parcel levels, for a parcel chosen by a
// short text (the surface, a mixed layer, the surface at the forecast maximum temperature, or a
// given pressure, temperature and dew point).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/Const.h"

namespace KOL {

class UpaData;
class UpaLevel;

class ParcelParams {
 public:
  enum Kind : int { SURFACE = 0, LAYER = 1, MAX_TEMP = 2, GIVEN = 3 };
  // A level of the ascent: pressure (hPa) and height (m above sea level).
  struct Level {
    float pres = Const::FMISS, hght = Const::FMISS;
  };
  using Values = std::vector<std::pair<std::string, float>>;

  ParcelParams() { init(); }
  // Surface parcel, 100 hPa layer depth, the equilibrium level at the first negative layer;
  // every result missing.
  void init();
  // "sfc", "layer" or "layer:DEPTH" (hPa), "maxt", or "P:T:TD" (hPa, C, C); 0 for any other
  // text (the kind is kept).
  int setType(const char* text);
  int getType() const { return kind_; }
  float getDepth() const { return depth_; }
  // false: the positive area ends at the first negative layer above the level of free
  // convection; true: at the top of the highest positive layer, every positive layer between
  // counting. calc works out both; this chooses the one reported, before or after calc.
  void setHighestEl(bool on) { highest_el_ = on; }
  bool getHighestEl() const { return highest_el_; }

  // Lifts the parcel (returned in parcel: pressure, temperature and dew point) through s; 0 when
  // the sounding or the parcel cannot be used (the results stay missing).
  int calc(const UpaData& s, UpaLevel& parcel);
  int calc(const UpaData& s);

  float getLiftedIndex() const { return lifted_; }
  float getCape() const { return area().cape; }
  float getCin() const { return area().cin; }
  float getCap() const { return cap_; }
  float getMaxVertVel() const { return area().max_vv; }
  float getBel() const { return area().bel; }
  const Level& getLcl() const { return lcl_; }
  const Level& getLfc() const { return area().lfc; }
  const Level& getEl() const { return area().el; }
  const Level& getMpl() const { return area().mpl; }

  void print() const;
  // The results as (name with units, value) pairs, each name prefixed.
  void list(Values& out, const std::string& prefix) const;

 private:
  struct Area {
    float cape, cin, bel, max_vv;
    Level lfc, el, mpl;
  };
  const Area& area() const { return areas_[highest_el_ ? 1 : 0]; }
  void clearResults();

  int kind_;
  float depth_;
  float given_[3];  // pressure, temperature, dew point of a given parcel
  bool highest_el_;
  float lifted_, cap_;
  Level lcl_;
  Area areas_[2];
};

}  // namespace KOL
