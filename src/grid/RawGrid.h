// Objective analysis of raw point data: a data set handed over, or a raw point file (the
// naming convention "raw") of lines "[id] lat lon value...", comment lines starting with '#',
// and an optional line "#fields: spec,spec,..." naming the value columns with variable specs
// (setVariables names them when the file does not).
#pragma once

#include "grid/PointGrid.h"

namespace KOL {

class Data;
class Grids;

class RawGrid : public PointGrid {
 public:
  RawGrid() : PointGrid("raw") {}
  using PointGrid::compute;
  // The observations of the raw file.
  int compute(Grids& grids);
  // Reads a raw point file; 0 when it cannot be opened.
  static int read(const char* name, Data& data);
};

}  // namespace KOL
