// Run-length packing with a table of level values: codes up to the maximum level start a run of
// that level, larger codes lengthen the current run by digits of base (2^bits - 1 - maximum).
#include <cmath>
#include <vector>

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

bool unpackRunLength(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  const Octets& s = pack.drs;
  const int bits = static_cast<int>(s.u1(12));
  const uint32_t maxLevel = s.u2(13);
  const unsigned nLevels = s.u2(15);
  const int scale = static_cast<int>(s.u1(17));
  if (bits < 1 || bits > 16 || maxLevel >= (1u << bits) - 1 || !s.has(18, 2 * size_t(nLevels))) {
    Kol::outWarning("GribFile: bad run-length descriptor (%d bits, maximum level %u)\n", bits,
                    maxLevel);
    return false;
  }
  // Code 0 means no value; code k is the k-th level value.
  std::vector<float> levels(nLevels + 1, MISSING);
  const double factor = std::pow(10.0, -scale);
  for (unsigned k = 0; k < nLevels; k++)
    levels[k + 1] = static_cast<float>(s.u2(18 + 2 * k) * factor);
  const uint64_t radix = (uint64_t(1) << bits) - 1 - maxLevel;

  BitReader codes(pack.data);
  size_t at = 0;
  float value = MISSING;
  uint64_t run = 0, weight = 1;
  auto flush = [&]() {
    const size_t n = run < count - at ? static_cast<size_t>(run) : count - at;
    values.putConstant(value, n);
    at += n;
    run = 0;
  };
  while (codes.bitsLeft() >= uint64_t(bits) && at < count) {
    uint32_t c = codes.get(bits);
    if (c <= maxLevel) {
      flush();
      value = c <= nLevels ? levels[c] : MISSING;
      run = 1;
      weight = 1;
    } else {
      if (weight > count) break;  // a run longer than the grid: corrupt
      run += (c - maxLevel - 1) * weight;
      weight *= radix;
    }
  }
  flush();
  if (at != count) {
    Kol::outWarning("GribFile: run-length data give %zu of %zu values\n", at, count);
    return false;
  }
  return true;
}

}  // namespace KOL::grib
