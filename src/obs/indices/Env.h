// The sounding as the indices see it: the levels with a pressure and a temperature from the
// surface up, ordered by decreasing pressure whatever the order of the record, every height
// filled, and the winds by height above ground. Built once per sounding; every lookup
// interpolates in ln p (heights) or in height (winds).
#pragma once

#include <vector>

#include "obs/UpaData.h"
#include "obs/Wind.h"

namespace KOL {

class VCoord;

namespace indices {

struct EnvLevel {
  float pres, lnp, hght, temp, dewp;  // hPa, ln hPa, m, C, C (dew point may be missing)
};

struct WindLevel {
  float agl, u, v;  // m above the surface, knots
};

class Env {
 public:
  // The winds (a sine and a cosine per level) only when asked for.
  explicit Env(const UpaData& s, bool with_winds = false);

  bool empty() const { return levels_.empty(); }
  int size() const { return static_cast<int>(levels_.size()); }
  const EnvLevel& operator[](int i) const { return levels_[i]; }
  const EnvLevel& sfc() const { return levels_.front(); }
  const EnvLevel& top() const { return levels_.back(); }
  bool contains(float p) const { return !empty() && p <= sfc().pres && p >= top().pres; }

  // The sounding at pressure p; false outside it. The dew point is missing unless both
  // bracketing levels have one.
  bool at(float p, EnvLevel& out) const;
  float tempAt(float p) const;
  float hghtAt(float p) const;
  // The pressure at a height above sea level; missing outside the sounding.
  float presAtHght(float z) const;
  // The pressure of a coordinate (surface, pressure, height above ground, potential temperature;
  // the special levels through s); missing when it is not within the sounding.
  float presOf(const UpaData& s, const VCoord& c) const;

  // Pressure-weighted means of potential temperature (K) and mixing ratio (g/kg) between two
  // pressures; false when the layer is outside the sounding or has no dew point.
  bool layerMean(float p1, float p2, float& theta, float& mixr) const;

  const std::vector<WindLevel>& winds() const { return winds_; }
  // The wind at a height above ground by components; false outside the wind levels.
  bool windAt(float agl, float& u, float& v) const;

 private:
  void buildWinds(const UpaData& s);

  std::vector<EnvLevel> levels_;
  std::vector<WindLevel> winds_;
};

}  // namespace indices
}  // namespace KOL
