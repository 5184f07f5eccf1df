// Simple packing: one unsigned integer of a fixed width per value.
#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

bool unpackSimple(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  if (pack.bits == 0) {
    putConstantField(pack, values);
    return true;
  }
  if (pack.bits > 32) {
    Kol::outWarning("GribFile: bit width %d over 32\n", pack.bits);
    return false;
  }
  BitReader bits(pack.data);
  if (bits.bitsLeft() < uint64_t(pack.bits) * count) {
    Kol::outWarning("GribFile: data section holds %zu bytes, %zu values of %d bits need more\n",
                    pack.data.size(), count, pack.bits);
    return false;
  }
  // Chunks keep the integer scratch small whatever the field size.
  constexpr size_t CHUNK = 4096;
  uint32_t x[CHUNK];
  for (size_t r = 0; r < values.rows(); r++) {
    size_t first, n;
    values.rowValues(r, first, n);
    bits.seek(uint64_t(first) * pack.bits);
    for (size_t done = 0; done < n; done += CHUNK) {
      size_t m = n - done < CHUNK ? n - done : CHUNK;
      bits.getMany(pack.bits, m, x);
      values.putScaled(pack, x, m);
    }
  }
  return true;
}

}  // namespace KOL::grib
