#include "obs/Wind.h"

#include <cstdio>

#include "obs/Calc.h"

namespace KOL {

Wind Wind::fromUV(float u, float v)
{
  if (u == Const::FMISS || v == Const::FMISS) return Wind();
  return Wind(Calc::windDir(u, v), Calc::windSpd(u, v));
}

float Wind::getU() const { return isValid() ? Calc::windU(dir, spd) : Const::FMISS; }
float Wind::getV() const { return isValid() ? Calc::windV(dir, spd) : Const::FMISS; }

Wind Wind::interp(const Wind& a, const Wind& b, float x1, float x2, float x)
{
  if (!a.isValid()) return b;
  if (!b.isValid() || x1 == x2) return a;
  return fromUV(Calc::interpLinear(x, x1, x2, a.getU(), b.getU()),
                Calc::interpLinear(x, x1, x2, a.getV(), b.getV()));
}

void Wind::print() const { std::printf("Wind: %3.0f deg %5.1f kt\n", dir, spd); }

}  // namespace KOL
