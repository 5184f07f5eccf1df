#include "layers/StationPlot.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/ContPlot.h"
#include "graphics/Plot.h"
#include "grid/GridMath.h"
#include "grid/Grids.h"
#include "grid/PointGrid.h"
#include "layers/VarList.h"
#include "layers/VarSpec.h"
#include "layers/sfcplot/StationModels.h"
#include "layers/varplot/LayerParams.h"

namespace KOL {

namespace {

bool wholeToken(const char* token, const char* word) { return StrLib::iequal(token, word); }

}  // namespace

StationPlot::StationPlot(const char* name, const char* convention, const char* varFile)
    : layerName(name), convention(convention), defaultVarFile(varFile)
{
}

StationPlot::~StationPlot() = default;

void StationPlot::initShared()
{
  file.init();
  file.setNameConv(convention);
  params.clear();
  variable.clear();
  plotType[0] = '\0';
  timezone.init();
  timezoneText.clear();
  gridDomain.init();
  datumPlot.init();
  contour.init();
  // An analysis ends where its stations stop reaching: along a smooth edge, not in grid steps.
  contour.setSmoothEdge(true);
  vector.init();
  map = false;
  mapMode = MAP_AUTO;
  sync = 0;
  thin = true;
  fileDate.init();
  stationsRead = 0;
}

void StationPlot::readResources()
{
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("grid_domain"); StrLib::valid(t)) setGridDomain(t);
  if (const char* t = r.get("timezone"); StrLib::valid(t)) setTimezone(t);
  if (const char* t = r.get("plot_type"); StrLib::valid(t)) setPlotType(t);
  if (const char* t = r.get("variable"); StrLib::valid(t)) setVariable(t);
  ownResources();
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

// ---- file selection ---------------------------------------------------------------------------

int StationPlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("hour"); StrLib::valid(t)) setHour(t);
  if (const char* t = r.get("input"); StrLib::valid(t)) setInput(t);
  if (const char* t = r.get("in_file"); StrLib::valid(t)) setNameConv(t);
  if (const char* t = r.get("num_hour"); StrLib::valid(t)) file.setNumFiles(t);
  return 1;
}

int StationPlot::setInput(const char* text) { return StrLib::valid(text) && file.setPath(text); }

int StationPlot::setNameConv(const char* conv)
{
  return StrLib::valid(conv) && file.setNameConv(conv);
}

int StationPlot::setHour(const char* text) { return StrLib::valid(text) && file.setFixDate(text); }

int StationPlot::setFilename() { return fixedFile() ? file.exist() : file.setFile(); }

int StationPlot::setFilename(const char* name) { return file.setFile(name); }

// A file named as such stays whatever the figure's date.
int StationPlot::setFilename(Date& d) { return fixedFile() ? file.exist() : file.setFile(d); }

int StationPlot::setFilename(Date& d, const char* spec)
{
  return fixedFile() && !StrLib::valid(spec) ? file.exist() : file.setFile(d, spec);
}

bool StationPlot::fixedFile() const { return file.isSet() && file.isFixed(); }

// The date of the file name, else the date the file holds.
int StationPlot::getDate(Date& d)
{
  if (file.getDate(d) && d.isSet()) return 1;
  d.init();
  return StrLib::valid(file.getName()) && readDate(file.getName(), d) && d.isSet();
}

int StationPlot::getInitDate(Date& d) { return getDate(d); }

int StationPlot::getDateOffset() { return file.getOffset(); }

int StationPlot::getNumFrames() { return file.getNumFiles(); }

// ---- parameters -------------------------------------------------------------------------------

int StationPlot::setVariable(const char* list)
{
  variable.set(list ? list : "");
  return 1;
}

int StationPlot::setPlotType(const char* word)
{
  StrLib::copy(plotType, PLOT_TYPE_SIZE, word ? word : "");
  return 1;
}

int StationPlot::setTimezone(const char* text)
{
  timezoneText = text ? text : "";
  return timezone.set(text);
}

int StationPlot::setGridDomain(const char* text)
{
  if (varplot::gridDomain(layerName, text, gridDomain)) return 1;
  gridDomain.init();
  return 0;
}

int StationPlot::setParam(const char* text)
{
  if (!text) return 1;
  String all(text);
  const varplot::LayerParams split = varplot::splitParams(text, {"va"});
  for (const std::string& token : split.tokens) {
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
    else if (wholeToken(t, "nothin"))
      thin = false;
    else if (ownKey(t))
      continue;
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
  // the sub-layers draw what the list says; its own commas are none of their keys
  const char* others = split.others.c_str();
  gridder().setParam(others);
  datumPlot.setParam(others);
  contour.setParam(others);
  vector.setParam(others);
  params = all;
  return 1;
}

int StationPlot::getPlotCode() const { return ContPlot::decodeType(plotType); }

bool StationPlot::isGridded() const
{
  const int code = getPlotCode();
  return code >= ContPlot::VALUE && code <= ContPlot::LINE_FILL;
}

VarPlot::MapChoice StationPlot::getMapChoice() const
{
  VarPlot::MapChoice choice;
  choice.map = map;
  choice.mapMode = mapMode;
  choice.plotType = getPlotCode();
  return choice;
}

// ---- helpers of the layers ----------------------------------------------------------------------

void StationPlot::groupFormat(const char* format) { gridder().setParam(format); }

void StationPlot::drawModels(Plot& plot, sfcplot::StationModels& models, float thinW, float thinH)
{
  // the models' size follows the plot scale, and so does the room each needs
  const float size = plot.getVert() * datumPlot.getScale();
  if (thin) {
    models.keepInside(plot.getDomain(), thinW * size / 2, thinH * size / 2);
    models.thin(thinW * size, thinH * size);
  }
  for (const sfcplot::StationModel& m : models.get())
    for (Datum d : m.values) datumPlot.draw(plot, d);
}

int StationPlot::convertUnits(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  for (size_t k = 0; k < entries.size(); ++k) {
    const int slot = static_cast<int>(k);
    if (grids.isSet(slot)) GridMath::units(grids.getGrid(slot), list.getUnits(entries[k]));
  }
  return grids.getNumSet();
}

void StationPlot::labelAnalysis(Plot& plot, VarSpec& spec)
{
  if (spec.getForeTime().getType() == ForeTime::MISSING) {
    ForeTime anal;
    anal.set("anal");
    spec.setForeTime(anal);
  }
  VarPlot::addLabels(plot, spec, fileDate, timezoneText.c_str());
}

// ---- drawing ----------------------------------------------------------------------------------

int StationPlot::openFile()
{
  if (!file.isSet()) setFilename("la");
  const char* path = file.getName();
  fileDate.init();
  if (!StrLib::valid(path) || !openInput(path)) {
    Kol::outMessage(3, "%s: Unable to open file: %s\n", layerName, path ? path : "");
    closeInput();
    return 0;
  }
  return 1;
}

int StationPlot::draw(Plot& plot)
{
  stationsRead = 0;
  if (!openFile()) return 0;
  gridder().setDomain(gridDomain.proj != Const::MISS ? gridDomain : plot.getDomain());
  gridder().setFilename(file.getName());
  const char* varFile = Kol::resrc.get("var_file", defaultVarFile);
  prepareDraw(varFile);
  VarList list, scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(variable.get(), scratch);
  if (Kol::isDebug(2)) list.print();
  std::string all = plotType[0] ? std::string("pl=") + plotType + "," : std::string();
  all += params.get();
  pipeline = VarPlot();
  pipeline.run(plot, list, *this, contour, vector, getMapChoice(), all.c_str());
  closeInput();
  return 1;
}

void StationPlot::print()
{
  std::printf("%s\n", layerName);
  file.print();
  std::printf("Params: %s\n", params.get());
  std::printf("Variable: %s\n", variable.get());
  std::printf("Plot type: %s\n", plotType);
  printOwn();
  std::printf("Timezone: ");
  timezone.print();
  std::printf("Grid domain: ");
  gridDomain.print();
  std::printf("Map: %d\n", map ? 1 : 0);
  std::printf("Time sync: %d\n", sync);
}

}  // namespace KOL
