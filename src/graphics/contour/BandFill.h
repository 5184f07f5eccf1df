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
  // What point t of polygon k is: corner c (0 to 3) of the cell, or CROSSING + 4 b + s, the
  // crossing of the lower (b 0) or upper (b 1) level on side s.
  int getNode(int k, int t) const { return nodes[k][t]; }
  // The side the polygon follows from point t to the next, or -1 where it crosses the cell along
  // a level's line.
  int getAlong(int k, int t) const { return along[k][t]; }
  static constexpr int CROSSING = 4;

 private:
  void add(int k, int& n, const Point& p, int node, int side);

  Point points[MAX_POLYGONS][MAX_POINTS];
  int nodes[MAX_POLYGONS][MAX_POINTS];
  int along[MAX_POLYGONS][MAX_POINTS];
  int count[MAX_POLYGONS] = {};
  int npoly = 0;
};

}  // namespace contour
}  // namespace KOL
