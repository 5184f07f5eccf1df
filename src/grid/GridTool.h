// Helpers around grids for layers and programs: constant grids, completing a grid key with a
// layer's forecast time and level, and a one-line summary of a grid.
#pragma once

#include "grid/Grid.h"
#include "grid/GridSpec.h"

namespace KOL {

class String;

class GridTool {
 public:
  // A 1 x 1 grid of the value v (a value grid, standing for every point).
  static int valueGrid(Grid& g, float v);
  // The same from a "#" followed by a number; 0 for another text.
  static int valueGrid(Grid& g, const char* text);
  // Fills what a key leaves open: the forecast time from the layer's (a relative forecast time
  // of the key applied to it), the level from the layer's, and the alternate variable codes of
  // the variable abbr from the name table.
  static int updateSpec(GridSpec& spec, const ForeTime& fore, const Level& level, const char* abbr);
  // "date fore level variable [units] nx x ny min max average" and the count of missing values.
  static int summary(const Grid& g, String& out);
};

}  // namespace KOL
