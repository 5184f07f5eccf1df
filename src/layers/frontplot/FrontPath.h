// A front's line in plot coordinates and the shapes along it: the places of its symbols at
// even spacing, and the triangles and half-circles drawn there on the left of the line's
// direction, the side WPC's coded bulletins list their fronts toward (the way a cold front
// moves, into the cold air for a warm front).
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL::frontplot {

class FrontPath {
 public:
  struct Place {
    Point at;      // where the symbol's base starts
    float tx, ty;  // unit direction of the line there
  };

  explicit FrontPath(std::vector<Point> pts) : pts_(std::move(pts)) {}
  // The line through the points smoothed (Catmull-Rom, steps per segment).
  static std::vector<Point> smooth(const std::vector<Point>& pts, int steps);
  const std::vector<Point>& points() const { return pts_; }
  float length() const;
  // Symbol places every spacing along the line, the first half a spacing in, each with room for
  // a base of width.
  std::vector<Place> places(float spacing, float width) const;
  // A filled triangle of base width and height on side (1 left, -1 right) of a place.
  static std::vector<Point> triangle(const Place& p, float width, float height, int side);
  // A half-circle of diameter width on side of a place.
  static std::vector<Point> halfCircle(const Place& p, float width, int side);

 private:
  std::vector<Point> pts_;
};

}  // namespace KOL::frontplot
