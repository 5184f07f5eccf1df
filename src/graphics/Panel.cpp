#include "graphics/Panel.h"

#include <algorithm>
#include <cstdio>

namespace KOL {

void Panel::init()
{
  limits.set(0, 0, 1, 1);
  viewport.init();
  window.init();
  domain.init();
}

bool Panel::withinLimits(float x, float y) const
{
  return x >= limits.x1 && x <= limits.x2 && y >= limits.y1 && y <= limits.y2;
}

int Panel::getView(const Point& in, Point& out) const
{
  const float side = std::max(limits.width(), limits.height());
  if (!(side > 0) || in.isMiss()) {
    out.init();
    return 0;
  }
  out.set((in.x - limits.x1) / side, (in.y - limits.y1) / side);
  return 1;
}

int Panel::getWindow(const Point& in, Point& out) const
{
  const Rect& d = domain.getLimits();
  if (!(limits.width() > 0) || !(limits.height() > 0) || d.isMiss() || in.isMiss()) {
    out.init();
    return 0;
  }
  out.set(d.x1 + (in.x - limits.x1) / limits.width() * d.width(),
          d.y1 + (in.y - limits.y1) / limits.height() * d.height());
  return 1;
}

void Panel::print() const
{
  std::printf("Panel limits: %f %f - %f %f\n", limits.x1, limits.y1, limits.x2, limits.y2);
  std::printf("Panel view: %f %f - %f %f\n", viewport.x1, viewport.y1, viewport.x2, viewport.y2);
  domain.print();
}

}  // namespace KOL
