// One grid cell between four neighbouring grid points, and where one contour level crosses its
// sides. Corners: 0 upper left (i, j), 1 upper right (i + 1, j), 2 lower left (i, j + 1),
// 3 lower right (i + 1, j + 1). Sides: 0 top (0 to 1), 1 right (3 to 1), 2 bottom (2 to 3),
// 3 left (2 to 0).
#pragma once

#include "geo/Point.h"

namespace KOL {

class Grid;
class Domain;

class GridBox {
 public:
  // Crossing code of a side the level does not cross.
  static constexpr float NO_CROSS = -2.0f;

  GridBox() { init(); }
  void init();

  // Corner values from the grid and corner positions in the plot domain's coordinates.
  int set(const Grid& g, const Domain& plot, int i, int j);
  // Corner values and positions given directly (corner order as above).
  int set(const float vals[4], const Point pts[4]);
  // Plot position of grid point (i, j) in the plot domain: the grid's stored positions, its own
  // transformation when the domains agree, else through earth coordinates.
  static int locate(const Grid& g, const Domain& plot, int i, int j, Point& p);
  // Stores the plot position of every point in the grid, where locate() then finds it.
  static int locateAll(Grid& g, const Domain& plot);
  int initLevel();
  // Number of crossings of the level (0, 2 or 4); state tells below (-1), inside (0) or above (1).
  int setLevel(float level);
  int setCross(int k, int side);
  int setCrossPoint(int k, const Point& p);

  float getVal(int c) const { return vals[c & 3]; }
  // The crossing fraction along side s, or a negative code when not crossed.
  float getSide(int s) const { return code[s & 3]; }
  const Point& getPoint(int c) const { return pts[c & 3]; }
  const Point& getCrossPoint(int k) const { return cross[k & 3]; }
  int getCrossSide(int k) const { return sides[k & 3]; }
  int getNumCross() const { return ncross; }
  int getState() const { return state; }
  float getLevel() const { return level; }
  float getMin() const { return vmin; }
  float getMax() const { return vmax; }
  // Whether corner c counts as above the current level (a corner equal to it counts below).
  bool isAbove(int c) const { return ((above >> (c & 3)) & 1) != 0; }
  // The crossing joined with crossing k by the level's line in this cell.
  int getPartner(int k) const { return partner[k & 3]; }
  bool isDataValid() const { return valid; }
  bool isLocateValid() const { return locValid; }
  // Marks the cell as wrapped around the map and moves its corners with x < 0 right by offset.
  void unwrap(float offset);
  bool isWrapped() const { return wrapped; }

  void print() const;
  void printVals() const;
  void printStats() const;

 private:
  // The position from the domains alone.
  static int project(const Grid& g, const Domain& plot, int i, int j, Point& p);
  void setRange();
  void pairCrossings();

  float vals[4];
  Point pts[4];
  Point cross[4];
  float code[4];
  int sides[4];
  int partner[4];
  int ncross;
  float level;
  float vmin, vmax;
  unsigned above;
  int state;
  bool valid, locValid, wrapped;
};

}  // namespace KOL
