#include "grid/ModelName.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

void ModelName::init()
{
  centre_ = process_ = Const::MISS;
  name_[0] = '\0';
}

namespace {

// Walks the table's entries until visit (centre, process, name) returns true; false when the
// table cannot be read.
template <class Visit>
bool walkTable(Visit visit)
{
  std::string path = std::string(Kol::getDatabasePath()) + "/" + ModelName::FILE_NAME;
  FILE* fp = std::fopen(path.c_str(), "r");
  if (!fp) {
    Kol::outWarning("ModelName: Unable to open file: %s\n", path.c_str());
    return false;
  }
  char line[128], name[ModelName::NAME_SIZE];
  while (std::fgets(line, sizeof line, fp)) {
    if (line[0] == '#') continue;
    int c, p;
    bool entry = std::sscanf(line, "%d:%d %19[^\n]", &c, &p, name) == 3;
    if (!entry && !std::strchr(line, ':') && std::sscanf(line, "%d %19[^\n:]", &p, name) == 2) {
      // a process alone is one of NCEP's
      c = 7;
      entry = true;
    }
    if (entry && visit(c, p, name)) break;
  }
  std::fclose(fp);
  return true;
}

}  // namespace

const char* ModelName::get(int centre, int process)
{
  if (centre == centre_ && process == process_) return name_;
  centre_ = centre;
  process_ = process;
  name_[0] = '\0';
  walkTable([&](int c, int p, const char* name) {
    if (c != centre || p != process) return false;
    StrLib::copy(name_, NAME_SIZE, name);
    return true;
  });
  return name_;
}

int ModelName::find(const char* name, int& centre, int& process)
{
  centre = process = Const::MISS;
  if (!StrLib::valid(name)) return 0;
  bool found = false;
  walkTable([&](int c, int p, const char* n) {
    if (!StrLib::iequal(n, name)) return false;
    centre = c, process = p, found = true;
    return true;
  });
  return found ? 1 : 0;
}

}  // namespace KOL
