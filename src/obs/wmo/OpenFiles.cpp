#include "obs/wmo/OpenFiles.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/Kol.h"

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

// Paths whose directories changed are checked before their next use.
void OpenFiles::poll()
{
  bool all = false;
  watch_.poll(
      [this](const std::string& p) {
        if (auto it = files_.find(p); it != files_.end()) it->second->suspect = true;
      },
      all);
  if (all)
    for (auto& f : files_) f.second->suspect = true;
}

OpenFiles::Entry* OpenFiles::lookup(const char* path, Hint* hint)
{
  if (hint && hint->set == this && hint->epoch == epoch_ && *hint->entry->path == path)
    return hint->entry;
  key_.assign(path);
  auto it = files_.find(key_);
  return it == files_.end() ? nullptr : it->second.get();
}

// The entry of a held path that is still what the path names.
OpenFiles::Entry* OpenFiles::find(const char* path, Hint* hint)
{
  poll();
  Entry* e = lookup(path, hint);
  if (e && (!e->watched || e->suspect)) {
    if (!stillThere(*e->path, *e)) {
      erase(files_.find(*e->path));
      return nullptr;
    }
    if (e->suspect) e->watched = watch_.add(*e->path);
    e->suspect = false;
  }
  return e;
}

int OpenFiles::get(const char* path, Hint* hint)
{
  Entry* e = use(path, hint, false);
  return e ? e->fd : -1;
}

int OpenFiles::take(const char* path, Hint* hint)
{
  Entry* e = use(path, hint, true);
  return e ? e->fd : -1;
}

// The entry for path, opened when needed, marked used (and held); null when it cannot be had.
OpenFiles::Entry* OpenFiles::use(const char* path, Hint* hint, bool hold)
{
  if (!path || !path[0]) return nullptr;
  Entry* e = find(path, hint);
  if (e && hold && e->held) return nullptr;
  if (!e) e = open(path);
  if (!e) return nullptr;
  e->used = ++clock_;
  e->held = e->held || hold;
  if (hint) *hint = {this, e, epoch_};
  return e;
}

int OpenFiles::append(const char* path, const char* bytes, int n, Hint* hint)
{
  Entry* e = use(path, hint, false);
  if (!e) return 0;
  if (n <= 0) return 1;
  if (!e->listed) gathering_.push_back(e);
  e->listed = true;
  e->gathered.append(bytes, static_cast<size_t>(n));
  if (static_cast<int>(e->gathered.size()) >= GATHER) write(*e);
  return 1;
}

void OpenFiles::flush()
{
  for (Entry* e : gathering_) {
    write(*e);
    e->listed = false;
  }
  gathering_.clear();
}

void OpenFiles::write(Entry& e)
{
  size_t done = 0;
  while (done < e.gathered.size()) {
    ssize_t k = ::write(e.fd, e.gathered.data() + done, e.gathered.size() - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) {
      Kol::outWarning("OpenFiles: cannot write to %s\n", e.path->c_str());
      break;
    }
    done += static_cast<size_t>(k);
  }
  e.gathered.clear();
}

void OpenFiles::release(const char* path, Hint* hint)
{
  if (Entry* e = lookup(path, hint)) e->held = false;
}

void OpenFiles::close(const char* path)
{
  key_.assign(path);
  if (auto it = files_.find(key_); it != files_.end()) erase(it);
}

void OpenFiles::closeAll()
{
  flush();
  files_.clear();
  epoch_++;
  watch_.clear();
}

// The price of noticing an output moved away (by an archiver, say), which must then be started
// anew as it would be by opening it each time: paid at every use when the path is not watched.
bool OpenFiles::stillThere(const std::string& path, const Entry& e)
{
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && st.st_dev == e.dev && st.st_ino == e.ino;
}

// What was gathered for a file goes to it before it is closed, even when it has been moved
// away: the lines belong with the bytes already there.
void OpenFiles::erase(Files::iterator it)
{
  Entry* e = it->second.get();
  write(*e);
  if (e->listed) gathering_.erase(std::find(gathering_.begin(), gathering_.end(), e));
  if (e->watched) watch_.remove(it->first);
  files_.erase(it);
  epoch_++;
}

OpenFiles::Entry* OpenFiles::open(const char* path)
{
  if (size() >= limit_) evictOldest();
  auto e = std::make_unique<Entry>();
  if (!e->file.open(path, "a") || e->file.getType() != File::LOCAL) return nullptr;
  e->fd = fileno(e->file.getFP());
  struct stat st {};
  if (fstat(e->fd, &st) != 0) return nullptr;
  e->dev = st.st_dev;
  e->ino = st.st_ino;
  // Watched from now on: a change between the open and the watch is caught by one last check.
  e->watched = watch_.add(path);
  if (e->watched && !stillThere(path, *e)) {
    watch_.remove(path);
    e->watched = false;
  }
  auto it = files_.emplace(path, std::move(e)).first;
  it->second->path = &it->first;
  return it->second.get();
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
