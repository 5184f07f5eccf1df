#include "grid/grib/Bits.h"

#include <cmath>

namespace KOL::grib {

bool BitReader::getMany(int width, size_t count, uint32_t* out)
{
  if (width <= 0) {
    std::memset(out, 0, count * sizeof *out);
    return true;
  }
  if (width > 32 || uint64_t(width) * count > nbits_ - pos_) {
    std::memset(out, 0, count * sizeof *out);
    overrun_ = true;
    return false;
  }
  const uint64_t nbytes = nbits_ >> 3;
  const int down = 64 - width;
  size_t i = 0;
  // Whole 64-bit loads while they stay inside the buffer; the tail goes through get().
  for (; i < count && (pos_ >> 3) + 8 <= nbytes; i++) {
    uint64_t w = load64(p_ + (pos_ >> 3));
    out[i] = static_cast<uint32_t>((w << (pos_ & 7)) >> down);
    pos_ += width;
  }
  for (; i < count; i++) out[i] = get(width);
  return true;
}

uint32_t toIbmFloat(double v)
{
  if (v == 0.0 || !std::isfinite(v)) return 0;
  uint32_t sign = v < 0 ? 0x80000000u : 0;
  double a = std::fabs(v);
  int exp = 64;
  // Normalise the fraction into [1/16, 1).
  while (a >= 1.0 && exp < 127) {
    a /= 16.0;
    exp++;
  }
  while (a < 1.0 / 16.0 && exp > 0) {
    a *= 16.0;
    exp--;
  }
  auto mant = static_cast<uint32_t>(a * 16777216.0);
  if (mant > 0xFFFFFF) mant = 0xFFFFFF;
  return sign | (uint32_t(exp) << 24) | mant;
}

}  // namespace KOL::grib
