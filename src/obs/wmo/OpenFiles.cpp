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

OpenFiles::OpenFiles(int limit, int buffer) : limit_(fileLimit(limit)), buffer_(buffer) {}

std::FILE* OpenFiles::get(const char* path)
{
  if (!path || !path[0]) return nullptr;
  auto it = files_.find(path);
  if (it != files_.end() && !stillThere(it->first, *it->second)) {
    files_.erase(it);
    it = files_.end();
  }
  if (it == files_.end()) return open(path);
  it->second->used = ++clock_;
  return it->second->file.getFP();
}

std::FILE* OpenFiles::take(const char* path)
{
  if (auto it = files_.find(path ? path : ""); it != files_.end() && it->second->held)
    return nullptr;
  std::FILE* fp = get(path);
  if (fp) files_.find(path)->second->held = true;
  return fp;
}

void OpenFiles::release(const char* path)
{
  if (auto it = files_.find(path); it != files_.end()) it->second->held = false;
}

void OpenFiles::close(const char* path) { files_.erase(path); }

void OpenFiles::closeAll() { files_.clear(); }

// One stat per use: the price of noticing an output moved away (by an archiver, say), which
// must then be started anew as it would be by opening it each time.
bool OpenFiles::stillThere(const std::string& path, const Entry& e)
{
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && st.st_dev == e.dev && st.st_ino == e.ino;
}

std::FILE* OpenFiles::open(const char* path)
{
  if (size() >= limit_) evictOldest();
  auto e = std::make_unique<Entry>();
  if (!e->file.open(path, "a")) return nullptr;
  std::FILE* fp = e->file.getFP();
  struct stat st {};
  if (e->file.getType() != File::LOCAL || fstat(fileno(fp), &st) != 0) return nullptr;
  if (buffer_ > 0) {
    e->buffer.resize(buffer_);
    std::setvbuf(fp, e->buffer.data(), _IOFBF, e->buffer.size());
  }
  e->dev = st.st_dev;
  e->ino = st.st_ino;
  e->used = ++clock_;
  files_[path] = std::move(e);
  return fp;
}

void OpenFiles::evictOldest()
{
  auto oldest = files_.end();
  for (auto it = files_.begin(); it != files_.end(); ++it)
    if (!it->second->held && (oldest == files_.end() || it->second->used < oldest->second->used))
      oldest = it;
  if (oldest != files_.end()) files_.erase(oldest);
}

}  // namespace KOL::wmo
