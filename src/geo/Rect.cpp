#include "geo/Rect.h"

#include <cstdio>
#include <utility>

namespace KOL {

void Rect::set(float a, float b, float c, float d)
{
  if (a > c) std::swap(a, c);
  if (b > d) std::swap(b, d);
  setu(a, b, c, d);
}

bool Rect::isMiss() const
{
  return Const::isMiss(x1) || Const::isMiss(y1) || Const::isMiss(x2) || Const::isMiss(y2);
}

void Rect::print() const { std::printf("(%f,%f)-(%f,%f)\n", x1, y1, x2, y2); }

}  // namespace KOL
