// Reading GRIB octets and packed bit fields: big-endian integers, sign-and-magnitude numbers,
// IBM and IEEE floats, and a bit reader shared by every unpacker. Nothing here reads past the
// buffer it is given; reads beyond the end yield zeros and set the overrun flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace KOL::grib {

// A bounded view of bytes whose accessors take 1-based octet numbers as the WMO tables do.
class Octets {
 public:
  Octets() = default;
  Octets(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  const uint8_t* data() const { return p_; }
  size_t size() const { return n_; }
  bool has(size_t octet, size_t count = 1) const { return octet >= 1 && octet - 1 + count <= n_; }
  // Unsigned big-endian integer of count octets starting at octet (1-based); 0 when out of range.
  uint64_t u(size_t octet, size_t count) const
  {
    if (!has(octet, count)) return 0;
    uint64_t v = 0;
    for (size_t k = 0; k < count; k++) v = (v << 8) | p_[octet - 1 + k];
    return v;
  }
  unsigned u1(size_t octet) const { return static_cast<unsigned>(u(octet, 1)); }
  unsigned u2(size_t octet) const { return static_cast<unsigned>(u(octet, 2)); }
  unsigned u3(size_t octet) const { return static_cast<unsigned>(u(octet, 3)); }
  uint32_t u4(size_t octet) const { return static_cast<uint32_t>(u(octet, 4)); }
  // Sign-and-magnitude integer: the top bit of the first octet is the sign.
  long s(size_t octet, size_t count) const
  {
    uint64_t v = u(octet, count);
    uint64_t sign = uint64_t(1) << (8 * count - 1);
    return (v & sign) ? -static_cast<long>(v & (sign - 1)) : static_cast<long>(v);
  }
  // True when all count octets are 0xFF (the WMO "missing").
  bool allOnes(size_t octet, size_t count) const
  {
    return has(octet, count) &&
           u(octet, count) == (count >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * count)) - 1);
  }
  float ieee(size_t octet) const
  {
    uint32_t bits = u4(octet);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  double ibm(size_t octet) const;
  Octets sub(size_t octet, size_t count) const
  {
    if (octet < 1 || octet - 1 > n_) return {};
    size_t avail = n_ - (octet - 1);
    return Octets(p_ + octet - 1, count < avail ? count : avail);
  }

 private:
  const uint8_t* p_ = nullptr;
  size_t n_ = 0;
};

// IBM single precision: sign bit, 7-bit excess-64 base-16 exponent, 24-bit fraction.
inline double ibmFloat(uint32_t v)
{
  uint32_t mant = v & 0xFFFFFF;
  if (mant == 0) return 0.0;
  int exp = static_cast<int>((v >> 24) & 0x7F) - 64;
  double r = static_cast<double>(mant) / 16777216.0;
  // 16^exp = 2^(4 exp)
  r = __builtin_ldexp(r, 4 * exp);
  return (v & 0x80000000u) ? -r : r;
}
inline double Octets::ibm(size_t octet) const { return ibmFloat(u4(octet)); }

// The nearest IBM single precision of a value (truncated fraction, as encoders do).
uint32_t toIbmFloat(double v);

// Reads consecutive fields of 0 to 32 bits from a byte range, most significant bit first.
class BitReader {
 public:
  BitReader(const uint8_t* p, size_t n) : p_(p), nbits_(uint64_t(n) * 8) {}
  explicit BitReader(Octets o) : BitReader(o.data(), o.size()) {}

  uint32_t get(int width)
  {
    if (width <= 0) return 0;
    if (pos_ + width > nbits_) {
      overrun_ = true;
      pos_ = nbits_;
      return 0;
    }
    uint64_t byte = pos_ >> 3;
    int shift = static_cast<int>(pos_ & 7);
    pos_ += width;
    uint64_t w;
    if (byte + 8 <= (nbits_ >> 3)) {
      w = load64(p_ + byte);
    } else {
      w = 0;
      for (int k = 0; k < 8; k++) w = (w << 8) | ((byte + k < (nbits_ >> 3)) ? p_[byte + k] : 0);
    }
    return static_cast<uint32_t>((w << shift) >> (64 - width));
  }
  // Fills out[0..count) with fields of one width; false (and zeros) when the data runs out.
  bool getMany(int width, size_t count, uint32_t* out);
  void skip(uint64_t bits)
  {
    pos_ = (pos_ + bits > nbits_) ? (overrun_ = true, nbits_) : pos_ + bits;
  }
  void seek(uint64_t bit) { pos_ = bit > nbits_ ? (overrun_ = true, nbits_) : bit; }
  void alignByte()
  {
    pos_ = (pos_ + 7) & ~uint64_t(7);
    if (pos_ > nbits_) pos_ = nbits_;
  }
  uint64_t bitPos() const { return pos_; }
  uint64_t bitsLeft() const { return nbits_ - pos_; }
  bool overrun() const { return overrun_; }

  static uint64_t load64(const uint8_t* p)
  {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return __builtin_bswap64(w);
  }

 private:
  const uint8_t* p_;
  uint64_t nbits_;
  uint64_t pos_ = 0;
  bool overrun_ = false;
};

}  // namespace KOL::grib
