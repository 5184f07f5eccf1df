// One radial of a polar NIDS product: where it starts and how wide it is.
#pragma once

namespace KOL {

class NidsRadial {
 public:
  float start = 0.0f;  // start angle, degrees clockwise from north
  float delta = 0.0f;  // angular width, degrees
  int bins = 0;        // bins (run-length products: run bytes) that follow

  void init() { *this = NidsRadial(); }
};

}  // namespace KOL
