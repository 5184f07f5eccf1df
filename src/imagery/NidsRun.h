// One run of equal values along a radial or a raster row.
#pragma once

namespace KOL {

class NidsRun {
 public:
  int length = 0;      // bins or columns covered
  int level = 0;       // data level code (threshold index or digital byte)
  float value = 0.0f;  // physical value of the level

  void init() { *this = NidsRun(); }
};

}  // namespace KOL
