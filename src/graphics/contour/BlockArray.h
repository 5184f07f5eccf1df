// A growing array kept in blocks of a fixed size: growing never copies what is stored, and its
// memory is touched once (a vector doubling its millions of items copies them and touches twice
// as much fresh memory).
#pragma once

#include <cstddef>
#include <vector>

namespace KOL::contour {

template <class T>
class BlockArray {
 public:
  std::size_t size() const { return count; }
  T& operator[](std::size_t i) { return blocks[i >> SHIFT][i & MASK]; }
  const T& operator[](std::size_t i) const { return blocks[i >> SHIFT][i & MASK]; }
  void push_back(const T& v)
  {
    if ((count & MASK) == 0) {
      blocks.emplace_back();
      blocks.back().reserve(MASK + 1);
    }
    blocks.back().push_back(v);
    count++;
  }

 private:
  static constexpr int SHIFT = 14;
  static constexpr std::size_t MASK = (std::size_t(1) << SHIFT) - 1;
  std::vector<std::vector<T>> blocks;
  std::size_t count = 0;
};

}  // namespace KOL::contour
