// Objective analysis of upper-air observations: the soundings of an upper-air file (the naming
// convention "upa_cvt"), each variable of a list taken at its level (500mb:temp, 850:hght,
// sfc:wspd) from every sounding, analysed onto the plot domain. Soundings are broader than
// surface reports: the analysis starts from a filter of 8 and a radius of 5 grid spacings.
#pragma once

#include <vector>

#include "grid/PointGrid.h"
#include "layers/VarSpec.h"

namespace KOL {

class Data;
class Grids;
class UpaData;
class UpaLevel;

class UpaGrid : public PointGrid {
 public:
  static constexpr float FILTER = 8.0f;
  static constexpr float RAD_INF = 5.0f;

  UpaGrid() : PointGrid("upa_cvt") { init(); }
  // The upper-air defaults, then the resource "object_param".
  void init();
  using PointGrid::compute;
  // The variables of the soundings of the upper-air file.
  int compute(Grids& grids);
  // The variables of every sounding of an upper-air file that can be placed; 0 when the file
  // cannot be opened.
  static int read(const char* name, const std::vector<VarSpec>& vars, Data& data);
  // One variable of a sounding at the chosen level: pres, hght, temp, dewp, dewd, wdir, wspd,
  // uwnd, vwnd; missing when the sounding does not reach the level or has no such value.
  static float value(const UpaData& snd, const VarSpec& spec);
  // One of those variables at a level of a sounding; missing for another name.
  static float levelValue(const UpaLevel& l, const char* name);
  // The units value and levelValue give a variable in ("m", "C", "knt" ...); null for another
  // name.
  static const char* getUnits(const char* name);
};

}  // namespace KOL
