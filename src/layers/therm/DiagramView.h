// A thermodynamic diagram as the plot shows it: the current panel's domain, its window in plot
// coordinates and its viewport on the page. Answers where a (temperature C, pressure mb) point
// lands on the page and where isobars and isotherms meet the window's edges, for every diagram
// projection through its forward and inverse transforms.
#pragma once

#include <string>
#include <vector>

#include "geo/Domain.h"
#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/GTran.h"

namespace KOL {

class Plot;

namespace therm {

class DiagramView {
 public:
  explicit DiagramView(Plot& plot);

  // The window corner (0 upper left, 1 upper right, 2 lower left, 3 lower right) as
  // temperature and pressure; false when it cannot be transformed back.
  bool corner(int i, float& t, float& p) const;
  // Page position of (t, p); false when the diagram cannot place it.
  bool toPage(float t, float p, Point& out) const;
  // The page height of the isobar p where it meets the window's left edge; false when it does
  // not meet it.
  bool isobarAtLeft(float p, float& y) const;
  // The window point where the isobar p meets the vertical line x (window units).
  bool isobarAt(float x, float p, Point& at) const;
  // The page x of the isotherm t where it meets the window's bottom edge.
  bool isothermAtBottom(float t, float& x) const;
  const Rect& viewport() const { return view; }
  const Rect& window() const { return win; }

 private:
  // Pressure (which 1) or temperature (which 0) of a window point; missing when none.
  float valueAt(float x, float y, int which) const;
  // The window point on the segment a-b where the value crosses target.
  bool crossing(const Point& a, const Point& b, int which, float target, Point& out) const;
  Point page(const Point& w) const
  {
    return Point(tran.tranWindowNdcX(w.x), tran.tranWindowNdcY(w.y));
  }

  Domain domain;
  GTran tran;
  Rect win, view;
};

// Item i of a comma-separated list ("" when the list has no such item or it is empty).
std::string listItem(const char* list, int i);
// The numbers of a comma-separated list (items that are not positive numbers left out, with
// their places kept as 0).
std::vector<float> listValues(const char* list);

}  // namespace therm
}  // namespace KOL
