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
#include "graphics/WindPlot.h"
#include "graphics/plot/PlotParams.h"
#include "grid/Grid.h"
#include "grid/GridMath.h"
#include "layers/varplot/GridOnPlot.h"

namespace KOL {

namespace {

constexpr double DEG = 0.017453292519943295;

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
  varplot::stride(g, plot, spacing, di, dj);
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

void GridVect::addLabels(Plot& plot, const Grid& u) const
{
  if (!plot.getDate().isSet()) {
    plot.setDate(u.getDate());
    const float hours = u.getForeHours();
    if (!Const::isMiss(hours) && hours >= 0.0f) plot.setForeHour(hours);
  }
  plot.setLabel("ul", u.getInfo());
  if (!plot.hasEarlierLabel("ur", u.getDatim())) plot.setLabel("ur", u.getDatim());
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
  // barbs count knots
  Grid uk, vk;
  const bool knots = barbs && *u.getUnits() && !StrLib::iequal(u.getUnits(), "kt");
  if (knots) {
    uk.copy(u), vk.copy(v);
    GridMath::units(uk, "kt");
    GridMath::units(vk, "kt");
  }
  const Grid& gu = knots ? uk : u;
  const Grid& gv = knots ? vk : v;
  std::vector<Symbol> symbols;
  float top = 0.0f;
  for (int j = 0; j < u.getNy(); j += dj) {
    for (int i = 0; i < u.getNx(); i += di) {
      const float uu = gu.getValue(i, j), vv = gv.getValue(i, j);
      const Point p = varplot::onPlot(u, plot, i, j);
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
  const WindPlot wind;
  for (const Symbol& s : symbols) {
    // the symbols take the direction the wind comes from
    const float from = s.dir + 180.0f;
    if (barbs)
      wind.drawBarb(plot, s.p, from, s.speed, room * 0.7f);
    else if (top > 0.0f)
      wind.drawVector(plot, s.p, from, s.speed / top, room * 0.9f);
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
