#include "layers/therm/DiagramView.h"

#include <cmath>
#include <cstdlib>

#include "core/Const.h"
#include "core/Strings.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"

namespace KOL::therm {

namespace {

constexpr int BISECTIONS = 40;

}  // namespace

DiagramView::DiagramView(Plot& plot)
    : domain(plot.getDomain()), tran(plot.getGraph().getGTran(Plot::MAP))
{
  win = tran.getWindow();
  view = tran.getViewport();
}

bool DiagramView::corner(int i, float& t, float& p) const
{
  const float x = i == 0 || i == 2 ? win.x1 : win.x2;
  const float y = i < 2 ? win.y2 : win.y1;
  EarthPoint e;
  if (!domain.tran(Point(x, y), e) || Const::isMiss(e.lat) || Const::isMiss(e.lon)) return false;
  t = e.lat, p = e.lon;
  return std::isfinite(t) && std::isfinite(p);
}

bool DiagramView::toPage(float t, float p, Point& out) const
{
  EarthPoint e(t, p);
  Point w;
  if (Const::isMiss(t) || Const::isMiss(p) || !domain.tran(e, w) || w.isMiss()) return false;
  out = page(w);
  return true;
}

float DiagramView::valueAt(float x, float y, int which) const
{
  EarthPoint e;
  if (!domain.tran(Point(x, y), e)) return Const::FMISS;
  return which ? e.lon : e.lat;
}

bool DiagramView::crossing(const Point& a, const Point& b, int which, float target,
                           Point& out) const
{
  float va = valueAt(a.x, a.y, which), vb = valueAt(b.x, b.y, which);
  if (Const::isMiss(va) || Const::isMiss(vb)) return false;
  if ((va - target) * (vb - target) > 0) return false;
  Point lo = a, hi = b;
  for (int i = 0; i < BISECTIONS; ++i) {
    Point mid;
    mid.set((lo.x + hi.x) / 2, (lo.y + hi.y) / 2);
    const float vm = valueAt(mid.x, mid.y, which);
    if (Const::isMiss(vm)) return false;
    if ((va - target) * (vm - target) <= 0) {
      hi = mid;
    } else {
      lo = mid;
      va = vm;
    }
  }
  out.set((lo.x + hi.x) / 2, (lo.y + hi.y) / 2);
  return true;
}

bool DiagramView::isobarAt(float x, float p, Point& at) const
{
  return crossing(Point(x, win.y1), Point(x, win.y2), 1, p, at);
}

bool DiagramView::isobarAtLeft(float p, float& y) const
{
  Point at;
  if (!isobarAt(win.x1, p, at)) return false;
  y = page(at).y;
  return true;
}

bool DiagramView::isothermAtBottom(float t, float& x) const
{
  Point at;
  if (!crossing(Point(win.x1, win.y1), Point(win.x2, win.y1), 0, t, at)) return false;
  x = page(at).x;
  return true;
}

std::string listItem(const char* list, int i)
{
  Strings items;
  items.set(list ? list : "", ',');
  const char* s = i >= 0 && i < items.getNum() ? items.getString(i) : nullptr;
  return s ? s : "";
}

std::vector<float> listValues(const char* list)
{
  Strings items;
  items.set(list ? list : "", ',');
  std::vector<float> out;
  for (int i = 0; i < items.getNum(); ++i) {
    const char* s = items.getString(i);
    const float v = s ? std::strtof(s, nullptr) : 0.0f;
    out.push_back(v > 0 ? v : 0.0f);
  }
  return out;
}

}  // namespace KOL::therm
