#include "graphics/Coords.h"

#include <cstdio>

namespace KOL {

void Coords::print() const
{
  std::printf("(%f,%f)-(%f,%f) %f x %f\n", x1, y1, x2, y2, width, height);
}

}  // namespace KOL
