#include "layers/RcmPlot.h"

#include "core/Kol.h"

namespace KOL {

int RcmPlot::setFilename(const char* name)
{
  Kol::outWarning(
      "RcmPlot: %s: radar coded messages are retired and not read: no sample message was at hand\n",
      name ? name : "");
  return 0;
}

}  // namespace KOL
