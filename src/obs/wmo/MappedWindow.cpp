#include "obs/wmo/MappedWindow.h"

#include <fcntl.h>
#include <signal.h>
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
  // The break of the lease is noticed by asking (intact), not by a signal: the one sent is
  // one that is ignored unless a program asks for it.
  if (fcntl(fd, F_SETSIG, SIGURG) != 0 || fcntl(fd, F_SETLEASE, F_RDLCK) != 0) return false;
  // A lease lasts as long as the open file: commands started meanwhile must not inherit it.
  fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
  fd_ = fd;
  size_ = st.st_size;  // fixed while the lease is held
  return true;
}

void MappedWindow::detach()
{
  unmap();
  if (fd_ >= 0) {
    fcntl(fd_, F_SETLEASE, F_UNLCK);
    fcntl(fd_, F_SETSIG, 0);
  }
  fd_ = -1;
}

bool MappedWindow::intact() const { return fd_ >= 0 && fcntl(fd_, F_GETLEASE) == F_RDLCK; }

long MappedWindow::map(long from, long window)
{
  unmap();
  if (fd_ < 0 || from < 0 || window <= 0) return -1;
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
