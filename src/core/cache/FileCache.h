// Tables parsed from data files of the database directory, kept once per process and shared
// read-only by every object that looks something up in them, so that a lookup costs one stat
// instead of one read of the whole file. A file is parsed again only when it may have changed
// (see FileStamp). Paths that cannot be examined (URLs) are parsed every time. Like the rest of
// the library, a cache is used from one thread.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "core/cache/FileStamp.h"

namespace KOL::cache {

template <class Table>
class FileCache {
 public:
  // The table of the file at path, parsed by load(path, table) unless the copy parsed before is
  // still current; null (and nothing kept) when load fails.
  template <class Load>
  std::shared_ptr<const Table> get(const std::string& path, Load load)
  {
    FileStamp stamp;
    bool known = stamp.read(path.c_str());
    auto it = entries_.find(path);
    if (known && it != entries_.end() && !stamp.recent && it->second.stamp.same(stamp))
      return it->second.table;
    auto table = std::make_shared<Table>();
    parses_++;
    if (!load(path.c_str(), *table)) {
      if (it != entries_.end()) entries_.erase(it);
      return nullptr;
    }
    if (known) entries_[path] = Entry{stamp, table};
    return table;
  }
  // Parses so far.
  int parses() const { return parses_; }

 private:
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const Table> table;
  };
  std::unordered_map<std::string, Entry> entries_;
  int parses_ = 0;
};

}  // namespace KOL::cache
