#include "layers/GridVect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "grid/Grid.h"

namespace KOL {

namespace {

constexpr double DEG = 0.017453292519943295;
// Arrow heads: their length as a share of the arrow and their half-angle.
constexpr float HEAD = 0.3f;
constexpr float HEAD_ANGLE = 25.0f;

float distance(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Where grid point (i, j) of g lies on the plot; missing when it cannot be placed.
Point onPlot(const Grid& g, const Plot& plot, int i, int j)
{
  Point p;
  EarthPoint e;
  if (!g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) || e.isMiss() ||
      !plot.getDomain().tran(e, p))
    p.init();
  return p;
}

Point along(const Point& p, float dir, float length)
{
  return Point(p.x + length * static_cast<float>(std::sin(dir * DEG)),
               p.y + length * static_cast<float>(std::cos(dir * DEG)));
}

}  // namespace

void GridVect::init()
{
  barbs = false;
  label = true;
  scale = 1.0f;
  skip = 0;
  color.clear();
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int GridVect::setParam(const char* params)
{
  if (!params) return 1;
  for (const std::string& f : PlotParams::split(params)) {
    const char* s = f.c_str();
    if (StrLib::iequal(s, "vbar")) {
      barbs = true;
    } else if (StrLib::iequal(s, "vect")) {
      barbs = false;
    } else if (StrLib::iequal(s, "nolabel")) {
      label = false;
    } else if (StrLib::equal(s, "co=", 3)) {
      color = f.substr(3);
    } else if (StrLib::equal(s, "sc=", 3)) {
      const float v = std::strtof(s + 3, nullptr);
      if (v > 0.0f) scale = v;
    } else if (StrLib::equal(s, "sk=", 3)) {
      skip = std::max(0, std::atoi(s + 3));
    }
  }
  return 1;
}

void GridVect::stride(const Grid& g, const Plot& plot, float spacing, int& di, int& dj)
{
  di = dj = 1;
  const int nx = g.getNx(), ny = g.getNy();
  if (nx < 2 || ny < 2 || spacing <= 0.0f) return;
  // The grid's spacing on the plot where the plot's centre falls, else in the grid's middle.
  int i = nx / 2, j = ny / 2;
  EarthPoint centre;
  GridPoint gc;
  Point pc;
  if (plot.getDomain().tranCenter(pc) && plot.getDomain().tran(pc, centre) &&
      g.tran(centre, gc) && !gc.isMiss() && gc.x >= 0 && gc.y >= 0 && gc.x < nx - 1 &&
      gc.y < ny - 1) {
    i = static_cast<int>(gc.x), j = static_cast<int>(gc.y);
  }
  i = std::min(i, nx - 2), j = std::min(j, ny - 2);
  const Point p = onPlot(g, plot, i, j), px = onPlot(g, plot, i + 1, j),
              py = onPlot(g, plot, i, j + 1);
  if (p.isMiss()) return;
  if (!px.isMiss() && distance(p, px) > 0.0f)
    di = std::max(1, static_cast<int>(std::ceil(spacing / distance(p, px))));
  if (!py.isMiss() && distance(p, py) > 0.0f)
    dj = std::max(1, static_cast<int>(std::ceil(spacing / distance(p, py))));
}

float GridVect::mapDirection(const Grid& g, int i, int j, float u, float v, const Plot& plot,
                             const Point& p)
{
  if (Const::isMiss(u) || Const::isMiss(v) || p.isMiss()) return Const::FMISS;
  Point gp;
  if (!g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), gp) || gp.isMiss())
    return Const::FMISS;
  const float toGrid = static_cast<float>(std::atan2(u, v) / DEG);
  const float toEarth = g.unadjustDir(toGrid, gp);
  if (Const::isMiss(toEarth)) return Const::FMISS;
  return plot.getDomain().adjustDir(toEarth, p);
}

void GridVect::drawArrow(Plot& plot, const Point& p, float dir, float length) const
{
  const Point tip = along(p, dir, length);
  plot.drawLine(p, tip);
  const float head = length * HEAD;
  plot.drawLine(tip, along(tip, dir + 180.0f - HEAD_ANGLE, head));
  plot.drawLine(tip, along(tip, dir + 180.0f + HEAD_ANGLE, head));
}

void GridVect::drawBarb(Plot& plot, const Point& p, float dir, float speed, float size) const
{
  (void)speed;
  // Until the station-model barbs can be shared here, a barb request draws the shaft with its
  // arrow head.
  drawArrow(plot, p, dir, size);
}

void GridVect::addLabels(Plot& plot, const Grid& u) const
{
  if (!plot.getDate().isSet()) {
    plot.setDate(u.getDate());
    const float hours = u.getForeHours();
    if (!Const::isMiss(hours) && hours >= 0.0f) plot.setForeHour(hours);
  }
  plot.setLabel("ul", u.getInfo());
  plot.setLabel("ur", u.getDatim());
  plot.done();
}

int GridVect::draw(Plot& plot, const Grid& u, const Grid& v)
{
  if (!u.isData() || !v.isData() || u.getNx() != v.getNx() || u.getNy() != v.getNy() ||
      u.isValue()) {
    Kol::outWarning("GridVect: the two components do not form a vector field\n");
    return 0;
  }
  const float room = SPACING * scale * std::fabs(plot.getVert());
  int di = skip + 1, dj = skip + 1;
  if (skip == 0) stride(u, plot, room, di, dj);
  struct Symbol {
    Point p;
    float dir, speed;
  };
  std::vector<Symbol> symbols;
  float top = 0.0f;
  for (int j = 0; j < u.getNy(); j += dj) {
    for (int i = 0; i < u.getNx(); i += di) {
      const float uu = u.getValue(i, j), vv = v.getValue(i, j);
      const Point p = onPlot(u, plot, i, j);
      if (p.isMiss() || !plot.withinDomain(p)) continue;
      const float dir = mapDirection(u, i, j, uu, vv, plot, p);
      if (Const::isMiss(dir)) continue;
      const float speed = std::hypot(uu, vv);
      symbols.push_back({p, dir, speed});
      top = std::max(top, speed);
    }
  }
  if (symbols.empty()) return 0;
  plot.setLine();
  if (!color.empty()) plot.setLineColor(color.c_str());
  for (const Symbol& s : symbols) {
    if (barbs)
      drawBarb(plot, s.p, s.dir, s.speed, room * 0.9f);
    else if (top > 0.0f && s.speed > 0.0f)
      drawArrow(plot, s.p, s.dir, room * 0.9f * s.speed / top);
  }
  if (label) addLabels(plot, u);
  return 1;
}

void GridVect::print()
{
  std::printf("GridVect\n");
  std::printf("Barbs: %d\n", barbs ? 1 : 0);
  std::printf("Label: %d\n", label ? 1 : 0);
  std::printf("Scale: %.2f\n", static_cast<double>(scale));
  std::printf("Skip: %d\n", skip);
  std::printf("Color: %s\n", color.c_str());
}

}  // namespace KOL
