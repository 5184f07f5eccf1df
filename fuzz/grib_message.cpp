// Feeds arbitrary bytes to the GRIB field walker: every message found is decoded with its values
// and point coordinates.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  KOL::grib::FieldWalker walk(data, size);
  KOL::grib::Field f;
  std::vector<double> lat, lon;
  for (int n = 0; n < 64 && walk.next(f); n++) {
    const KOL::grib::GridKind* kind = KOL::grib::findGridKind(f.grid.templ);
    if (kind && !f.values.empty()) kind->coords(f.grid, lat, lon);
  }
  return 0;
}
