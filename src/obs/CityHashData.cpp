#include "obs/CityHashData.h"

#include <cstdio>

namespace KOL {

void CityHashData::init()
{
  CityData::init();
  loc[0] = '\0';
}

int CityHashData::setLocKey() { return locKey(lat, lon, loc, LOC_SIZE); }

int CityHashData::locKey(float lat, float lon, char* out, int size)
{
  if (!out || size < 1) return 0;
  out[0] = '\0';
  // Beyond these the key no longer fits its five and six characters.
  if (Const::isMiss(lat) || Const::isMiss(lon) || !(lat >= -90 && lat <= 90) ||
      !(lon >= -3600 && lon <= 3600))
    return 0;
  int n = std::snprintf(out, size, "%5.0f%6.0f", lat * 10, lon * 10);
  return n > 0 && n < size ? 1 : 0;
}

void CityHashData::print() const
{
  std::printf("%-9s %-5s [%s] ", id, wmo, loc);
  CityData::print();
}

}  // namespace KOL
