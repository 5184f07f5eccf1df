#include "geo/Point.h"

#include <cstdio>

namespace KOL {

Point Point::interp(const Point& a, const Point& b, float f)
{
  if (a.isMiss() || b.isMiss()) return Point();
  return Point(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f);
}

void Point::print() const { std::printf("%f %f %f\n", x, y, z); }

}  // namespace KOL
