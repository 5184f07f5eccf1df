// The part of a grid that holds values, with a smooth edge: an analysis ends where its stations
// stop reaching, and its fills and lines should end along a curve through the cells there rather
// than in whole-cell steps. The edge is the half-way line of the valid points' share of their
// neighbourhood, so a straight or diagonal run of steps becomes a straight edge and a missing
// point always stays outside.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL {

class Grid;
class GridBox;

namespace contour {

// A convex piece of a cell.
struct Piece {
  static constexpr int MAX_POINTS = 6;
  Point pts[MAX_POINTS];
  int n = 0;
};

class Coverage {
 public:
  explicit Coverage(const Grid& g);

  // Whether every point of the grid holds a value (then nothing is cut).
  bool complete() const { return whole; }
  // Whether all of cell (i, j) lies inside the edge.
  bool covers(int i, int j) const;
  // Whether some of cell (i, j) does.
  bool touches(int i, int j) const;
  // The covered pieces of cell (i, j) whose corners box holds: 0, 1 or 2 (a saddle of the edge).
  int pieces(int i, int j, const GridBox& box, Piece out[2]) const;
  // The value grid point (i, j) is contoured with: its own, or for a missing point the mean of
  // its neighbours that have one (the same in every cell it is a corner of, so lines meet).
  float value(const Grid& g, int i, int j) const;

 private:
  float at(int i, int j) const { return share[static_cast<std::size_t>(j) * nx + i]; }

  int nx, ny;
  bool whole;
  std::vector<float> share;
  std::vector<float> filled;
};

// The part of polygon p (n points) inside the convex piece; returns its number of points (0
// when nothing is inside). out needs room for n + piece.n points.
int clip(const Point* p, int n, const Piece& piece, Point* out);
// The part of segment a-b inside the convex piece; false when none.
bool clip(Point& a, Point& b, const Piece& piece);

}  // namespace contour
}  // namespace KOL
