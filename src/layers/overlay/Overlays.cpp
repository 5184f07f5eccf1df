#include "layers/overlay/Overlays.h"

#include <cstdio>

#include "core/Kol.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "layers/FrontPlot.h"
#include "layers/LightPlot.h"
#include "layers/WarnPlot.h"

namespace KOL::overlay {

namespace {

template <class Layer>
int add(std::vector<std::unique_ptr<Drawing>>& layers, const char* resource, std::time_t valid)
{
  const char* name = Kol::resrc.get(resource);
  if (!StrLib::valid(name)) return 1;
  auto layer = std::make_unique<Layer>();
  layer->setParam("nomap");
  if (valid >= 0) {
    std::tm u{};
    gmtime_r(&valid, &u);
    char vdate[64];
    std::snprintf(vdate, sizeof vdate, "vdate=%04d%02d%02d%02d%02d", u.tm_year + 1900, u.tm_mon + 1,
                  u.tm_mday, u.tm_hour, u.tm_min);
    layer->setParam(vdate);
  }
  if (!layer->setFilename(name)) return 0;
  layers.push_back(std::move(layer));
  return 1;
}

}  // namespace

void Overlays::declare(ResrcDBList& keyed)
{
  keyed.add("front_file", "kolfrontfile", "fronts",
            "-fronts file Coded surface bulletin: its fronts and centres drawn over");
  keyed.add("warn_file", "kolwarnfile", "warn",
            "-warn file   Filed warnings: those in force drawn over");
  keyed.add("light_file", "kollightfile", "light",
            "-light file  Lightning strikes (GLM, NLDN, UALF) drawn over");
}

int Overlays::read(std::time_t valid)
{
  layers.clear();
  return add<FrontPlot>(layers, "front_file", -1) & add<WarnPlot>(layers, "warn_file", valid) &
         add<LightPlot>(layers, "light_file", valid);
}

std::vector<Drawing*> Overlays::get() const
{
  std::vector<Drawing*> out;
  for (const auto& l : layers) out.push_back(l.get());
  return out;
}

}  // namespace KOL::overlay
