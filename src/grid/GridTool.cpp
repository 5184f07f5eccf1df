#include "grid/GridTool.h"

#include <cstdio>
#include <cstdlib>

#include "core/StrLib.h"
#include "core/String.h"
#include "layers/VarName.h"

namespace KOL {

namespace {

// The thousands part of forecast time codes that hold only an offset or a period length.
constexpr int RELATIVE = 799;

bool isRelativeCode(int code) { return code != Const::MISS && code / 1000 % 1000 == RELATIVE; }

}  // namespace

int GridTool::valueGrid(Grid& g, float v)
{
  g.init();
  g.setSize(1, 1);
  g.allocData();
  g.setValue(0, 0, v);
  char name[32];
  std::snprintf(name, sizeof name, "#%g", v);
  g.getVarSpec().setVar(name, "");
  g.setInfo(name);
  return 1;
}

int GridTool::valueGrid(Grid& g, const char* text)
{
  if (!text || text[0] != '#') return 0;
  char* end = nullptr;
  float v = std::strtof(text + 1, &end);
  if (end == text + 1 || *end) return 0;
  return valueGrid(g, v);
}

int GridTool::updateSpec(GridSpec& spec, const ForeTime& fore, const Level& level, const char* abbr)
{
  if (spec.getForeTime() == Const::MISS) {
    spec.setForeTime(fore.toCode());
  } else if (isRelativeCode(spec.getForeTime())) {
    ForeTime merged(fore);
    VarSpec::mergeForeTime(merged, ForeTime(spec.getForeTime()));
    spec.setForeTime(merged.toCode());
  }
  if (spec.getLevelType() == Const::MISS && level.isSet())
    spec.setLevel(level.toTypeCode(), level.toLevelCode());
  VarName names;
  VarNameItem item;
  if (StrLib::valid(abbr) && names.get(abbr, item) && spec.getVar() == item.codes[0]) {
    for (int k = 1; k < VarNameItem::CODES; ++k) spec.setVar(k, item.codes[k]);
  }
  return 1;
}

int GridTool::summary(const Grid& g, String& out)
{
  String date, fore, level;
  g.getDate().toText(date);
  g.getForeTime().toString(fore);
  g.getLevel().toString(level);
  float min, max;
  g.getRange(min, max);
  int valid = g.getValid();
  int miss = valid == Const::MISS ? 0 : static_cast<int>(g.getCount()) - valid;
  char buf[300];
  std::snprintf(buf, sizeof buf, "%s %s %s %s [%s] %d x %d %g %g %g %d", date.get(), fore.get(),
                level.get(), g.getVar().getAbbr(), g.getUnits(), g.getNx(), g.getNy(), min, max,
                g.getAverage(), miss);
  out.copy(buf);
  return 1;
}

}  // namespace KOL
