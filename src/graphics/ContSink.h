// Receives what contouring computes: one segment per cell and level, one polygon per cell and
// band, label and high/low positions. Drawing and the tests that check geometry both take it.
#pragma once

#include "geo/Point.h"

namespace KOL {

class ContSink {
 public:
  virtual ~ContSink() = default;
  // A segment of level k.
  virtual void line(int k, const Point& a, const Point& b) = 0;
  // A polygon (not repeating its first point) of the band above level k.
  virtual void fill(int k, const Point* pts, int n) = 0;
  // A contour label of level k.
  virtual void label(int /*k*/, float /*value*/, const Point& /*at*/) {}
  // A high (high true) or low of the given value at a grid point.
  virtual void extreme(bool /*high*/, float /*value*/, const Point& /*at*/) {}
};

}  // namespace KOL
