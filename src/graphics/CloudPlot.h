// The cloud-cover circle of a station model: an open circle filled by eighths of the sky covered
// (oktas 0 to 8), a cross for a sky obscured and an "M" for cover not reported.
#pragma once

#include "geo/Point.h"

namespace KOL {

class Plot;

class CloudPlot {
 public:
  static constexpr int OBSCURED = 9;
  static constexpr int MISSING = -1;

  CloudPlot() { init(); }
  void init() {}
  void print() const;

  // The cover a code stands for: the digits 0 to 8 are oktas, 9, "X" and "x" obscured; the
  // report letters C clear 0, F few 2, S scattered 4, B broken 6, O overcast 8 (any case, so
  // that thin layers draw as their layer); anything else MISSING.
  static int toOktas(char code);
  // The circle of radius size about p for a code as toOktas reads it, in the line colour.
  // 0 when nothing is drawn.
  int draw(Plot& plot, const Point& p, char code, float size) const;
  // The same for oktas 0 to 8, OBSCURED or MISSING (any other number).
  int drawOktas(Plot& plot, const Point& p, int oktas, float size) const;
};

}  // namespace KOL
