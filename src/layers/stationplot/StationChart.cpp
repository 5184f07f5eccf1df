#include "layers/stationplot/StationChart.h"

#include <cstring>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "layers/StationPlot.h"

namespace KOL::stationplot {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional,
                    std::initializer_list<const char*> names, const char* dateHelp)
{
  for (int group :
       {KolResrc::HELP_GROUP, KolResrc::PATH_GROUP, KolResrc::FILE_GROUP, KolResrc::TIME_GROUP,
        KolResrc::IO_GROUP, KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::PLOT_GROUP,
        KolResrc::COLOR_GROUP, KolResrc::FILL_COLOR_GROUP, KolResrc::IDENT_GROUP,
        KolResrc::ANALYSIS_GROUP, KolResrc::CONTOUR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  for (const char* name : names) KolResrc::add(keyed, KolResrc::find(name));
  ProgInput::addDateOption(keyed, dateHelp);
  KolResrc::add(positional, KolResrc::find("filename"));
}

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
