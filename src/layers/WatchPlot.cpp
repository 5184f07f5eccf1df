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
  keys.init("color_watch");
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int WatchPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    keys.read(k);
  }
  if (!keys.input.empty()) setFilename(keys.input.c_str());
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

int WatchPlot::setFilename(Date& d)
{
  const std::string name = keys.fileAt(d, "wat_dat");
  return !name.empty() && setFilename(name.c_str());
}

std::time_t WatchPlot::resolve(const std::string& ddhhmm, std::time_t near)
{
  if (ddhhmm.size() != 6 || near < 0) return -1;
  std::tm u{};
  gmtime_r(&near, &u);
  u.tm_mday = std::atoi(ddhhmm.substr(0, 2).c_str());
  u.tm_hour = std::atoi(ddhhmm.substr(2, 2).c_str());
  u.tm_min = std::atoi(ddhhmm.substr(4, 2).c_str());
  u.tm_sec = 0;
  std::time_t best = -1;
  for (int m : {-1, 0, 1}) {
    std::tm v = u;
    v.tm_mon += m;
    const std::time_t t = timegm(&v);
    if (best < 0 || std::llabs(t - near) < std::llabs(best - near)) best = t;
  }
  return best;
}

std::vector<const WatchProduct*> WatchPlot::drawn() const
{
  std::vector<const WatchProduct*> out;
  for (const auto& w : watches) {
    if (keys.valid >= 0) {
      const std::time_t b = resolve(w.valid_begin, keys.valid),
                        e = resolve(w.valid_end, keys.valid);
      if ((b >= 0 && keys.valid < b) || (e >= 0 && keys.valid >= e)) continue;
    }
    out.push_back(&w);
  }
  return out;
}

int WatchPlot::getDomain(Domain& d)
{
  overlay::Bounds b;
  for (const WatchProduct* w : drawn())
    for (const auto& [lat, lon] : w->box) b.add(lat, lon);
  return b.domain(d, 1.5, 20.0);
}

int WatchPlot::draw(Plot& plot)
{
  keys.begin(plot);
  const float height = keys.textHeight(plot, 0.02f);
  const auto list = drawn();
  for (const WatchProduct* wp : list) {
    const WatchProduct& w = *wp;
    EarthPoints box;
    double lat = 0, lon = 0;
    for (const auto& [y, x] : w.box) {
      box.add(EarthPoint(static_cast<float>(y), static_cast<float>(x)));
      lat += y / w.box.size(), lon += x / w.box.size();
    }
    box.add(box[0]);
    const char* color = keys.color(colorOf(w.watch_type));
    if (keys.fill) {
      plot.setFillColor(color);
      plot.drawFill(box);
    }
    plot.setLineColor(color);
    plot.setLineWidth(2);
    plot.drawLine(box);
    if (!keys.labels) continue;
    char text[64];
    const std::string& end = w.valid_end;
    const std::time_t t = resolve(end, keys.valid);
    const std::string until = t >= 0           ? keys.clock(t)
                              : end.size() > 2 ? end.substr(0, 2) + "/" + end.substr(2) + "Z"
                                               : end;
    if (keys.shortLabels)
      std::snprintf(text, sizeof text, "WW %d", w.watch_number);
    else
      std::snprintf(text, sizeof text, "WW %d %s\nto %s", w.watch_number,
                    w.watch_type == "TORNADO" ? "TOR" : "SVR", until.c_str());
    plot.setTextAlign(2, 3);
    plot.setTextHeight(height);
    keys.label(plot, EarthPoint(static_cast<float>(lat), static_cast<float>(lon)), text,
               keys.fill ? "grey00" : color);
  }
  plot.setLineWidth(1);
  char count[48];
  std::snprintf(count, sizeof count, "Watches in force: %zu", list.size());
  plot.setLabel("ul", count);
  if (keys.valid >= 0) plot.setLabel("ur", keys.validLabel(keys.valid).c_str());
  plot.done();
  return 1;
}

void WatchPlot::print()
{
  for (const auto& w : watches) w.print();
}

}  // namespace KOL
