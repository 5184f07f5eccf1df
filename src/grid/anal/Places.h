// Where an observation was made: its own position when it has one, else its station's in the
// station table, which is loaded once, at the first observation that needs it.
#pragma once

#include <memory>

#include "geo/EarthPoint.h"

namespace KOL {
class CityHash;
}

namespace KOL::anal {

class Places {
 public:
  Places();
  ~Places();
  // 0 when neither the position nor the station is known.
  int place(float lat, float lon, const char* id, EarthPoint& loc);

 private:
  std::unique_ptr<CityHash> table_;
};

}  // namespace KOL::anal
