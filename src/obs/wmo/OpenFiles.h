// A bounded set of files held open for appending from one bulletin to the next, so that a busy
// output is not opened and closed for every bulletin. The least recently used file is closed
// when room is needed; a file removed or renamed behind the set's back (or one of the
// directories on its path) is opened afresh at its next use. Short lines (header index lines)
// can be gathered per file and written a few kilobytes at a time.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/File.h"
#include "obs/wmo/PathWatch.h"

namespace KOL::wmo {

class OpenFiles {
  struct Entry;

 public:
  // Where a path was found last time, to find it again without a lookup while no file has
  // been closed since (a caller that files to the same file again and again keeps one).
  struct Hint {
    const OpenFiles* set = nullptr;
    Entry* entry = nullptr;
    long epoch = -1;
  };

  // limit: files held at most (the open-file limit of the process may lower it).
  explicit OpenFiles(int limit);
  OpenFiles(const OpenFiles&) = delete;
  OpenFiles& operator=(const OpenFiles&) = delete;
  ~OpenFiles() { closeAll(); }

  // Bytes gathered per file before they are written.
  static constexpr int GATHER = 4096;

  // A descriptor appending to path, opened (with missing directories) when not held; -1 when
  // it cannot be opened. Valid until the next call on the set.
  int get(const char* path, Hint* hint = nullptr);
  // The same, held for one writer until released: -1 while another holds it. A held file is
  // never closed to make room.
  int take(const char* path, Hint* hint = nullptr);
  void release(const char* path, Hint* hint = nullptr);
  // Adds n bytes (whole lines, so that readers never see part of one) to the file at path,
  // to be written with others: once GATHER bytes are waiting, at flush(), or when the file is
  // closed or found moved. 0 when the file cannot be opened.
  int append(const char* path, const char* bytes, int n, Hint* hint = nullptr);
  // Writes everything appended so far.
  void flush();
  void close(const char* path);
  void closeAll();
  int size() const { return static_cast<int>(files_.size()); }
  int getLimit() const { return limit_; }
  bool holds(const char* path) const { return files_.count(path) > 0; }

 private:
  struct Entry {
    const std::string* path = nullptr;  // its key
    File file;                          // owns the descriptor; written below its stream
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    long used = 0;
    bool held = false;
    bool watched = false;  // changes to its path are reported by the watch
    bool suspect = false;  // they were: check it before the next use
    std::string gathered;  // appended, not written yet
    bool listed = false;   // in gathering_
  };
  using Files = std::unordered_map<std::string, std::unique_ptr<Entry>>;

  void poll();
  Entry* lookup(const char* path, Hint* hint);
  Entry* find(const char* path, Hint* hint);
  static bool stillThere(const std::string& path, const Entry& e);
  void erase(Files::iterator it);
  Entry* open(const char* path);
  Entry* use(const char* path, Hint* hint, bool hold);
  void write(Entry& e);
  void evictOldest();

  int limit_;
  long clock_ = 0;
  long epoch_ = 0;  // counts the files closed: hints older than the last one are void
  Files files_;
  std::vector<Entry*> gathering_;  // entries that have had bytes appended since the last flush
  PathWatch watch_;
  std::string key_;  // the path looked up, kept to spare an allocation per lookup
};

}  // namespace KOL::wmo
