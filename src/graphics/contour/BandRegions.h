// The polygons of a band, cell by cell, merged into connected areas: where two joined cells share
// a piece of side, neither keeps it; what is kept (the level lines and the sides facing the
// grid's border, missing values or cells drawn alone) is linked end to end into rings. Every
// cell polygon is clockwise on the page, so outlines come out clockwise and holes the other way
// round, and an area with its holes fills right under the even-odd and the nonzero rule alike.
// Cells are handed in row by row; polygons sharing a side piece belong to one area.
#pragma once

#include <algorithm>
#include <vector>

#include "geo/Point.h"
#include "graphics/contour/Lattice.h"
#include "graphics/contour/NodeTable.h"

namespace KOL {

class ContSink;

namespace contour {

class BandFill;

class BandRegions {
 public:
  BandRegions(const Lattice& lattice, int bands);
  // Polygon p of fill, of band k in joined cell (i, j).
  void addPolygon(int k, int i, int j, const BandFill& fill, int p);
  // Joined cell (i, j), lying wholly in band k.
  void addCell(int k, int i, int j)
  {
    // Most cells lie inside their area: nothing of them is kept but the area they hand on.
    const unsigned touches = lat.touching(i, j);
    if (touches == 0xFu)
      handOn(k, i, j, touches, areaOf(k, i, j, touches));
    else
      addBorderCell(k, i, j);
  }
  // A polygon of band k joined to nothing (cells that are cut or wrapped).
  void addLoose(int k, const Point* pts, int n);
  // Hands out each connected area as one fill of its rings; their number.
  int flush(ContSink& out);

 private:
  struct Edge {
    float x, y;  // where it starts
    int area, next;
  };
  struct Ring {
    int area, start, count;
  };
  // An edge waiting at a crossing on a side for the cell across, which comes later.
  struct Slot {
    int stamp = -1, edge = -1;
  };
  // An edge that starts or ends at a grid point, met by the cells round it at the end.
  struct AtPoint {
    int node, edge;
  };
  int node(int i, int j, int tag) const;
  void addBorderCell(int k, int i, int j);
  // The area of a polygon of band k in cell (i, j) touching its left and upper neighbours
  // across the sides flagged in touches.
  int areaOf(int k, int i, int j, unsigned touches);
  void handOn(int k, int i, int j, unsigned touches, int area);
  // The polygon's edges (point, node tag and side along to the next point, as BandFill's) that
  // no joined neighbour shares, linked where they follow on.
  void addEdges(int k, int i, int j, int n, const Point* pts, const int* tags, const int* along);
  // Edge e starts (ends false) or ends at the node tag of cell (i, j) with its neighbour in the
  // ring in another cell.
  void openEnd(int k, int i, int j, int tag, int e, bool ends);
  Slot& slot(int k, int i, int j, int side, int level);
  int root(int a);
  void linkAtPoints(int k);
  void traceRings(int k);
  int emitAreas(int k, ContSink& out);

  const Lattice& lat;
  int bands, sides, columns;
  std::vector<std::vector<Edge>> edges;
  std::vector<std::vector<AtPoint>> starts, ends;
  std::vector<std::vector<Point>> loosePts;
  std::vector<std::vector<int>> looseCounts;
  std::vector<int> parent;
  // The areas and edges that reach the side between two columns or rows, by the parity of the
  // column or row after it, so that a cell's own sides to come never overwrite those it has
  // still to meet.
  std::vector<int> rightArea[2], rightCell[2], downArea[2], downRow[2];
  std::vector<Slot> across[2], down[2];
  // ring tracing
  NodeTable head;
  std::vector<int> nextOut;
  std::vector<char> used;
  std::vector<Ring> rings;
  std::vector<Point> ringPts, areaPts;
  std::vector<int> counts;
};

inline int BandRegions::root(int a)
{
  while (parent[a] != a) a = parent[a] = parent[parent[a]];
  return a;
}

inline int BandRegions::areaOf(int k, int i, int j, unsigned touches)
{
  const int cell = j * columns + i;
  int area = -1;
  if ((touches & 8u) && rightCell[i & 1][k] == cell - 1) area = rightArea[i & 1][k];
  const std::size_t up = static_cast<std::size_t>(i) * bands + k;
  const int above = (touches & 1u) && downRow[j & 1][up] == j - 1 ? downArea[j & 1][up] : -1;
  if (area < 0 && above >= 0) return above;
  if (area < 0) {
    area = static_cast<int>(parent.size());
    parent.push_back(area);
  }
  if (above >= 0 && above != area) {
    const int a = root(area), b = root(above);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
  return area;
}

inline void BandRegions::handOn(int k, int i, int j, unsigned touches, int area)
{
  if (touches & 2u) {
    rightArea[(i + 1) & 1][k] = area;
    rightCell[(i + 1) & 1][k] = j * columns + i;
  }
  if (touches & 4u) {
    const std::size_t up = static_cast<std::size_t>(i) * bands + k;
    downArea[(j + 1) & 1][up] = area;
    downRow[(j + 1) & 1][up] = j;
  }
}

}  // namespace contour
}  // namespace KOL
