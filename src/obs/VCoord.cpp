#include "obs/VCoord.h"

#include <cstdio>

namespace KOL {

void VCoord::init()
{
  kind = Const::MISS;
  value = Const::FMISS;
}

void VCoord::print() const { std::printf("VCoord: kind %d value %g\n", kind, value); }

}  // namespace KOL
