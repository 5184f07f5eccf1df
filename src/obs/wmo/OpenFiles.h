// A bounded set of files held open for appending from one bulletin to the next, so that a busy
// output is not opened and closed for every bulletin. The least recently used file is closed
// when room is needed; a file removed or renamed behind the set's back (or one of the
// directories on its path) is opened afresh at its next use. Short lines (header index lines)
// can be gathered per file and written a few kilobytes at a time, and so can whole bulletins:
// a busy output then costs one write for many of them instead of one (and a seek) for each.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/File.h"
#include "obs/wmo/PathWatch.h"

struct iovec;

namespace KOL::wmo {

// Writes the pieces in full (a pipe may take them in parts); false on failure.
bool writeAll(int fd, iovec* iov, int count);
// Raises the process's soft limit of open files to its hard limit; the number of files that
// sets of kept files may hold between them, a margin being left for the rest of the program.
int raiseFileLimit();

class OpenFiles {
  struct Entry;

 public:
  // Where a path was found last time, to find it again without a lookup while no file has
  // been closed since (a caller that files to the same file again and again keeps one).
  struct Hint {
    const OpenFiles* set = nullptr;
    Entry* entry = nullptr;
    long epoch = -1;
    // The caller vouches that the path is the one the hint was made for, which then need not
    // be compared (its text is seldom in the processor's caches when thousands are in use).
    bool same_path = false;
  };

  // limit: files held at most (the open-file limit of the process may lower it).
  explicit OpenFiles(int limit);
  OpenFiles(const OpenFiles&) = delete;
  OpenFiles& operator=(const OpenFiles&) = delete;
  ~OpenFiles() { closeAll(); }

  // Bytes gathered per file before they are written: lines, and bulletins; and in all, so
  // that thousands of files gathering at once stay within a few megabytes.
  static constexpr int GATHER = 4096;
  static constexpr int GATHER_BULLETINS = 65536;
  static constexpr size_t GATHER_ALL = 8 << 20;
  // What a file gathering from nothing is given room for first: enough for the lines it
  // gathers before they are written, and for a few bulletins.
  static constexpr int FIRST_ROOM = GATHER + 512;

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
  // Bulletins, in a file held through hint: begin() starts one, put() adds its bytes (gathered
  // up to GATHER_BULLETINS, longer runs written at once behind what waits), drop() takes it
  // back. Its place in the file is known once its first bytes are written: start() tells it,
  // -1 before; settle() writes it out to know it. An index line pointing at a bulletin that
  // still waits is kept with it (deferIndex) and appended to its index file in set indexes
  // once the bulletin is written: nobody reads an index line before the bytes it points at.
  void begin(const Hint& hint);
  int put(const Hint& hint, const void* bytes, int n);
  int drop(const Hint& hint);
  long start(const char* path, Hint* hint) const;
  long settle(const char* path, Hint* hint);
  // False when the bulletin of path is written already (or unknown): its line can go now.
  // indexes is another set than this one.
  bool deferIndex(const char* path, Hint* hint, OpenFiles& indexes, const char* index_path,
                  std::string_view rest);
  // An index line: the offset right-aligned in seven places, then rest.
  static void indexLine(long offset, std::string_view rest, std::string& out);
  // Writes everything appended so far; of a bulletin still being put, only what came before it.
  void flush();
  void close(const char* path);
  void closeAll();
  // Closes the files not used since the last sweep: an output whose name has rolled on (the
  // last hour's file) is let go within two sweeps.
  void sweep();
  int size() const { return static_cast<int>(files_.size()); }
  // Memory held by what the files gathered: at most GATHER_ALL once a call has returned.
  size_t getHeld() const { return held_; }
  int getLimit() const { return limit_; }
  // Lowers or raises the limit (at least one file); files beyond it are closed.
  void setLimit(int limit);
  bool holds(const char* path) const { return files_.count(path) > 0; }
  const PathWatch& getWatch() const { return watch_; }
  // Changes to the paths are looked for at most once per interval (microseconds; 0, the
  // default, before every use): a feed read at full speed files a bulletin every few
  // microseconds, and nobody moving files can time a move to a bulletin that closely.
  void setCheckInterval(long micros) { check_interval_ = micros; }

 private:
  // An index line waiting for the bulletin it points at to be written, as a file keeps it in
  // its waiting text: this head, then the index file's path (with its NUL) and the line's rest.
  struct Waiting {
    OpenFiles* set;
    size_t at;  // where the bulletin begins among the bytes gathered
    uint32_t path_size;
    uint32_t rest_size;
  };
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
    long mark = -1;        // where the bulletin being put begins in gathered, -1 once written
    long start = -1;       // where it begins in the file, once written
    // One piece of memory for them all, a bulletin being filed every few microseconds.
    std::string waiting;
    Hint index_hint;  // where the index file of the last of them was found
  };
  using Files = std::unordered_map<std::string, std::unique_ptr<Entry>>;

  void poll();
  Entry* lookup(const char* path, Hint* hint) const;
  Entry* find(const char* path, Hint* hint, bool check);
  int append(const char* path, const char* bytes, int n, Hint* hint, bool check);
  static bool stillThere(const std::string& path, const Entry& e);
  void erase(Files::iterator it);
  Entry* open(const char* path);
  Entry* use(const char* path, Hint* hint, bool hold, bool check = true);
  void gather(Entry& e, const void* bytes, size_t n);
  // Changes the room of a file's gathering, keeping count of the memory held.
  void makeRoom(Entry& e, size_t n);
  void freeRoom(Entry& e);
  void shed();
  void writeOut(Entry& e);
  void unlist();
  bool write(Entry& e, size_t upto, const void* more = nullptr, size_t n = 0);
  void placed(Entry& e, long first, size_t upto);
  void evictOldest();
  void changed(Entry& e);

  int limit_;
  long check_interval_ = 0;
  long checked_ = 0;  // when changes were last looked for (steady clock, microseconds)
  long clock_ = 0;
  long swept_ = 0;   // the clock at the last sweep
  size_t held_ = 0;  // memory held by what all files gathered
  long epoch_ = 0;   // counts the files closed: hints older than the last one are void
  Files files_;
  std::vector<Entry*> gathering_;  // entries that have had bytes appended since the last flush
  PathWatch watch_;
  mutable std::string key_;  // the path looked up, kept to spare an allocation per lookup
  std::string line_;         // an index line being made, likewise
};

}  // namespace KOL::wmo
