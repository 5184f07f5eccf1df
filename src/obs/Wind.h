// A horizontal wind: the direction it blows from (degrees) and its speed (knots, as soundings
// keep them), with its components. Missing until set.
#pragma once

#include "core/Const.h"

namespace KOL {

class Wind {
 public:
  Wind() { init(); }
  Wind(float dir, float spd) : dir(dir), spd(spd) {}
  void init() { dir = spd = Const::FMISS; }
  static Wind fromUV(float u, float v);
  bool isValid() const { return dir != Const::FMISS && spd != Const::FMISS; }
  float getU() const;
  float getV() const;
  // Component-wise between a (at x1) and b (at x2); the valid one when the other is missing.
  static Wind interp(const Wind& a, const Wind& b, float x1, float x2, float x);
  void print() const;

  float dir, spd;
};

}  // namespace KOL
