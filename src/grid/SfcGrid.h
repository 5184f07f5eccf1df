// Objective analysis of surface observations: the stations of a surface file (the naming
// convention "sfc_cvt", any of its variants), each variable of a list computed at every station
// placed by its own position or the station table, analysed onto the plot domain.
#pragma once

#include <vector>

#include "grid/PointGrid.h"
#include "layers/VarSpec.h"

namespace KOL {

class Data;
class Grids;

class SfcGrid : public PointGrid {
 public:
  SfcGrid() : PointGrid("sfc_cvt") {}
  using PointGrid::compute;
  // The variables at the stations of the surface file.
  int compute(Grids& grids);
  // The variables at every station of a surface file that can be placed; 0 when it cannot be
  // opened.
  static int read(const char* name, const std::vector<VarSpec>& vars, Data& data);
};

}  // namespace KOL
