// Where the parts of a small shape (a barb, a cloud circle, an arrow) land on a plot: offsets from
// a point measured in the plot's x units along a direction and across it, with the y offsets
// stretched by the ratio of the units so that the shape is not squashed where a panel's x and y
// units differ on the page.
#pragma once

#include "geo/Point.h"

namespace KOL {

class Plot;

namespace shape {

class ShapeFrame {
 public:
  // Axes: "along" points toward dir (degrees clockwise from up), "across" 90 degrees clockwise
  // from it; side -1 flips the across axis.
  ShapeFrame(Plot& plot, const Point& origin, float dir = 0.0f, float side = 1.0f);

  // The plot point along and across from the origin.
  Point at(float along, float across) const;
  // The plot point at distance r and bearing a (degrees from the along axis, clockwise).
  Point polar(float r, float a) const;

  int line(const Point& a, const Point& b) const;
  int line(const Points& pts) const;
  // A closed outline filled with the line colour, solid.
  int fill(const Points& pts) const;
  // A circle of radius r about the origin.
  int circle(float r) const;
  // The arc of radius r from bearing a1 to a2 (clockwise, degrees), as points.
  Points arc(float r, float a1, float a2) const;

 private:
  Plot& plot;
  Point origin;
  float ux, uy;  // along, in x units
  float nx, ny;  // across
  float ky;      // y units per x unit on the page
};

}  // namespace shape
}  // namespace KOL
