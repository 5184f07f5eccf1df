// Feeds arbitrary bytes to GiniFile: layout detection, heading search, the header stream,
// the PDB and its projections, and raw, zlib or PNG bodies.
#include <cstdint>

#include "core/Kol.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  for (int kind : {KOL::GiniFile::AUTO, KOL::GiniFile::RAW}) {
    KOL::GiniFile g;
    if (!g.openBytes(data, size, kind)) return 0;
    KOL::Image im;
    if (g.readHeader(im)) {
      g.readData(im);
      im.getValue(KOL::EarthPoint(40.0f, -100.0f));
    }
  }
  return 0;
}
