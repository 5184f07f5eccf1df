#include "layers/GridCont.h"

#include <algorithm>
#include <cstdio>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "grid/GridRead.h"

namespace KOL {

void GridCont::init()
{
  contour.init();
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
  labelsChosen = barChosen = false;
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

void GridCont::fitLabels(const Grid& g)
{
  const int type = contour.getType();
  if (!barChosen && (type == ContPlot::FILL || type == ContPlot::LINE_FILL)) contour.setBar(true);
  if (labelsChosen) return;
  // Highs and lows stand out over about a fifteenth of the field; a filled field carries no
  // line labels, its colours say the value.
  const int radius = std::clamp(std::min(g.getNx(), g.getNy()) / 15, 2, 8);
  contour.setLabelParam(type == ContPlot::FILL ? 0 : contour.getLabelFreq(), radius);
}

int GridCont::draw(Plot& plot, Grid& g)
{
  fitLabels(g);
  if (!contour.draw(plot, g)) return 0;
  if (label && contour.drawLabels(plot, g)) plot.done();
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
