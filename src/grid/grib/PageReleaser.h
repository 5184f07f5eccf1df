// Gives the memory of a large block back to the system as a copy out of it uses it up from one
// end, so that the block and the copy are never both resident whole. Only pages wholly inside the
// block are given back; the block stays allocated (a page given back reads as zeros) until its
// owner frees it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace KOL::grib {

class PageReleaser {
 public:
  PageReleaser(const void* block, size_t bytes);
  // Nothing before `to` is read again.
  void usedBefore(const void* to);
  // Nothing from `from` to the end of the block is read again.
  void usedFrom(const void* from);

 private:
  void release(uintptr_t a, uintptr_t b);
  uintptr_t page_;
  uintptr_t lo_, hi_;  // the pages still held
};

}  // namespace KOL::grib
