// The grid as contouring walks it: every point's value and plot position, an id for every side
// between two neighbouring points (where a level crosses), and which cells are joined to their
// neighbours. A joined cell is whole (four values and positions), not wrapped round the map and
// inside the covered part: its crossings are bit-equal to its neighbours', so lines and fills run
// on through it.
#pragma once

#include <algorithm>
#include <vector>

#include "geo/Point.h"

namespace KOL {

class Domain;
class Grid;
class GridBox;

namespace contour {

class Coverage;

class Lattice {
 public:
  // levels: ascending, at most 255.
  Lattice(const Grid& g, const Domain* plot, const Coverage* cover,
          const std::vector<float>& levels);

  int getNx() const { return nx; }
  int getNy() const { return ny; }
  int numSides() const { return horizontal + nx * (ny - 1); }
  int numPoints() const { return nx * ny; }
  bool joined(int i, int j) const { return join[static_cast<std::size_t>(j) * (nx - 1) + i] != 0; }
  // The sides of cell (i, j) (GridBox's numbering) with a joined cell across, as bits 1 << side.
  unsigned touching(int i, int j) const
  {
    const std::size_t c = static_cast<std::size_t>(j) * (nx - 1) + i;
    return unsigned(j > 0 && join[c - (nx - 1)]) | unsigned(i + 2 < nx && join[c + 1]) << 1 |
           unsigned(j + 2 < ny && join[c + (nx - 1)]) << 2 | unsigned(i > 0 && join[c - 1]) << 3;
  }
  // The id of side s of cell (i, j), and of the grid point at its corner c.
  int side(int i, int j, int s) const;
  int point(int i, int j, int c) const { return (j + (c >> 1)) * nx + i + (c & 1); }
  // The position of corner c of cell (i, j).
  Point at(int i, int j, int c) const
  {
    if (!xs) return Point(static_cast<float>(i + (c & 1)), static_cast<float>(j + (c >> 1)));
    const int p = point(i, j, c);
    return Point(xs[p], ys[p]);
  }
  // The least and greatest number of levels below a corner of joined cell (i, j): the levels
  // from lo to hi - 1 cross it, and with lo = hi it lies wholly between two levels.
  void ranks(int i, int j, int& lo, int& hi) const
  {
    const unsigned char* r = rank.data() + static_cast<std::size_t>(j) * nx + i;
    lo = std::min(std::min(r[0], r[1]), std::min(r[nx], r[nx + 1]));
    hi = std::max(std::max(r[0], r[1]), std::max(r[nx], r[nx + 1]));
  }
  // Sets box to joined cell (i, j).
  void set(GridBox& box, int i, int j) const;

 private:
  void place(const Grid& g, const Domain& plot);
  // Unjoins the joined cells outside the cover or wrapped round the map.
  void narrow(const Coverage* cover, bool wrap);

  int nx, ny, horizontal;
  std::vector<float> values;
  std::vector<unsigned char> rank;  // the number of levels below each point
  // Plot positions: the grid's own when it holds them, else found here; null for grid
  // coordinates.
  const float* xs = nullptr;
  const float* ys = nullptr;
  std::vector<float> ownX, ownY;
  std::vector<char> join;
};

}  // namespace contour
}  // namespace KOL
