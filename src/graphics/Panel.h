// One panel of a plot: where it is placed on the page (NDC), the viewport it was given, the
// window it shows and the map domain that its earth-coordinate drawing projects through.
#pragma once

#include "geo/Domain.h"
#include "geo/Point.h"
#include "geo/Rect.h"

namespace KOL {

// A size and an offset read from a geometry or panel text; fields not given stay missing.
struct GeomBox {
  float x = Const::FMISS, y = Const::FMISS, width = Const::FMISS, height = Const::FMISS;
};

class Panel {
 public:
  Panel() { init(); }

  void init();
  void setLimits(float x1, float y1, float x2, float y2) { limits.set(x1, y1, x2, y2); }
  void setLimits(const Rect& r) { limits = r; }
  const Rect& getLimits() const { return limits; }
  void setViewport(const Rect& r) { viewport = r; }
  const Rect& getViewport() const { return viewport; }
  void setWindow(const Rect& r) { window = r; }
  const Rect& getWindow() const { return window; }
  void setDomain(const Domain& d) { domain = d; }
  Domain& getDomain() { return domain; }
  const Domain& getDomain() const { return domain; }
  // Inclusive.
  bool withinLimits(float x, float y) const;
  // A point relative to the limits' lower left, divided by their longer side.
  int getView(const Point& in, Point& out) const;
  // A point of the limits carried into the domain's limits.
  int getWindow(const Point& in, Point& out) const;
  void print() const;

 private:
  Rect limits, viewport, window;
  Domain domain;
};

}  // namespace KOL
