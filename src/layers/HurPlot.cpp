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
  labels = radii = map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int HurPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (StrLib::iequal(k, "nolabel"))
      labels = false;
    else if (StrLib::iequal(k, "noradii"))
      radii = false;
  }
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

int HurPlot::getDomain(Domain& d)
{
  double s = 90, n = -90, w = 360, e = -360;
  auto add = [&](double lat, double lon, double nm) {
    const double r = nm / 60.0;
    s = std::min(s, lat - r), n = std::max(n, lat + r), w = std::min(w, lon - r),
    e = std::max(e, lon + r);
  };
  for (const auto& r : track.records) add(r.lat, r.lon, 0);
  for (const auto& a : advisories) {
    add(a.center.lat, a.center.lon, 0);
    for (const auto& f : a.forecasts)
      if (f.fix.located) add(f.fix.lat, f.fix.lon, 0);
  }
  if (!advisories.empty())
    for (const auto& [kt, r] : advisories.back().radii)
      add(advisories.back().center.lat, advisories.back().center.lon,
          *std::max_element(r.begin(), r.end()));
  if (s > n) return 0;
  const double clat = (s + n) / 2, clon = (w + e) / 2;
  const double km =
      std::max((n - s) * 111.0 / 16, (e - w) * 111.0 * std::cos(clat * M_PI / 180) / 24);
  const double dx = std::max(km * 1.3, 20.0) / 100;
  char text[160];
  std::snprintf(text, sizeof text, "merc:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clon, clat, clon, dx, dx);
  return DomainTool::decode(d, text);
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
void HurPlot::drawRadii(Plot& plot, double lat, double lon, const TropicalProduct::Radii& rr)
{
  for (const auto& [kt, r] : rr) {
    EarthPoints outline;
    for (int q = 0; q < 4; ++q)
      for (int k = 0; k <= 9; ++k) {
        const auto [y, x] = offset(lat, lon, r[static_cast<size_t>(q)], 90.0 * q + 10.0 * k);
        outline.add(earth(y, x));
      }
    outline.add(outline[0]);
    plot.setLineColor(radiiColor(kt));
    plot.setLineWidth(2);
    plot.drawLine(outline);
  }
}

int HurPlot::draw(Plot& plot)
{
  if (track.records.empty() && advisories.empty()) return 0;
  if (map) MapPlot().draw(plot);
  const float vert = plot.getDomain().getVert();
  const float size = 0.008f * vert * scale;
  plot.setTextAlign(1, 3);
  plot.setTextHeight(0.016f * vert * scale);
  if (!track.records.empty()) {
    EarthPoints line;
    const auto fixes = track.track();
    for (size_t i : fixes) line.add(earth(track.records[i].lat, track.records[i].lon));
    plot.setLineColor("grey04");
    plot.setLineWidth(1);
    plot.drawLine(line);
    for (size_t i : fixes) {
      const auto& r = track.records[i];
      drawFix(plot, r.lat, r.lon, intensityColor(r.vmax_kt), size);
    }
    const auto& first = track.records.front();
    plot.setLabel(
        "ul",
        (first.basin + std::to_string(first.cyclone) + " " + first.name + " best track").c_str());
  }
  if (!advisories.empty()) {
    EarthPoints centres;
    for (const auto& a : advisories) centres.add(earth(a.center.lat, a.center.lon));
    plot.setLineColor("grey04");
    plot.drawLine(centres);
    const TropicalProduct& last = advisories.back();
    EarthPoints ahead;
    ahead.add(earth(last.center.lat, last.center.lon));
    for (const auto& f : last.forecasts)
      if (f.fix.located) ahead.add(earth(f.fix.lat, f.fix.lon));
    plot.setLineStyle(DASHED);
    plot.drawLine(ahead);
    plot.setLineStyle(1);
    if (radii) {
      drawRadii(plot, last.center.lat, last.center.lon, last.radii);
      for (const auto& f : last.forecasts)
        if (f.fix.located) drawRadii(plot, f.fix.lat, f.fix.lon, f.radii);
    }
    for (const auto& a : advisories)
      drawFix(plot, a.center.lat, a.center.lon, intensityColor(a.max_wind_kt), size);
    for (const auto& f : last.forecasts) {
      if (!f.fix.located) continue;
      drawFix(plot, f.fix.lat, f.fix.lon, intensityColor(f.max_wind_kt), size);
      if (!labels) continue;
      char text[48];
      std::snprintf(text, sizeof text, " %02d/%sZ %d kt", f.fix.day, f.fix.hhmm.c_str(),
                    f.max_wind_kt);
      plot.setTextColor("grey00");
      plot.drawText(earth(f.fix.lat, f.fix.lon), text);
    }
    char title[96];
    std::snprintf(title, sizeof title, "%s %s advisory %d", last.storm_type.c_str(),
                  last.storm_name.c_str(), last.advisory_number);
    plot.setLabel("ul", title);
    plot.setLabel("ur", last.center.valid.c_str());
  }
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
