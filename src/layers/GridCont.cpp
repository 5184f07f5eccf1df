#include "layers/GridCont.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "grid/GridMath.h"
#include "grid/GridRead.h"
#include "layers/varplot/GridOnPlot.h"

namespace KOL {

void GridCont::init()
{
  contour.init();
  smoothEdge = false;
  labelsChosen = barChosen = false;
  label = true;
  mapMode = -1;
  model[0] = '\0';
  gridNum = Const::MISS;
  gridSpec.clear();
  file.clear();
  grid.init();
  Resrc& r = Kol::resrc;
  if (const char* n = r.get("grid_num"); StrLib::valid(n)) gridNum = StrLib::toInt(n);
  if (const char* m = r.get("model"); StrLib::valid(m)) StrLib::copy(model, MODEL_SIZE, m);
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

void GridCont::reset()
{
  contour.init();
  contour.setSmoothEdge(smoothEdge);
  labelsChosen = barChosen = false;
}

void GridCont::setSmoothEdge(bool on)
{
  smoothEdge = on;
  contour.setSmoothEdge(on);
}

int GridCont::setParam(const char* params)
{
  if (!params) return 1;
  for (const std::string& f : PlotParams::split(params)) {
    const char* s = f.c_str();
    if (StrLib::iequal(s, "nolabel")) {
      label = false;
    } else if (StrLib::iequal(s, "map_line")) {
      mapMode = 0;
    } else if (StrLib::iequal(s, "map_fill")) {
      mapMode = 1;
    } else if (StrLib::equal(s, "mo", 2) && f.size() > 3) {
      StrLib::copy(model, MODEL_SIZE, s + 3);
    } else if ((StrLib::equal(s, "gs", 2) || StrLib::equal(s, "va", 2)) && f.size() > 3) {
      gridSpec = f.substr(3);
    } else if (StrLib::equal(s, "lab", 3)) {
      labelsChosen = true;
    } else if (StrLib::iequal(s, "bar") || StrLib::iequal(s, "nobar")) {
      barChosen = true;
    }
  }
  return contour.setParam(params);
}

int GridCont::setFilename(const char* name)
{
  file = name ? name : "";
  return 1;
}

int GridCont::draw(Plot& plot)
{
  if (file.empty()) return 0;
  GridRead reader;
  const std::string what = gridSpec.empty() ? file : file + "+" + gridSpec;
  if (!reader.read(what.c_str(), grid)) return 0;
  return draw(plot, grid);
}

bool GridCont::drawsBar() const
{
  const int type = contour.getType();
  return barChosen ? contour.getBar() : type == ContPlot::FILL || type == ContPlot::LINE_FILL;
}

void GridCont::fitLabels(const Grid& g, const Plot& plot)
{
  const int type = contour.getType();
  if (!barChosen && drawsBar()) contour.setBar(true);
  if (labelsChosen) return;
  // Highs and lows are searched over about a twelfth of the plot (at most MAX_RADIUS points;
  // their spacing on the map keeps them apart). A filled field carries neither line labels nor
  // highs and lows: its colours say the value.
  int ri, rj;
  varplot::stride(g, plot, std::fabs(plot.getVert()) / 12.0f, ri, rj);
  const int radius = std::clamp(std::min(ri, rj), 2, MAX_RADIUS);
  const bool fill = type == ContPlot::FILL;
  contour.setLabelParam(fill ? 0 : contour.getLabelFreq(), fill ? 0 : radius);
}

bool GridCont::thinned(const Grid& g, Plot& plot, Grid& out)
{
  float dx, dy;
  Point c;
  if (!varplot::spacing(g, plot, dx, dy) || !plot.getDomain().tranCenter(c)) return false;
  const Point a = plot.toDevice(c), b = plot.toDevice(Point(c.x + 1.0f, c.y));
  const float pixels = std::hypot(b.x - a.x, b.y - a.y);  // per unit of the plot
  if (!(pixels > 0.0f)) return false;
  const int step = static_cast<int>(1.0f / (pixels * std::max(dx, dy)));
  if (step < 2) return false;
  DomainVal v = g.getDomainVal();
  v.nx = (g.getNx() - 1) / step + 1;
  v.ny = (g.getNy() - 1) / step + 1;
  v.dx *= static_cast<float>(step);
  v.dy *= static_cast<float>(step);
  return GridMath::remap(out, Domain(v), g) == 1;
}

int GridCont::draw(Plot& plot, Grid& g)
{
  // A grid with more points than the picture has pixels is contoured at the picture's
  // resolution: what lies within a pixel cannot be seen, and drawing every cell costs the most.
  Grid coarse;
  Grid& drawn = thinned(g, plot, coarse) ? coarse : g;
  fitLabels(drawn, plot);
  if (!contour.draw(plot, drawn)) return 0;
  if (label && contour.drawLabels(plot, g)) {
    if (plot.hasEarlierLabel("ur", g.getDatim())) plot.setLabel("ur", "");
    plot.done();
  }
  return 1;
}

void GridCont::print()
{
  std::printf("GridCont\n");
  std::printf("Label: %d\n", label ? 1 : 0);
  std::printf("Map mode: %d\n", mapMode);
  std::printf("Model: %s\n", model);
  std::printf("Grid num: %d\n", gridNum);
  std::printf("Grid spec: %s\n", gridSpec.c_str());
  contour.print();
}

}  // namespace KOL
