#include "layers/image/LonRange.h"

namespace KOL::imageplot {

namespace {

// Into -180..180, 180 itself kept (maxlon=180 is the date line, not -180).
float wrap(float lon)
{
  while (lon > 180.0f) lon -= 360.0f;
  while (lon < -180.0f) lon += 360.0f;
  return lon;
}

}  // namespace

bool LonRange::keeps(float lon) const
{
  if (Const::isMiss(lon)) return false;
  lon = wrap(lon);
  const bool hasWest = !Const::isMiss(west), hasEast = !Const::isMiss(east);
  if (hasWest && hasEast) {
    const float w = wrap(west), e = wrap(east);
    // 180 and -180 are one meridian
    const bool inside = w <= e ? lon >= w && lon <= e : lon >= w || lon <= e;
    return inside || (lon == -180.0f && wrap(lon + 360.0f) == e) || (lon == 180.0f && -180.0f == w);
  }
  if (hasWest) return lon >= wrap(west);
  if (hasEast) return lon <= wrap(east);
  return true;
}

}  // namespace KOL::imageplot
