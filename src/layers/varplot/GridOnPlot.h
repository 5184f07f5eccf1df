// Where a grid's points fall on a plot, and how many of them lie between two things drawn a
// given distance apart there: the vector layer thins its symbols with it, the contour layer
// sizes the neighbourhood of its highs and lows.
#pragma once

#include "geo/Point.h"

namespace KOL {

class Grid;
class Plot;

namespace varplot {

// Where grid point (i, j) of g lies on the plot's current panel; missing when it cannot be placed.
Point onPlot(const Grid& g, const Plot& plot, int i, int j);
// The distance between neighbouring points of g along rows (dx) and columns (dy) in the plot's
// coordinates where the plot's centre falls on the grid (else in its middle); false when it
// cannot be measured.
bool spacing(const Grid& g, const Plot& plot, float& dx, float& dy);
// Grid points along rows (di) and columns (dj) that span at least distance in the plot's
// coordinates, measured where the plot's centre falls on the grid (else in its middle); at
// least 1.
void stride(const Grid& g, const Plot& plot, float distance, int& di, int& dj);

}  // namespace varplot
}  // namespace KOL
