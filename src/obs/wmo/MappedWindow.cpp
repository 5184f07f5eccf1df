#include "obs/wmo/MappedWindow.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace KOL::wmo {

bool MappedWindow::attach(int fd)
{
  detach();
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  fd_ = fd;
  size_ = -1;
  return true;
}

void MappedWindow::detach()
{
  unmap();
  fd_ = -1;
}

long MappedWindow::map(long from, long window)
{
  unmap();
  struct stat st {};
  if (fd_ < 0 || from < 0 || window <= 0 || fstat(fd_, &st) != 0) return -1;
  // Pages of a mapping that a truncation took away would fault: a file that is being written
  // is read, not mapped.
  if (size_ >= 0 &&
      (st.st_size != size_ || st.st_mtim.tv_sec != mtime_ || st.st_mtim.tv_nsec != mtime_ns_))
    return -1;
  size_ = st.st_size;
  mtime_ = st.st_mtim.tv_sec;
  mtime_ns_ = st.st_mtim.tv_nsec;
  if (from >= size_) return 0;
  long page = sysconf(_SC_PAGESIZE);
  long start = from - from % page;
  long end = std::min(static_cast<long>(size_), from + window);
  void* p = mmap(nullptr, end - start, PROT_READ, MAP_SHARED, fd_, start);
  if (p == MAP_FAILED) return -1;
  base_ = p;
  length_ = static_cast<size_t>(end - start);
  madvise(base_, length_, MADV_SEQUENTIAL);
  data_ = static_cast<const unsigned char*>(base_) + (from - start);
  return end - from;
}

void MappedWindow::unmap()
{
  if (base_) munmap(base_, length_);
  base_ = nullptr;
  length_ = 0;
  data_ = nullptr;
}

}  // namespace KOL::wmo
