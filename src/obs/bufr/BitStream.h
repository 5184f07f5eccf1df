// Reads fields of 0 to 64 bits, most significant bit first, from Section 4 of a BUFR message.
// Reads past the end yield zeros and set the overrun flag; nothing is read beyond the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace KOL::bufr {

class BitStream {
 public:
  BitStream(const uint8_t* p, size_t n) : p_(p), nbits_(uint64_t(n) * 8) {}

  uint64_t get(int width)
  {
    if (width <= 0) return 0;
    if (width > 32) {
      uint64_t high = get(width - 32);
      return (high << 32) | get(32);
    }
    if (pos_ + width > nbits_) {
      overrun_ = true;
      pos_ = nbits_;
      return 0;
    }
    uint64_t byte = pos_ >> 3;
    int shift = static_cast<int>(pos_ & 7);
    pos_ += width;
    uint64_t w = 0;
    const uint64_t bytes = nbits_ >> 3;
    if (byte + 8 <= bytes) {
      std::memcpy(&w, p_ + byte, 8);
      w = __builtin_bswap64(w);
    } else {
      for (int k = 0; k < 8; k++) w = (w << 8) | (byte + k < bytes ? p_[byte + k] : 0);
    }
    return (w << shift) >> (64 - width);
  }
  void skip(uint64_t bits)
  {
    if (bits > nbits_ - pos_) {
      overrun_ = true;
      pos_ = nbits_;
    } else {
      pos_ += bits;
    }
  }
  uint64_t bitsLeft() const { return nbits_ - pos_; }
  bool overrun() const { return overrun_; }

  static bool allOnes(uint64_t v, int width)
  {
    return width > 0 && (width >= 64 ? v == ~uint64_t(0) : v == (uint64_t(1) << width) - 1);
  }

 private:
  const uint8_t* p_;
  uint64_t nbits_;
  uint64_t pos_ = 0;
  bool overrun_ = false;
};

}  // namespace KOL::bufr
