// The product description of the GRIB field being read: who made it (centre, sub-centre,
// generating process), on which grid, for which reference time, forecast time, level and
// variable, with its ensemble and probability details.
#pragma once

#include "core/Const.h"
#include "core/ForeTime.h"
#include "grid/Level.h"
#include "layers/Variable.h"

namespace KOL {

class GribPDB {
 public:
  GribPDB() { init(); }
  void init();

  int edition;
  int source;  // centre
  int subCentre;
  int model;     // generating process
  int gridType;  // grid number (edition 1) or the synthetic number of an edition 2 grid
  int year, month, day, hour, minute, second;  // reference time
  ForeTime foreTime;
  Level level;
  Variable variable;
  int sectFlag;  // edition 1 GDS/BMS flags
  // Ensemble and probability details, Const::MISS when absent.
  int ensType, ensMember, ensCount, derived;
  int probType;
  float probLower, probUpper;
  int percentile;

  void print() const;
};

}  // namespace KOL
