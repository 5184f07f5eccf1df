#include "graphics/GTran.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace KOL {

void GTran::init() { set(Rect(0, 0, 1, 1)); }

void GTran::set(const Rect& device)
{
  dev.set(device.x1, device.y1, device.x2, device.y2);
  const float w = std::fabs(dev.width), h = std::fabs(dev.height);
  float xn = 1, yn = 1;
  if (w > 0 && h > 0) {
    if (w >= h)
      yn = h / w;
    else
      xn = w / h;
  }
  ndc.set(0, 0, xn, yn);
  win = view = ndc;
  scale.set(1, 1);
  dscale.set(dev.width / xn, dev.height / yn);
  if (dscale.x == 0) dscale.x = 1;
  if (dscale.y == 0) dscale.y = 1;
}

namespace {

bool usable(const Rect& r)
{
  const float w = r.x2 - r.x1, h = r.y2 - r.y1;
  return std::isfinite(w) && std::isfinite(h) && w != 0 && h != 0 && !r.isMiss();
}

}  // namespace

int GTran::setWindow(const Rect& r)
{
  if (!usable(r)) return 0;
  win.set(r.x1, r.y1, r.x2, r.y2);
  scale.set(view.width / win.width, view.height / win.height);
  return 1;
}

int GTran::setViewport(const Rect& r)
{
  if (!usable(r)) return 0;
  view.set(r.x1, r.y1, r.x2, r.y2);
  scale.set(view.width / win.width, view.height / win.height);
  return 1;
}

float GTran::tranWindowX(const GTran& from, const GTran& to, float x)
{
  return to.tranNdcWindowX(from.tranWindowNdcX(x));
}

float GTran::tranWindowY(const GTran& from, const GTran& to, float y)
{
  return to.tranNdcWindowY(from.tranWindowNdcY(y));
}

Rect GTran::getClipRect() const
{
  Rect r;
  r.set(tranNdcPlotX(view.x1), tranNdcPlotY(view.y1), tranNdcPlotX(view.x2), tranNdcPlotY(view.y2));
  return r;
}

bool GTran::isPointsInWindow(int n, const Point* pts) const
{
  if (n <= 0 || !pts) return false;
  float xmin = pts[0].x, xmax = xmin, ymin = pts[0].y, ymax = ymin;
  for (int i = 1; i < n; ++i) {
    xmin = std::min(xmin, pts[i].x), xmax = std::max(xmax, pts[i].x);
    ymin = std::min(ymin, pts[i].y), ymax = std::max(ymax, pts[i].y);
  }
  const float wx1 = std::min(win.x1, win.x2), wx2 = std::max(win.x1, win.x2);
  const float wy1 = std::min(win.y1, win.y2), wy2 = std::max(win.y1, win.y2);
  return !(xmax < wx1 || xmin > wx2 || ymax < wy1 || ymin > wy2);
}

bool GTran::isPointsInWindow(const Points& pts) const
{
  return pts.getNum() > 0 && isPointsInWindow(pts.getNum(), &pts[0]);
}

void GTran::print() const
{
  std::printf("GTran:\n");
  std::printf("Plt: ");
  dev.print();
  std::printf("NDC: ");
  ndc.print();
  std::printf("VP:  ");
  view.print();
  std::printf("Win: ");
  win.print();
}

float GTran::clamp(float v)
{
  if (std::isnan(v)) return -DEVICE_LIMIT;
  return std::clamp(v, -DEVICE_LIMIT, DEVICE_LIMIT);
}

}  // namespace KOL
