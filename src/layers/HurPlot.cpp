#include "layers/HurPlot.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

namespace {

constexpr int DASHED = 2;

EarthPoint earth(double lat, double lon)
{
  return EarthPoint(static_cast<float>(lat), static_cast<float>(lon));
}

// "YYYY-MM-DDTHH:MM..." as a time; -1 when it is not one.
std::time_t isoTime(const std::string& iso)
{
  int y, mo, d, h, mi;
  if (std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d", &y, &mo, &d, &h, &mi) != 5) return -1;
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", y, mo, d, h, mi);
  return overlay::parseDate(text);
}

}  // namespace

const char* HurPlot::intensityColor(int kt)
{
  if (kt == Const::MISS) return "grey08";
  return kt < 34 ? "deepskyblue" : kt < 64 ? "green" : kt < 96 ? "red" : "magenta";
}

const char* HurPlot::radiiColor(const std::string& kt)
{
  return kt == "64" ? "red" : kt == "50" ? "darkorange" : "goldenrod";
}

std::pair<double, double> HurPlot::offset(double lat, double lon, double nm, double bearing)
{
  const double b = bearing * M_PI / 180, deg = nm / 60.0;
  const double c = std::max(std::cos(lat * M_PI / 180), 0.01);
  return {lat + deg * std::cos(b), lon + deg * std::sin(b) / c};
}

void HurPlot::init()
{
  track.init();
  advisories.clear();
  radii = true;
  keys.init("color_watch");
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int HurPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (keys.read(k)) continue;
    if (StrLib::iequal(k, "noradii")) radii = false;
  }
  if (!keys.input.empty()) setFilename(keys.input.c_str());
  return 1;
}

int HurPlot::read(const char* name)
{
  TextProductFile file;
  if (!file.open(name)) return 0;
  if (track.parse(file.getText())) return 1;
  TextProduct p;
  int n = 0;
  while (file.read(p)) {
    TropicalProduct t;
    if (TropicalProduct::isTropical(p) && t.parse(p) && t.center.located) {
      advisories.push_back(t);
      ++n;
    }
  }
  if (!n) Kol::outWarning("HurPlot: no best track or forecast/advisory in %s\n", name ? name : "");
  // advisories in the order of their times, whatever the order of the files
  std::stable_sort(advisories.begin(), advisories.end(),
                   [](const TropicalProduct& a, const TropicalProduct& b) {
                     return a.center.valid < b.center.valid;
                   });
  return n > 0;
}

int HurPlot::setFilename(const char* name)
{
  track.init();
  advisories.clear();
  return read(name);
}

int HurPlot::addFile(const char* name) { return read(name); }

int HurPlot::setFilename(Date& d)
{
  const std::string name = keys.fileAt(d, "trp_dat");
  return !name.empty() && setFilename(name.c_str());
}

std::vector<const TropicalProduct*> HurPlot::shown() const
{
  std::vector<const TropicalProduct*> out;
  for (const auto& a : advisories)
    if (keys.valid < 0 || isoTime(a.center.valid) <= keys.valid) out.push_back(&a);
  return out;
}

std::vector<const TropicalProduct::Forecast*> HurPlot::ahead(const TropicalProduct& a) const
{
  std::vector<const TropicalProduct::Forecast*> out;
  const std::time_t from = isoTime(a.center.valid);
  for (const auto& f : a.forecasts) {
    if (!f.fix.located) continue;
    if (keys.hours >= 0 && isoTime(f.fix.valid) - from > 3600L * keys.hours) continue;
    out.push_back(&f);
  }
  return out;
}

int HurPlot::getDomain(Domain& d)
{
  overlay::Bounds b;
  for (const auto& r : track.records) b.add(r.lat, r.lon);
  const auto list = shown();
  for (const TropicalProduct* a : list) {
    b.add(a->center.lat, a->center.lon);
    for (const auto* f : ahead(*a)) b.add(f->fix.lat, f->fix.lon);
  }
  if (!list.empty())
    for (const auto& [kt, r] : list.back()->radii)
      b.add(list.back()->center.lat, list.back()->center.lon,
            *std::max_element(r.begin(), r.end()) / 60.0);
  return b.domain(d, 1.3, 20.0, true);
}

void HurPlot::drawFix(Plot& plot, double lat, double lon, const char* color, float size)
{
  Point p;
  EarthPoint e = earth(lat, lon);
  if (!plot.getDomain().tran(e, p)) return;
  Points ring;
  for (int k = 0; k <= 12; ++k)
    ring.add(Point(p.x + size * std::cos(k * M_PI / 6), p.y + size * std::sin(k * M_PI / 6)));
  plot.setFillColor(color);
  plot.drawFill(ring);
}

// Each speed's radii quadrant by quadrant: arcs at the quadrant's radius, joined radially.
void HurPlot::drawRadii(Plot& plot, double lat, double lon, const TropicalProduct::Radii& rr,
                        const std::string& speed)
{
  for (const auto& [kt, r] : rr) {
    if (kt != speed) continue;
    EarthPoints outline;
    for (int q = 0; q < 4; ++q)
      for (int k = 0; k <= 9; ++k) {
        const auto [y, x] = offset(lat, lon, r[static_cast<size_t>(q)], 90.0 * q + 10.0 * k);
        outline.add(earth(y, x));
      }
    outline.add(outline[0]);
    const char* color = keys.color(radiiColor(kt));
    if (keys.fill) {
      plot.setFillColor(color);
      plot.drawFill(outline);
    }
    plot.setLineColor(color);
    plot.setLineWidth(2);
    plot.drawLine(outline);
  }
}

void HurPlot::drawTrack(Plot& plot, float size)
{
  EarthPoints line;
  std::vector<size_t> fixes;
  for (size_t i : track.track())
    if (keys.valid < 0 || overlay::parseDate(track.records[i].time.c_str()) <= keys.valid)
      fixes.push_back(i);
  for (size_t i : fixes) line.add(earth(track.records[i].lat, track.records[i].lon));
  plot.setLineColor(keys.color("grey04"));
  plot.setLineWidth(1);
  if (line.getNum() > 1) plot.drawLine(line);
  for (size_t i : fixes) {
    const auto& r = track.records[i];
    drawFix(plot, r.lat, r.lon, keys.color(intensityColor(r.vmax_kt)), size);
  }
  const auto& first = track.records.front();
  plot.setLabel(
      "ul",
      (first.basin + std::to_string(first.cyclone) + " " + first.name + " best track").c_str());
}

// The centres of the advisories, the latest one's forecast track and radii, labelled.
void HurPlot::drawAdvisories(Plot& plot, float size)
{
  const auto list = shown();
  if (list.empty()) return;
  const TropicalProduct& last = *list.back();
  const auto points = ahead(last);
  // the radii first, weakest winds under the stronger, so that the track stays on top
  for (const char* kt : {"34", "50", "64"})
    if (radii) {
      drawRadii(plot, last.center.lat, last.center.lon, last.radii, kt);
      for (const auto* f : points) drawRadii(plot, f->fix.lat, f->fix.lon, f->radii, kt);
    }
  EarthPoints centres;
  for (const TropicalProduct* a : list) centres.add(earth(a->center.lat, a->center.lon));
  plot.setLineColor(keys.color("grey04"));
  plot.setLineWidth(1);
  if (centres.getNum() > 1) plot.drawLine(centres);
  EarthPoints future;
  future.add(earth(last.center.lat, last.center.lon));
  for (const auto* f : points) future.add(earth(f->fix.lat, f->fix.lon));
  plot.setLineStyle(DASHED);
  if (future.getNum() > 1) plot.drawLine(future);
  plot.setLineStyle(1);
  for (const TropicalProduct* a : list)
    drawFix(plot, a->center.lat, a->center.lon, keys.color(intensityColor(a->max_wind_kt)), size);
  for (const auto* f : points) {
    drawFix(plot, f->fix.lat, f->fix.lon, keys.color(intensityColor(f->max_wind_kt)), size);
    if (!keys.labels) continue;
    const std::time_t t = isoTime(f->fix.valid);
    const std::string when =
        t >= 0 ? keys.clock(t, true) : std::to_string(f->fix.day) + "/" + f->fix.hhmm + "Z";
    char text[64];
    if (keys.shortLabels)
      std::snprintf(text, sizeof text, " %s", when.c_str());
    else
      std::snprintf(text, sizeof text, " %s %d kt", when.c_str(), f->max_wind_kt);
    keys.label(plot, earth(f->fix.lat, f->fix.lon), text, "grey00");
  }
  char title[96];
  std::snprintf(title, sizeof title, "%s %s advisory %d", last.storm_type.c_str(),
                last.storm_name.c_str(), last.advisory_number);
  plot.setLabel("ul", title);
  const std::time_t t = isoTime(last.center.valid);
  plot.setLabel("ur", t >= 0 ? keys.validLabel(t).c_str() : last.center.valid.c_str());
}

int HurPlot::draw(Plot& plot)
{
  if (track.records.empty() && advisories.empty()) return 0;
  keys.begin(plot);
  const float size = keys.textHeight(plot, 0.008f);
  plot.setTextAlign(1, 3);
  plot.setTextHeight(keys.textHeight(plot, 0.016f));
  if (!track.records.empty()) drawTrack(plot, size);
  drawAdvisories(plot, size);
  plot.setLineWidth(1);
  plot.done();
  return 1;
}

void HurPlot::print()
{
  track.print();
  for (const auto& a : advisories) a.print();
}

}  // namespace KOL
