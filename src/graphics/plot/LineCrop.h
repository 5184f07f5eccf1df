// Lines on world maps cut at the map's left and right edges (longitude -180 and 180 on a
// latitude/longitude or Mercator plane), and polylines split where a point is missing.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL::LineCrop {

// Moves the end beyond x = -lim or x = lim onto that edge, y interpolated. false when the
// segment lies wholly beyond one edge.
bool cropSegment(Point& a, Point& b, float lim);
// Points beyond the edges removed; where the line crosses an edge an interpolated edge point
// ends (or starts) a piece; pieces are separated by a missing point.
Points cropLine(const Points& in, float lim);
// The runs of non-missing points, each of at least two points.
std::vector<Points> split(const Points& in);

}  // namespace KOL::LineCrop
