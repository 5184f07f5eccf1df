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

const char* ModelName::get(int centre, int process)
{
  if (centre == centre_ && process == process_) return name_;
  centre_ = centre;
  process_ = process;
  name_[0] = '\0';
  std::string path = std::string(Kol::getDatabasePath()) + "/" + FILE_NAME;
  FILE* fp = std::fopen(path.c_str(), "r");
  if (!fp) {
    Kol::outWarning("ModelName: Unable to open file: %s\n", path.c_str());
    return name_;
  }
  char line[128], name[NAME_SIZE];
  while (std::fgets(line, sizeof line, fp)) {
    if (line[0] == '#') continue;
    int c, p;
    bool hit =
        (std::sscanf(line, "%d:%d %19[^\n]", &c, &p, name) == 3 && c == centre && p == process) ||
        (std::sscanf(line, "%d %19[^\n:]", &p, name) == 2 && !std::strchr(line, ':') &&
         centre == 7 && p == process);
    if (hit) {
      StrLib::copy(name_, NAME_SIZE, name);
      break;
    }
  }
  std::fclose(fp);
  return name_;
}

}  // namespace KOL
