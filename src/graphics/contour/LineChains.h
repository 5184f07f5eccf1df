// The segments of each level's line, joined end to end into polylines before they are drawn.
// A segment goes from the crossing where its cell's perimeter, walked clockwise, rises through
// the level to the one where it falls, so the segment of the next cell starts where it ends.
// Cells come row by row: a crossing on a side shared with a joined cell is left for that cell
// when it comes later, and met when it came earlier, so the joins are made as the cells pass.
#pragma once

#include <vector>

#include "geo/Point.h"
#include "graphics/contour/BlockArray.h"

namespace KOL {

class ContSink;

namespace contour {

class LineChains {
 public:
  LineChains(int levels, int nx);
  // A segment of level k in joined cell (i, j), from its crossing on side sa to the one on side
  // sb (sides as GridBox's).
  void add(int k, int i, int j, int sa, int sb, const Point& pa, const Point& pb);
  // A segment joined to nothing (cut or wrapped cells).
  void addLoose(int k, const Point& pa, const Point& pb);
  // Hands out every level's polylines (a closed one ends on its first point); their number.
  int flush(ContSink& out);

 private:
  struct Segment {
    Point pa, pb;
    int next, prev;
  };
  // Where a segment waits at a side for the cell across it.
  struct Slot {
    int stamp = -1, segment = -1;
  };
  Slot& slot(int k, int i, int j, int side);
  void meet(int k, int i, int j, int side, int s, bool starts);
  int trace(int k, int first, ContSink& out);

  int levels, nx;
  std::vector<BlockArray<Segment>> segments;
  std::vector<std::vector<Point>> loose;
  // Sides between columns and between rows, by the parity of the column or row after them, so
  // that a cell's own sides to come never overwrite those it has still to meet.
  std::vector<Slot> across[2], down[2];
  std::vector<char> used;
  std::vector<Point> line;
};

}  // namespace contour
}  // namespace KOL
