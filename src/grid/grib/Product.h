// Turns the product description of a decoded field into the library's terms: a GribPDB with its
// forecast time, level and variable.
#pragma once

#include "grid/grib/Field.h"

namespace KOL {
class GribPDB;
class GribParam;
class Level;
class ForeTime;
}  // namespace KOL

namespace KOL::grib {

// Fills pdb from f; param receives the parameter table entry (already looked up when it
// matches the field's numbers).
void fillPDB(const Field& f, GribPDB& pdb, GribParam& param);
Level levelOf(const Field& f);
ForeTime foreTimeOf(const Field& f);
// The grid number of an edition 2 grid, made up from its template, corner and spacing.
int syntheticGridNumber(const GridGeom& g);

}  // namespace KOL::grib
