// One vector of a NIDS graphic packet, in screen quarter-kilometres about the radar.
#pragma once

namespace KOL {

class NidsVector {
 public:
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int value = 0;  // colour level; 0 when the packet carries none

  void init() { *this = NidsVector(); }
};

}  // namespace KOL
