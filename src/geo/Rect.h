// A rectangle given by two corners, in plot or device coordinates.
#pragma once

#include "core/Const.h"

namespace KOL {

class Rect {
 public:
  float x1, y1, x2, y2;

  Rect() { init(); }
  Rect(float a, float b, float c, float d) { set(a, b, c, d); }

  void init() { x1 = y1 = x2 = y2 = Const::FMISS; }
  // Stores the corners ordered so that x1 <= x2 and y1 <= y2.
  void set(float a, float b, float c, float d);
  // Stores the corners as given.
  void setu(float a, float b, float c, float d) { x1 = a, y1 = b, x2 = c, y2 = d; }
  float width() const { return x2 - x1; }
  float height() const { return y2 - y1; }
  bool isMiss() const;
  void print() const;
};

}  // namespace KOL
