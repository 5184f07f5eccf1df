// Where a contoured field's highs, lows and contour labels go so that a reader can use them: only
// extremes that a drawn contour closes around, apart from each other and off the panel's edge, and
// labels spread along their lines, clear of each other and of the highs and lows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "geo/Point.h"
#include "geo/Rect.h"

namespace KOL {

class Grid;
class Domain;

namespace contour {

struct Extreme {
  int i, j;
  bool high;
  float value;
  float relief;  // how far the surroundings fall away (rise, for a low)
  Point at;
};

struct LabelSpot {
  int level;
  float value;
  std::string text;
  Point at;
};

// The extent and text size the placement works in (plot or grid coordinates).
struct Area {
  Rect rect;
  float textHeight;  // height of a contour label
  float width() const { return rect.x2 - rect.x1; }
  float height() const { return rect.y2 - rect.y1; }
  float side() const { return width() < height() ? width() : height(); }
};

// Grid points no drawn contour can run around: the grid's border, missing values and their
// neighbours (the cells beside them draw nothing) and, where outside says so, points off the panel.
// outside is asked of a point only when it is first met: most never are, and asking may mean
// projecting the point.
struct OpenPoints {
  OpenPoints(const Grid& g, std::function<bool(int, int)> outside);
  bool operator()(int i, int j);

  int nx;
  std::vector<char> flags;  // 1 open, 0 not, UNKNOWN not asked yet
  std::function<bool(int, int)> outside;
  static constexpr char UNKNOWN = 2;
};

// The number of grid points inside the innermost contour of level around the extreme at (i, j):
// those joined to it beyond the level (above it for a high, at or below it for a low, as a value
// on a level counts as just below it). 0 when they reach an open point or ground beyond the
// extreme itself: then no contour of the level closes around the extreme alone. seen is scratch
// of one flag per grid point, all clear, and left so.
int enclosedPoints(const Grid& g, int i, int j, bool high, float level, OpenPoints& open,
                   std::vector<char>& seen);

// Keeps the extremes, best relief first, at least a separation apart and inside the margin.
std::vector<Extreme> spreadExtremes(std::vector<Extreme> cands, const Area& area);

// Keeps candidate labels, nearest the area's centre first, that fit inside the area, overlap no
// kept label or extreme, and lie at least a spacing from a kept label of their level.
std::vector<LabelSpot> spreadLabels(std::vector<LabelSpot> cands, const std::vector<Extreme>& marks,
                                    const Area& area);

// The box a text of n characters centred at p takes at text height h.
Rect textBox(const Point& p, int n, float h);

}  // namespace contour
}  // namespace KOL
