// A vertical coordinate of a sounding: a kind (surface, a special level, pressure, height or
// potential temperature) and a value in the unit of that kind.
#pragma once

#include "core/Const.h"

namespace KOL {

class VCoord {
 public:
  enum Kind : int {
    SURFACE = 0,
    FREEZING = 1,
    LCL = 2,
    MAX_WIND = 3,
    TROPOPAUSE = 4,
    PRESSURE = 5,  // hPa
    HEIGHT = 6,    // m
    THETA = 7      // K
  };

  VCoord() { init(); }
  VCoord(int kind, float value) : kind(kind), value(value) {}
  void init();
  void set(int k, float v)
  {
    kind = k;
    value = v;
  }
  bool isSet() const { return kind != Const::MISS; }
  void print() const;

  int kind;
  float value;
};

}  // namespace KOL
