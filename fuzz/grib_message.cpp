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
    // A constant field may cover a grid of any size in a few bytes; the coordinates of the
    // largest grids (16 bytes a point) would only exhaust the fuzzer's memory.
    if (kind && !f.values.empty() && f.grid.points() <= (size_t(1) << 22))
      kind->coords(f.grid, lat, lon);
  }
  return 0;
}
