#include "layers/image/GridPaint.h"

#include <algorithm>
#include <cmath>

#include "geo/Domain.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "grid/Grid.h"
#include "layers/image/ImageCanvas.h"

namespace KOL::imageplot {

int classOf(const std::vector<float>& levels, float v)
{
  if (Const::isMiss(v) || levels.empty()) return 0;
  const long k = std::upper_bound(levels.begin(), levels.end(), v) - levels.begin();
  return static_cast<int>(std::clamp<long>(k, 1, static_cast<long>(levels.size())));
}

namespace {

// Where canvas point (i, j) lies on the grid. On one projection the two lattices are both
// axis-parallel in plot coordinates, so the place is linear in i and j; otherwise each point
// goes through the earth.
class Placer {
 public:
  Placer(const Domain& from, const Domain& to) : from(from), to(to)
  {
    GridPoint o, x, y;
    linear = Domain::compareProj(from, to) && place(0, 0, o) && place(1, 0, x) && place(0, 1, y);
    if (!linear) return;
    x0 = o.x, dxi = x.x - o.x, dyi = x.y - o.y;
    y0 = o.y, dxj = y.x - o.x, dyj = y.y - o.y;
  }
  bool at(int i, int j, GridPoint& gp) const
  {
    if (!linear) return place(i, j, gp);
    gp.x = x0 + dxi * i + dxj * j;
    gp.y = y0 + dyi * i + dyj * j;
    return true;
  }

 private:
  bool place(int i, int j, GridPoint& gp) const
  {
    return Domain::translate(from, to, GridPoint(static_cast<float>(i), static_cast<float>(j)),
                             gp) &&
           !gp.isMiss();
  }
  const Domain& from;
  const Domain& to;
  bool linear = false;
  float x0 = 0, y0 = 0, dxi = 0, dyi = 0, dxj = 0, dyj = 0;
};

// classOf, by arithmetic when the levels are evenly spaced (as automatic levels are).
class Classes {
 public:
  explicit Classes(const std::vector<float>& levels) : levels(levels)
  {
    const size_t n = levels.size();
    if (n < 2) return;
    step = (levels[n - 1] - levels[0]) / static_cast<float>(n - 1);
    for (size_t k = 1; k < n && even; ++k)
      even = std::fabs(levels[k] - (levels[0] + step * static_cast<float>(k))) <= 1e-4f * step;
  }
  int of(float v) const
  {
    if (!even || Const::isMiss(v)) return classOf(levels, v);
    const float f = (v - levels[0]) / step;
    const int k = f < 0 ? 1 : static_cast<int>(f) + 1;
    const int n = static_cast<int>(levels.size());
    // a value next to a level is settled by the comparison itself
    if (k > 1 && k <= n && v < levels[static_cast<size_t>(k - 1)]) return k - 1;
    if (k < n && v >= levels[static_cast<size_t>(k)]) return k + 1;
    return k > n ? n : k;
  }

 private:
  const std::vector<float>& levels;
  float step = 0;
  bool even = true;
};

}  // namespace

long paintGrid(Canvas& canvas, const Grid& g, const GridPaint& how)
{
  const Domain& from = canvas.image().getDomain();
  const Placer placer(from, g.getDomain());
  const bool lonLimit = how.lons.limited();
  const float lastX = static_cast<float>(g.getNx() - 1), lastY = static_cast<float>(g.getNy() - 1);
  const float* data = g.getData();
  if (!data || g.isValue()) return 0;
  const Classes classes(how.levels);
  long n = 0;
  for (int j = 0; j < canvas.height(); ++j)
    for (int i = 0; i < canvas.width(); ++i) {
      GridPoint gp;
      if (!placer.at(i, j, gp) ||
          !(gp.x >= -0.5f && gp.y >= -0.5f && gp.x <= lastX + 0.5f && gp.y <= lastY + 0.5f))
        continue;
      if (lonLimit) {
        EarthPoint e;
        if (!from.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) ||
            !how.lons.keeps(e.lon))
          continue;
      }
      const float v =
          how.bilinear ? g.getValue(gp)
                       : g.getValue(static_cast<int>(gp.x + 0.5f), static_cast<int>(gp.y + 0.5f));
      if (!Const::isMiss(how.cutoff) && !(v >= how.cutoff)) continue;
      if (const int k = classes.of(v)) canvas.put(i, j, static_cast<uint8_t>(k)), ++n;
    }
  return n;
}

}  // namespace KOL::imageplot
