// A bounded big-endian cursor over a byte range: reads past the end give 0 and mark the cursor
// failed instead of touching memory outside the range.
#pragma once

#include <cstddef>
#include <cstdint>

namespace KOL::nids {

class Reader {
 public:
  Reader() = default;
  Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool has(std::size_t n) const { return pos_ <= size_ && n <= size_ - pos_; }
  bool failed() const { return failed_; }
  std::size_t pos() const { return pos_; }
  std::size_t size() const { return size_; }
  std::size_t left() const { return pos_ < size_ ? size_ - pos_ : 0; }
  const uint8_t* here() const { return data_ + pos_; }
  // Moves to an absolute position; beyond the end fails.
  bool seek(std::size_t at)
  {
    if (at > size_) return fail();
    pos_ = at;
    return true;
  }
  bool skip(std::size_t n)
  {
    if (!has(n)) return fail();
    pos_ += n;
    return true;
  }
  unsigned u8()
  {
    if (!has(1)) return fail();
    return data_[pos_++];
  }
  unsigned u16()
  {
    if (!has(2)) return fail();
    unsigned v = (data_[pos_] << 8) | data_[pos_ + 1];
    pos_ += 2;
    return v;
  }
  int s16() { return static_cast<int16_t>(static_cast<uint16_t>(u16())); }
  uint32_t u32()
  {
    if (!has(4)) return fail();
    uint32_t v = (static_cast<uint32_t>(data_[pos_]) << 24) | (data_[pos_ + 1] << 16) |
                 (data_[pos_ + 2] << 8) | data_[pos_ + 3];
    pos_ += 4;
    return v;
  }
  int32_t s32() { return static_cast<int32_t>(u32()); }

 private:
  bool fail()
  {
    failed_ = true;
    pos_ = size_;
    return false;
  }

  const uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace KOL::nids
