#include "layers/meteo/MeteoPanels.h"

#include <strings.h>

#include <algorithm>

#include "core/StrLib.h"
#include "core/Unit.h"
#include "graphics/plot/PlotParams.h"
#include "layers/VarList.h"

namespace KOL {

namespace {

using Field = MeteoSeries::Field;

struct Alias {
  const char* name;
  Field field;
};
// the names of the variable database and the short ones forecasters type
const Alias ALIASES[] = {
    {"temp", MeteoSeries::TEMP},   {"dewp", MeteoSeries::DEWP}, {"pres", MeteoSeries::PRES},
    {"pmsl", MeteoSeries::PRES},   {"slp", MeteoSeries::PRES},  {"wbrb", MeteoSeries::WIND},
    {"wind", MeteoSeries::WIND},   {"wspd", MeteoSeries::WIND}, {"cldclc", MeteoSeries::COVER},
    {"cover", MeteoSeries::COVER}, {"pcp", MeteoSeries::PREC},  {"prec", MeteoSeries::PREC}};

Field panelOf(Field f) { return f == MeteoSeries::DEWP ? MeteoSeries::TEMP : f; }

}  // namespace

void MeteoPanels::all()
{
  order = {MeteoSeries::TEMP, MeteoSeries::PRES, MeteoSeries::WIND, MeteoSeries::COVER,
           MeteoSeries::PREC};
  traces = {};
  for (MeteoTrace& t : traces) t.wanted = true;
}

int MeteoPanels::fieldOf(const char* name)
{
  for (const Alias& a : ALIASES)
    if (name && !strcasecmp(name, a.name)) return a.field;
  return -1;
}

const char* MeteoPanels::nativeUnits(Field f)
{
  return f == MeteoSeries::PRES ? "hPa" : f == MeteoSeries::PREC ? "mm" : "";
}

void MeteoPanels::add(Field f, const char* units, const char* format)
{
  MeteoTrace& t = traces[f];
  t.wanted = true;
  for (const std::string& token : PlotParams::split(format))
    if (PlotParams::isKey(token, "co")) t.color = PlotParams::valueOf(token, 2);
  const bool temperature = f == MeteoSeries::TEMP || f == MeteoSeries::DEWP;
  if (temperature && (!strcasecmp(units, "F") || !strcasecmp(units, "C"))) t.units = units;
  Unit unit;
  if (*nativeUnits(f) && StrLib::valid(units) && unit.valid(nativeUnits(f), units))
    t.units = units, t.scale = unit.convert(1, nativeUnits(f), units);
  if (std::find(order.begin(), order.end(), panelOf(f)) == order.end()) order.push_back(panelOf(f));
}

bool MeteoPanels::choose(const VarList& list)
{
  order.clear();
  traces = {};
  for (int i = 0; i < list.getNum(); ++i)
    if (const int f = fieldOf(list.getName(i)); f >= 0 && list.isParam(i))
      add(static_cast<Field>(f), list.getUnits(i), list.getFormat(i));
  if (!order.empty()) return true;
  all();
  return false;
}

}  // namespace KOL
