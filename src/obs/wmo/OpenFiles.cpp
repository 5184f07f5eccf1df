#include "obs/wmo/OpenFiles.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

namespace KOL::wmo {

namespace {

// A quarter of the process's open-file limit, so that the rest of the program keeps room.
int fileLimit(int wanted)
{
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
    wanted = static_cast<int>(std::min<rlim_t>(wanted, rl.rlim_cur / 4));
  return std::max(wanted, 1);
}

}  // namespace

OpenFiles::OpenFiles(int limit) : limit_(fileLimit(limit)) {}

// The entry of a held path that is still what the path names.
OpenFiles::Files::iterator OpenFiles::find(const char* path)
{
  bool all = false;
  watch_.poll(
      [this](const std::string& p) {
        if (auto it = files_.find(p); it != files_.end()) it->second->suspect = true;
      },
      all);
  if (all)
    for (auto& f : files_) f.second->suspect = true;
  key_.assign(path);
  auto it = files_.find(key_);
  if (it == files_.end()) return it;
  Entry& e = *it->second;
  if (!e.watched || e.suspect) {
    if (!stillThere(it->first, e)) {
      erase(it);
      return files_.end();
    }
    if (e.suspect) e.watched = watch_.add(it->first);
    e.suspect = false;
  }
  return it;
}

int OpenFiles::get(const char* path)
{
  if (!path || !path[0]) return -1;
  auto it = find(path);
  if (it == files_.end()) it = open(path);
  if (it == files_.end()) return -1;
  it->second->used = ++clock_;
  return it->second->fd;
}

int OpenFiles::take(const char* path)
{
  if (!path || !path[0]) return -1;
  auto it = find(path);
  if (it != files_.end() && it->second->held) return -1;
  if (it == files_.end()) it = open(path);
  if (it == files_.end()) return -1;
  it->second->used = ++clock_;
  it->second->held = true;
  return it->second->fd;
}

void OpenFiles::release(const char* path)
{
  key_.assign(path);
  if (auto it = files_.find(key_); it != files_.end()) it->second->held = false;
}

void OpenFiles::close(const char* path)
{
  key_.assign(path);
  if (auto it = files_.find(key_); it != files_.end()) erase(it);
}

void OpenFiles::closeAll()
{
  files_.clear();
  watch_.clear();
}

// The price of noticing an output moved away (by an archiver, say), which must then be started
// anew as it would be by opening it each time: paid at every use when the path is not watched.
bool OpenFiles::stillThere(const std::string& path, const Entry& e)
{
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && st.st_dev == e.dev && st.st_ino == e.ino;
}

void OpenFiles::erase(Files::iterator it)
{
  if (it->second->watched) watch_.remove(it->first);
  files_.erase(it);
}

OpenFiles::Files::iterator OpenFiles::open(const char* path)
{
  if (size() >= limit_) evictOldest();
  auto e = std::make_unique<Entry>();
  if (!e->file.open(path, "a") || e->file.getType() != File::LOCAL) return files_.end();
  e->fd = fileno(e->file.getFP());
  struct stat st {};
  if (fstat(e->fd, &st) != 0) return files_.end();
  e->dev = st.st_dev;
  e->ino = st.st_ino;
  // Watched from now on: a change between the open and the watch is caught by one last check.
  e->watched = watch_.add(path);
  if (e->watched && !stillThere(path, *e)) {
    watch_.remove(path);
    e->watched = false;
  }
  return files_.emplace(path, std::move(e)).first;
}

void OpenFiles::evictOldest()
{
  auto oldest = files_.end();
  for (auto it = files_.begin(); it != files_.end(); ++it)
    if (!it->second->held && (oldest == files_.end() || it->second->used < oldest->second->used))
      oldest = it;
  if (oldest != files_.end()) erase(oldest);
}

}  // namespace KOL::wmo
