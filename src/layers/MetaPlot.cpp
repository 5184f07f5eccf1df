#include "layers/MetaPlot.h"

#include <cstdio>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "graphics/meta/MetaReplay.h"
#include "graphics/plot/PlotParams.h"

namespace KOL {

void MetaPlot::init()
{
  initFile();
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int MetaPlot::setParam(const char* text)
{
  for (const std::string& t : PlotParams::split(text)) takeFile(t);
  return 1;
}

int MetaPlot::draw(Plot& plot)
{
  const char* name = chosenFile();
  if (!StrLib::valid(name) || !file.exist() || !MetaReplay::replay(name, plot.getGraph())) {
    Kol::outMessage(3, "MetaPlot: Unable to open file: %s\n", StrLib::valid(name, ""));
    return 0;
  }
  return 1;
}

void MetaPlot::print()
{
  std::printf("MetaPlot\n");
  file.print();
}

}  // namespace KOL
