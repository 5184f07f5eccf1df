#include "layers/stationplot/StationChart.h"

#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "layers/StationPlot.h"

namespace KOL::stationplot {

bool chartDomain(const char* fallback, Domain& d)
{
  const char* text = StrLib::valid(Kol::resrc.get("plot_domain"), fallback);
  return DomainTool::decode(d, text) && d.proj != Const::MISS;
}

void chartDefaults(StationPlot& layer, const char* mapColor)
{
  Resrc& r = Kol::resrc;
  if (!StrLib::valid(r.get("color_map"))) r.set("color_map", mapColor);
  const char* extra = r.get("parameter");
  if (!StrLib::valid(extra) || !std::strstr(extra, "nomap")) layer.setParam("map");
}

bool analysisChosen()
{
  const char* oa = Kol::resrc.get("object_param");
  const char* pa = Kol::resrc.get("parameter");
  return StrLib::valid(oa) ||
         (StrLib::valid(pa) && (std::strstr(pa, "filter") || std::strstr(pa, "grid")));
}

}  // namespace KOL::stationplot
