// One version of a file or directory as stat sees it, to tell whether what was read from it
// earlier is still current. Time stamps are as coarse as the kernel's clock tick, so a path
// modified within the last two seconds counts as recent: it may change again without its time
// stamp moving, and what was read from it must be read again.
#pragma once

#include <sys/stat.h>

#include <ctime>

namespace KOL::cache {

struct FileStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  bool dir = false;
  bool recent = false;

  // False when the path cannot be examined (absent, a URL).
  bool read(const char* path);
  // The same file, unchanged (recent or not).
  bool same(const FileStamp& o) const;
};

}  // namespace KOL::cache
