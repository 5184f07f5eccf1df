// Directory listings kept for the length of one file search, so that trying hundreds of dated
// names costs one directory read per directory instead of one stat per name.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace KOL::nameconv {

class DirCache {
 public:
  // Whether dir is an existing directory (asked once per directory).
  bool isDir(const std::string& dir);
  // Whether the file counts as present: listed in its directory and, unless min_size is
  // Const::MISS, a regular file of at least min_size bytes. Names whose directory cannot be
  // listed (URLs, directories without read permission) are checked one by one.
  bool present(const std::string& path, long min_size);
  // Number of directory reads so far.
  int reads() const { return reads_; }

 private:
  const std::unordered_set<std::string>* listing(const std::string& dir);

  std::unordered_map<std::string, std::optional<std::unordered_set<std::string>>> listings_;
  std::unordered_map<std::string, bool> dirs_;
  int reads_ = 0;
};

}  // namespace KOL::nameconv
