#include "layers/GridPlot.h"

#include <cstdio>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "grid/GridSpec.h"
#include "grid/GridTool.h"
#include "layers/VarList.h"
#include "layers/VarName.h"
#include "layers/varplot/LayerParams.h"

namespace KOL {

namespace {

// A variable code no grid has.
constexpr int NO_GRID = -1;

}  // namespace

void GridPlot::init()
{
  model[0] = '\0';
  modelSpec.init();
  file.init();
  params.clear();
  foreTime.clear();
  level.clear();
  variable.clear();
  hour.clear();
  foreHour = Const::FMISS;
  reader.init();
  contour.init();
  vector.init();
  colorFill.clear();
  timezone.clear();
  mapMode = -1;
  fore.init();
  lev.init();
  date.init();
  datedFile.clear();
  fileDate.init();
  grid.init();
  listening = false;
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* n = r.get("num_hour"); StrLib::valid(n)) file.setNumFiles(n);
  if (const char* t = r.get("time"); StrLib::valid(t)) setForeTime(t);
  if (const char* l = r.get("level"); StrLib::valid(l)) setLevel(l);
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

void GridPlot::useModel(const char* name)
{
  StrLib::copy(model, MODEL_SIZE, name);
  modelSpec.set(model);
  file.setNameConv(modelSpec.hasNameConv() ? modelSpec.getNameConv() : "");
}

int GridPlot::setFile()
{
  if (const char* h = Kol::resrc.get("hour"); StrLib::valid(h)) setHour(h);
  if (model[0]) {
    useModel(model);
  } else if (const char* m = Kol::resrc.get("model"); StrLib::valid(m)) {
    useModel(m);
  } else {
    file.setNameConv(StrLib::valid(Kol::resrc.get("in_file"), DEFAULT_CONV));
  }
  return 1;
}

int GridPlot::setModel(const char* name)
{
  useModel(name ? name : "");
  return modelSpec.hasNameConv() ? 1 : 0;
}

int GridPlot::setHour(const char* text)
{
  hour = text ? text : "";
  return 1;
}

int GridPlot::setFilename()
{
  if (file.isSet()) return file.exist();
  file.checkFile("la");
  return file.exist();
}

int GridPlot::setFilename(const char* name) { return file.checkFile(name) && file.exist(); }

int GridPlot::setFilename(Date& d, const char* spec)
{
  // A file named as it is stays whatever the frame's date.
  if (file.isSet() && file.isFixed()) return file.exist();
  return file.setFile(d, spec);
}

int GridPlot::setForeTime(const char* text)
{
  foreTime = text ? text : "";
  int first, last, step;
  char tail;
  if (!text || std::sscanf(text, "%d-%d/%d%c", &first, &last, &step, &tail) != 3 || step <= 0)
    return 1;
  foreTime.clear();
  for (int h = first; h <= last; h += step) {
    if (!foreTime.empty()) foreTime += ',';
    foreTime += std::to_string(h);
  }
  return 1;
}

int GridPlot::setParam(const char* text)
{
  if (!text) return 1;
  const varplot::LayerParams split = varplot::splitParams(text, {"va", "gs"});
  for (const std::string& f : split.tokens) {
    const char* s = f.c_str();
    const size_t eq = f.find('=');
    const std::string value = eq == std::string::npos ? "" : f.substr(eq + 1);
    if (StrLib::iequal(s, "map_line")) {
      mapMode = 0;
    } else if (StrLib::iequal(s, "map_fill")) {
      mapMode = 1;
    } else if (StrLib::equal(s, "mo", 2) && f.size() > 3) {
      setModel(s + 3);
    } else if ((StrLib::equal(s, "gs", 2) || StrLib::equal(s, "va", 2)) && f.size() > 3) {
      setVariable(s + 3);
    } else if (StrLib::equal(s, "ho", 2) && eq != std::string::npos) {
      setHour(value.c_str());
    } else if (StrLib::equal(s, "le", 2) && eq != std::string::npos) {
      setLevel(value.c_str());
    } else if (StrLib::equal(s, "ft", 2) && eq != std::string::npos) {
      setForeTime(value.c_str());
    } else if (StrLib::equal(s, "tz", 2) && f.size() > 3) {
      setTimezone(s + 3);
    }
  }
  // the sub-layers draw what the list says; its own commas are none of their keys
  reader.setParam(split.others.c_str());
  contour.setParam(split.others.c_str());
  vector.setParam(split.others.c_str());
  params = text;
  return 1;
}

// Before drawing, a file named without a date tells the date of its first field, as drawing
// will find it.
int GridPlot::getDate(Date& d)
{
  if (date.isSet()) {
    d = date;
    return 1;
  }
  if (file.getDate(d) && d.isSet()) return 1;
  return firstFieldDate(d);
}

bool GridPlot::firstFieldDate(Date& d)
{
  const char* name = file.getName();
  if (!StrLib::valid(name) || FileTool::isStdio(name) || !FileTool::exist(name)) return false;
  if (datedFile != name) {
    Grid first;
    fileDate.init();
    if (reader.read(name, first)) fileDate = first.getInitDate();
    datedFile = name;
  }
  d = fileDate;
  return d.isSet();
}

int GridPlot::getDomain(Domain& d)
{
  if (!file.isSet()) file.checkFile("la");
  const char* name = file.getName();
  if (FileTool::isStdio(name)) {
    DomainTool::decode(d, "us");
    return 1;
  }
  Grid first;
  if (StrLib::valid(name) && reader.read(name, first) && first.getProj() != Const::MISS) {
    d = first.getDomain();
    return 1;
  }
  DomainTool::decode(d, "us");
  return 0;
}

void GridPlot::decodeSelection()
{
  lev.init();
  if (!level.empty()) lev.decode(level.c_str());
  fore.init();
  // a list of forecast times is drawn by the figure's frames, one item each: alone, the layer
  // draws the first
  if (foreTime.empty()) return;
  fore.decode(foreTime.substr(0, foreTime.find(',')).c_str());
  // a bare number of hours is the forecast for that hour
  if (fore.getType() == ForeTime::ANY) fore.set(ForeTime::FORECAST, fore.getHours(), Const::FMISS);
  if (fore.getType() != ForeTime::MISSING) foreHour = fore.getHours();
}

int GridPlot::draw(Plot& plot)
{
  decodeSelection();
  if (!file.isSet()) file.checkFile("la");
  date.init();
  file.getDate(date);
  Kol::outMessage(7, "Contouring: %s - %s\n", file.getName(), variable.c_str());
  if (!file.exist()) {
    Kol::outMessage(3, "GridPlot: Unable to open file: %s\n", file.getName());
    return 0;
  }
  VarList list, scratch;
  list.setFile(StrLib::valid(Kol::resrc.get("var_file"), DEFAULT_VAR_FILE));
  const char* text = !variable.empty() ? variable.c_str() : Kol::resrc.get("variable");
  if (!StrLib::valid(text) || !list.process(text, scratch)) {
    Kol::outWarning("GridPlot: no variable list to draw\n");
    return 0;
  }
  if (Kol::isDebug(3)) list.print();
  VarPlot::MapChoice maps;
  maps.mapMode = mapMode;
  // a plot type of fills (the contour layer reads it too) puts the map over them
  maps.plotType = ContPlot::decodeType(Kol::resrc.get("plot_type"));
  return pipeline.run(plot, list, *this, contour, vector, maps, params.c_str());
}

int GridPlot::draw(Plot& plot, Grid& g)
{
  grid.copy(g);
  if (!listening) {
    plot.addCallback("AnyEvent", this, "GridPlot");
    listening = true;
  }
  contour.setColorFill(!colorFill.empty() ? colorFill.c_str()
                                          : StrLib::valid(Kol::resrc.get("color_fill"), ""));
  return contour.draw(plot, grid);
}

int GridPlot::callback(const char*, const char*, const void*) { return 0; }

// ---- the pipeline's questions -----------------------------------------------------------------

void GridPlot::dataSpec(const VarList& list, int i, GridSpec& spec)
{
  const VarSpec* v = list.getSpec(i);
  if (!v) return;
  spec.set(*v);
  if (!spec.isVarSet()) {
    // a name the table does not know selects no grid (an unset code would take any)
    Kol::outWarning("GridPlot: unknown variable: %s\n", list.getName(i));
    spec.setVar(0, NO_GRID);
    return;
  }
  GridTool::updateSpec(spec, fore, lev, list.getName(i));
  // a field is drawn in the usual units of its quantity unless the entry names others
  VarName names;
  VarNameItem item;
  if (!*spec.getUnits() && names.get(list.getName(i), item)) spec.setUnits(item.units);
}

int GridPlot::readGrids(const VarList&, const std::vector<int>&, Grids& grids)
{
  Kol::outDebug(2, "Reading in data from file\n");
  int ok;
  if (model[0] && modelSpec.hasNameConv() && !file.isFixed())
    ok = reader.read(("^" + std::string(modelSpec.getNameConv())).c_str(), date, grids);
  else
    ok = reader.read(file.getName(), date, grids);
  Kol::outDebug(2, "Finished reading\n");
  if (Kol::isDebug(3)) grids.print();
  if (!ok) return 0;
  // a file named without a date takes the date of its fields
  for (int k = 0; k < grids.getNum() && !date.isSet(); ++k)
    if (grids.isSet(k)) date = grids.getGrid(k).getInitDate();
  return grids.getNumSet();
}

void GridPlot::label(Plot& plot, const VarList& list, int i)
{
  if (list.getDataIndex(i) < 0 || !list.getSpec(i)) return;
  VarSpec s = *list.getSpec(i);
  s.update(fore, lev);
  VarPlot::addLabels(plot, s, date, timezone.c_str());
}

void GridPlot::print()
{
  std::printf("GridPlot\n");
  file.print();
  std::printf("Model: %s\n", model);
  std::printf("Params: %s\n", params.c_str());
  std::printf("Forecast time: %s\n", foreTime.c_str());
  std::printf("Level: %s\n", level.c_str());
  std::printf("Variable: %s\n", variable.c_str());
  std::printf("Hour: %s\n", hour.c_str());
  std::printf("Timezone: %s\n", timezone.c_str());
  std::printf("Map mode: %d\n", mapMode);
}

}  // namespace KOL
