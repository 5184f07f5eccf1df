#include "core/nameconv/DirCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include "core/Const.h"
#include "core/FileTool.h"

namespace KOL::nameconv {

void DirCache::read(const std::string& dir, Entry& e)
{
  e.names.clear();
  e.listed = false;
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  reads_++;
  while (const dirent* ent = readdir(d)) e.names.insert(ent->d_name);
  closedir(d);
  e.listed = true;
}

DirCache::Entry& DirCache::check(const std::string& dir)
{
  Entry& e = entries_[dir];
  if (!checked_.insert(dir).second) return e;
  cache::FileStamp stamp;
  if (!stamp.read(dir.c_str()) || !stamp.dir) {
    e = Entry();
    return e;
  }
  bool same = e.is_dir && e.stamp.same(stamp);
  e.is_dir = true;
  e.stamp = stamp;
  if (!same || stamp.recent || !e.listed) read(dir, e);
  return e;
}

bool DirCache::isDir(const std::string& dir)
{
  if (FileTool::isUrl(dir.c_str())) return true;
  return check(dir.empty() ? "." : dir).is_dir;
}

bool DirCache::present(const std::string& path, long min_size)
{
  if (FileTool::isUrl(path.c_str()) || FileTool::isStdio(path.c_str()) || path.empty() ||
      path[0] == '~') {
    if (min_size == Const::MISS) return FileTool::exist(path.c_str());
    return FileTool::getSize(path.c_str()) >= min_size;
  }
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const Entry& e = check(dir);
  if (!e.is_dir) return false;
  if (e.listed) {
    if (!e.names.count(name)) return false;
    if (min_size == Const::MISS) return true;
  }
  // Listed, or not listable: only now look at the file itself.
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  if (min_size == Const::MISS) return true;
  return S_ISREG(st.st_mode) && st.st_size >= min_size;
}

}  // namespace KOL::nameconv
