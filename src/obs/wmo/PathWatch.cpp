#include "obs/wmo/PathWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>

namespace KOL::wmo {

namespace {

// What can make a name in a directory lead elsewhere. A directory on the path that is itself
// moved or removed shows up in its parent's events; the first one (the working directory or the
// root) cannot be taken away from under the path.
constexpr uint32_t EVENTS = IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

std::string join(const std::string& dir, const std::string& name)
{
  return dir == "/" ? "/" + name : dir == "." ? name : dir + "/" + name;
}

}  // namespace

PathWatch::~PathWatch() { clear(); }

void PathWatch::clear()
{
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  dirs_.clear();
  by_path_.clear();
  paths_.clear();
}

bool PathWatch::add(const std::string& path)
{
  remove(path);
  if (path.empty()) return false;
  if (fd_ < 0) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  std::vector<Link> got;
  if (fd_ < 0 || !links(path, got)) return false;
  for (const Link& l : got) dirs_[l.first].names[l.second].push_back(path);
  paths_[path] = std::move(got);
  return true;
}

// Each directory on the path and the name taken in it, watched.
bool PathWatch::links(const std::string& path, std::vector<Link>& out)
{
  std::string dir = path[0] == '/' ? "/" : ".";
  size_t at = 0;
  bool ok = true;
  while (ok && at < path.size()) {
    size_t end = std::min(path.find('/', at), path.size());
    std::string name = path.substr(at, end - at);
    at = end + 1;
    if (name.empty() || name == ".") continue;
    int wd = name == ".." ? -1 : watchDir(dir);
    ok = wd >= 0;
    if (ok) out.emplace_back(wd, name);
    dir = join(dir, name);
  }
  // A watch just made for nothing else is dropped again with the path.
  if (!ok)
    for (const Link& l : out) dropIfUnused(l.first);
  return ok && !out.empty();
}

// The watch of a directory, made when no path through it is watched yet.
int PathWatch::watchDir(const std::string& dir)
{
  if (auto it = by_path_.find(dir); it != by_path_.end()) return it->second;
  int wd = inotify_add_watch(fd_, dir.c_str(), EVENTS);
  if (wd < 0) return -1;
  added_++;
  // Another path to a directory watched already gets the same watch.
  std::vector<std::string>& paths = dirs_[wd].paths;
  if (std::find(paths.begin(), paths.end(), dir) == paths.end()) paths.push_back(dir);
  by_path_[dir] = wd;
  return wd;
}

void PathWatch::dropIfUnused(int wd)
{
  auto d = dirs_.find(wd);
  if (d == dirs_.end() || !d->second.names.empty()) return;
  inotify_rm_watch(fd_, wd);
  removed_++;
  for (const std::string& p : d->second.paths)
    if (auto it = by_path_.find(p); it != by_path_.end() && it->second == wd) by_path_.erase(it);
  dirs_.erase(d);
}

void PathWatch::remove(const std::string& path)
{
  auto p = paths_.find(path);
  if (p == paths_.end()) return;
  for (const Link& l : p->second) {
    auto d = dirs_.find(l.first);
    if (d == dirs_.end()) continue;
    auto n = d->second.names.find(l.second);
    if (n != d->second.names.end()) {
      auto& v = n->second;
      v.erase(std::find(v.begin(), v.end(), path));
      if (v.empty()) d->second.names.erase(n);
    }
    dropIfUnused(l.first);
  }
  paths_.erase(p);
}

// A name moved or removed in a directory may have been a directory (or a link to one) on the
// way to others: their watches no longer stand for those paths, and paths added from now on
// get watches of their own.
void PathWatch::forgetBelow(const Dir& d, const char* name)
{
  for (const std::string& p : d.paths) {
    std::string child = join(p, name);
    for (auto it = by_path_.begin(); it != by_path_.end();) {
      const std::string& k = it->first;
      bool below = k.compare(0, child.size(), child) == 0 &&
                   (k.size() == child.size() || k[child.size()] == '/');
      it = below ? by_path_.erase(it) : std::next(it);
    }
  }
}

void PathWatch::readEvents(bool& all)
{
  alignas(inotify_event) char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n <= 0) return;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
      auto d = dirs_.find(ev->wd);
      if (ev->mask & IN_Q_OVERFLOW) {
        all = true;
        by_path_.clear();
      } else if (d == dirs_.end()) {
        continue;  // a watch already let go
      } else if (ev->mask & IN_IGNORED) {
        all = true;  // the directory itself went away
        for (const std::string& p : d->second.paths)
          if (auto it = by_path_.find(p); it != by_path_.end() && it->second == ev->wd)
            by_path_.erase(it);
      } else if (ev->len > 0) {
        forgetBelow(d->second, ev->name);
        auto names = d->second.names.find(ev->name);
        if (names != d->second.names.end())
          hits_.insert(hits_.end(), names->second.begin(), names->second.end());
      }
    }
  }
}

}  // namespace KOL::wmo
