// A gross-error check of station values against their own analysis: a value that differs from
// the analysis at its station by more than a few times the typical difference of its field is
// taken for a bad report (a mistyped pressure, a temperature in the wrong units) and left out,
// so that it does not draw a bull's-eye into the contours.
#pragma once

namespace KOL {
class Data;
class Grids;
}  // namespace KOL

namespace KOL::sfcplot {

// Sets missing every value of data whose residual from grids (grid k analyses field k) exceeds
// factor times the field's root-mean-square residual; the number of values left out.
int dropGrossErrors(Data& data, const Grids& grids, float factor);

}  // namespace KOL::sfcplot
