// A grid painted on an image canvas: each canvas point takes the colour class of the grid's
// value at its place on the earth (the nearest grid point, or bilinear between the four around
// it). Class k (1..n) holds the values from levels[k-1] up to levels[k] (the last class has no
// upper end); values below the first
// level take class 1, as colour fills show them.
#pragma once

#include <vector>

#include "core/Const.h"
#include "layers/image/LonRange.h"

namespace KOL {

class Grid;

namespace imageplot {

class Canvas;

struct GridPaint {
  std::vector<float> levels;  // ascending, at most 255
  bool bilinear = false;
  float cutoff = Const::FMISS;  // values below are left out
  LonRange lons;                // points outside are left out
};

// The class of a value (1..n); 0 for a missing one.
int classOf(const std::vector<float>& levels, float v);
// Paints the canvas; the number of points covered.
long paintGrid(Canvas& canvas, const Grid& g, const GridPaint& how);

}  // namespace imageplot
}  // namespace KOL
