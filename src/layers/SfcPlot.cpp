#include "layers/SfcPlot.h"

#include <cstdio>
#include <cstring>
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
#include "layers/sfcplot/GrossErrors.h"
#include "layers/sfcplot/StationModels.h"
#include "layers/varplot/LayerParams.h"
#include "obs/Data.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL {

namespace {

// Station models are kept apart by this share of the plot's height across and up and down, so
// that the values around neighbouring stations do not overprint.
constexpr float THIN_WIDTH = 0.11f;
constexpr float THIN_HEIGHT = 0.065f;
// Station values further from their analysis than this many root-mean-square residuals of
// their field are left out of the analysis.
constexpr float GROSS_ERROR = 4.0f;

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
  datumPlot.init();
  contour.init();
  // An analysis ends where its stations stop reaching: along a smooth edge, not in grid steps.
  contour.setSmoothEdge(true);
  vector.init();
  timezoneText.clear();
  thin = true;
  screen = true;
  input.reset();
  fileDate.init();
  reportsRead = 0;
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
    else if (wholeToken(t, "noqc"))
      screen = false;
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
  gridder.setParam(others);
  datumPlot.setParam(others);
  contour.setParam(others);
  vector.setParam(others);
  params = all;
  return 1;
}

int SfcPlot::getPlotCode() const { return ContPlot::decodeType(plotType); }

bool SfcPlot::isGridded() const
{
  const int code = getPlotCode();
  return code >= ContPlot::VALUE && code <= ContPlot::LINE_FILL;
}

VarPlot::MapChoice SfcPlot::getMapChoice() const
{
  VarPlot::MapChoice choice;
  choice.map = map;
  choice.mapMode = mapMode;
  choice.plotType = getPlotCode();
  return choice;
}

int SfcPlot::setTimezone(const char* text)
{
  timezoneText = text ? text : "";
  return timezone.set(text);
}

// ---- drawing ----------------------------------------------------------------------------------

int SfcPlot::openFile()
{
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
  input = std::make_unique<SfcFile>();
  // the file's type is checked first so that a missing file gives this one message
  if (!StrLib::valid(name) || SfcFile::checkType(name) <= 0 || !input->open(name)) {
    Kol::outMessage(3, "SfcPlot: Unable to open file: %s\n", name ? name : "");
    input.reset();
    return 0;
  }
  fileDate.init();
  input->getDate(fileDate);
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

// ---- the pipeline's questions -----------------------------------------------------------------

void SfcPlot::dataSpec(const VarList& list, int i, GridSpec& spec) { list.get(i, spec); }

// The stations' values of every entry, each analysed onto the gridding domain in one read of
// the file; the analysis is made in the units the values come in and then converted.
int SfcPlot::readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  Kol::outDebug(2, "Read and grid data\n");
  std::vector<VarSpec> vars;
  for (int e : entries) {
    VarSpec spec = *list.getSpec(e);
    const char* given = SfcDataTool::getUnits(spec.getName());
    spec.setUnits(given ? given : "");
    vars.push_back(spec);
  }
  Data data;
  const float filter = gridder.getFilter();
  if (!SfcGrid::read(file.getName(), vars, data) || !gridder.compute(data, grids)) return 0;
  if (screen) {
    const int dropped = sfcplot::dropGrossErrors(data, grids, GROSS_ERROR);
    Kol::outDebug(2, "SfcPlot: %d station values left out as gross errors\n", dropped);
    gridder.setFilter(filter);  // later passes of the analysis narrowed it
    if (dropped && !gridder.compute(data, grids)) return 0;
  }
  for (size_t k = 0; k < entries.size(); ++k) {
    const int slot = static_cast<int>(k);
    if (grids.isSet(slot)) GridMath::units(grids.getGrid(slot), list.getUnits(entries[k]));
  }
  return grids.getNumSet();
}

// The run first..last-1 around each station, all its parameters from one pass over the file.
int SfcPlot::drawParams(Plot& plot, const VarList& list, int first, int last)
{
  sfcplot::StationModels models;
  for (int i = first; i < last; ++i) models.add(*list.getSpec(i));
  reportsRead += models.read(*input, stations, plot.getDomain());
  // the models' size follows the plot scale, and so does the room each needs
  const float size = plot.getVert() * datumPlot.getScale();
  if (thin) {
    models.keepInside(plot.getDomain(), THIN_WIDTH * size / 2, THIN_HEIGHT * size / 2);
    models.thin(THIN_WIDTH * size, THIN_HEIGHT * size);
  }
  for (const sfcplot::StationModel& m : models.get())
    for (Datum d : m.values) datumPlot.draw(plot, d);
  return 1;
}

// Station values are analyses, at the surface (sea level for the pressure), in the units the
// entry asks for or those the values come in.
void SfcPlot::label(Plot& plot, const VarList& list, int i)
{
  VarSpec spec;
  if (!list.get(i, spec)) return;
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
  VarPlot::addLabels(plot, spec, fileDate, timezoneText.c_str());
}

// ---- drawing ----------------------------------------------------------------------------------

int SfcPlot::draw(Plot& plot)
{
  reportsRead = 0;
  if (!openFile()) return 0;
  gridder.setDomain(gridDomain.proj != Const::MISS ? gridDomain : plot.getDomain());
  const char* varFile = Kol::resrc.get("var_file", DEFAULT_VAR_FILE);
  stations.setVarFile(varFile);
  VarList list;
  prepareList(list, varFile);
  gridder.setFilename(file.getName());
  std::string all = plotType[0] ? std::string("pl=") + plotType + "," : std::string();
  all += params.get();
  pipeline = VarPlot();
  pipeline.run(plot, list, *this, contour, vector, getMapChoice(), all.c_str());
  input.reset();
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
