#include "layers/NidsPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/DateTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/ContPlot.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "imagery/NidsImage.h"
#include "layers/VarFile.h"
#include "layers/image/ImageBar.h"
#include "layers/image/ImageCanvas.h"
#include "layers/image/RadarMarks.h"
#include "layers/nidsplot/ProductScale.h"

namespace KOL {

namespace {

// Lattice points of a mosaic's domain along each side (its spacing follows from them).
constexpr int MOSAIC_POINTS = 1001;
constexpr float MIN_RANGE_KM = 230.0f;
// Characters of the information label that leave room for the date beside it.
constexpr size_t LABEL_FIT = 36;

// The polar stereographic square about the sites' mean position that covers every range.
int mosaicDomain(const std::vector<NidsInfo>& sites, Domain& out)
{
  if (sites.empty()) return 0;
  float lat = 0, lon = 0;
  for (const NidsInfo& s : sites) lat += s.getLat(), lon += s.getLon();
  DomainVal v;
  v.proj = 1;
  v.param[0] = 90.0f;
  v.clat = lat / sites.size();
  v.clon = v.param[1] = lon / sites.size();
  v.nx = v.ny = 2;
  v.dx = v.dy = 1.0f;
  Domain d(v);
  double cx, cy;
  d.project(v.clat, v.clon, cx, cy);
  float half = 0.0f;
  for (const NidsInfo& s : sites) {
    double x, y;
    d.project(s.getLat(), s.getLon(), x, y);
    const float reach = static_cast<float>(std::max(std::fabs(x - cx), std::fabs(y - cy))) +
                        std::max(s.getRange(), MIN_RANGE_KM) / 100.0f;
    half = std::max(half, reach);
  }
  v.nx = v.ny = MOSAIC_POINTS;
  v.dx = v.dy = 2.0f * half / (MOSAIC_POINTS - 1);
  return out.set(v);
}

// A product's header and site; 0 for a product without radial or raster data.
int readProduct(const char* name, NidsInfo& info, NidsFile& f)
{
  if (!f.open(name) || !f.readHeader(info)) {
    Kol::outWarning("NidsPlot: %s is not a readable NIDS product\n", name ? name : "");
    return 0;
  }
  if (!f.isPacketRadial() && !f.isPacketRastor() && !f.isPacketDpa()) {
    Kol::outWarning("NidsPlot: %s has no radial or raster data (product %d)\n", name,
                    info.getProduct());
    return 0;
  }
  return 1;
}

std::string siteOf(const NidsFile& f, const NidsInfo& info)
{
  const std::string& id = f.getAwipsId();
  if (id.size() >= 6) return id.substr(3, 3);
  return std::to_string(info.getSource());
}

}  // namespace

void NidsPlot::init()
{
  files.clear();
  sites.clear();
  info.init();
  site.clear();
  limits.clear();
  units.clear();
  names.clear();
  colors = imageplot::CodeColors();
  params.clear();
  thresholdsGiven = StrLib::valid(Kol::resrc.get("threshold"));
  keys.init();
  conv = StrLib::valid(Kol::resrc.get("in_file"), CONVENTION);
  id.clear(), type.clear();
  dataColor = "grey04";
  dataOnly = showSite = shadow = false;
  table = clutter = true;
  ringStepKm = 0;
  rings.clear();
  Resrc& r = Kol::resrc;
  if (const char* c = r.get("color_fill"); StrLib::valid(c)) keys.colorFill = c;
  if (const char* c = r.get("color_data"); StrLib::valid(c)) dataColor = c;
  if (const char* c = r.get("identifier"); StrLib::valid(c)) id = c;
  if (const char* c = r.get("type"); StrLib::valid(c)) type = c;
  if (const char* c = r.get("timezone"); StrLib::valid(c)) keys.zone = c;
  if (const char* c = r.get("variable"); StrLib::valid(c)) applyMacro(c);
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

int NidsPlot::setNameConv(const char* c)
{
  conv = StrLib::valid(c, CONVENTION);
  return 1;
}

// "nids" with the site and product keys, unless the convention names its own.
int NidsPlot::fromConvention(const char* spec, const Date* d)
{
  std::string full = conv;
  if (full.find(':') == std::string::npos) {
    if (!id.empty()) full += ":a=" + id;
    if (!type.empty()) full += ":t=" + type;
  }
  Filename f;
  f.setNameConv(full.c_str());
  const int found = d ? f.setFile(*d, spec) : f.setFile(spec);
  return found && StrLib::valid(f.getName()) ? setFilename(f.getName()) : 0;
}

int NidsPlot::setFilename() { return fromConvention(keys.latest().c_str(), nullptr); }

int NidsPlot::setFilename(Date& d) { return fromConvention("la", &d); }

// The parameter keys a macro of nidsplot.var stands for.
void NidsPlot::applyMacro(const char* name)
{
  VarFile vars;
  VarFileData m;
  if (vars.open(StrLib::valid(Kol::resrc.get("var_file"), DEFAULT_VAR_FILE)) &&
      vars.search(name, m))
    setParam(m.definition.get());
  else
    Kol::outWarning("NidsPlot: no macro %s in %s\n", name, DEFAULT_VAR_FILE);
}

int NidsPlot::setParam(const char* text)
{
  if (!text) return 1;
  std::string rest;
  for (const std::string& f : PlotParams::split(text)) {
    const std::string v = PlotParams::valueOf(f, f.size());
    auto is = [&f](const char* k) { return PlotParams::isWord(f, k); };
    auto key = [&f](const char* k) { return PlotParams::isKey(f, k); };
    if (keys.take(f))
      continue;
    else if (key("va"))
      applyMacro(v.c_str());
    else if (key("if") || key("nc"))
      setNameConv(v.c_str());
    else if (key("pa")) {
      std::string keys = v;
      std::replace(keys.begin(), keys.end(), ':', ',');
      rest += (rest.empty() ? "" : ",") + keys;
    } else if (key("id"))
      id = v;
    else if (key("ty"))
      type = v;
    else if (is("plot"))
      dataOnly = false;
    else if (is("data"))
      dataOnly = true;
    else if (is("site"))
      showSite = true;
    else if (key("dist"))
      ringStepKm = std::strtof(v.c_str(), nullptr);
    else if (key("distm"))
      ringStepKm = std::strtof(v.c_str(), nullptr) * 1.609344f;
    else if (is("nodist"))
      ringStepKm = 0;
    else if (is("table"))
      table = true;
    else if (is("notable"))
      table = false;
    else if (is("clutter"))
      clutter = true;
    else if (is("noclutter"))
      clutter = false;
    else if (is("shadow"))
      shadow = true;
    else
      rest += (rest.empty() ? "" : ",") + f;  // noclar, box, crad=, ramp=
  }
  if (!rest.empty()) params += (params.empty() ? "" : ",") + rest;
  return 1;
}

int NidsPlot::readFirst(const char* name)
{
  NidsFile f;
  NidsInfo first;
  if (!readProduct(name, first, f)) return 0;
  // the data complete the description (mode, resolution, range of values)
  NidsData data;
  info = f.readData(data) ? static_cast<const NidsInfo&>(data) : first;
  site = siteOf(f, first);
  const nidsplot::Scale s = nidsplot::scaleOf(f, first);
  if (s.limits.empty()) {
    Kol::outWarning("NidsPlot: %s: product %d has no data levels to draw\n", name,
                    first.getProduct());
    return 0;
  }
  limits = s.limits;
  units = s.units;
  names = s.labels;
  return 1;
}

int NidsPlot::setFilename(const char* name)
{
  files.clear();
  sites.clear();
  if (!readFirst(name)) return 0;
  files.emplace_back(name);
  sites.push_back(info);
  return 1;
}

int NidsPlot::addFile(const char* name)
{
  if (files.empty()) return setFilename(name);
  NidsFile f;
  NidsInfo other;
  if (!readProduct(name, other, f)) return 0;
  files.emplace_back(name);
  sites.push_back(other);
  return 1;
}

int NidsPlot::getDomain(Domain& d)
{
  if (files.size() > 1) return mosaicDomain(sites, d);
  NidsImage ni;
  DomainVal v;
  if (files.empty() || !ni.readSite(files.front().c_str()) || !ni.getImageDomain(v)) return 0;
  return d.set(v);
}

int NidsPlot::getDate(Date& d)
{
  d = info.getDate();
  return !files.empty();
}

int NidsPlot::getClass(float v) const
{
  if (!NidsData::isValid(v) || limits.empty() || v < limits.front()) return 0;
  return static_cast<int>(std::upper_bound(limits.begin(), limits.end(), v) - limits.begin());
}

namespace {

// Products of one elevation scan; the others (composites, accumulations) carry none.
bool oneElevation(int code)
{
  return NidsFile::isBRef(code) || NidsFile::isVel(code) || NidsFile::isBSW(code) ||
         NidsFile::isSRVel(code) || NidsFile::isDRef(code) || NidsFile::isCorrel(code) ||
         NidsFile::isHydroClass(code) || code == 163 || code == 186;
}

}  // namespace

std::string NidsPlot::infoLabel() const
{
  char text[Plot::LABEL_SIZE];
  if (files.size() > 1)
    std::snprintf(text, sizeof text, "%s  %zu sites", info.getLabel(), files.size());
  else if (Const::isMiss(info.getElev()) || !oneElevation(info.getProduct()))
    std::snprintf(text, sizeof text, "%s  %s", info.getLabel(), site.c_str());
  else
    std::snprintf(text, sizeof text, "%s  %s  El %.1f", info.getLabel(), site.c_str(),
                  static_cast<double>(info.getElev()));
  // a longer label would run into the date; the line below the map has the elevation too
  if (char* el = std::strstr(text, "  El "); el && std::strlen(text) > LABEL_FIT) *el = '\0';
  return text;
}

// The classes' colours: the product's own, or those of a colour table or a fill list.
void NidsPlot::setColors(Plot& plot, int n)
{
  if (!keys.colorTable.empty()) {
    ColorMap cm;
    if (ColorFile::read(keys.colorTable.c_str(), cm)) plot.setColorMap(cm);
    const std::vector<int> palette = ContPlot::fillPalette(plot.getGraph());
    for (int k = 1; k <= n && !palette.empty(); ++k)
      plot.getColorRGB(palette[static_cast<size_t>(k - 1) * palette.size() / n], colors.rgb[k].red,
                       colors.rgb[k].green, colors.rgb[k].blue);
  }
  if (!keys.colorFill.empty()) {
    ColorFill cf;
    cf.set(plot.getColorMap(), keys.colorFill.c_str());
    for (int k = 1; k <= n && k <= cf.getNum(); ++k)
      plot.getColorRGB(cf.getColor(k - 1), colors.rgb[k].red, colors.rgb[k].green,
                       colors.rgb[k].blue);
  }
  // the weakest class: clear-air returns and ground clutter more than weather
  if (!clutter && n > 1) colors.shown[1] = false;
}

void NidsPlot::drawMarks(Plot& plot)
{
  rings.clear();
  // out to the product's range, six rings at most
  const float reach = std::min(std::max(info.getRange(), MIN_RANGE_KM), 6 * ringStepKm);
  for (float r = ringStepKm; ringStepKm > 0 && r <= reach + 1e-3f; r += ringStepKm)
    rings.push_back(r);
  if (files.size() != 1) return;
  imageplot::drawRings(plot, info.getLat(), info.getLon(), rings, dataColor.c_str());
  if (showSite)
    imageplot::drawSite(plot, info.getLat(), info.getLon(), site, dataColor.c_str(), shadow);
}

int NidsPlot::draw(Plot& plot)
{
  if (files.empty() && !setFilename()) return 0;
  const bool withBar = keys.bar && !dataOnly;
  if (withBar) plot.reserveBar();
  imageplot::Canvas canvas;
  if (!canvas.set(plot)) return 0;
  NidsImage ni(params.c_str());
  if (!thresholdsGiven) ni.setThres(limits, names.empty());
  ni.setup(canvas.image());
  int drawn = 0;
  for (const std::string& name : files) drawn += ni.addSite(name.c_str(), canvas.image());
  if (!drawn) return 0;
  canvas.coverNonzero();
  Image palette;
  ni.setColors(palette);
  colors = imageplot::CodeColors();
  std::vector<float> classes = ni.getThres();
  std::vector<std::string> labels =
      thresholdsGiven || names.size() != classes.size() ? imageplot::classLabels(classes) : names;
  if (info.getFoldedLevel() >= 0 && !classes.empty()) {
    // range folding: a box of its own after the classes
    classes.push_back(classes.back() + 1.0f);
    labels.emplace_back("RF");
  }
  for (int k = 1; k <= static_cast<int>(classes.size()) && k < 256; ++k) {
    palette.getRGB(k, colors.rgb[k]);
    colors.shown[k] = true;
    // no change is no news: the class about zero of a difference stays the page, a gap on the bar
    if (NidsFile::isDPrecDiff(info.getProduct()) && k < static_cast<int>(classes.size()) &&
        classes[k - 1] < 0 && classes[k] > 0)
      colors.rgb[k] = RGB(1, 1, 1), colors.shown[k] = false;
  }
  setColors(plot, std::min<int>(static_cast<int>(classes.size()), 255));
  if (withBar) imageplot::setClassBar(plot, classes, colors, units.c_str(), labels);
  canvas.draw(plot, colors);
  if (dataOnly) return 1;
  if (keys.map) MapPlot().draw(plot);
  drawMarks(plot);
  plot.setLabel("ul", infoLabel().c_str());
  String when;
  Timezone tz;
  if (!keys.zone.empty()) tz.set(keys.zone.c_str());
  DateTool::createLabel(info.getDate(), tz, when);
  plot.setLabel("ur", when.get());
  if (files.size() == 1 && table) plot.setLabel("ll", info.getMisc());
  if (!plot.getDate().isSet()) plot.setDate(info.getDate());
  plot.done();
  return 1;
}

void NidsPlot::print()
{
  std::printf("NidsPlot\n");
  for (const std::string& f : files) std::printf("File: %s\n", f.c_str());
  std::printf("Label: %s\nUnits: %s\nBar: %d\nMap: %d\nParams: %s\n", infoLabel().c_str(),
              units.c_str(), keys.bar ? 1 : 0, keys.map ? 1 : 0, params.c_str());
}

}  // namespace KOL
