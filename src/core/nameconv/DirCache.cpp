#include "core/nameconv/DirCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include "core/Const.h"
#include "core/FileTool.h"

namespace KOL::nameconv {

bool DirCache::isDir(const std::string& dir)
{
  auto it = dirs_.find(dir);
  if (it != dirs_.end()) return it->second;
  bool is = FileTool::isUrl(dir.c_str()) || FileTool::isDir(dir.c_str());
  dirs_.emplace(dir, is);
  return is;
}

const std::unordered_set<std::string>* DirCache::listing(const std::string& dir)
{
  auto it = listings_.find(dir);
  if (it == listings_.end()) {
    std::optional<std::unordered_set<std::string>> names;
    if (DIR* d = opendir(dir.c_str())) {
      reads_++;
      names.emplace();
      while (const dirent* e = readdir(d)) names->insert(e->d_name);
      closedir(d);
    }
    it = listings_.emplace(dir, std::move(names)).first;
  }
  return it->second ? &*it->second : nullptr;
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
  if (const auto* names = listing(dir)) {
    if (!names->count(name)) return false;
    if (min_size == Const::MISS) return true;
  }
  // Listed, or not listable: only now look at the file itself.
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  if (min_size == Const::MISS) return true;
  return S_ISREG(st.st_mode) && st.st_size >= min_size;
}

}  // namespace KOL::nameconv
