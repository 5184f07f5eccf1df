#include "grid/grib/PageReleaser.h"

#include <sys/mman.h>
#include <unistd.h>

namespace KOL::grib {

namespace {
// Pages are given back in runs at least this long, to keep the system calls few.
constexpr uintptr_t RUN = uintptr_t(1) << 18;
}  // namespace

PageReleaser::PageReleaser(const void* block, size_t bytes)
    : page_(static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)))
{
  static_assert(sizeof(uintptr_t) == sizeof(void*), "flat addresses");
  const uintptr_t start = reinterpret_cast<uintptr_t>(block);
  lo_ = (start + page_ - 1) & ~(page_ - 1);
  hi_ = (start + bytes) & ~(page_ - 1);
  // A small block is not worth the calls, and may share its pages with the allocator's own data.
  if (hi_ < lo_ + 4 * RUN) hi_ = lo_;
}

void PageReleaser::release(uintptr_t a, uintptr_t b)
{
  madvise(reinterpret_cast<void*>(a), b - a, MADV_DONTNEED);
}

void PageReleaser::usedBefore(const void* to)
{
  uintptr_t b = reinterpret_cast<uintptr_t>(to) & ~(page_ - 1);
  if (b > hi_) b = hi_;
  if (b < lo_ + RUN && b < hi_) return;
  if (b <= lo_) return;
  release(lo_, b);
  lo_ = b;
}

void PageReleaser::usedFrom(const void* from)
{
  uintptr_t a = (reinterpret_cast<uintptr_t>(from) + page_ - 1) & ~(page_ - 1);
  if (a < lo_) a = lo_;
  if (a + RUN > hi_ && a > lo_) return;
  if (a >= hi_) return;
  release(a, hi_);
  hi_ = a;
}

}  // namespace KOL::grib
