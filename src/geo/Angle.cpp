#include "geo/Angle.h"

#include <cmath>
#include <cstdio>

namespace KOL {

void Angle::set(double a)
{
  angle = a;
  sin = std::sin(a);
  cos = std::cos(a);
}

void Angle::print() const { std::printf("%f %f %f\n", angle, sin, cos); }

}  // namespace KOL
