#include "core/FileTool.h"

#include <curl/curl.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/Kol.h"
#include "core/String.h"
#include "core/Strings.h"

namespace KOL {

namespace {

int dirFailed(const std::string& dir)
{
  Kol::outWarning("FileTool: cannot create directory %s: %s\n", dir.c_str(), std::strerror(errno));
  return 0;
}

// A directory's flags, -1 when they cannot be read; with mark, the top-of-tree flag is added.
int topDirFlags(const std::string& dir, bool mark)
{
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  int flags = 0;
  if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
    flags = -1;
  } else if (mark && !(flags & FS_TOPDIR_FL)) {
    flags |= FS_TOPDIR_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  close(fd);
  return flags;
}

bool spreads(const std::string& dir)
{
  int flags = topDirFlags(dir, false);
  return flags != -1 && (flags & FS_TOPDIR_FL);
}

// The top of a new tree of output directories asks the filesystem to spread its
// subdirectories over the block groups (ext4's Orlov allocator) rather than pack them beside
// its parent, whose group may be full of inodes freed moments ago that a journal-less ext4
// walks past on every creation. Not below a tree that does so already (within two levels):
// each directory created under a flagged one is placed by a search of every group. Only a
// hint: filesystems without the flag refuse it and nothing changes.
void markNewTree(const std::string& dir)
{
  size_t up = dir.rfind('/');
  std::string parent = up == std::string::npos ? "." : dir.substr(0, std::max<size_t>(up, 1));
  size_t up2 = parent.rfind('/');
  if (spreads(parent) || (up2 != std::string::npos && up2 > 0 && spreads(parent.substr(0, up2))))
    return;
  topDirFlags(dir, true);
}

// What the header of a URL check told.
struct UrlProbe {
  int status = 0;    // status code of the first status line, 0 while none was seen
  long length = -2;  // announced content length, -2 when none
};

bool iprefix(std::string_view s, std::string_view prefix)
{
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); i++)
    if (std::tolower((unsigned char)s[i]) != std::tolower((unsigned char)prefix[i])) return false;
  return true;
}

// Reads a decimal number after optional blanks; value is left alone when there is none.
template <typename T>
void readNumber(std::string_view s, T& value)
{
  while (!s.empty() && (s[0] == ' ' || s[0] == '\t')) s.remove_prefix(1);
  std::from_chars(s.data(), s.data() + s.size(), value);
}

std::vector<std::string_view> splitList(std::string_view list)
{
  std::vector<std::string_view> out;
  if (list.empty()) return out;
  size_t start = 0;
  for (size_t i = 0; i < list.size(); i++) {
    if (list[i] != ':' || (i >= 4 && list.substr(i - 4, 4) == "http")) continue;
    out.push_back(list.substr(start, i - start));
    start = i + 1;
  }
  out.push_back(list.substr(start));
  return out;
}

std::string userPath(const char* name)
{
  std::string_view s(name ? name : "");
  if (s.empty() || s[0] != '~') return std::string(s);
  size_t slash = std::min(s.find('/'), s.size());
  std::string user(s.substr(1, slash - 1));
  const struct passwd* pw = user.empty() ? getpwuid(getuid()) : getpwnam(user.c_str());
  const char* home = pw ? pw->pw_dir : nullptr;
  if (!home && user.empty()) home = std::getenv("HOME");
  if (!home) return std::string(s);
  return std::string(home) + std::string(s.substr(slash));
}

std::string joinPath(std::string_view dir, const char* name)
{
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out += '/';
  return out + name;
}

int store(const std::string& s, char* out, int size)
{
  if (!out || size <= 0) return 0;
  std::snprintf(out, size, "%s", s.c_str());
  return 1;
}

int store(const std::string& s, String& out) { return out.copy(s.c_str()); }

bool statOf(const char* name, struct stat& st)
{
  if (!name || !*name) return false;
  return stat(userPath(name).c_str(), &st) == 0;
}

// Starts a transfer of the URL and stops it as soon as the body begins: the header is enough.
bool probeUrl(const char* url, UrlProbe& probe)
{
  CURL* easy = curl_easy_init();
  if (!easy) return false;
  curl_easy_setopt(easy, CURLOPT_URL, url);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &FileTool::curl_header);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &probe);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &FileTool::curl_write);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &probe);
  CURLcode rc = curl_easy_perform(easy);
  curl_easy_cleanup(easy);
  Kol::outDebug(5, "F:probe: %d %d %ld\n", rc, probe.status, probe.length);
  return (rc == CURLE_OK || rc == CURLE_WRITE_ERROR) && probe.status > 0;
}

bool searchPath(const char* list, const char* name, std::string& out)
{
  out = name ? name : "";
  if (out.empty()) return false;
  if (FileTool::isStdio(name) || FileTool::isFullPath(name)) return FileTool::exist(name);
  std::vector<std::string_view> dirs = splitList(list ? list : "");
  if (dirs.empty()) return FileTool::exist(name);
  for (std::string_view dir : dirs) {
    out = joinPath(dir, name);
    if (FileTool::exist(out.c_str())) return true;
  }
  return false;
}

std::string outputPath(const char* list, const char* name)
{
  if (FileTool::isStdio(name) || FileTool::isFullPath(name)) return name;
  std::vector<std::string_view> dirs = splitList(list ? list : "");
  if (dirs.empty()) return name;
  for (std::string_view dir : dirs)
    if (FileTool::isDir(std::string(dir).c_str())) return joinPath(dir, name);
  return joinPath(dirs.back(), name);
}

}  // namespace

bool FileTool::isUrl(const char* name) { return name && std::strncmp(name, "http://", 7) == 0; }

bool FileTool::isFullPath(const char* name)
{
  if (!name) return false;
  return isUrl(name) || name[0] == '.' || name[0] == '/' || name[0] == '~';
}

bool FileTool::isStdio(const char* name)
{
  if (!name) return false;
  return strcasecmp(name, "-") == 0 || strcasecmp(name, "std") == 0 ||
         strcasecmp(name, "stdn") == 0;
}

int FileTool::numPath(const char* list)
{
  return static_cast<int>(splitList(list ? list : "").size());
}

namespace {

std::string element(const char* list, int i, bool& found)
{
  std::vector<std::string_view> dirs = splitList(list ? list : "");
  found = i >= 0 && i < static_cast<int>(dirs.size());
  return found ? std::string(dirs[i]) : std::string();
}

}  // namespace

bool FileTool::checkLength(const char* who, const char* name)
{
  if (!name || std::strlen(name) <= MAX_PATH) return true;
  Kol::outWarning("%s: path longer than %zu characters refused: %.40s...\n", who ? who : "File",
                  MAX_PATH, name);
  return false;
}

int FileTool::getPath(const char* list, int i, char* out, int size)
{
  bool found;
  store(element(list, i, found), out, size);
  return found ? 1 : 0;
}

int FileTool::getPath(const char* list, int i, String& out)
{
  bool found;
  store(element(list, i, found), out);
  return found ? 1 : 0;
}

int FileTool::addPathDelim(char* path, int size)
{
  if (!path) return 0;
  size_t len = std::strlen(path);
  if (len == 0 || path[len - 1] == '/') return 1;
  if (static_cast<long>(len) + 2 > size) return 0;
  path[len] = '/';
  path[len + 1] = '\0';
  return 1;
}

int FileTool::addPathDelim(String& path)
{
  if (path.length() == 0 || path.getChar(-1) == '/') return 1;
  return path.append('/');
}

int FileTool::addUserPath(const char* name, char* out, int size)
{
  if (!name) return 0;
  return store(userPath(name), out, size);
}

int FileTool::addUserPath(const char* name, String& out)
{
  if (!name) return 0;
  return store(userPath(name), out);
}

bool FileTool::exist(const char* name)
{
  if (!name || !*name) return false;
  if (isUrl(name)) {
    UrlProbe probe;
    return probeUrl(name, probe) && (probe.status == 200 || probe.status == 301);
  }
  if (isStdio(name)) return true;
  struct stat st;
  return statOf(name, st);
}

bool FileTool::addPath(const char* list, const char* name, char* out, int size)
{
  std::string path;
  bool found = searchPath(list, name, path);
  store(path, out, size);
  return found;
}

bool FileTool::addPath(const char* list, const char* name, String& out)
{
  std::string path;
  bool found = searchPath(list, name, path);
  store(path, out);
  return found;
}

bool FileTool::checkPath(const char* list, const char* name)
{
  std::string path;
  return searchPath(list, name, path);
}

bool FileTool::addOutPath(const char* list, const char* name, char* out, int size)
{
  if (!name || !*name) return false;
  std::string path = outputPath(list, name);
  store(path, out, size);
  return exist(path.c_str());
}

bool FileTool::addOutPath(const char* list, const char* name, String& out)
{
  if (!name || !*name) return false;
  std::string path = outputPath(list, name);
  store(path, out);
  return exist(path.c_str());
}

bool FileTool::isDir(const char* name)
{
  struct stat st;
  return statOf(name, st) && S_ISDIR(st.st_mode);
}

bool FileTool::isFile(const char* name)
{
  struct stat st;
  return statOf(name, st) && S_ISREG(st.st_mode);
}

bool FileTool::isFifo(const char* name)
{
  struct stat st;
  return statOf(name, st) && S_ISFIFO(st.st_mode);
}

bool FileTool::isDevice(const char* name)
{
  struct stat st;
  return statOf(name, st) && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode));
}

long FileTool::getSize(const char* name)
{
  if (isUrl(name)) {
    UrlProbe probe;
    if (!probeUrl(name, probe) || (probe.status != 200 && probe.status != 301)) return -1;
    return probe.length;
  }
  struct stat st;
  return statOf(name, st) ? static_cast<long>(st.st_size) : -1;
}

long FileTool::getModTime(const char* name)
{
  struct stat st;
  return statOf(name, st) ? static_cast<long>(st.st_mtime) : -1;
}

int FileTool::remove(const char* name)
{
  if (!name || !*name) return 0;
  return unlink(userPath(name).c_str()) == 0 ? 1 : 0;
}

int FileTool::makeDir(const char* path, int /*mode*/)
{
  if (!path) return 0;
  if (!checkLength("FileTool", path)) return 0;
  std::string p(path);
  std::replace(p.begin(), p.end(), '\\', '/');
  std::vector<size_t> ends;
  for (size_t i = 1; i < p.size(); i++)
    if (p[i] == '/') ends.push_back(i);
  // Deepest first: most parents exist already, and each one tried is a system call.
  size_t made = ends.size();
  bool top = true;
  while (made > 0) {
    std::string dir = p.substr(0, ends[made - 1]);
    if (mkdir(dir.c_str(), 0755) == 0) {
      markNewTree(dir);
      top = false;
      break;
    }
    if (errno == EEXIST) break;
    if (errno != ENOENT) return dirFailed(dir);
    made--;
  }
  for (; made < ends.size(); made++) {
    std::string dir = p.substr(0, ends[made]);
    if (mkdir(dir.c_str(), 0755) == 0) {
      if (top) markNewTree(dir);
      top = false;
    } else if (errno != EEXIST) {
      return dirFailed(dir);
    }
  }
  return 1;
}

// Returning 0 ends the transfer: the header has told all that is wanted.
size_t FileTool::curl_write(char*, size_t, size_t, void*) { return 0; }

size_t FileTool::curl_header(char* ptr, size_t size, size_t nitems, void* user)
{
  size_t n = size * nitems;
  auto* probe = static_cast<UrlProbe*>(user);
  std::string_view line(ptr, n);
  if (probe->status == 0 && line.substr(0, 5) == "HTTP/") {
    probe->status = -1;
    size_t blank = line.find(' ');
    if (blank != std::string_view::npos) readNumber(line.substr(blank + 1), probe->status);
  } else if (iprefix(line, "content-length:")) {
    readNumber(line.substr(15), probe->length);
  }
  return n;
}

namespace {

bool readDir(const std::string& dir, std::vector<std::string>& names)
{
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  while (const dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return true;
}

bool hasWildcard(const std::string& component)
{
  for (size_t i = 0; i < component.size(); i++) {
    if (component[i] == '\\') {
      i++;
      continue;
    }
    if (component[i] == '*' || component[i] == '?' || component[i] == '[') return true;
  }
  return false;
}

std::string unquote(const std::string& component)
{
  std::string out;
  for (size_t i = 0; i < component.size(); i++) {
    if (component[i] == '\\' && i + 1 < component.size()) i++;
    out += component[i];
  }
  return out;
}

std::string childPath(const std::string& dir, const std::string& name)
{
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Extends every path of the level by one pattern component.
void matchComponent(const std::vector<std::string>& level, const std::string& component,
                    std::vector<std::string>& next)
{
  if (!hasWildcard(component)) {
    std::string literal = unquote(component);
    for (const auto& dir : level) next.push_back(childPath(dir, literal));
    return;
  }
  for (const auto& dir : level) {
    std::vector<std::string> names;
    if (!readDir(dir, names)) continue;
    for (const auto& name : names)
      if (fnmatch(component.c_str(), name.c_str(), FNM_PERIOD) == 0)
        next.push_back(childPath(dir, name));
  }
}

}  // namespace

int FileTool::listDir(const char* dir, Strings& names)
{
  names.clear();
  std::vector<std::string> list;
  if (!readDir(userPath(dir), list)) return -1;
  for (const auto& name : list) names.add(name.c_str());
  return names.getNum();
}

int FileTool::listMatch(const char* pattern, Strings& paths)
{
  paths.clear();
  std::string full = userPath(pattern);
  if (full.empty()) return 0;
  std::vector<std::string> level{full[0] == '/' ? "/" : ""};
  size_t start = 0;
  while (start <= full.size()) {
    size_t slash = std::min(full.find('/', start), full.size());
    std::string component = full.substr(start, slash - start);
    start = slash + 1;
    if (component.empty()) continue;
    std::vector<std::string> next;
    matchComponent(level, component, next);
    level.swap(next);
  }
  std::sort(level.begin(), level.end());
  struct stat st;
  for (const auto& path : level)
    if (!path.empty() && lstat(path.c_str(), &st) == 0) paths.add(path.c_str());
  return paths.getNum();
}

}  // namespace KOL
