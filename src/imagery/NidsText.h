// One text string of a NIDS text packet.
#pragma once

#include <string>

namespace KOL {

class NidsText {
 public:
  int x = 0, y = 0;  // position, quarter-kilometres about the radar
  int color = -1;    // colour level; -1 when the packet carries none
  std::string text;

  void init() { *this = NidsText(); }
};

}  // namespace KOL
