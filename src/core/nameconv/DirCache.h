// Directory listings for file searches, so that trying hundreds of dated names costs one
// directory read per directory instead of one stat per name. A listing is kept for later
// searches while its directory's identity and modification time stay the same (checked with
// one stat per directory and search); a directory changed within the last two seconds is read
// again, since a file added in the same clock tick would not show in its time.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "core/cache/FileStamp.h"

namespace KOL::nameconv {

class DirCache {
 public:
  // Forgets which directories were checked: the next search checks each once more.
  void beginSearch() { checked_.clear(); }
  // Whether dir is an existing directory.
  bool isDir(const std::string& dir);
  // Whether the file counts as present: listed in its directory and, unless min_size is
  // Const::MISS, a regular file of at least min_size bytes. Names whose directory cannot be
  // listed (URLs, directories without read permission) are checked one by one.
  bool present(const std::string& path, long min_size);
  // Directory reads so far.
  int reads() const { return reads_; }

 private:
  struct Entry {
    bool is_dir = false;
    bool listed = false;
    cache::FileStamp stamp;
    std::unordered_set<std::string> names;
  };
  Entry& check(const std::string& dir);
  void read(const std::string& dir, Entry& e);

  std::unordered_map<std::string, Entry> entries_;
  std::unordered_set<std::string> checked_;
  int reads_ = 0;
};

}  // namespace KOL::nameconv
