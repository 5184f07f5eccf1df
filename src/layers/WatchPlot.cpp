#include "layers/WatchPlot.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

const char* WatchPlot::colorOf(const std::string& type)
{
  return type == "TORNADO" ? "red" : "blue";
}

void WatchPlot::init()
{
  watches.clear();
  fill = false;
  labels = map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int WatchPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (StrLib::iequal(k, "fill"))
      fill = true;
    else if (StrLib::iequal(k, "nolabel"))
      labels = false;
  }
  return 1;
}

int WatchPlot::read(const char* name)
{
  TextProductFile file;
  if (!file.open(name)) return 0;
  TextProduct p;
  int n = 0;
  while (file.read(p)) {
    WatchProduct w;
    if (p.type() != "SAW" || !w.parse(p)) continue;
    ++n;
    auto gone = [&](const WatchProduct& o) {
      return o.watch_number == w.watch_number ||
             std::find(w.replaces.begin(), w.replaces.end(), o.watch_number) != w.replaces.end();
    };
    watches.erase(std::remove_if(watches.begin(), watches.end(), gone), watches.end());
    if (!w.cancelled && w.box.size() >= 3) watches.push_back(w);
  }
  if (!n) Kol::outWarning("WatchPlot: no watch (SAW) in %s\n", name ? name : "");
  return n > 0;
}

int WatchPlot::setFilename(const char* name)
{
  watches.clear();
  return read(name);
}

int WatchPlot::addFile(const char* name) { return read(name); }

int WatchPlot::getDomain(Domain& d)
{
  double s = 90, n = -90, w = 360, e = -360;
  for (const auto& wt : watches)
    for (const auto& [lat, lon] : wt.box)
      s = std::min(s, lat), n = std::max(n, lat), w = std::min(w, lon), e = std::max(e, lon);
  if (s > n) return 0;
  const double clat = (s + n) / 2, clon = (w + e) / 2;
  const double km =
      std::max((n - s) * 111.0 / 16, (e - w) * 111.0 * std::cos(clat * M_PI / 180) / 24);
  const double dx = std::max(km * 1.5, 20.0) / 100;
  char text[160];
  std::snprintf(text, sizeof text, "lamb:%.2f:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clat, clon, clat,
                clon, dx, dx);
  return DomainTool::decode(d, text);
}

int WatchPlot::draw(Plot& plot)
{
  if (map) MapPlot().draw(plot);
  const float height = 0.02f * plot.getDomain().getVert() * scale;
  for (const auto& w : watches) {
    EarthPoints box;
    double lat = 0, lon = 0;
    for (const auto& [y, x] : w.box) {
      box.add(EarthPoint(static_cast<float>(y), static_cast<float>(x)));
      lat += y / w.box.size(), lon += x / w.box.size();
    }
    box.add(box[0]);
    const char* color = colorOf(w.watch_type);
    if (fill) {
      plot.setFillColor(color);
      plot.drawFill(box);
    }
    plot.setLineColor(color);
    plot.setLineWidth(2);
    plot.drawLine(box);
    if (!labels) continue;
    char text[64];
    const std::string& end = w.valid_end;
    std::snprintf(text, sizeof text, "WW %d %s\nto %s/%sZ", w.watch_number,
                  w.watch_type == "TORNADO" ? "TOR" : "SVR", end.substr(0, 2).c_str(),
                  end.size() > 2 ? end.substr(2).c_str() : "");
    plot.setTextColor(fill ? "grey00" : color);
    plot.setTextAlign(2, 3);
    plot.setTextHeight(height);
    plot.drawText(EarthPoint(static_cast<float>(lat), static_cast<float>(lon)), text);
  }
  plot.setLineWidth(1);
  char count[48];
  std::snprintf(count, sizeof count, "Watches in force: %zu", watches.size());
  plot.setLabel("ul", count);
  plot.done();
  return 1;
}

void WatchPlot::print()
{
  for (const auto& w : watches) w.print();
}

}  // namespace KOL
