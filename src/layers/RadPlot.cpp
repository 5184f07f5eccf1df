#include "layers/RadPlot.h"

#include "core/Kol.h"

namespace KOL {

int RadPlot::setFilename(const char* name)
{
  Kol::outWarning(
      "RadPlot: %s: radar summary charts are retired and not read: no sample chart was at hand\n",
      name ? name : "");
  return 0;
}

}  // namespace KOL
