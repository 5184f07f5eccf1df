// Turns a decoded field into a Grid: its domain (projection, centre, spacing), its values with
// row 0 at the northern edge (thinned rows expanded, scanning directions undone, an optional
// repeated column for global latitude-longitude grids) and its description.
#pragma once

#include <string>
#include <vector>

#include "grid/grib/Field.h"

namespace KOL {
class DomainVal;
class Grid;
class GribPDB;
}  // namespace KOL

namespace KOL::grib {

struct FillOptions {
  bool wrap = false;           // global latitude-longitude grids get a column repeating the first
  float missing = MISSING;     // value stored for masked points
  int maxBad = 0;              // edition 1 quality limit (0: off)
  bool wideLimit = false;      // the first field of the file had level type 6, 7 or 90 and above
  const char* modelName = "";  // from the model-name table
};

// "12Z FRI 17 MAY 24" texts: "Analysis for ...", "GFS analysis for ...", "12 hour fcst valid ...",
// "24 hour acc ending ..."; the seconds are those of the time named (a period's end).
std::string makeDatim(const GribPDB& pdb, const char* model, long validSeconds);
// Model, level and variable names joined by blanks.
std::string makeInfo(const GribPDB& pdb, const char* model);

// The domain of a field's grid; 0 when the grid kind has none.
int domainOf(const Field& f, bool wrap, DomainVal& dv);
// Size, domain and description; with values, the data too, which are taken out of the field
// (its values are left empty). 0 when the grid cannot be made.
int fillGrid(Field& f, const GribPDB& pdb, const FillOptions& opt, bool values, Grid& g);
// The Grid's values moved out (it is left without any) for the next field to reuse, and back.
std::vector<float> takeValues(Grid& g);
void restoreValues(Grid& g, std::vector<float> values);

}  // namespace KOL::grib
