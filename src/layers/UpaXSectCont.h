// The contours of one quantity on a cross section, drawn as forecasters draw them: potential
// temperature ("theta", K) in brown lines every 4 K, temperature ("temp", C) in blue lines every
// 5 C dashed below zero, wind speed ("wspd", knots) filled from 30 kt every 10 kt, relative
// humidity ("rhum" or "relh", %) filled from 70 % every 10 %, dew point ("dewp", C) and height
// ("hght", m) in lines. The quantities are computed from the levels of soundings (or taken from
// grids) and handed over as section grids; extra contour parameters follow the look.
#pragma once

#include <string>

#include "graphics/Drawing.h"
#include "grid/Grid.h"
#include "layers/GridCont.h"

namespace KOL {

class UpaLevel;

class UpaXSectCont : public Drawing {
 public:
  UpaXSectCont() { init(); }

  void init() override;
  // Contour parameters laid over the quantity's look ("int=2,co=red").
  int setParam(const char* params) override;
  // The section grid of a quantity.
  void setGrid(const Grid& g, const char* name);
  int getNumFrames() override { return 0; }
  // 0 when the grid has no values.
  int draw(Plot& plot) override;
  // Whether draw sets a colour bar (for which the plot must make room first).
  bool drawsBar() const;
  void print() override;

  // Whether a quantity is known, its units and its contour look.
  static bool known(const char* name);
  static const char* units(const char* name);
  static const char* look(const char* name);
  // A quantity at a level of a sounding (missing when the level lacks what it needs).
  static float value(const UpaLevel& l, const char* name);

 private:
  GridCont layer() const;

  Grid grid;
  std::string name;
  std::string params;
};

}  // namespace KOL
