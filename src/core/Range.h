// A span of values from a lower to an upper limit, either of which may be missing: the data
// range of a field, the limits of a colour bar.
#pragma once

#include "core/Const.h"

namespace KOL {

class Range {
 public:
  float min, max;

  Range() { init(); }
  Range(float lo, float hi) : min(lo), max(hi) {}

  void init() { min = max = Const::FMISS; }
  void set(float lo, float hi) { min = lo, max = hi; }
  // Both limits present and in order.
  bool isValid() const { return !Const::isMiss(min) && !Const::isMiss(max) && min <= max; }
  bool contains(float v) const { return isValid() && v >= min && v <= max; }
  void print() const;
};

}  // namespace KOL
