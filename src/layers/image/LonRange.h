// The longitudes an image layer keeps (minlon=, maxlon=). A band whose west end lies east of
// its east end crosses the date line: minlon=170,maxlon=-170 keeps the 20 degrees about 180.
#pragma once

#include "core/Const.h"

namespace KOL::imageplot {

struct LonRange {
  float west = Const::FMISS, east = Const::FMISS;

  bool limited() const { return !Const::isMiss(west) || !Const::isMiss(east); }
  bool keeps(float lon) const;
};

}  // namespace KOL::imageplot
