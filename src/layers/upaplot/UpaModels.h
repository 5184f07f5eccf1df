// The station models of an upper-air chart: every sounding of an upper-air file merged, placed
// (its own position, else the station table's) and interpolated to the level of each parameter
// of a run, each value computed into a Datum in the entry's units with its drawing format.
#pragma once

#include <vector>

#include "layers/VarSpec.h"

namespace KOL {

class Datum;
class Domain;
class UpaData;
class UpaKolFile;

namespace sfcplot {
class StationModels;
}

namespace upaplot {

// A value of a sounding at the level of spec (which must be set): the variables of
// UpaGrid::levelValue as numbers, "wbrb" and "wind" as barbs and arrows, "id" the station's
// identifier and "stn" a circle at the station. 0 for another name.
int compute(const UpaData& snd, const VarSpec& spec, Datum& d);

// Rewinds the file and reads it once; adds a model for every sounding placed inside the domain,
// one value per parameter (formats with ":" turned into ","). The number of soundings read.
int readModels(UpaKolFile& file, const std::vector<VarSpec>& params, const Domain& dom,
               sfcplot::StationModels& out);

}  // namespace upaplot
}  // namespace KOL
