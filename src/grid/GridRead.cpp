#include "grid/GridRead.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Const.h"
#include "core/FileTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/GridMath.h"
#include "grid/Grids.h"

namespace KOL {

namespace {

bool allDigits(const std::string& s)
{
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// The convention's file at the date (the latest one without a date), else the same name in the
// "grid_path" directory.
std::string conventionFile(const std::string& conv, const Date& date)
{
  Filename fn;
  if (date.isSet())
    fn.set(conv.c_str(), date);
  else
    fn.set(conv.c_str(), "la");
  std::string name = fn.getName();
  const char* dir = Kol::resrc.get("grid_path");
  if (!FileTool::exist(name.c_str()) && dir && *dir) {
    size_t slash = name.rfind('/');
    name = std::string(dir) + "/" + (slash == std::string::npos ? name : name.substr(slash + 1));
  }
  return name;
}

}  // namespace

void GridRead::init()
{
  param_.clear();
  missValue_ = Const::FMISS;
  path_.clear();
  spec_ = GridSpec();
}

void GridRead::splitSelector(std::string& name)
{
  const bool conv = name[0] == '^';
  // A "+" whose left part names a file (or a convention) starts a grid spec.
  for (size_t plus = name.find('+', 1); plus != std::string::npos;
       plus = name.find('+', plus + 1)) {
    std::string head = name.substr(0, plus);
    if (conv || FileTool::exist(head.c_str())) {
      spec_.decode(name.c_str() + plus + 1);
      name = head;
      return;
    }
  }
  size_t hash = name.rfind('#');
  if (hash != std::string::npos && hash > 0 && allDigits(name.substr(hash + 1))) {
    spec_.setIndex(std::atoi(name.c_str() + hash + 1));
    name.resize(hash);
  }
}

void GridRead::resolve(const char* file, const Date& date)
{
  spec_ = GridSpec();
  std::string name = file ? file : "";
  if (!name.empty() && !FileTool::exist(name.c_str()) && !FileTool::isStdio(name.c_str()))
    splitSelector(name);
  if (!name.empty() && name[0] == '^') name = conventionFile(name.substr(1), date);
  path_ = name;
}

int GridRead::read(const char* file, const Date& date, Grid& g)
{
  resolve(file, date);
  Kol::outDebug("Reading: %s\n", path_.c_str());
  GridFile gf;
  gf.setParam(param_.c_str());
  gf.setMissValue(missValue_);
  if (!gf.open(path_.c_str())) {
    Kol::outWarning("GridRead::read: unable to open file: %s\n", path_.c_str());
    return 0;
  }
  int ok;
  if (spec_.getIndex() != Const::MISS) {
    char text[32];
    std::snprintf(text, sizeof text, "#%d", spec_.getIndex());
    ok = gf.read(g, text);
  } else {
    ok = spec_.isSet() ? gf.read(spec_, g) : gf.read(g);
  }
  if (ok && spec_.getUnits()[0]) GridMath::units(g, spec_.getUnits());
  if (ok) return 1;
  if (spec_.isSet())
    Kol::outWarning("GridRead::read: unable to find grid-ft: %d lt: %d l: %d v: %d\n",
                    spec_.getForeTime(), spec_.getLevelType(), spec_.getLevelCode(),
                    spec_.getVar());
  else
    Kol::outWarning("GridRead::read: unable to find grid\n");
  return 0;
}

int GridRead::read(const char* file, const Date& date, Grids& grids)
{
  resolve(file, date);
  Kol::outDebug("Reading: %s\n", path_.c_str());
  GridFile gf;
  gf.setParam(param_.c_str());
  if (!gf.open(path_.c_str())) {
    Kol::outWarning("GridRead::read: unable to open file: %s\n", path_.c_str());
    return 0;
  }
  if (gf.read(grids) > 0) return 1;
  Kol::outWarning("GridRead::read: unable to find grid\n");
  return 0;
}

}  // namespace KOL
