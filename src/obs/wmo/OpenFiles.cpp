#include "obs/wmo/OpenFiles.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>

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

int raiseFileLimit()
{
  // Far more than any feed has outputs: a limit without bound is not taken at its word.
  constexpr rlim_t MOST = 1 << 20;
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) != 0) return 256;
  rlim_t want = std::min(rl.rlim_max, MOST);
  if (rl.rlim_cur < want) {
    rlimit up{want, rl.rlim_max};
    if (setrlimit(RLIMIT_NOFILE, &up) == 0) rl.rlim_cur = want;
  }
  // The feed, the log, pipes, notice sockets and whatever the program holds besides.
  long have = static_cast<long>(std::min(rl.rlim_cur, MOST));
  return static_cast<int>(std::max(have - std::max(64L, have / 8), 2L));
}

bool writeAll(int fd, iovec* iov, int count)
{
  for (;;) {
    for (; count > 0 && iov->iov_len == 0; iov++) count--;
    if (count == 0) return true;
    ssize_t k = ::writev(fd, iov, count);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    for (; count > 0 && static_cast<size_t>(k) >= iov->iov_len; iov++, count--)
      k -= static_cast<ssize_t>(iov->iov_len);
    if (count > 0) {
      iov->iov_base = static_cast<char*>(iov->iov_base) + k;
      iov->iov_len -= static_cast<size_t>(k);
    }
  }
}

OpenFiles::OpenFiles(int limit) : limit_(fileLimit(limit)) {}

// Files whose paths may lead elsewhere now are closed, after what was gathered for them goes
// out: whoever moved one away between bulletins finds in it every bulletin filed before, and a
// file removed is not kept alive by the set. One held for a bulletin is checked once released.
void OpenFiles::poll()
{
  if (check_interval_ > 0) {
    using namespace std::chrono;
    long now = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    if (now - checked_ < check_interval_) return;
    checked_ = now;
  }
  bool all = false;
  std::vector<std::string> gone;
  auto changed = [&gone](Entry& e) {
    if (e.held)
      e.suspect = true;
    else
      gone.push_back(*e.path);
  };
  watch_.poll(
      [&](const std::string& p) {
        if (auto it = files_.find(p); it != files_.end()) changed(*it->second);
      },
      all);
  if (all)
    for (auto& f : files_) changed(*f.second);
  for (const std::string& p : gone)
    if (auto it = files_.find(p); it != files_.end()) erase(it);
}

OpenFiles::Entry* OpenFiles::lookup(const char* path, Hint* hint) const
{
  if (hint && hint->set == this && hint->epoch == epoch_ &&
      (hint->same_path || *hint->entry->path == path))
    return hint->entry;
  key_.assign(path);
  auto it = files_.find(key_);
  return it == files_.end() ? nullptr : it->second.get();
}

// The entry of a kept path that is still what the path names. A file held for a bulletin is
// not let go in the middle of it: it is checked again once released.
OpenFiles::Entry* OpenFiles::find(const char* path, Hint* hint, bool check)
{
  if (check) poll();
  Entry* e = lookup(path, hint);
  if (e && !e->held && (!e->watched || e->suspect)) {
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
OpenFiles::Entry* OpenFiles::use(const char* path, Hint* hint, bool hold, bool check)
{
  if (!path || !path[0]) return nullptr;
  Entry* e = find(path, hint, check);
  if (e && hold && e->held) return nullptr;
  if (!e) e = open(path);
  if (!e) return nullptr;
  e->used = ++clock_;
  e->held = e->held || hold;
  if (hint) *hint = {this, e, epoch_, hint->same_path};
  return e;
}

int OpenFiles::append(const char* path, const char* bytes, int n, Hint* hint)
{
  return append(path, bytes, n, hint, true);
}

int OpenFiles::append(const char* path, const char* bytes, int n, Hint* hint, bool check)
{
  Entry* e = use(path, hint, false, check);
  if (!e) return 0;
  if (n <= 0) return 1;
  gather(*e, bytes, static_cast<size_t>(n));
  if (static_cast<int>(e->gathered.size()) >= GATHER)
    write(*e, e->gathered.size());
  else if (held_ > GATHER_ALL)
    shed();
  return 1;
}

// Room grows from a size that holds a few bulletins or index lines, rather than from nothing.
void OpenFiles::gather(Entry& e, const void* bytes, size_t n)
{
  if (!e.listed) gathering_.push_back(&e);
  e.listed = true;
  size_t need = e.gathered.size() + n;
  if (need > e.gathered.capacity())
    makeRoom(e, std::max({need, 2 * e.gathered.capacity(), static_cast<size_t>(FIRST_ROOM)}));
  e.gathered.append(static_cast<const char*>(bytes), n);
}

void OpenFiles::makeRoom(Entry& e, size_t n)
{
  held_ -= e.gathered.capacity();
  e.gathered.reserve(n);
  held_ += e.gathered.capacity();
}

void OpenFiles::freeRoom(Entry& e)
{
  held_ -= e.gathered.capacity();
  std::string().swap(e.gathered);
  held_ += e.gathered.capacity();
}

void OpenFiles::flush()
{
  for (Entry* e : gathering_) writeOut(*e);
  unlist();
}

// Over the memory allowed, the files that gathered most are written until half of it is free;
// the others go on gathering, so that each file is written in large pieces.
void OpenFiles::shed()
{
  std::vector<Entry*> most(gathering_);
  std::sort(most.begin(), most.end(),
            [](const Entry* a, const Entry* b) { return a->gathered.size() > b->gathered.size(); });
  for (size_t i = 0; i < most.size() && held_ > GATHER_ALL / 2; i++) writeOut(*most[i]);
  unlist();
}

// What a file gathered goes out (of a bulletin still being put, only what came before it); its
// memory goes back when nothing is left: with thousands of files most gather now and then.
void OpenFiles::writeOut(Entry& e)
{
  write(e, e.held && e.mark >= 0 ? static_cast<size_t>(e.mark) : e.gathered.size());
  e.listed = !e.gathered.empty();
  if (e.listed) return;
  freeRoom(e);
  if (e.waiting.empty()) std::string().swap(e.waiting);
}

void OpenFiles::unlist()
{
  gathering_.erase(std::remove_if(gathering_.begin(), gathering_.end(),
                                  [](const Entry* e) { return !e->listed; }),
                   gathering_.end());
}

void OpenFiles::sweep()
{
  std::vector<std::string> idle;
  for (const auto& f : files_)
    if (!f.second->held && f.second->used <= swept_) idle.push_back(f.first);
  for (const std::string& p : idle) close(p.c_str());
  swept_ = clock_;
}

void OpenFiles::setLimit(int limit)
{
  limit_ = std::max(limit, 1);
  for (int n = size(); n > limit_; n--) evictOldest();
}

// The first upto bytes gathered, then n more, in one piece. A bulletin or index line waiting
// to learn where its bytes went is told: after an append the file offset is the end of what
// this write added, whoever else appends to the file.
bool OpenFiles::write(Entry& e, size_t upto, const void* more, size_t n)
{
  iovec iov[2] = {{e.gathered.data(), upto}, {const_cast<void*>(more), n}};
  bool ok = writeAll(e.fd, iov, 2);
  if (!ok) Kol::outWarning("OpenFiles: cannot write to %s\n", e.path->c_str());
  bool placing = e.mark >= 0 && static_cast<size_t>(e.mark) < upto + n;
  long end = ok && (placing || !e.waiting.empty()) ? lseek(e.fd, 0, SEEK_CUR) : -1;
  placed(e, end < 0 ? -1 : end - static_cast<long>(upto + n), upto + n);
  e.gathered.erase(0, upto);
  if (e.mark >= 0) e.mark -= static_cast<long>(upto);
  return ok;
}

// The written bytes began at offset first (-1 when they are lost): the index lines of the
// bulletins among them are due, and the bulletin being put knows its start once it is there.
void OpenFiles::placed(Entry& e, long first, size_t written)
{
  for (size_t at = 0; at < e.waiting.size() && first >= 0;) {
    Waiting w;
    std::memcpy(&w, e.waiting.data() + at, sizeof w);
    const char* path = e.waiting.data() + at + sizeof w;
    indexLine(first + static_cast<long>(w.at), std::string_view(path + w.path_size, w.rest_size),
              line_);
    w.set->append(path, line_.data(), static_cast<int>(line_.size()), &e.index_hint, false);
    at += sizeof w + w.path_size + w.rest_size;
  }
  e.waiting.clear();
  if (e.mark >= 0 && static_cast<size_t>(e.mark) < written) {
    e.start = first < 0 ? -1 : first + e.mark;
    e.mark = -1;
  }
}

void OpenFiles::indexLine(long offset, std::string_view rest, std::string& out)
{
  char number[24];
  int digits = static_cast<int>(std::to_chars(number, number + sizeof number, offset).ptr - number);
  out.assign(static_cast<size_t>(std::max(7 - digits, 0)), ' ');
  out.append(number, static_cast<size_t>(digits));
  out.append(rest);
}

void OpenFiles::begin(const Hint& hint)
{
  Entry& e = *hint.entry;
  e.mark = static_cast<long>(e.gathered.size());
  e.start = -1;
}

int OpenFiles::put(const Hint& hint, const void* bytes, int n)
{
  Entry& e = *hint.entry;
  if (n <= 0) return 1;
  size_t have = e.gathered.size();
  if (have + static_cast<size_t>(n) <= GATHER_BULLETINS) {
    // Room for a full gathering once half of one is there, rather than twice that from
    // doubling on the way.
    if (have + static_cast<size_t>(n) > GATHER_BULLETINS / 2) makeRoom(e, GATHER_BULLETINS);
    gather(e, bytes, static_cast<size_t>(n));
    if (held_ > GATHER_ALL) shed();
    return 1;
  }
  if (n >= GATHER_BULLETINS / 2) return write(e, have, bytes, static_cast<size_t>(n));
  bool ok = write(e, have);
  gather(e, bytes, static_cast<size_t>(n));
  return ok;
}

int OpenFiles::drop(const Hint& hint)
{
  Entry& e = *hint.entry;
  if (e.mark >= 0) {
    e.gathered.resize(static_cast<size_t>(e.mark));
    e.mark = -1;
    return 1;
  }
  // Written in part: everything after its start is its own, the file being held for it.
  e.gathered.clear();
  bool ok = e.start < 0 || ftruncate(e.fd, e.start) == 0;
  e.start = -1;
  return ok;
}

long OpenFiles::start(const char* path, Hint* hint) const
{
  const Entry* e = lookup(path, hint);
  return e && e->mark < 0 ? e->start : -1;
}

long OpenFiles::settle(const char* path, Hint* hint)
{
  Entry* e = lookup(path, hint);
  if (!e) return -1;
  write(*e, e->gathered.size());
  return e->mark < 0 ? e->start : -1;
}

bool OpenFiles::deferIndex(const char* path, Hint* hint, OpenFiles& indexes, const char* index_path,
                           std::string_view rest)
{
  Entry* e = lookup(path, hint);
  if (!e || e->mark < 0) return false;
  Waiting w{&indexes, static_cast<size_t>(e->mark),
            static_cast<uint32_t>(std::strlen(index_path) + 1), static_cast<uint32_t>(rest.size())};
  e->waiting.append(reinterpret_cast<const char*>(&w), sizeof w);
  e->waiting.append(index_path, w.path_size);
  e->waiting.append(rest.data(), rest.size());
  return true;
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
  for (Entry* e : gathering_) write(*e, e->gathered.size());
  gathering_.clear();
  files_.clear();
  held_ = 0;
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
  write(*e, e->gathered.size());
  freeRoom(*e);
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
  // Thousands of files stay open for long: commands run for bulletins are not handed them.
  fcntl(e->fd, F_SETFD, FD_CLOEXEC);
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
