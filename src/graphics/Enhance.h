// An enhancement table: colours that run over ranges of an image's physical values (brightness
// temperature, reflectivity), each range shading from one colour to another. Satellite and
// radar layers colour their images by it and the plot draws it as a graded colour bar.
#pragma once

#include <vector>

#include "imagery/RGB.h"

namespace KOL {

class Enhance {
 public:
  struct Segment {
    float lo, hi;  // value range
    RGB from, to;  // colours at lo and at hi
  };

  Enhance() { init(); }
  void init() { segments.clear(); }
  // 0 when hi < lo.
  int add(float lo, float hi, const RGB& from, const RGB& to);
  int getNum() const { return static_cast<int>(segments.size()); }
  const Segment& get(int i) const { return segments[i]; }
  // The lowest and highest value covered; 0 when empty.
  int getRange(float& lo, float& hi) const;
  // The colour of value v (linear within its segment); 0 when no segment holds v.
  int getColor(float v, RGB& c) const;
  void print() const;

 private:
  std::vector<Segment> segments;
};

}  // namespace KOL
