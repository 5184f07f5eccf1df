#include "layers/MetaPlot.h"

#include <strings.h>

#include <cstdio>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "graphics/meta/MetaReplay.h"
#include "graphics/plot/PlotParams.h"

namespace KOL {

void MetaPlot::init()
{
  file.init();
  file.setNameConv(StrLib::valid(Kol::resrc.get("in_file"), CONVENTION));
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int MetaPlot::setFilename(Date& d)
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile(d, "la");
}

int MetaPlot::setParam(const char* text)
{
  for (const std::string& t : PlotParams::split(text))
    if (!strncasecmp(t.c_str(), "fi=", 3)) setFilename(t.c_str() + 3);
  return 1;
}

int MetaPlot::draw(Plot& plot)
{
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
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
