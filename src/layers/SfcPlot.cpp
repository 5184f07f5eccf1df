#include "layers/SfcPlot.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/ContPlot.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "grid/GridMath.h"
#include "grid/Grids.h"
#include "layers/VarList.h"
#include "layers/sfcplot/StationModels.h"
#include "obs/Data.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL {

namespace {

// Station models are kept apart by this share of the plot's height across and up and down, so
// that the values around neighbouring stations do not overprint.
constexpr float THIN_WIDTH = 0.085f;
constexpr float THIN_HEIGHT = 0.05f;

bool wholeToken(const char* token, const char* word) { return StrLib::iequal(token, word); }

}  // namespace

SfcPlot::SfcPlot() { init(); }
SfcPlot::~SfcPlot() = default;

void SfcPlot::init()
{
  file.init();
  file.setNameConv(CONVENTION);
  params.clear();
  variable.clear();
  plotType[0] = '\0';
  timezone.init();
  gridDomain.init();
  gridder.init();
  stations.init();
  output.clear();
  map = false;
  mapMode = MAP_AUTO;
  sync = 0;
  datumParams_.clear();
  contourParams_.clear();
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("grid_domain"); StrLib::valid(t)) setGridDomain(t);
  if (const char* t = r.get("timezone"); StrLib::valid(t)) setTimezone(t);
  if (const char* t = r.get("plot_type"); StrLib::valid(t)) setPlotType(t);
  if (const char* t = r.get("variable"); StrLib::valid(t)) setVariable(t);
  if (const char* t = r.get("output"); StrLib::valid(t)) setOutput(t);
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

// ---- file selection ---------------------------------------------------------------------------

int SfcPlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("hour"); StrLib::valid(t)) setHour(t);
  if (const char* t = r.get("input"); StrLib::valid(t)) setInput(t);
  if (const char* t = r.get("in_file"); StrLib::valid(t)) setNameConv(t);
  if (const char* t = r.get("num_hour"); StrLib::valid(t)) file.setNumFiles(t);
  return 1;
}

int SfcPlot::setInput(const char* text) { return StrLib::valid(text) && file.setPath(text); }

int SfcPlot::setNameConv(const char* conv) { return StrLib::valid(conv) && file.setNameConv(conv); }

int SfcPlot::setHour(const char* text) { return StrLib::valid(text) && file.setFixDate(text); }

int SfcPlot::setFilename() { return fixedFile() ? file.exist() : file.setFile(); }

int SfcPlot::setFilename(const char* name) { return file.setFile(name); }

// A file named as such stays whatever the figure's date.
int SfcPlot::setFilename(Date& d) { return fixedFile() ? file.exist() : file.setFile(d); }

int SfcPlot::setFilename(Date& d, const char* spec)
{
  return fixedFile() && !StrLib::valid(spec) ? file.exist() : file.setFile(d, spec);
}

bool SfcPlot::fixedFile() const { return file.isSet() && file.isFixed(); }

// The date of the file name, else the date the file holds.
int SfcPlot::getDate(Date& d)
{
  if (file.getDate(d) && d.isSet()) return 1;
  SfcFile sf;
  d.init();
  return StrLib::valid(file.getName()) && sf.open(file.getName()) && sf.getDate(d) && d.isSet();
}

int SfcPlot::getInitDate(Date& d) { return getDate(d); }

int SfcPlot::getDateOffset() { return file.getOffset(); }

int SfcPlot::getNumFrames() { return file.getNumFiles(); }

// ---- parameters -------------------------------------------------------------------------------

int SfcPlot::setVariable(const char* list)
{
  variable.set(list ? list : "");
  return 1;
}

int SfcPlot::setPlotType(const char* word)
{
  StrLib::copy(plotType, PLOT_TYPE_SIZE, word ? word : "");
  return 1;
}

int SfcPlot::setGridDomain(const char* text)
{
  Domain d;
  if (!StrLib::valid(text) || !DomainTool::decode(d, text)) {
    Kol::outWarning("SfcPlot: unknown grid domain %s\n", text ? text : "");
    gridDomain.init();
    return 0;
  }
  gridDomain = d;
  return 1;
}

int SfcPlot::setParam(const char* text)
{
  if (!text) return 1;
  String all(text);
  std::istringstream in(text);
  for (std::string token; std::getline(in, token, ',');) {
    const char* t = token.c_str();
    const char* eq = std::strchr(t, '=');
    const char* value = eq ? eq + 1 : "";
    if (wholeToken(t, "map"))
      map = true;
    else if (wholeToken(t, "sync"))
      sync = 1;
    else if (wholeToken(t, "map_line"))
      mapMode = MAP_LINE;
    else if (wholeToken(t, "map_fill"))
      mapMode = MAP_FILL;
    else if (StrLib::equal(t, "va", 2) && eq)
      setVariable(value);
    else if ((StrLib::equal(t, "if", 2) || StrLib::equal(t, "nc", 2)) && eq)
      setNameConv(value);
    else if (StrLib::equal(t, "ho", 2) && eq)
      setHour(value);
    else if (StrLib::equal(t, "tz", 2) && eq)
      setTimezone(value);
    else if (StrLib::equal(t, "pl", 2) && eq)
      setPlotType(value);
    // ct and co reach the sub-layers with the whole string
  }
  gridder.setParam(text);
  datumParams_ = text;
  contourParams_ = text;
  params = all;
  return 1;
}

int SfcPlot::getPlotCode() const { return ContPlot::decodeType(plotType); }

bool SfcPlot::isGridded() const
{
  const int code = getPlotCode();
  return code >= ContPlot::VALUE && code <= ContPlot::LINE_FILL;
}

bool SfcPlot::autoMaps(const VarList& list, std::string& under, std::string& over) const
{
  under = "default,under";
  over = "over";
  if (!map) return false;
  for (int i = 0; i < list.getNum(); ++i)
    if (list.isMap(i)) return false;
  const int code = getPlotCode();
  bool anyFill = false;
  for (int i = 0; i < list.getNum(); ++i) anyFill = anyFill || list.isFillContour(i);
  if (code == ContPlot::FILL || code == ContPlot::LINE_FILL || mapMode == MAP_FILL ||
      (mapMode == MAP_AUTO && anyFill)) {
    under += ",nodefault";
    over += ",default";
  }
  return true;
}

// ---- drawing ----------------------------------------------------------------------------------

int SfcPlot::openFile(SfcFile& sf)
{
  if (!StrLib::valid(file.getName()) || !file.exist()) setFilename("la");
  const char* name = file.getName();
  if (!StrLib::valid(name) || !sf.open(name)) {
    Kol::outMessage(3, "SfcPlot: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  return 1;
}

void SfcPlot::prepareList(VarList& list, const char* varFile)
{
  VarList scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(variable.get(), scratch);
  if (Kol::isDebug(2)) list.print();
}

// The labels of a run of station values or of a group: surface values are analyses, at the
// surface (sea level for the pressure), in the units the entry asks for or the tool gives.
void SfcPlot::labelEntry(Plot& plot, const VarList& list, int i, const Date& fileDate)
{
  VarSpec spec;
  list.get(i, spec);
  if (spec.getForeTime().getType() == ForeTime::MISSING) {
    ForeTime anal;
    anal.set("anal");
    spec.setForeTime(anal);
  }
  if (!spec.getLevel().isSet()) {
    Level level;
    level.set(StrLib::iequal(spec.getName(), "pres") ? "sl" : "sfc");
    spec.setLevel(level);
  }
  if (!StrLib::valid(spec.getUnits()))
    if (const char* u = SfcDataTool::getUnits(spec.getName())) spec.setUnits(u);
  String info, date;
  spec.toInfoLabel(info);
  spec.toDateLabel(fileDate, timezone, nullptr, date);
  plot.addLabel("ul", info.get());
  plot.addLabel("ur", date.get());
  if (!plot.getDate().isSet()) plot.setDate(fileDate);
  plot.done();
}

// One draw: the list, its grids and the state of the walk over its entries.
struct SfcPlot::Walk {
  SfcPlot& layer;
  Plot& plot;
  SfcFile& sf;
  Date date;
  VarList list;
  Grids grids;
  MapPlot under, over;
  bool autoMap = false;

  Walk(SfcPlot& l, Plot& p, SfcFile& f) : layer(l), plot(p), sf(f) {}

  bool contoured(int i) const
  {
    return list.isContour(i) ||
           (layer.isGridded() && list.isParam(i) && list.getSpec(i)->getPlot() == VarSpec::NONE);
  }
  bool stationParam(int i) const
  {
    return list.isParam(i) && !contoured(i) && !list.isMap(i) && !list.isPanel(i) &&
           !list.isVector(i);
  }

  void gridStations();
  int drawRun(int first, int level);
  void drawContour(int i);
  void resetAttributes()
  {
    plot.setLine();
    plot.setText();
    plot.setMark();
    plot.setFill();
  }
  void drawStation(Datum& d);
};

// Every entry to be contoured gets a grid slot; the stations' values of all of them are
// analysed in one read of the file.
void SfcPlot::Walk::gridStations()
{
  std::vector<VarSpec> vars;
  std::vector<std::string> units;
  for (int i = 0; i < list.getNum(); ++i) {
    if (!contoured(i)) continue;
    list.setDataIndex(i, static_cast<int>(vars.size()));
    VarSpec spec = *list.getSpec(i);
    units.emplace_back(spec.getUnits());
    const char* given = SfcDataTool::getUnits(spec.getName());
    spec.setUnits(given ? given : "");
    vars.push_back(spec);
  }
  if (vars.empty()) return;
  Kol::outDebug(2, "Read and grid data\n");
  Data data;
  if (!SfcGrid::read(layer.file.getName(), vars, data)) return;
  if (!layer.gridder.compute(data, grids)) return;
  for (size_t k = 0; k < units.size(); ++k)
    if (grids.isSet(static_cast<int>(k))) GridMath::units(grids.getGrid(static_cast<int>(k)), units[k].c_str());
}

void SfcPlot::Walk::drawContour(int i)
{
  Kol::outDebug(3, "CONTOUR\n");
  const int slot = list.getDataIndex(i);
  if (!grids.isSet(slot)) return;
  Grid& g = grids.getGrid(slot);
  String info;
  list.getSpec(i)->toInfoLabel(info);
  g.setInfo(info.get());
  ContPlot cp;
  cp.setParam(layer.contourParams_.c_str());
  if (layer.isGridded()) cp.setType(layer.plotType);
  cp.setParam(list.getFormat(i));
  cp.draw(plot, g);
  cp.drawLabels(plot, g);
  plot.done();
}

void SfcPlot::Walk::drawStation(Datum& d)
{
  // TODO(merge datum): DatumPlot draws the station model
  Point p;
  if (!plot.getDomain().tran(d.loc, p)) return;
  if (!Const::isMiss(d.values[0])) plot.drawFormText(p, "%.0f", d.values[0]);
}

// The plain parameters from first on at this level, drawn around each station in one pass over
// the file; the index of the entry after the run.
int SfcPlot::Walk::drawRun(int first, int level)
{
  Kol::outDebug(3, "PARAM\n");
  sfcplot::StationModels models;
  int end = first;
  for (; end < list.getNum() && list.getLayer(end) == level && stationParam(end); ++end)
    models.add(*list.getSpec(end));
  models.read(sf, layer.stations, plot.getDomain());
  const float vert = plot.getVert();
  if (!Kol::resrc.getBool("nothin"))
    models.thin(THIN_WIDTH * vert, THIN_HEIGHT * vert);
  for (const sfcplot::StationModel& m : models.get())
    for (Datum d : m.values) drawStation(d);
  if (level == 0) layer.labelEntry(plot, list, first, date);
  return end;
}

int SfcPlot::draw(Plot& plot)
{
  SfcFile sf;
  if (!openFile(sf)) return 0;
  Walk w(*this, plot, sf);
  sf.getDate(w.date);
  gridder.setDomain(gridDomain.proj != Const::MISS ? gridDomain : plot.getDomain());
  const char* varFile = Kol::resrc.get("var_file", DEFAULT_VAR_FILE);
  stations.setVarFile(varFile);
  prepareList(w.list, varFile);
  gridder.setFilename(file.getName());
  std::string under, over;
  w.autoMap = autoMaps(w.list, under, over);
  w.under.setParam(under.c_str());
  w.over.setParam(over.c_str());
  w.gridStations();
  if (w.autoMap) w.under.draw(plot);
  for (int i = 0; i < w.list.getNum();) {
    Kol::outDebug(4, "+I: %d LEV: %d\n", i, w.list.getLayer(i));
    w.resetAttributes();
    if (w.list.isMap(i)) {
      MapPlot(w.list.getFormat(i)).draw(plot);
      ++i;
    } else if (w.contoured(i)) {
      w.drawContour(i++);
    } else if (w.stationParam(i)) {
      i = w.drawRun(i, w.list.getLayer(i));
    } else {
      Kol::outDebug(2, "SfcPlot: entry %s not drawn\n", w.list.getName(i));
      ++i;
    }
  }
  if (w.autoMap) w.over.draw(plot);
  return 1;
}

void SfcPlot::print()
{
  std::printf("SfcPlot\n");
  file.print();
  std::printf("Params: %s\n", params.get());
  std::printf("Variable: %s\n", variable.get());
  std::printf("Plot type: %s\n", plotType);
  std::printf("Timezone: ");
  timezone.print();
  std::printf("Grid domain: ");
  gridDomain.print();
  std::printf("Map: %d\n", map ? 1 : 0);
  std::printf("Time sync: %d\n", sync);
}

}  // namespace KOL
