#include "grid/GridSpec.h"

#include <cstdio>

#include "core/StrLib.h"
#include "layers/VarSpec.h"

namespace KOL {

namespace {

constexpr int TABLE = 1000000;
constexpr int COMMON_PARAMS = 128;  // parameters shared by edition 1 table versions 1 to 3
constexpr int COMMON_TABLES = 3;

bool agree(int a, int b) { return a == Const::MISS || b == Const::MISS || a == b; }

}  // namespace

GridSpec::GridSpec(const char* text)
{
  init();
  decode(text);
}

void GridSpec::init()
{
  index = model = grid = fore_time = level_type = level_code = Const::MISS;
  for (int& v : var) v = Const::MISS;
  units[0] = '\0';
}

void GridSpec::set(int m, int g, int foreTimeCode, int levelType, int levelCode, int varCode)
{
  model = m;
  grid = g;
  fore_time = foreTimeCode;
  level_type = levelType;
  level_code = levelCode;
  var[0] = varCode;
}

void GridSpec::set(const VarSpec& spec)
{
  init();
  const Level& level = spec.getLevel();
  fore_time = spec.getForeTime().toCode();
  if (level.isSet()) {
    level_type = level.toTypeCode();
    level_code = level.toLevelCode();
  }
  var[0] = spec.getVar().toIndCode();
  setUnits(spec.getUnits());
}

int GridSpec::decode(const char* text)
{
  init();
  if (!StrLib::valid(text)) return 0;
  if (text[0] == '#') {
    int n = 0;
    if (std::sscanf(text + 1, "%d%n", &index, &n) < 1) {
      index = Const::MISS;
      return 0;
    }
    if (text[1 + n] == ':') setUnits(text + 2 + n);
    return 1;
  }
  set(VarSpec(text));
  return isSet() ? 1 : 0;
}

int GridSpec::setVar(int k, int code)
{
  if (k < 0 || k >= VARS) return 0;
  var[k] = code;
  return 1;
}

void GridSpec::setUnits(const char* u) { StrLib::copy(units, UNITS_SIZE, u ? u : ""); }

bool GridSpec::sameVar(int a, int b)
{
  if (a == b) return true;
  if (a < TABLE || b < TABLE || a / TABLE > COMMON_TABLES || b / TABLE > COMMON_TABLES)
    return false;
  return a % TABLE == b % TABLE && a % 1000 < COMMON_PARAMS;
}

bool GridSpec::equal(const GridSpec& req, const GridSpec& g)
{
  if (!agree(req.fore_time, g.fore_time) || !agree(req.level_type, g.level_type) ||
      !agree(req.level_code, g.level_code))
    return false;
  if (req.var[0] == Const::MISS || g.var[0] == Const::MISS) return true;
  for (int v : req.var)
    if (v != Const::MISS && sameVar(v, g.var[0])) return true;
  return false;
}

bool GridSpec::isSet() const
{
  return index != Const::MISS || model != Const::MISS || grid != Const::MISS ||
         fore_time != Const::MISS || level_type != Const::MISS || level_code != Const::MISS ||
         var[0] != Const::MISS;
}

void GridSpec::print() const
{
  std::printf(
      "GridSpec: Index: %d Model: %d Grid: %d Time: %d Level: %d %d Var: %d %d %d %d %d "
      "Units: %s\n",
      index, model, grid, fore_time, level_type, level_code, var[0], var[1], var[2], var[3], var[4],
      units);
}

}  // namespace KOL
