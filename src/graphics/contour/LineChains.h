// The segments of each level's line, joined end to end into polylines before they are drawn.
// A segment goes from the crossing where its cell's perimeter, walked clockwise, rises through
// the level to the one where it falls, so the segment of the next cell starts where it ends.
#pragma once

#include <vector>

#include "geo/Point.h"
#include "graphics/contour/NodeTable.h"

namespace KOL {

class ContSink;

namespace contour {

class LineChains {
 public:
  // Crossings are numbered by the grid side they lie on.
  explicit LineChains(int levels);
  // A segment of level k from crossing a to crossing b.
  void add(int k, int a, int b, const Point& pa, const Point& pb);
  // A segment joined to nothing (cut or wrapped cells).
  void addLoose(int k, const Point& pa, const Point& pb);
  // Hands out every level's polylines (a closed one ends on its first point); their number.
  int flush(ContSink& out);

 private:
  struct Segment {
    int a, b;
    Point pa, pb;
  };
  int trace(int k, int first, ContSink& out);

  std::vector<std::vector<Segment>> segments;
  std::vector<std::vector<Point>> loose;
  NodeTable from;   // the segment starting at a crossing
  NodeTable ended;  // 1 where a segment ends
  std::vector<char> used;
  std::vector<Point> line;
};

}  // namespace contour
}  // namespace KOL
