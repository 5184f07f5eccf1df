// A position in plot coordinates (x, y, and an optional z), the unit every drawing call works in.
#pragma once

#include "core/Const.h"
#include "geo/PointList.h"

namespace KOL {

class Point {
 public:
  float x, y, z;

  Point() { init(); }
  Point(float px, float py) : x(px), y(py), z(Const::FMISS) {}
  Point(float px, float py, float pz) : x(px), y(py), z(pz) {}

  void init() { x = y = z = Const::FMISS; }
  void set(float px, float py) { x = px, y = py; }
  void set(float px, float py, float pz) { x = px, y = py, z = pz; }
  void offset(float dx, float dy) { x += dx, y += dy; }
  // True when x or y is missing.
  bool isMiss() const { return Const::isMiss(x) || Const::isMiss(y); }
  // The point a + (b - a) f, for x and y; missing when a or b is.
  static Point interp(const Point& a, const Point& b, float f);
  void print() const;
};

using Points = PointList<Point>;

}  // namespace KOL
