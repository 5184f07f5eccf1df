#include "layers/MosPlot.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "grid/GridMath.h"
#include "layers/VarList.h"
#include "layers/mosplot/MosReport.h"
#include "layers/overlay/OverlayKeys.h"
#include "layers/sfcplot/StationModels.h"
#include "layers/varplot/LayerParams.h"
#include "obs/CityTool.h"
#include "obs/Data.h"
#include "obs/SfcDataTool.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

using mosplot::MosReport;

namespace {

// Station models are kept apart by this share of the plot's height, as surface ones are.
constexpr float THIN_WIDTH = 0.11f;
constexpr float THIN_HEIGHT = 0.065f;

std::string upper(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

MosPlot::MosPlot() { init(); }
MosPlot::~MosPlot() = default;

void MosPlot::init()
{
  bulletins.clear();
  variable = DEFAULT_VARIABLE;
  model.clear();
  params.clear();
  timezoneText.clear();
  hour = -1;
  run = -1;
  map = true;
  mapMode = -1;
  timezone.init();
  gridDomain.init();
  gridder.init();
  datumPlot.init();
  contour.init();
  contour.setSmoothEdge(true);  // an analysis ends where its stations stop reaching
  vector.init();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("grid_domain"); StrLib::valid(t)) setGridDomain(t);
  if (const char* t = r.get("model"); StrLib::valid(t)) setModel(t);
  if (const char* t = r.get("time"); StrLib::valid(t)) setForeTime(t);
  file.init();
  file.setNameConv(CONVENTION);
  if (const char* t = r.get("num_hour"); StrLib::valid(t)) file.setNumFiles(t);
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

int MosPlot::setParam(const char* text)
{
  if (!text) return 1;
  const varplot::LayerParams split = varplot::splitParams(text, {"va"});
  for (const std::string& token : split.tokens) {
    const char* t = token.c_str();
    const char* eq = std::strchr(t, '=');
    const char* value = eq ? eq + 1 : "";
    if (StrLib::iequal(t, "map") || StrLib::iequal(t, "nomap"))
      map = StrLib::iequal(t, "map");
    else if (StrLib::iequal(t, "map_line"))
      mapMode = 0;
    else if (StrLib::iequal(t, "map_fill"))
      mapMode = 1;
    else if (!eq)
      continue;
    else if (StrLib::equal(t, "va", 2))
      setVariable(value);
    else if (StrLib::equal(t, "mo", 2))
      setModel(value);
    else if (StrLib::equal(t, "ft", 2) || StrLib::equal(t, "fh", 2))
      setForeTime(value);
    else if (StrLib::equal(t, "ho", 2))
      run = *value ? std::atoi(value) : -1;
    else if (StrLib::equal(t, "tz", 2))
      setTimezone(value);
    // ct, co and sc reach the station models and contours with the other keys
  }
  const char* others = split.others.c_str();
  gridder.setParam(others);
  datumPlot.setParam(others);
  contour.setParam(others);
  vector.setParam(others);
  params = text;
  return 1;
}

int MosPlot::setVariable(const char* list)
{
  variable = StrLib::valid(list) ? list : DEFAULT_VARIABLE;
  return 1;
}

int MosPlot::setModel(const char* name)
{
  model = upper(name ? name : "");
  return 1;
}

int MosPlot::setForeTime(const char* text)
{
  if (!StrLib::valid(text)) return 0;
  const char* digits = std::isdigit(static_cast<unsigned char>(*text)) ? text : text + 1;
  hour = std::atoi(digits);
  return 1;
}

int MosPlot::setTimezone(const char* text)
{
  timezoneText = text ? text : "";
  return timezone.set(text);
}

int MosPlot::setGridDomain(const char* text)
{
  return varplot::gridDomain("MosPlot", text, gridDomain);
}

int MosPlot::read(const char* name)
{
  TextProductFile file;
  if (!file.open(name)) return 0;
  TextProduct p;
  int n = 0;
  while (file.read(p)) {
    MosBulletin b;
    if (b.parse(p)) bulletins.push_back(b), ++n;
  }
  if (!n) Kol::outWarning("MosPlot: no MOS bulletin in %s\n", name ? name : "");
  return n > 0;
}

int MosPlot::setFilename(const char* name)
{
  bulletins.clear();
  return read(name);
}

int MosPlot::addFile(const char* name) { return read(name); }

int MosPlot::setNameConv(const char* conv) { return StrLib::valid(conv) && file.setNameConv(conv); }

int MosPlot::setFilename(Date& d)
{
  if (!file.setFile(d, "la")) return 0;
  bulletins.clear();
  int n = 0;
  for (int i = 0; i < file.getNumFiles(); ++i)
    if (const char* name = file.getName(i); StrLib::valid(name) && FileTool::isFile(name))
      n += read(name);
  return n > 0;
}

int MosPlot::getDate(Date& d) { return file.getDate(d) && d.isSet(); }

// The model is named as the bulletin's header does (GFS, NAM) or as its product (MAV, MET).
bool MosPlot::wanted(const MosBulletin& b, const MosBulletin::Station& s) const
{
  if (!model.empty() && upper(s.model) != model && b.head.type() != model) return false;
  return run < 0 || s.hour == run;
}

std::vector<MosPlot::Placed> MosPlot::placed() const
{
  std::vector<Placed> out;
  String table;
  if (!CityTool::getFilename(nullptr, table)) return out;
  for (const auto& b : bulletins)
    for (const auto& s : b.stations) {
      if (s.hours.empty() || !wanted(b, s)) continue;
      size_t column = 0;
      if (hour >= 0) {
        auto it = std::find(s.hours.begin(), s.hours.end(), hour);
        if (it == s.hours.end()) continue;
        column = static_cast<size_t>(it - s.hours.begin());
      }
      float lat, lon;
      if (!CityTool::locate(table.get(), s.id.c_str(), lat, lon)) continue;
      out.push_back({&s, lat, lon, column});
    }
  return out;
}

std::vector<MosReport> MosPlot::reports() const
{
  std::vector<MosReport> out;
  for (const Placed& p : placed()) out.emplace_back(*p.station, p.column, p.lat, p.lon);
  return out;
}

int MosPlot::getDomain(Domain& d)
{
  overlay::Bounds b;
  for (const Placed& p : placed()) b.add(p.lat, p.lon);
  return b.domain(d, 1.5, 20.0);
}

// ---- the pipeline's questions -----------------------------------------------------------------

void MosPlot::dataSpec(const VarList& list, int i, GridSpec& spec) { list.get(i, spec); }

// Each entry's guidance at every station analysed onto the gridding domain, in the units the
// values come in, then converted to the entry's.
int MosPlot::readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  const std::vector<MosReport> all = reports();
  Data data;
  data.setFields(static_cast<int>(entries.size()));
  data.setSource("MOS");
  std::vector<VarSpec> specs;
  for (size_t k = 0; k < entries.size(); ++k) {
    specs.push_back(*list.getSpec(entries[k]));
    const char* given = SfcDataTool::getUnits(specs[k].getName());
    specs[k].setUnits(given ? given : "");
    data.setVarSpec(static_cast<int>(k), specs[k]);
  }
  for (const MosReport& r : all) {
    const int row = data.add(r.sfc.id, EarthPoint(r.sfc.lat, r.sfc.lon), Const::FMISS);
    for (size_t k = 0; k < specs.size(); ++k) {
      Datum d;
      if (r.compute(specs[k], d) && d.type != Datum::TEXT)
        data.setValue(row, static_cast<int>(k), d.getValue(0));
    }
  }
  if (all.empty() || !gridder.compute(data, grids)) return 0;
  for (size_t k = 0; k < entries.size(); ++k)
    if (grids.isSet(static_cast<int>(k)))
      GridMath::units(grids.getGrid(static_cast<int>(k)), list.getUnits(entries[k]));
  return grids.getNumSet();
}

// The run first..last-1 about each station, thinned as surface station models are.
int MosPlot::drawParams(Plot& plot, const VarList& list, int first, int last)
{
  sfcplot::StationModels models;
  for (int i = first; i < last; ++i) models.add(*list.getSpec(i));
  const MosReport* current = nullptr;
  models.setCompute([&current](const SfcData&, const VarSpec& spec, Datum& d) {
    return current->compute(spec, d);
  });
  const std::vector<MosReport> all = reports();
  for (const MosReport& r : all) {
    EarthPoint e(r.sfc.lat, r.sfc.lon);
    Point at;
    if (!plot.getDomain().within(e) || !plot.getDomain().tran(e, at)) continue;
    current = &r;
    models.place(r.sfc, at, 0);
  }
  const float size = plot.getVert() * datumPlot.getScale();
  models.keepInside(plot.getDomain(), THIN_WIDTH * size / 2, THIN_HEIGHT * size / 2);
  models.thin(THIN_WIDTH * size, THIN_HEIGHT * size);
  for (const sfcplot::StationModel& m : models.get())
    for (Datum d : m.values) datumPlot.draw(plot, d);
  return 1;
}

// Guidance at the surface for the forecast hour drawn, dated by the model run.
void MosPlot::label(Plot& plot, const VarList& list, int i)
{
  VarSpec spec;
  const auto all = placed();
  if (!list.get(i, spec) || all.empty()) return;
  const MosBulletin::Station& s = *all.front().station;
  char fore[16];
  std::snprintf(fore, sizeof fore, "h%d", s.hours[all.front().column]);
  spec.setForeTime(ForeTime(fore));
  if (!StrLib::valid(spec.getUnits()))
    if (const char* u = SfcDataTool::getUnits(spec.getName())) spec.setUnits(u);
  Date date;
  date.set(s.year, s.month, s.day, s.hour, s.minute, 0);
  const std::string source = (s.model.empty() ? "" : s.model + " ") + "MOS";
  VarPlot::addLabels(plot, spec, date, timezoneText.c_str(), source.c_str());
}

int MosPlot::draw(Plot& plot)
{
  if (placed().empty()) {
    Kol::outMessage(3, "MosPlot: no station of the guidance at the hour asked for\n");
    return 0;
  }
  gridder.setDomain(gridDomain.proj != Const::MISS ? gridDomain : plot.getDomain());
  const char* varFile = Kol::resrc.get("var_file", DEFAULT_VAR_FILE);
  VarList list, scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(variable.c_str(), scratch);
  if (Kol::isDebug(2)) list.print();
  VarPlot::MapChoice choice;
  choice.map = map;
  choice.mapMode = mapMode;
  pipeline = VarPlot();
  pipeline.run(plot, list, *this, contour, vector, choice, params.c_str());
  return 1;
}

void MosPlot::print()
{
  std::printf("MosPlot\nVariable: %s\nModel: %s\nForecast hour: %d\n", variable.c_str(),
              model.c_str(), hour);
  for (const auto& b : bulletins) b.print();
}

}  // namespace KOL
