#include "layers/varplot/GridOnPlot.h"

#include <algorithm>
#include <cmath>

#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"

namespace KOL::varplot {

namespace {

float distanceOf(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

Point onPlot(const Grid& g, const Plot& plot, int i, int j)
{
  Point p;
  EarthPoint e;
  if (!g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) || e.isMiss() ||
      !plot.getDomain().tran(e, p))
    p.init();
  return p;
}

bool spacing(const Grid& g, const Plot& plot, float& dx, float& dy)
{
  dx = dy = 0.0f;
  const int nx = g.getNx(), ny = g.getNy();
  if (nx < 2 || ny < 2) return false;
  int i = nx / 2, j = ny / 2;
  EarthPoint centre;
  GridPoint gc;
  Point pc;
  if (plot.getDomain().tranCenter(pc) && plot.getDomain().tran(pc, centre) && g.tran(centre, gc) &&
      !gc.isMiss() && gc.x >= 0 && gc.y >= 0 && gc.x < nx - 1 && gc.y < ny - 1) {
    i = static_cast<int>(gc.x), j = static_cast<int>(gc.y);
  }
  i = std::min(i, nx - 2), j = std::min(j, ny - 2);
  const Point p = onPlot(g, plot, i, j), px = onPlot(g, plot, i + 1, j),
              py = onPlot(g, plot, i, j + 1);
  if (p.isMiss() || px.isMiss() || py.isMiss()) return false;
  dx = distanceOf(p, px), dy = distanceOf(p, py);
  return dx > 0.0f && dy > 0.0f;
}

void stride(const Grid& g, const Plot& plot, float distance, int& di, int& dj)
{
  di = dj = 1;
  float dx, dy;
  if (distance <= 0.0f || !spacing(g, plot, dx, dy)) return;
  di = std::max(1, static_cast<int>(std::ceil(distance / dx)));
  dj = std::max(1, static_cast<int>(std::ceil(distance / dy)));
}

}  // namespace KOL::varplot
