#include "layers/varplot/VarPlot.h"

#include <algorithm>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "grid/GridMath.h"
#include "grid/GridSpec.h"
#include "grid/GridTool.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/VarList.h"

namespace KOL {

struct VarPlot::Context {
  VarPlotSource& src;
  GridCont& cont;
  GridVect& vect;
  const char* params;
  bool panelOpen;
};

namespace {

bool isConstant(const char* name) { return name && name[0] == '#'; }

// A plain parameter that is contoured: drawn as a contour, or gridded by the layer.
bool contouredParam(const VarList& list, int i, bool gridded)
{
  return list.isParam(i) && (list.isContour(i) || (gridded && !list.isVector(i)));
}

bool opensMembers(const VarList& list, int i) { return list.isGroup(i) || list.isBlock(i); }

// The label description of a drawn grid: the entry's VarSpec, with what it leaves open
// (level, forecast time, units, the quantity's long name) taken from the grid.
VarSpec labelSpec(const VarSpec& entry, const Grid& g)
{
  VarSpec s = entry;
  const VarSpec& gs = g.getVarSpec();
  if (!s.getLevel().isSet()) s.setLevel(gs.getLevel());
  if (s.getForeTime().getType() == ForeTime::MISSING) s.setForeTime(gs.getForeTime());
  if (!*s.getVar().getName() && *gs.getVar().getName()) {
    Variable v = gs.getVar();
    if (*s.getUnits()) v.setUnits(s.getUnits());
    s.setVar(v);
  }
  if (!*s.getUnits()) s.setUnits(g.getUnits());
  return s;
}

void resetAttributes(Plot& plot)
{
  plot.setLine();
  plot.setFill();
  plot.setText();
  plot.setMark();
}

}  // namespace

// ---- tests of entries -------------------------------------------------------------------------

int VarPlot::parentOf(const VarList& list, int i)
{
  const int depth = list.getLayer(i);
  if (depth == 0) return -1;
  for (int k = i - 1; k >= 0; --k)
    if (list.getLayer(k) == depth - 1) return list.getType(k) == VarList::PARAM ? -1 : k;
  return -1;
}

int VarPlot::endOf(const VarList& list, int i)
{
  const int depth = list.getLayer(i);
  int k = i + 1;
  while (k < list.getNum() && list.getLayer(k) > depth) ++k;
  return k;
}

bool VarPlot::components(const VarList& list, int i, int& u, int& v)
{
  u = v = -1;
  const int depth = list.getLayer(i);
  for (int k = i + 1; k < endOf(list, i); ++k) {
    if (list.getLayer(k) != depth + 1) continue;
    if (u < 0)
      u = k;
    else
      v = k;
    if (v >= 0) return true;
  }
  return false;
}

bool VarPlot::isVectorEntry(const VarList& list, int i)
{
  int u, v;
  return list.isVector(i) && !list.isFunction(i) && !list.isVectFunction(i) &&
         components(list, i, u, v);
}

// ---- automatic maps ---------------------------------------------------------------------------

bool VarPlot::chooseMaps(const VarList& list, const MapChoice& choice)
{
  underMap = "default,under";
  overMap = "over";
  bool anyFill = false, anyMap = false;
  for (int i = 0; i < list.getNum(); ++i) {
    anyFill = anyFill || list.isFillContour(i);
    anyMap = anyMap || list.isMap(i);
  }
  const bool fillType = choice.plotType == 3 || choice.plotType == 4;
  if (choice.map && (fillType || choice.mapMode == 1 || (choice.mapMode == -1 && anyFill))) {
    underMap += ",nodefault";
    overMap += ",default";
  }
  autoMap = choice.map && !anyMap;
  return autoMap;
}

// ---- grid slots -------------------------------------------------------------------------------

bool VarPlot::needsData(const VarList& list, int i, bool gridded) const
{
  if (!list.isParam(i) || list.isMap(i) || list.isPanel(i)) return false;
  const int p = parentOf(list, i);
  if (p >= 0 && (list.isFunction(p) || list.isVectFunction(p) || isVectorEntry(list, p)))
    return true;
  return contouredParam(list, i, gridded);
}

int VarPlot::assignSlots(VarList& list, VarPlotSource& src)
{
  Kol::outDebug(2, "%s\n", src.slotMessage());
  dataEntries.clear();
  struct Slot {
    int entry;
    bool constant;
  };
  std::vector<Slot> slots;
  for (int i = 0; i < list.getNum(); ++i) {
    list.setDataIndex(i, -1);
    if (list.isMap(i) || list.isPanel(i)) continue;
    const int next = static_cast<int>(slots.size());
    if (list.isVectFunction(i)) {
      list.setDataIndex(i, next);
      slots.push_back({i, false});
      slots.push_back({i, false});
    } else if (list.isFunction(i)) {
      list.setDataIndex(i, next);
      slots.push_back({i, false});
    } else if (needsData(list, i, src.gridded())) {
      list.setDataIndex(i, next);
      const bool constant = isConstant(list.getName(i));
      slots.push_back({i, constant});
      if (!constant) dataEntries.push_back(i);
    }
  }
  // a vector entry's data are its components'
  for (int i = 0; i < list.getNum(); ++i) {
    int u, v;
    if (isVectorEntry(list, i) && components(list, i, u, v))
      list.setDataIndex(i, list.getDataIndex(u));
  }
  grids.setSize(static_cast<int>(slots.size()));
  grids.setNum(grids.getSize());
  for (int k = 0; k < static_cast<int>(slots.size()); ++k) {
    const Slot& s = slots[k];
    if (s.constant) {
      Grid g;
      if (GridTool::valueGrid(g, list.getName(s.entry))) grids.setGrid(k, g);
    } else if (list.isParam(s.entry)) {
      GridSpec spec;
      src.dataSpec(list, s.entry, spec);
      grids.setSpec(k, spec);
    }
  }
  return grids.getNum();
}

int VarPlot::readData(const VarList& list, VarPlotSource& src)
{
  if (dataEntries.empty()) return 0;
  Grids data(static_cast<int>(dataEntries.size()));
  for (int e : dataEntries) data.addSpec(grids.getSpec(list.getDataIndex(e)));
  const int filled = src.readGrids(list, dataEntries, data);
  for (int k = 0; k < data.getNum(); ++k)
    if (data.isSet(k)) grids.setGrid(list.getDataIndex(dataEntries[k]), data.getGrid(k));
  return filled;
}

// ---- functions --------------------------------------------------------------------------------

void VarPlot::collectArgs(const VarList& list, int i, Grids& args) const
{
  const int depth = list.getLayer(i);
  std::vector<int> slots;
  for (int c = i + 1; c < endOf(list, i); ++c) {
    if (list.getLayer(c) != depth + 1 || list.isGroup(c)) continue;
    const int slot = list.getDataIndex(c);
    if (slot < 0) continue;
    Kol::outDebug(4, "Extract %d %d\n", c, slot);
    slots.push_back(slot);
    if (list.isVectFunction(c)) {
      slots.push_back(slot + 1);
    } else if (isVectorEntry(list, c)) {
      int u, v;
      components(list, c, u, v);
      slots.push_back(list.getDataIndex(v));
    }
  }
  args.setSize(static_cast<int>(slots.size()));
  for (int s : slots) args.add(grids.getGrid(s));
}

void VarPlot::evaluateOne(const VarList& list, int i)
{
  const int slot = list.getDataIndex(i);
  const VarSpec& spec = *list.getSpec(i);
  Kol::outDebug(2, "%d FUNC[%d] %s - %s\n", list.getLayer(i), i, list.getName(i), list.getUnits(i));
  Grids args(0);
  collectArgs(list, i, args);
  Grid result[2];
  if (list.isVectFunction(i))
    GridMath::processVector(list.getName(i), result[0], result[1], args);
  else
    GridMath::process(list.getName(i), result[0], args);
  for (int k = 0; k < (list.isVectFunction(i) ? 2 : 1); ++k) {
    result[k].getVarSpec().update(spec, VarSpec::FORE_TIME | VarSpec::LEVEL);
    if (*spec.getUnits()) GridMath::units(result[k], spec.getUnits());
    grids.setGrid(slot + k, result[k]);
  }
}

int VarPlot::evaluate(const VarList& list)
{
  int deepest = 0, count = 0;
  for (int i = 0; i < list.getNum(); ++i) {
    deepest = std::max(deepest, list.getLayer(i));
    count += list.isFunction(i) || list.isVectFunction(i);
  }
  Kol::outDebug(2, "Perform functions %d\n", count);
  for (int depth = deepest; depth >= 0; --depth)
    for (int i = 0; i < list.getNum(); ++i)
      if (list.getLayer(i) == depth && (list.isFunction(i) || list.isVectFunction(i)))
        evaluateOne(list, i);
  return count;
}

// ---- drawing ----------------------------------------------------------------------------------

void VarPlot::drawMap(Plot& plot, const std::string& params) const
{
  MapPlot map(params.c_str());
  map.draw(plot);
}

void VarPlot::addLabels(Plot& plot, const VarSpec& spec, const Date& date, const char* tz,
                        const char* source)
{
  String info, when;
  spec.toInfoLabel(info);
  if (source && *source) info = (std::string(source) + " " + info.get()).c_str();
  Timezone zone;
  if (tz && *tz) zone.set(tz);
  spec.toDateLabel(date, zone, "", when);
  plot.setLabel("ul", info.get());
  plot.setLabel("ur", when.get());
  if (!plot.getDate().isSet()) plot.setDate(date);
  plot.done();
}

// A field the data did not have is named on the picture, so that its absence is seen.
void VarPlot::noData(Plot& plot, const VarList& list, int i)
{
  String info;
  list.getSpec(i)->toInfoLabel(info);
  info.append(": no data");
  Kol::outWarning("VarPlot: no data for %s\n", info.get());
  plot.setLabel("ul", info.get());
  plot.done();
}

bool VarPlot::labelledGrid(Plot& plot, const VarList& list, int i, int slot, Grid& g) const
{
  if (!grids.isSet(slot) || grids.getGrid(slot).getValid() <= 0) {
    noData(plot, list, i);
    return false;
  }
  g = grids.getGrid(slot);
  String info;
  labelSpec(*list.getSpec(i), g).toInfoLabel(info);
  g.setInfo(info.get());
  return true;
}

int VarPlot::drawContour(Plot& plot, const VarList& list, int i, int slot, Context& ctx)
{
  Grid g;
  if (slot < 0 || !labelledGrid(plot, list, i, slot, g)) return 0;
  ctx.cont.reset();
  ctx.cont.setParam(ctx.params);
  ctx.cont.setParam(list.getFormat(i));
  return ctx.cont.draw(plot, g);
}

bool VarPlot::drawsBar(const VarList& list, Context& ctx) const
{
  bool bar = false;
  for (int i = 0; i < list.getNum() && !bar; ++i) {
    if (list.isVectFunction(i) ||
        !(list.isFunction(i) || contouredParam(list, i, ctx.src.gridded())))
      continue;
    ctx.cont.reset();
    ctx.cont.setParam(ctx.params);
    ctx.cont.setParam(list.getFormat(i));
    bar = ctx.cont.drawsBar();
  }
  ctx.cont.reset();
  return bar;
}

int VarPlot::drawVector(Plot& plot, const VarList& list, int i, int uSlot, int vSlot, Context& ctx)
{
  Grid u;
  if (uSlot < 0 || vSlot < 0 || !grids.isSet(vSlot) || !labelledGrid(plot, list, i, uSlot, u))
    return 0;
  ctx.vect.init();
  ctx.vect.setParam(ctx.params);
  ctx.vect.setParam(list.getFormat(i));
  return ctx.vect.draw(plot, u, grids.getGrid(vSlot));
}

// A panel is finished with its over-map, its border and its own labels; the next starts with
// none.
void VarPlot::closePanel(Plot& plot) const
{
  if (autoMap) drawMap(plot, overMap);
  plot.drawBorder();
  plot.drawLabels();
  plot.clearLabels();
}

int VarPlot::startPanel(Plot& plot, const VarList& list, int i, Context& ctx)
{
  Kol::outDebug(2, "PANEL %s\n", list.getFormat(i));
  if (ctx.panelOpen) closePanel(plot);
  plot.newPanel(list.getFormat(i));
  ctx.cont.reset();
  ctx.vect.init();
  if (autoMap) drawMap(plot, underMap);
  ctx.panelOpen = true;
  return 1;
}

int VarPlot::drawEntry(Plot& plot, const VarList& list, int i, int last, int level, Context& ctx)
{
  const int slot = list.getDataIndex(i);
  if (list.isMap(i)) {
    MapPlot map(list.getFormat(i));
    map.draw(plot);
  } else if (list.isPanel(i)) {
    startPanel(plot, list, i, ctx);
  } else if (list.isVectFunction(i)) {
    Kol::outDebug(2, "VECTFUNC %d %s - %s - %d\n", i, list.getName(i), list.getFormat(i), slot);
    drawVector(plot, list, i, slot, slot + 1, ctx);
  } else if (list.isFunction(i)) {
    Kol::outDebug(2, "FUNC %s - %s - %d\n", list.getName(i), list.getFormat(i), slot);
    drawContour(plot, list, i, slot, ctx);
  } else if (isVectorEntry(list, i)) {
    int u, v;
    components(list, i, u, v);
    Kol::outDebug(2, "VECT %d %s - %s\n", i, list.getName(i), list.getFormat(i));
    drawVector(plot, list, i, list.getDataIndex(u), list.getDataIndex(v), ctx);
  } else if (opensMembers(list, i)) {
    Kol::outDebug(2, "GROUP %d %d - %s - %s\n", i, level, list.getName(i), list.getFormat(i));
    ctx.src.groupFormat(list.getFormat(i));
    drawLevel(plot, list, i + 1, endOf(list, i), level + 1, ctx);
    if (level == 0) ctx.src.label(plot, list, i);
  } else if (contouredParam(list, i, ctx.src.gridded())) {
    Kol::outDebug(2, "CONT %s - %s\n", list.getName(i), list.getFormat(i));
    drawContour(plot, list, i, slot, ctx);
  } else {
    int end = i;
    while (end < last && list.getLayer(end) == level && list.isParam(end) && !list.isMap(end) &&
           !list.isPanel(end) && !contouredParam(list, end, ctx.src.gridded()))
      ++end;
    Kol::outDebug(2, "PARAM %d - %d\n", i, end);
    ctx.src.drawParams(plot, list, i, end);
    if (level == 0) ctx.src.label(plot, list, i);
    return end;
  }
  return list.getType(i) == VarList::PARAM ? i + 1 : endOf(list, i);
}

int VarPlot::drawLevel(Plot& plot, const VarList& list, int first, int last, int level,
                       Context& ctx)
{
  int drawn = 0;
  for (int i = first; i < last;) {
    if (list.getLayer(i) != level) {
      ++i;
      continue;
    }
    Kol::outDebug(4, "+I: %d LEV: %d LYR: %d LAB: %d\n", i, level, list.getLayer(i),
                  plot.getNumLabels());
    resetAttributes(plot);
    const int next = drawEntry(plot, list, i, last, level, ctx);
    Kol::outDebug(4, "  -I: %d LEV: %d LYR: %d LAB: %d\n  ", i, level, list.getLayer(i),
                  plot.getNumLabels());
    ++drawn;
    i = std::max(next, i + 1);
  }
  return drawn;
}

int VarPlot::drawList(Plot& plot, const VarList& list, VarPlotSource& src, GridCont& cont,
                      GridVect& vect, const char* params)
{
  Kol::outDebug(2, "Plot data\n");
  // a list that starts with a panel draws nothing on the page outside its panels
  int first = 0;
  while (first < list.getNum() && list.getLayer(first) != 0) ++first;
  const bool page = !list.isPanel(first);
  Context ctx{src, cont, vect, params ? params : "", page};
  // the bar goes beside the map, which must shrink before anything is drawn on it
  if (drawsBar(list, ctx)) plot.reserveBar();
  if (autoMap && page) drawMap(plot, underMap);
  drawLevel(plot, list, 0, list.getNum(), 0, ctx);
  if (autoMap) drawMap(plot, overMap);
  return 1;
}

int VarPlot::run(Plot& plot, VarList& list, VarPlotSource& src, GridCont& cont, GridVect& vect,
                 const MapChoice& choice, const char* params)
{
  chooseMaps(list, choice);
  assignSlots(list, src);
  readData(list, src);
  if (Kol::isDebug(3)) grids.print();
  evaluate(list);
  return drawList(plot, list, src, cont, vect, params);
}

}  // namespace KOL
