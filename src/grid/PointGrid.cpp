#include "grid/PointGrid.h"

#include <sstream>

#include "core/FileTool.h"
#include "core/Filename.h"

namespace KOL {

void PointGrid::init()
{
  ObjectAnal::init();
  target_.init();
  file_.clear();
  vars_.clear();
}

int PointGrid::setParam(const char* text)
{
  std::string rest = target_.takeParam(text);
  return rest.empty() ? 1 : ObjectAnal::setParam(rest.c_str());
}

int PointGrid::setFilename(const char* name)
{
  if (!name || !*name) return 0;
  if (FileTool::exist(name)) {
    file_ = name;
    return 1;
  }
  Filename fn(convention_, name);
  file_ = fn.getName();
  return !file_.empty();
}

int PointGrid::setVariables(const char* list)
{
  vars_.clear();
  std::istringstream in(list ? list : "");
  for (std::string word; std::getline(in, word, ',');)
    if (!word.empty()) vars_.emplace_back(word.c_str());
  return !vars_.empty();
}

int PointGrid::compute(const Data& data, Grids& grids)
{
  return target_.analyse(*this, data, grids, "PointGrid");
}

}  // namespace KOL
