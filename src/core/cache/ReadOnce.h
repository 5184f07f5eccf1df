// Tables parsed from data files of the database directory ("variable.lup", "units.lup"): each
// file is parsed on its first use and its table kept, unchanged, for the rest of the process,
// shared read-only by every object that looks something up in it. A lookup then costs a hash
// find, not a stat or a read. Like the resources, these files are configuration read once: a
// program sees an edited table when it starts again. A file that cannot be parsed is not
// remembered and is tried again at its next use. Like the rest of the library, a cache is used
// from one thread.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

namespace KOL::cache {

template <class Table>
class ReadOnce {
 public:
  // The table of key (a file, or a database directory that load searches), parsed by
  // load(key, table) on the first call for that key; null (and nothing kept) when load fails.
  template <class Load>
  std::shared_ptr<const Table> get(const std::string& key, Load load)
  {
    auto it = tables_.find(key);
    if (it != tables_.end()) return it->second;
    auto table = std::make_shared<Table>();
    parses_++;
    if (!load(key.c_str(), *table)) return nullptr;
    tables_.emplace(key, table);
    return table;
  }
  // Parses so far.
  int parses() const { return parses_; }

 private:
  std::unordered_map<std::string, std::shared_ptr<const Table>> tables_;
  int parses_ = 0;
};

}  // namespace KOL::cache
