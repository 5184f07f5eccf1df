// One station as the station hash holds it: the station table line and its location key.
#pragma once

#include "obs/CityData.h"

namespace KOL {

class CityHashData : public CityData {
 public:
  // "%5.0f%6.0f" of latitude and longitude in tenths of degrees.
  static constexpr int LOC_SIZE = 12;

  char loc[LOC_SIZE];

  CityHashData() { init(); }
  explicit CityHashData(const CityData& d) : CityData(d) { setLocKey(); }

  void init();
  // Rebuilds the location key from the position; 0 when the position is missing.
  int setLocKey();
  // The location key of a position; 0 (and an empty key) when it is missing or out of range.
  static int locKey(float lat, float lon, char* out, int size);
  void print() const;
};

}  // namespace KOL
