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

}  // namespace

PathWatch::~PathWatch() { clear(); }

void PathWatch::clear()
{
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  dirs_.clear();
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
  while (at < path.size()) {
    size_t end = std::min(path.find('/', at), path.size());
    std::string name = path.substr(at, end - at);
    at = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") return false;
    int wd = inotify_add_watch(fd_, dir.c_str(), EVENTS);
    // A watch just made for nothing else is dropped again with the path.
    if (wd < 0) {
      for (const Link& l : out)
        if (!dirs_.count(l.first)) inotify_rm_watch(fd_, l.first);
      return false;
    }
    out.emplace_back(wd, name);
    dir = dir == "/" ? "/" + name : dir == "." ? name : dir + "/" + name;
  }
  return !out.empty();
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
    if (d->second.names.empty()) {
      inotify_rm_watch(fd_, l.first);
      dirs_.erase(d);
    }
  }
  paths_.erase(p);
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
      } else if (d == dirs_.end()) {
        continue;  // a watch already let go
      } else if (ev->mask & IN_IGNORED) {
        all = true;  // the directory itself went away
      } else if (ev->len > 0) {
        auto names = d->second.names.find(ev->name);
        if (names != d->second.names.end())
          hits_.insert(hits_.end(), names->second.begin(), names->second.end());
      }
    }
  }
}

}  // namespace KOL::wmo
