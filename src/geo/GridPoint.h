// A fractional position in a grid lattice: column x from the left, row y from the top.
#pragma once

#include "core/Const.h"
#include "geo/PointList.h"

namespace KOL {

class GridPoint {
 public:
  float x, y;

  GridPoint() { init(); }
  GridPoint(float px, float py) : x(px), y(py) {}

  void init() { x = y = Const::FMISS; }
  void set(float px, float py) { x = px, y = py; }
  void offset(float dx, float dy) { x += dx, y += dy; }
  bool isMiss() const { return Const::isMiss(x) || Const::isMiss(y); }
  void print() const;
};

using GridPoints = PointList<GridPoint>;

}  // namespace KOL
