#include "graphics/contour/Lattice.h"

#include <algorithm>
#include <cmath>

#include "core/Const.h"
#include "geo/Domain.h"
#include "graphics/GridBox.h"
#include "graphics/contour/Coverage.h"
#include "grid/Grid.h"

namespace KOL::contour {

namespace {

// Plot domains across which a cell can wrap round the map (as GridBox::set tells them).
bool wraps(const Domain* plot)
{
  return plot && (plot->proj == 2 || plot->proj == 3 || plot->proj == 7);
}

// The number of levels below v (as std::lower_bound, without a branch to mispredict at each
// halving).
int below(const std::vector<float>& levels, float v)
{
  std::size_t n = levels.size();
  if (n == 0) return 0;
  const float* base = levels.data();
  while (n > 1) {
    const std::size_t half = n / 2;
    base = base[half] < v ? base + half : base;
    n -= half;
  }
  return static_cast<int>(base - levels.data()) + (*base < v);
}

}  // namespace

Lattice::Lattice(const Grid& g, const Domain* plot, const Coverage* cover,
                 const std::vector<float>& levels)
    : nx(g.getNx()), ny(g.getNy()), horizontal((nx - 1) * ny)
{
  const std::size_t count = static_cast<std::size_t>(nx) * ny;
  values.resize(count);
  rank.resize(count);
  // the values straight from the grid's array, which holds them row by row
  const float* data = g.isData() && !g.isValue() ? g.getData() : nullptr;
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) {
      const std::size_t p = static_cast<std::size_t>(j) * nx + i;
      const float v = data ? data[p] : g.getValue(i, j);
      values[p] = std::isnan(v) ? Const::FMISS : v;
      rank[p] = static_cast<unsigned char>(below(levels, values[p]));
    }
  if (plot) place(g, *plot);
  join.assign(static_cast<std::size_t>(std::max(0, nx - 1)) * std::max(0, ny - 1), 0);
  for (int j = 0; j + 1 < ny; j++) {
    const float* up = values.data() + static_cast<std::size_t>(j) * nx;
    const float* down = up + nx;
    char* out = join.data() + static_cast<std::size_t>(j) * (nx - 1);
    for (int i = 0; i + 1 < nx; i++)
      out[i] = !Const::isMiss(up[i]) & !Const::isMiss(up[i + 1]) & !Const::isMiss(down[i]) &
               !Const::isMiss(down[i + 1]);
  }
  if (cover || wraps(plot)) narrow(cover, wraps(plot));
}

void Lattice::narrow(const Coverage* cover, bool wrap)
{
  for (int j = 0; j + 1 < ny; j++)
    for (int i = 0; i + 1 < nx; i++) {
      char& ok = join[static_cast<std::size_t>(j) * (nx - 1) + i];
      if (!ok) continue;
      ok = !cover || cover->covers(i, j);
      if (!ok || !wrap) continue;
      float lo = xs[point(i, j, 0)], hi = lo;
      for (int c = 1; c < 4; c++) {
        lo = std::min(lo, xs[point(i, j, c)]);
        hi = std::max(hi, xs[point(i, j, c)]);
      }
      ok = hi - lo <= 50.0f;
    }
}

void Lattice::place(const Grid& g, const Domain& plot)
{
  const std::size_t count = values.size();
  xs = g.getLocateX();
  ys = g.getLocateY();
  if (!xs || !ys) {
    ownX.resize(count);
    ownY.resize(count);
    Point p;
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++) {
        if (!GridBox::locate(g, plot, i, j, p)) p.init();
        ownX[static_cast<std::size_t>(j) * nx + i] = p.x;
        ownY[static_cast<std::size_t>(j) * nx + i] = p.y;
      }
    xs = ownX.data();
    ys = ownY.data();
  }
  for (std::size_t p = 0; p < count; p++)
    if (Const::isMiss(xs[p]) || Const::isMiss(ys[p])) values[p] = Const::FMISS;
}

int Lattice::side(int i, int j, int s) const
{
  switch (s) {
    case 0:
      return j * (nx - 1) + i;
    case 1:
      return horizontal + j * nx + i + 1;
    case 2:
      return (j + 1) * (nx - 1) + i;
    default:
      return horizontal + j * nx + i;
  }
}

void Lattice::set(GridBox& box, int i, int j) const
{
  float v[4];
  Point p[4];
  for (int c = 0; c < 4; c++) {
    v[c] = values[point(i, j, c)];
    p[c] = at(i, j, c);
  }
  box.set(v, p);
}

}  // namespace KOL::contour
