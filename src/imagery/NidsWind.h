// One wind barb of a NIDS wind packet.
#pragma once

namespace KOL {

class NidsWind {
 public:
  int x = 0, y = 0;  // position, quarter-kilometres about the radar (VAD: time and height)
  int dir = 0;       // degrees from which the wind blows
  int speed = 0;     // knots
  int value = 0;     // colour level

  void init() { *this = NidsWind(); }
};

}  // namespace KOL
