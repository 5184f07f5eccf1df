// An angle in radians kept with its sine and cosine, for transforms that reuse them per point.
#pragma once

namespace KOL {

class Angle {
 public:
  double angle, sin, cos;

  Angle() { init(); }
  explicit Angle(double a) { set(a); }

  void init() { set(0.0); }
  void set(double a);
  void print() const;
};

}  // namespace KOL
