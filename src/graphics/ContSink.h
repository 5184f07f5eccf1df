// Receives what contouring computes: each level's line as polylines, each band as its connected
// areas (an outline and its holes), label and high/low positions. Drawing and the tests that
// check geometry both take it.
#pragma once

#include "geo/Point.h"

namespace KOL {

class ContSink {
 public:
  virtual ~ContSink() = default;
  // A polyline of level k; a closed one ends on its first point.
  virtual void line(int k, const Point* pts, int n) = 0;
  // A connected area of the band above level k: rings closed rings, ring r of counts[r] points
  // (its first point not repeated), one after the other in pts. Outlines run clockwise on the
  // page (grid rows down), holes the other way.
  virtual void fill(int k, const Point* pts, const int* counts, int rings) = 0;
  // A contour label of level k.
  virtual void label(int /*k*/, float /*value*/, const Point& /*at*/) {}
  // A high (high true) or low of the given value at a grid point.
  virtual void extreme(bool /*high*/, float /*value*/, const Point& /*at*/) {}
};

}  // namespace KOL
