#include "layers/MdrPlot.h"

#include "core/Kol.h"

namespace KOL {

int MdrPlot::setFilename(const char* name)
{
  Kol::outWarning(
      "MdrPlot: %s: manually digitised radar is retired and not read: no sample message was at "
      "hand\n",
      name ? name : "");
  return 0;
}

}  // namespace KOL
