#include "layers/Lev2Plot.h"

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
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "imagery/Image.h"
#include "imagery/Lev2File.h"
#include "imagery/NidsImage.h"
#include "layers/image/ImageBar.h"
#include "layers/image/RadarMarks.h"
#include "layers/lev2plot/SweepPaint.h"
#include "obs/CityData.h"
#include "obs/CityTool.h"

namespace KOL {

namespace {

constexpr const char* DEFAULT_CONV = "lev2";
constexpr float DEFAULT_RING_KM = 50.0f;
constexpr int DEFAULT_COMP = 2;
constexpr float CLUTTER_CORRELATION = 0.7f;
constexpr int DOMAIN_POINTS = 1001;
// Cuts of one elevation differ by less than this (degrees).
constexpr float SAME_ELEVATION = 0.25f;
constexpr const char* OVERLAY_COLOR = "grey04";

std::string upper(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool keyIs(const std::string& field, const char* key)
{
  const size_t n = std::strlen(key);
  return StrLib::iequal(field.substr(0, n).c_str(), key) && (field.size() == n || field[n] == '=');
}

std::vector<float> limitList(const std::string& text)
{
  std::vector<float> out;
  for (const char* p = text.c_str(); *p;) {
    char* end;
    const float v = std::strtof(p, &end);
    if (end == p) break;
    out.push_back(v);
    p = *end ? end + 1 : end;
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

void Lev2Plot::init()
{
  file.clear();
  conv = DEFAULT_CONV;
  id.clear();
  tz.clear();
  moment = "REF";
  colorMoment.clear();
  limits.clear();
  elev = lat = lon = Const::FMISS;
  ringKm = 0;
  rangeKm = minCorrelation = 0;
  cutNumber = comp = 0;
  hours = 1;
  siteLabel = false;
  rings = bar = map = true;
  site.clear();
  date.init();
  cuts.clear();
  scale = lev2plot::scaleOf(moment);
  colors = imageplot::CodeColors();
  if (const char* v = Kol::resrc.get("variable"); StrLib::valid(v)) setMoment(v);
  if (const char* v = Kol::resrc.get("identifier"); StrLib::valid(v)) id = upper(v);
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

void Lev2Plot::setMoment(const char* text)
{
  std::string v = text ? text : "";
  if (const size_t colon = v.find(':'); colon != std::string::npos) {
    setElevation(std::strtof(v.c_str() + colon + 1, nullptr));
    v.erase(colon);
  }
  if (!v.empty()) moment = upper(v);
}

int Lev2Plot::setNameConv(const char* c)
{
  if (StrLib::valid(c)) conv = c;
  return 1;
}

int Lev2Plot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const std::string v = PlotParams::valueOf(f, f.size());
    if (keyIs(f, "fi"))
      file = v;
    else if (keyIs(f, "in") || keyIs(f, "nc"))
      setNameConv(v.c_str());
    else if (keyIs(f, "ho"))
      hours = std::max(0, std::atoi(v.c_str()));
    else if (keyIs(f, "id"))
      id = upper(v);
    else if (keyIs(f, "tz"))
      tz = v;
    else if (keyIs(f, "ct"))
      limits = limitList(v);
    else if (keyIs(f, "cof"))
      colorMoment = upper(v);
    else if (keyIs(f, "va"))
      setMoment(v.c_str());
    else if (keyIs(f, "comp"))
      comp = v.empty() ? DEFAULT_COMP : std::max(1, std::atoi(v.c_str()));
    else if (keyIs(f, "site"))
      siteLabel = v != "0";
    else if (keyIs(f, "dist"))
      rings = true, ringKm = v.empty() ? ringKm : std::strtof(v.c_str(), nullptr);
    else if (keyIs(f, "nodist"))
      rings = false;
    else if (keyIs(f, "range"))
      rangeKm = std::max(0.0f, std::strtof(v.c_str(), nullptr));
    else if (keyIs(f, "graph"))
      bar = true;
    else if (keyIs(f, "nograph"))
      bar = false;
    else if (keyIs(f, "map"))
      map = v != "0";
    else if (keyIs(f, "nomap"))
      map = false;
    else if (keyIs(f, "clutter"))
      minCorrelation = 0;
    else if (keyIs(f, "noclutter"))
      minCorrelation = CLUTTER_CORRELATION;
  }
  return 1;
}

// The cuts to draw: the named one, the one at the elevation, the lowest N elevations of a
// composite, or the lowest cut holding the moment.
int Lev2Plot::pickCuts(const Lev2File& f)
{
  cuts.clear();
  int first = -1;
  if (cutNumber > 0)
    first = f.getCut(cutNumber) && f.getCut(cutNumber)->findMoment(moment.c_str()) >= 0 ? cutNumber
                                                                                        : -1;
  else if (!Const::isMiss(elev))
    first = f.findCut(moment.c_str(), elev);
  else
    for (int c = 1; c <= f.getNumCuts() && first < 0; ++c)
      if (f.getCut(c)->findMoment(moment.c_str()) >= 0) first = c;
  if (first < 0) return 0;
  const int wanted = comp > 0 && cutNumber == 0 && Const::isMiss(elev) ? comp : 1;
  for (int c = first; c <= f.getNumCuts() && static_cast<int>(cuts.size()) < wanted; ++c) {
    const Lev2Data& d = *f.getCut(c);
    if (d.findMoment(moment.c_str()) < 0) continue;
    // one cut per elevation: the first that holds the moment
    if (!cuts.empty() && std::fabs(d.getElevation() - cuts.back().getElevation()) < SAME_ELEVATION)
      continue;
    cuts.push_back(d);
    cuts.back().setMoment(moment.c_str());
  }
  return 1;
}

// The radar's position: the volume's own, else the station table's entry for the radar (the
// -id, the volume header's or the file name's first four letters).
void Lev2Plot::findSite(const char* name)
{
  const Lev2Data& d = cuts.front();
  site = !d.getIcao().empty() ? d.getIcao() : id;
  lat = d.getLat(), lon = d.getLon();
  if (!Const::isMiss(lat) && !Const::isMiss(lon)) return;
  std::string key = !id.empty() ? id : site;
  if (key.empty() && name) {
    const char* base = std::strrchr(name, '/');
    key = upper(std::string(base ? base + 1 : name).substr(0, 4));
  }
  String table;
  CityData c;
  if (!key.empty() && CityTool::getFilename(nullptr, table) &&
      CityTool::search(table.get(), key.c_str(), c))
    lat = c.lat, lon = c.lon, site = key;
  else
    Kol::outWarning("Lev2Plot: no position for radar %s\n",
                    key.empty() ? "(unnamed)" : key.c_str());
}

int Lev2Plot::setFilename(const char* name)
{
  cuts.clear();
  file = name ? name : "";
  Lev2File f;
  if (!f.open(file.c_str()) || !f.read()) return 0;
  if (!pickCuts(f)) {
    Kol::outWarning("Lev2Plot: %s has no %s sweep to draw\n", file.c_str(), moment.c_str());
    return 0;
  }
  date = f.getDate();
  scale = lev2plot::scaleOf(moment);
  if (!limits.empty()) scale.limits = limits;
  if (scale.limits.empty()) {
    Kol::outWarning("Lev2Plot: no classes for moment %s\n", moment.c_str());
    return 0;
  }
  findSite(name);
  return !Const::isMiss(lat) && !Const::isMiss(lon);
}

int Lev2Plot::setFilename(Date& d)
{
  // a volume named by file stays whatever the frame's date
  if (!file.empty() && !cuts.empty()) return 1;
  // the radar is the convention's key a ("lev2:a=KTLX")
  const std::string type =
      id.empty() || conv.find(':') != std::string::npos ? conv : conv + ":a=" + id;
  Filename f;
  // the newest volume at or before the date
  if (!f.setNameConv(type.c_str()) || !f.setFile(d, "la") || !StrLib::valid(f.getName())) {
    Kol::outWarning("Lev2Plot: no %s volume before the date\n", type.c_str());
    return 0;
  }
  Date found;
  if (f.getDate(found) && found.isSet() && d.isSet() &&
      d.getSeconds() - found.getSeconds() > hours * 3600L) {
    Kol::outWarning("Lev2Plot: no %s volume within %d hours\n", conv.c_str(), hours);
    return 0;
  }
  return setFilename(f.getName());
}

int Lev2Plot::setFilename() { return file.empty() ? 0 : setFilename(file.c_str()); }

float Lev2Plot::getMaxRangeKm() const
{
  float far = 0;
  for (const Lev2Data& d : cuts) {
    const Lev2Moment& m = d.getMoment(d.findMoment(moment.c_str()));
    far = std::max(far, (m.firstGate + m.gates * m.spacing) / 1000.0f);
  }
  return rangeKm > 0 ? std::min(rangeKm, far) : far;
}

int Lev2Plot::getDomain(Domain& d)
{
  if (cuts.empty()) return 0;
  DomainVal v;
  v.proj = 1;
  v.param[0] = 90.0f;
  // true scale at the radar: the rings and gates keep their distances on the map
  v.param[2] = lat;
  v.clat = lat;
  v.clon = v.param[1] = lon;
  v.nx = v.ny = DOMAIN_POINTS;
  v.dx = v.dy = 2.0f * getMaxRangeKm() / 100.0f / (DOMAIN_POINTS - 1);
  return d.set(v);
}

int Lev2Plot::getDate(Date& d)
{
  d = date;
  return !cuts.empty();
}

int Lev2Plot::getClass(float v) const
{
  if (!Lev2Data::isValue(v)) return 0;
  const float x = v * scale.factor;
  if (scale.limits.empty() || x < scale.limits.front()) return 0;
  return static_cast<int>(std::upper_bound(scale.limits.begin(), scale.limits.end(), x) -
                          scale.limits.begin());
}

// Rings every 50 km out to 250 km, beyond that every 100 km, unless dist names a spacing.
float Lev2Plot::getRingKm() const
{
  if (ringKm > 0) return ringKm;
  return getMaxRangeKm() > 5 * DEFAULT_RING_KM ? 2 * DEFAULT_RING_KM : DEFAULT_RING_KM;
}

std::vector<float> Lev2Plot::ringRadii() const
{
  std::vector<float> out;
  const float step = getRingKm();
  for (float r = step; rings && r <= getMaxRangeKm() + 1e-3f; r += step) out.push_back(r);
  return out;
}

void Lev2Plot::drawRings(Plot& plot) const
{
  imageplot::drawRings(plot, lat, lon, ringRadii(), OVERLAY_COLOR);
}

void Lev2Plot::drawSite(Plot& plot) const
{
  imageplot::drawSite(plot, lat, lon, siteLabel ? site : std::string(), OVERLAY_COLOR);
}

std::string Lev2Plot::infoLabel() const
{
  if (cuts.empty()) return "";
  char text[Plot::LABEL_SIZE];
  if (cuts.size() > 1)
    std::snprintf(text, sizeof text, "%s  %s  comp %zu", scale.label.c_str(), site.c_str(),
                  cuts.size());
  else
    std::snprintf(text, sizeof text, "%s  %s  El %.1f", scale.label.c_str(), site.c_str(),
                  static_cast<double>(cuts.front().getElevation()));
  return text;
}

int Lev2Plot::draw(Plot& plot)
{
  if (cuts.empty()) return 0;
  if (bar) plot.reserveBar();
  imageplot::Canvas canvas;
  if (!canvas.set(plot)) return 0;
  std::vector<lev2plot::SweepSource> sources;
  for (const Lev2Data& d : cuts)
    sources.push_back({&d, d.findMoment(moment.c_str()), d.findMoment("RHO")});
  lev2plot::PaintOptions o;
  o.maxRangeM = rangeKm * 1000.0f;
  o.minCorrelation = minCorrelation;
  o.lowestFirst = scale.folding;
  const int folded = getFoldedClass();
  lev2plot::paint(
      canvas.image(), lat, lon, sources, [this](float v) { return getClass(v); }, folded, o);
  canvas.coverNonzero();
  // the colours of the NIDS product of the quantity (or of the one cof names)
  const int product = colorMoment.empty() ? scale.product : lev2plot::scaleOf(colorMoment).product;
  Image table;
  NidsImage::setColors(product, scale.limits, table);
  colors = imageplot::CodeColors();
  std::vector<float> classes = scale.limits;
  std::vector<std::string> labels = imageplot::classLabels(classes);
  if (folded) classes.push_back(classes.back() + 1.0f), labels.emplace_back("RF");
  for (int k = 1; k <= static_cast<int>(classes.size()) && k < 256; ++k) {
    table.getRGB(k, colors.rgb[k]);
    colors.shown[k] = true;
  }
  if (bar) imageplot::setClassBar(plot, classes, colors, scale.units.c_str(), labels);
  canvas.draw(plot, colors);
  if (map) MapPlot().draw(plot);
  if (rings) drawRings(plot);
  drawSite(plot);
  plot.setLabel("ul", infoLabel().c_str());
  String when;
  DateTool::createLabel(date, Timezone(tz.empty() ? nullptr : tz.c_str()), when);
  plot.setLabel("ur", when.get());
  char misc[Plot::LABEL_SIZE];
  std::snprintf(misc, sizeof misc, "VCP %d  Cut %d  Rng=%.0f km  Rings %.0f km",
                cuts.front().getVcp(), cuts.front().getCut(), static_cast<double>(getMaxRangeKm()),
                static_cast<double>(rings ? getRingKm() : 0.0f));
  plot.setLabel("ll", misc);
  if (!plot.getDate().isSet()) plot.setDate(date);
  plot.done();
  return 1;
}

void Lev2Plot::print()
{
  std::printf("Lev2Plot\nFile: %s\nMoment: %s\nLabel: %s\nCuts: %zu\nSite: %s %.3f %.3f\n",
              file.c_str(), moment.c_str(), infoLabel().c_str(), cuts.size(), site.c_str(),
              static_cast<double>(lat), static_cast<double>(lon));
}

}  // namespace KOL
