#include "graphics/GridBox.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/Const.h"
#include "geo/Domain.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "grid/Grid.h"

namespace KOL {

namespace {

// Start and end corner of each side.
constexpr int SIDE_START[4] = {0, 3, 2, 2};
constexpr int SIDE_END[4] = {1, 1, 3, 0};

// The value a corner equal to the level takes: just below it, so no crossing sits on a corner.
float nudged(float level)
{
  if (level == 0.0f) return -std::numeric_limits<float>::denorm_min();
  return level - 5e-5f * std::fabs(level);
}

}  // namespace

int GridBox::locate(const Grid& g, const Domain& plot, int i, int j, Point& p)
{
  if (g.isLocate()) return g.getLocate(i, j, p);
  return project(g, plot, i, j, p);
}

int GridBox::project(const Grid& g, const Domain& plot, int i, int j, Point& p)
{
  GridPoint gp(static_cast<float>(i), static_cast<float>(j));
  if (Domain::compare(g.getDomain(), plot)) return g.tran(gp, p);
  EarthPoint e;
  if (!g.tran(gp, e)) return 0;
  return plot.tran(e, p);
}

int GridBox::locateAll(Grid& g, const Domain& plot)
{
  const int nx = g.getNx(), ny = g.getNy();
  if (!g.allocLocate()) return 0;
  float* xs = g.getLocateX();
  float* ys = g.getLocateY();
  auto store = [&](int i, int j, const Point& p) {
    if (p.isMiss()) return;
    xs[static_cast<std::size_t>(j) * nx + i] = p.x;
    ys[static_cast<std::size_t>(j) * nx + i] = p.y;
  };
  if (!Domain::compare(g.getDomain(), plot)) {
    Point p;
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++)
        if (project(g, plot, i, j, p)) store(i, j, p);
    return 1;
  }
  // On the grid's own plane x follows the column and y the row: one transformation for each.
  std::vector<Point> cols(nx), rows(ny);
  for (int i = 0; i < nx; i++)
    if (!g.tran(GridPoint(static_cast<float>(i), 0.0f), cols[i])) cols[i].init();
  for (int j = 0; j < ny; j++)
    if (!g.tran(GridPoint(0.0f, static_cast<float>(j)), rows[j])) rows[j].init();
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++)
      if (!cols[i].isMiss() && !rows[j].isMiss()) store(i, j, Point(cols[i].x, rows[j].y));
  return 1;
}

void GridBox::init()
{
  for (int c = 0; c < 4; c++) {
    vals[c] = Const::FMISS;
    pts[c].init();
    cross[c].init();
    code[c] = NO_CROSS;
    sides[c] = -1;
    partner[c] = -1;
  }
  ncross = 0;
  level = Const::FMISS;
  vmin = vmax = Const::FMISS;
  above = 0;
  state = 0;
  valid = locValid = wrapped = false;
}

int GridBox::set(const Grid& g, const Domain& plot, int i, int j)
{
  float v[4];
  Point p[4];
  for (int c = 0; c < 4; c++) {
    int ci = i + (c & 1), cj = j + (c >> 1);
    v[c] = ci < g.getNx() && cj < g.getNy() ? g.getValue(ci, cj) : Const::FMISS;
    if (!locate(g, plot, ci, cj, p[c])) p[c].init();
  }
  set(v, p);
  int proj = plot.proj;
  if (locValid && (proj == 2 || proj == 3 || proj == 7)) {
    float lo = std::fmin(std::fmin(pts[0].x, pts[1].x), std::fmin(pts[2].x, pts[3].x));
    float hi = std::fmax(std::fmax(pts[0].x, pts[1].x), std::fmax(pts[2].x, pts[3].x));
    if (hi - lo > 50.0f) {
      double off = proj == 2 ? Domain::OFFSET_LL : Domain::OFFSET_MERC;
      if (proj == 7) {
        double r = Const::EARTH_MEAN, y = pts[0].y;
        off = 2.0 * std::sqrt(std::fmax(0.0, r * r - y * y));
      }
      unwrap(static_cast<float>(off));
    }
  }
  return valid && locValid;
}

int GridBox::set(const float v[4], const Point p[4])
{
  valid = locValid = true;
  wrapped = false;
  for (int c = 0; c < 4; c++) {
    vals[c] = v[c];
    pts[c] = p[c];
    if (Const::isMiss(v[c]) || std::isnan(v[c])) valid = false;
    if (p[c].isMiss()) locValid = false;
  }
  setRange();
  initLevel();
  return valid && locValid;
}

void GridBox::setRange()
{
  vmin = vmax = Const::FMISS;
  for (float v : vals) {
    if (Const::isMiss(v) || std::isnan(v)) continue;
    if (Const::isMiss(vmin) || v < vmin) vmin = v;
    if (Const::isMiss(vmax) || v > vmax) vmax = v;
  }
}

void GridBox::unwrap(float offset)
{
  wrapped = true;
  for (Point& p : pts)
    if (p.x < 0.0f) p.x += offset;
}

int GridBox::initLevel()
{
  for (int s = 0; s < 4; s++) {
    code[s] = NO_CROSS;
    sides[s] = partner[s] = -1;
  }
  ncross = 0;
  above = 0;
  return 1;
}

int GridBox::setLevel(float lev)
{
  initLevel();
  level = lev;
  if (Const::isMiss(vmin)) return 0;
  // A corner equal to the level counts below it: the level crosses where some corner lies above.
  state = lev < vmin ? -1 : (lev >= vmax ? 1 : 0);
  above = state < 0 ? 0xFu : 0u;
  if (state != 0 || !valid) return 0;
  float v[4];
  float low = nudged(lev);
  for (int c = 0; c < 4; c++) {
    v[c] = vals[c] == lev ? low : vals[c];
    if (v[c] > lev) above |= 1u << c;
  }
  for (int s = 0; s < 4; s++) {
    float a = v[SIDE_START[s]], b = v[SIDE_END[s]];
    if ((a > lev) == (b > lev)) continue;
    float f = (lev - a) / (b - a);
    code[s] = f;
    setCross(ncross, s);
    const Point& p0 = pts[SIDE_START[s]];
    const Point& p1 = pts[SIDE_END[s]];
    setCrossPoint(ncross, Point(p0.x + f * (p1.x - p0.x), p0.y + f * (p1.y - p0.y)));
    ncross++;
  }
  pairCrossings();
  return ncross;
}

void GridBox::pairCrossings()
{
  if (ncross == 2) {
    partner[0] = 1, partner[1] = 0;
  } else if (ncross == 4) {
    // A saddle: the mean of the corners tells whether the middle of the cell lies above the level;
    // if it does, the upper left and lower right corners (when above) are joined through it.
    double mean = (double(vals[0]) + vals[1] + vals[2] + vals[3]) / 4.0;
    bool middleAbove = mean > level;
    if (middleAbove == isAbove(0)) {
      partner[0] = 1, partner[1] = 0, partner[2] = 3, partner[3] = 2;
    } else {
      partner[0] = 3, partner[3] = 0, partner[1] = 2, partner[2] = 1;
    }
  }
}

int GridBox::setCross(int k, int side)
{
  if (k < 0 || k > 3) return 0;
  sides[k] = side;
  return 1;
}

int GridBox::setCrossPoint(int k, const Point& p)
{
  if (k < 0 || k > 3) return 0;
  cross[k] = p;
  return 1;
}

void GridBox::print() const
{
  printVals();
  for (int c = 0; c < 4; c++) std::printf("pt%d: %.3f %.3f\n", c, pts[c].x, pts[c].y);
  printStats();
}

void GridBox::printVals() const
{
  std::printf("val: %.2f %.2f %.2f %.2f\n", vals[0], vals[1], vals[2], vals[3]);
}

void GridBox::printStats() const
{
  std::printf("level: %g state: %d crossings: %d min: %g max: %g\n", level, state, ncross, vmin,
              vmax);
  for (int k = 0; k < ncross; k++)
    std::printf("cross %d: side %d %.3f %.3f\n", k, sides[k], cross[k].x, cross[k].y);
}

}  // namespace KOL
