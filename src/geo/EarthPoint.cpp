#include "geo/EarthPoint.h"

#include <cstdio>

namespace KOL {

void EarthPoint::print() const { std::printf("%f %f %f\n", lat, lon, value); }

}  // namespace KOL
