#include "layers/RedbookPlot.h"

#include "core/Kol.h"

namespace KOL {

int RedbookPlot::setFilename(const char* name)
{
  Kol::outWarning(
      "RedbookPlot: %s: Redbook graphics are not read: no sample product was at hand to build the "
      "reader from\n",
      name ? name : "");
  return 0;
}

}  // namespace KOL
