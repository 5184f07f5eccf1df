// A bounded set of files held open for appending from one bulletin to the next, so that a busy
// output is not opened and closed for every bulletin. The least recently used file is closed
// when room is needed; a file removed or renamed behind the set's back is opened afresh.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/File.h"

namespace KOL::wmo {

class OpenFiles {
 public:
  // limit: files held at most (the open-file limit of the process may lower it); buffer:
  // bytes of stream buffer per file, 0 for the default.
  OpenFiles(int limit, int buffer);
  OpenFiles(const OpenFiles&) = delete;
  OpenFiles& operator=(const OpenFiles&) = delete;

  // A stream appending to path, opened (with missing directories) when not held; nullptr when
  // it cannot be opened. Valid until the next call on the set.
  std::FILE* get(const char* path);
  // The same, held for one writer until released: nullptr while another holds it. A held
  // file is never closed to make room.
  std::FILE* take(const char* path);
  void release(const char* path);
  void close(const char* path);
  void closeAll();
  int size() const { return static_cast<int>(files_.size()); }
  int getLimit() const { return limit_; }
  bool holds(const char* path) const { return files_.count(path) > 0; }

 private:
  struct Entry {
    std::vector<char> buffer;  // before the file: it must outlive the stream
    File file;
    dev_t dev = 0;
    ino_t ino = 0;
    long used = 0;
    bool held = false;
  };

  static bool stillThere(const std::string& path, const Entry& e);
  std::FILE* open(const char* path);
  void evictOldest();

  int limit_;
  int buffer_;
  long clock_ = 0;
  std::unordered_map<std::string, std::unique_ptr<Entry>> files_;
};

}  // namespace KOL::wmo
