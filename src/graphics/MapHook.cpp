#include "graphics/MapHook.h"

#include "graphics/MapPlot.h"

namespace KOL::MapHook {

int drawDefault(Plot& plot, const char* params)
{
  MapPlot map(params);
  return map.draw(plot);
}

}  // namespace KOL::MapHook
