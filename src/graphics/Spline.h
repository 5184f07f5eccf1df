// A smooth curve through a polyline, parametrised by arc length: a natural cubic spline of x
// and of y over the cumulative chord length of the points. Contours and fronts are drawn
// through it.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL {

class Spline {
 public:
  Spline() = default;
  // dims: the coordinates fitted (2: x and y; anything else is taken as 2).
  Spline(const Points& pts, int dims) { set(pts, dims); }

  // Missing points and repeated points are left out. 0 with fewer than two distinct points.
  int set(const Points& pts, int dims = 2);
  // The total chord length.
  float getDist() const { return total; }
  // The point at arc length t (limited to [0, getDist()]).
  Point getPoint(float t) const;
  int getNum() const { return static_cast<int>(s.size()); }

 private:
  // Second derivatives of the natural spline through (s, v).
  static std::vector<double> fit(const std::vector<double>& s, const std::vector<double>& v);
  double eval(const std::vector<double>& v, const std::vector<double>& d2, double t) const;

  std::vector<double> s, x, y, x2, y2;
  float total = 0.0f;
};

}  // namespace KOL
