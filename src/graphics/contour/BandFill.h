// The polygons of one grid cell lying between two contour levels: the cell's perimeter is walked
// corner by corner, and where it leaves the band the polygon follows the level's line inside the
// cell to where it comes back, so fills meet the lines exactly (saddles included).
#pragma once

#include "geo/Point.h"

namespace KOL {

class GridBox;

namespace contour {

class BandFill {
 public:
  static constexpr int MAX_POINTS = 16;
  static constexpr int MAX_POLYGONS = 4;

  // lower and upper hold the same cell set at the lower and upper level of the band; upper may
  // be null for the band above the last level. Returns the number of polygons.
  int build(const GridBox& lower, const GridBox* upper);
  int getNumPolygons() const { return npoly; }
  const Point* getPolygon(int k, int& n) const
  {
    n = count[k];
    return points[k];
  }

 private:
  Point points[MAX_POLYGONS][MAX_POINTS];
  int count[MAX_POLYGONS] = {};
  int npoly = 0;
};

}  // namespace contour
}  // namespace KOL
