#include "geo/GridPoint.h"

#include <cstdio>

namespace KOL {

void GridPoint::print() const { std::printf("%f %f\n", x, y); }

}  // namespace KOL
