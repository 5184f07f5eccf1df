// The values of a decoded GRIB field: a block of floats that is either filled here or taken over
// from a decoder that produced it in place (JPEG 2000), which saves a second block as large and
// the copy into it. A block taken over is freed by the release function of its allocator.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace KOL::grib {

struct BlockReleaser {
  void (*release)(void*) = nullptr;
  void operator()(float* p) const { release(p); }
};

class FieldValues {
 public:
  using Release = void (*)(void*);
  FieldValues() = default;
  FieldValues(const FieldValues& o);
  FieldValues& operator=(const FieldValues& o);
  FieldValues(FieldValues&&) noexcept = default;
  FieldValues& operator=(FieldValues&&) noexcept = default;

  size_t size() const { return taken_ ? takenSize_ : spare_ ? 0 : own_.size(); }
  bool empty() const { return size() == 0; }
  float* data() { return taken_ ? taken_.get() : own_.data(); }
  const float* data() const { return taken_ ? taken_.get() : own_.data(); }
  float& operator[](size_t k) { return data()[k]; }
  float operator[](size_t k) const { return data()[k]; }
  float* begin() { return data(); }
  float* end() { return data() + size(); }
  const float* begin() const { return data(); }
  const float* end() const { return data() + size(); }
  bool operator==(const FieldValues& o) const;
  void clear();

  // The storage to fill, emptied, and no longer a block taken over.
  std::vector<float>& fill();
  // Whether there is recycled storage of exactly n values, which overwrite() gives to be written
  // over in place at that size: nothing cleared, nothing copied.
  bool canOverwrite(size_t n) const { return spare_ && own_.size() == n; }
  std::vector<float>& overwrite();
  // Takes over n floats at block, to be freed with release.
  void takeOver(float* block, size_t n, Release release);
  // Whether the values are a block taken over rather than a vector of their own.
  bool isBlock() const { return taken_ != nullptr; }
  // The vector of the values, moved out (this is left empty); empty when they are a block.
  std::vector<float> moveOut();
  // Storage whose pages are already resident, filled next instead of a new allocation. Until
  // then there are no values, and moveOut() gives it back as it came.
  void recycle(std::vector<float> spare);

 private:
  std::vector<float> own_;
  std::unique_ptr<float, BlockReleaser> taken_;
  size_t takenSize_ = 0;
  bool spare_ = false;  // own_ is storage to reuse, not values
};

}  // namespace KOL::grib
