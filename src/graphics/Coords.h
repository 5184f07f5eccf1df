// A rectangle with its sizes, as the transformations keep it: corners and signed width and height
// (a device whose y grows upward has a negative height).
#pragma once

namespace KOL {

class Coords {
 public:
  float x1, y1, x2, y2, width, height;

  Coords() { init(); }
  Coords(float a, float b, float c, float d) { set(a, b, c, d); }

  void init() { set(0, 0, 1, 1); }
  void set(float a, float b, float c, float d)
  {
    x1 = a, y1 = b, x2 = c, y2 = d;
    width = c - a, height = d - b;
  }
  void print() const;
};

}  // namespace KOL
