#include "layers/UpaPlot.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/ContPlot.h"
#include "graphics/Plot.h"
#include "grid/GridMath.h"
#include "grid/GridSpec.h"
#include "grid/Grids.h"
#include "layers/VarList.h"
#include "layers/sfcplot/StationModels.h"
#include "layers/upaplot/UpaModels.h"
#include "layers/varplot/LayerParams.h"
#include "obs/Data.h"
#include "obs/UpaKolFile.h"

namespace KOL {

namespace {

// Station models are kept apart by this share of the plot's height, as on the surface map.
constexpr float THIN_WIDTH = 0.1f;
constexpr float THIN_HEIGHT = 0.06f;

bool wholeToken(const char* token, const char* word) { return StrLib::iequal(token, word); }

}  // namespace

UpaPlot::UpaPlot() { init(); }
UpaPlot::~UpaPlot() = default;

void UpaPlot::init()
{
  file.init();
  file.setNameConv(CONVENTION);
  params.clear();
  variable.clear();
  plotType[0] = '\0';
  timezone.init();
  timezoneText.clear();
  gridDomain.init();
  level.set(DEFAULT_LEVEL);
  gridder.init();
  datumPlot.init();
  contour.init();
  contour.setSmoothEdge(true);
  vector.init();
  map = false;
  mapMode = MAP_AUTO;
  sync = 0;
  thin = true;
  input.reset();
  fileDate.init();
  soundingsRead = 0;
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("grid_domain"); StrLib::valid(t)) setGridDomain(t);
  if (const char* t = r.get("timezone"); StrLib::valid(t)) setTimezone(t);
  if (const char* t = r.get("plot_type"); StrLib::valid(t)) setPlotType(t);
  if (const char* t = r.get("level"); StrLib::valid(t)) setLevel(t);
  if (const char* t = r.get("variable"); StrLib::valid(t)) setVariable(t);
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

// ---- file selection ---------------------------------------------------------------------------

int UpaPlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("hour"); StrLib::valid(t)) setHour(t);
  if (const char* t = r.get("input"); StrLib::valid(t)) setInput(t);
  if (const char* t = r.get("in_file"); StrLib::valid(t)) setNameConv(t);
  if (const char* t = r.get("num_hour"); StrLib::valid(t)) file.setNumFiles(t);
  return 1;
}

int UpaPlot::setInput(const char* text) { return StrLib::valid(text) && file.setPath(text); }

int UpaPlot::setNameConv(const char* conv) { return StrLib::valid(conv) && file.setNameConv(conv); }

int UpaPlot::setHour(const char* text) { return StrLib::valid(text) && file.setFixDate(text); }

int UpaPlot::setFilename() { return fixedFile() ? file.exist() : file.setFile(); }

int UpaPlot::setFilename(const char* name) { return file.setFile(name); }

int UpaPlot::setFilename(Date& d) { return fixedFile() ? file.exist() : file.setFile(d); }

int UpaPlot::setFilename(Date& d, const char* spec)
{
  return fixedFile() && !StrLib::valid(spec) ? file.exist() : file.setFile(d, spec);
}

bool UpaPlot::fixedFile() const { return file.isSet() && file.isFixed(); }

int UpaPlot::getDate(Date& d)
{
  if (file.getDate(d) && d.isSet()) return 1;
  UpaKolFile f;
  d.init();
  if (!StrLib::valid(file.getName()) || !f.open(file.getName(), UpaKolFile::READ)) return 0;
  d = f.getDate();
  return d.isSet();
}

int UpaPlot::getInitDate(Date& d) { return getDate(d); }

int UpaPlot::getDateOffset() { return file.getOffset(); }

int UpaPlot::getNumFrames() { return file.getNumFiles(); }

// ---- parameters -------------------------------------------------------------------------------

int UpaPlot::setVariable(const char* list)
{
  variable.set(list ? list : "");
  return 1;
}

int UpaPlot::setPlotType(const char* word)
{
  StrLib::copy(plotType, PLOT_TYPE_SIZE, word ? word : "");
  return 1;
}

int UpaPlot::setLevel(const char* text)
{
  Level l;
  if (!StrLib::valid(text) || !l.set(text) || !l.isSet()) {
    Kol::outWarning("UpaPlot: unknown level %s\n", text ? text : "");
    return 0;
  }
  level = l;
  return 1;
}

int UpaPlot::setTimezone(const char* text)
{
  timezoneText = text ? text : "";
  return timezone.set(text);
}

int UpaPlot::setGridDomain(const char* text)
{
  Domain d;
  if (!StrLib::valid(text) || !DomainTool::decode(d, text)) {
    Kol::outWarning("UpaPlot: unknown grid domain %s\n", text ? text : "");
    gridDomain.init();
    return 0;
  }
  gridDomain = d;
  return 1;
}

int UpaPlot::setParam(const char* text)
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
    else if (StrLib::equal(t, "va", 2) && eq)
      setVariable(value);
    else if (StrLib::equal(t, "le", 2) && eq)
      setLevel(value);
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
  const char* others = split.others.c_str();
  gridder.setParam(others);
  datumPlot.setParam(others);
  contour.setParam(others);
  vector.setParam(others);
  params = all;
  return 1;
}

bool UpaPlot::isGridded() const
{
  const int code = ContPlot::decodeType(plotType);
  return code >= ContPlot::VALUE && code <= ContPlot::LINE_FILL;
}

// ---- the pipeline's questions -----------------------------------------------------------------

VarSpec UpaPlot::levelled(const VarList& list, int i) const
{
  VarSpec spec = *list.getSpec(i);
  for (int p = VarPlot::parentOf(list, i); !spec.getLevel().isSet() && p >= 0;
       p = VarPlot::parentOf(list, p))
    spec.setLevel(list.getSpec(p)->getLevel());
  if (!spec.getLevel().isSet()) spec.setLevel(level);
  return spec;
}

void UpaPlot::dataSpec(const VarList& list, int i, GridSpec& spec) { spec.set(levelled(list, i)); }

// Every entry's values at its level from one read of the file, analysed in the units they come
// in and then converted to the entry's.
int UpaPlot::readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  std::vector<VarSpec> vars;
  for (int e : entries) {
    VarSpec spec = levelled(list, e);
    const char* given = UpaGrid::getUnits(spec.getName());
    spec.setUnits(given ? given : "");
    vars.push_back(spec);
  }
  Data data;
  if (!UpaGrid::read(file.getName(), vars, data) || !gridder.compute(data, grids)) return 0;
  for (size_t k = 0; k < entries.size(); ++k) {
    const int slot = static_cast<int>(k);
    if (grids.isSet(slot)) GridMath::units(grids.getGrid(slot), list.getUnits(entries[k]));
  }
  return grids.getNumSet();
}

int UpaPlot::drawParams(Plot& plot, const VarList& list, int first, int last)
{
  std::vector<VarSpec> run;
  for (int i = first; i < last; ++i) run.push_back(levelled(list, i));
  sfcplot::StationModels models;
  soundingsRead += upaplot::readModels(*input, run, plot.getDomain(), models);
  const float size = plot.getVert() * datumPlot.getScale();
  if (thin) {
    models.keepInside(plot.getDomain(), THIN_WIDTH * size / 2, THIN_HEIGHT * size / 2);
    models.thin(THIN_WIDTH * size, THIN_HEIGHT * size);
  }
  for (const sfcplot::StationModel& m : models.get())
    for (Datum d : m.values) datumPlot.draw(plot, d);
  return 1;
}

// Soundings are analyses at their level, in the entry's units or those the values come in.
void UpaPlot::label(Plot& plot, const VarList& list, int i)
{
  VarSpec spec = levelled(list, i);
  if (spec.getForeTime().getType() == ForeTime::MISSING) {
    ForeTime anal;
    anal.set("anal");
    spec.setForeTime(anal);
  }
  if (!StrLib::valid(spec.getUnits()))
    if (const char* u = UpaGrid::getUnits(spec.getName())) spec.setUnits(u);
  VarPlot::addLabels(plot, spec, fileDate, timezoneText.c_str());
}

// ---- drawing ----------------------------------------------------------------------------------

int UpaPlot::openFile()
{
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
  input = std::make_unique<UpaKolFile>();
  if (!StrLib::valid(name) || !UpaKolFile::checkType(name) ||
      !input->open(name, UpaKolFile::READ)) {
    Kol::outMessage(3, "UpaPlot: Unable to open file: %s\n", name ? name : "");
    input.reset();
    return 0;
  }
  fileDate = input->getDate();
  return 1;
}

int UpaPlot::draw(Plot& plot)
{
  soundingsRead = 0;
  if (!openFile()) return 0;
  gridder.setDomain(gridDomain.proj != Const::MISS ? gridDomain : plot.getDomain());
  gridder.setFilename(file.getName());
  const char* varFile = Kol::resrc.get("var_file", DEFAULT_VAR_FILE);
  VarList list, scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(variable.get(), scratch);
  if (Kol::isDebug(2)) list.print();
  VarPlot::MapChoice choice;
  choice.map = map;
  choice.mapMode = mapMode;
  choice.plotType = ContPlot::decodeType(plotType);
  std::string all = plotType[0] ? std::string("pl=") + plotType + "," : std::string();
  all += params.get();
  pipeline = VarPlot();
  pipeline.run(plot, list, *this, contour, vector, choice, all.c_str());
  input.reset();
  return 1;
}

void UpaPlot::print()
{
  std::printf("UpaPlot\n");
  file.print();
  std::printf("Params: %s\n", params.get());
  std::printf("Variable: %s\n", variable.get());
  std::printf("Plot type: %s\n", plotType);
  std::printf("Level: ");
  level.print();
  std::printf("Timezone: ");
  timezone.print();
  std::printf("Grid domain: ");
  gridDomain.print();
  std::printf("Map: %d\n", map ? 1 : 0);
  std::printf("Time sync: %d\n", sync);
}

}  // namespace KOL
