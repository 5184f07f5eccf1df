// Tells when a path may have come to lead to another file than before: every directory along
// the path is watched (inotify) for the removal, move or replacement of the next name on the
// path. Cheaper than a stat of every path before every use, and as safe, since nothing can
// change what a path names without one of these events. A directory is watched once for all
// the paths through it, so that a thousand files in a few directories cost a few watches.
// Paths that cannot be watched (no inotify, too many watches, ".." in the path) are refused
// and must be checked by the caller.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace KOL::wmo {

class PathWatch {
 public:
  PathWatch() = default;
  PathWatch(const PathWatch&) = delete;
  PathWatch& operator=(const PathWatch&) = delete;
  ~PathWatch();

  // Starts watching path (again); false when it cannot be watched.
  bool add(const std::string& path);
  void remove(const std::string& path);
  void clear();
  // The watched paths that may have changed since the last call are passed to changed; all is
  // set instead when the changes cannot be told apart (the event queue overflowed, a watched
  // directory went away).
  template <typename F>
  void poll(F changed, bool& all)
  {
    all = false;
    if (fd_ < 0) return;
    hits_.clear();
    readEvents(all);
    for (const std::string& p : hits_) changed(p);
  }
  // Directories watched, and inotify watches made and removed so far.
  int numDirs() const { return static_cast<int>(dirs_.size()); }
  long numAdded() const { return added_; }
  long numRemoved() const { return removed_; }

 private:
  struct Dir {
    // Names in the directory that watched paths go through, each with those paths.
    std::unordered_map<std::string, std::vector<std::string>> names;
    // The directory paths that led to it when it was watched.
    std::vector<std::string> paths;
  };
  using Link = std::pair<int, std::string>;  // a directory's watch and the name in it

  bool links(const std::string& path, std::vector<Link>& out);
  int watchDir(const std::string& dir);
  void dropIfUnused(int wd);
  void forgetBelow(const Dir& d, const char* name);
  void readEvents(bool& all);

  int fd_ = -1;
  std::unordered_map<int, Dir> dirs_;
  std::unordered_map<std::string, int> by_path_;  // directory path to its watch, while current
  std::unordered_map<std::string, std::vector<Link>> paths_;
  std::vector<std::string> hits_;
  long added_ = 0;
  long removed_ = 0;
};

}  // namespace KOL::wmo
