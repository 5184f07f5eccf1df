// IEEE packing: the data section holds the values themselves as big-endian IEEE floats of 32 or
// 64 bits (precision 1 or 2 in octet 12 of the data representation section).
#include <cstring>

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

bool unpackIeee(const Packing& pack, ValueSink& values)
{
  const unsigned precision = pack.drs.u1(12);
  if (precision != 1 && precision != 2) {
    Kol::outWarning("GribFile: IEEE precision %u not supported\n", precision);
    return false;
  }
  const size_t bytes = precision == 1 ? 4 : 8, count = values.count();
  if (pack.data.size() / bytes < count) {
    Kol::outWarning("GribFile: %zu IEEE values cannot be held in %zu bytes\n", count,
                    pack.data.size());
    return false;
  }
  constexpr size_t SLICE = 2048;
  float v[SLICE];
  for (size_t done = 0; done < count; done += SLICE) {
    const size_t n = count - done < SLICE ? count - done : SLICE;
    for (size_t i = 0; i < n; i++) {
      const size_t octet = 1 + (done + i) * bytes;
      if (precision == 1) {
        v[i] = pack.data.ieee(octet);
      } else {
        uint64_t bits = pack.data.u(octet, 8);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        v[i] = static_cast<float>(d);
      }
    }
    values.put(v, n);
  }
  return true;
}

}  // namespace KOL::grib
