#include "core/cache/FileStamp.h"

namespace KOL::cache {

namespace {

constexpr time_t RECENT_SECONDS = 2;

}  // namespace

bool FileStamp::read(const char* path)
{
  struct stat st;
  if (!path || stat(path, &st) != 0) return false;
  dev = st.st_dev;
  ino = st.st_ino;
  size = st.st_size;
  mtime = st.st_mtim;
  dir = S_ISDIR(st.st_mode);
  recent = st.st_mtim.tv_sec + RECENT_SECONDS >= std::time(nullptr);
  return true;
}

bool FileStamp::same(const FileStamp& o) const
{
  return dev == o.dev && ino == o.ino && size == o.size && dir == o.dir &&
         mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
}

}  // namespace KOL::cache
