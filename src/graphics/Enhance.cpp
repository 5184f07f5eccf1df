#include "graphics/Enhance.h"

#include <cstdio>

namespace KOL {

int Enhance::add(float lo, float hi, const RGB& from, const RGB& to)
{
  if (hi < lo) return 0;
  segments.push_back({lo, hi, from, to});
  return 1;
}

int Enhance::getRange(float& lo, float& hi) const
{
  if (segments.empty()) return 0;
  lo = segments[0].lo;
  hi = segments[0].hi;
  for (const Segment& s : segments) {
    if (s.lo < lo) lo = s.lo;
    if (s.hi > hi) hi = s.hi;
  }
  return 1;
}

int Enhance::getColor(float v, RGB& c) const
{
  for (const Segment& s : segments) {
    if (v < s.lo || v > s.hi) continue;
    const float f = s.hi > s.lo ? (v - s.lo) / (s.hi - s.lo) : 0.0f;
    c.set(s.from.red + f * (s.to.red - s.from.red), s.from.green + f * (s.to.green - s.from.green),
          s.from.blue + f * (s.to.blue - s.from.blue));
    return 1;
  }
  return 0;
}

void Enhance::print() const
{
  std::printf("Enhance: %d\n", getNum());
  for (const Segment& s : segments)
    std::printf("%g %g (%4.2f,%4.2f,%4.2f) (%4.2f,%4.2f,%4.2f)\n", s.lo, s.hi, s.from.red,
                s.from.green, s.from.blue, s.to.red, s.to.green, s.to.blue);
}

}  // namespace KOL
