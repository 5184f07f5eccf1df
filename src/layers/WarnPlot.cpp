#include "layers/WarnPlot.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/WarnProduct.h"

namespace KOL {

namespace {

// Event colours of the NWS hazard maps, darkened where they would vanish on a white page.
struct Hazard {
  const char* code;
  const char* color;
};
const Hazard HAZARDS[] = {
    {"TO.W", "red"},
    {"SV.W", "orange"},
    {"FF.W", "darkred"},
    {"FA.W", "green"},
    {"FL.W", "green"},
    {"MA.W", "darkorange"},
    {"SQ.W", "mediumvioletred"},
    {"DS.W", "burlywood"},
    {"EW.W", "darkorange"},
    {"TO.A", "gold"},
    {"SV.A", "palevioletred"},
    {"FF.A", "seagreen"},
    {"FA.A", "seagreen"},
    {"FL.A", "seagreen"},
    {"WS.W", "hotpink"},
    {"HU.W", "firebrick"},
    {"TR.W", "firebrick"},
    {"SS.W", "mediumorchid"},
};

// When a product's event starts, or (for a statement on one in effect) when the product was
// issued: the heading's day, hour and minute in the month of the event's end.
std::time_t issued(const WarnProduct& w, const Vtec& v)
{
  if (std::time_t b = Vtec::seconds(v.begin); b >= 0) return b;
  const std::time_t end = Vtec::seconds(v.end);
  if (end < 0 || w.head.ddhhmm.size() != 6) return -1;
  std::tm u{};
  gmtime_r(&end, &u);
  const int day = std::atoi(w.head.ddhhmm.substr(0, 2).c_str());
  if (day > u.tm_mday + 1) u.tm_mon -= 1;  // the end is in the next month
  u.tm_mday = day;
  u.tm_hour = std::atoi(w.head.ddhhmm.substr(2, 2).c_str());
  u.tm_min = std::atoi(w.head.ddhhmm.substr(4, 2).c_str());
  u.tm_sec = 0;
  return timegm(&u);
}

}  // namespace

const char* WarnPlot::colorOf(const std::string& phen, char sig)
{
  const std::string code = phen + "." + sig;
  for (const Hazard& h : HAZARDS)
    if (code == h.code) return h.color;
  return sig == 'W' ? "magenta" : sig == 'A' ? "goldenrod" : sig == 'Y' ? "sienna" : "grey08";
}

void WarnPlot::init()
{
  events.init();
  phenomena.clear();
  latest = -1;
  keys.init("color_warn");
  if (const char* t = Kol::resrc.get("type"); StrLib::valid(t)) phenomena = overlay::words(t);
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int WarnPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (keys.read(k)) continue;
    if (!strncasecmp(k, "ty=", 3)) phenomena = overlay::words(k + 3);
  }
  if (!keys.input.empty()) setFilename(keys.input.c_str());
  return 1;
}

int WarnPlot::read(const char* name)
{
  TextProductFile file;
  if (!file.open(name)) return 0;
  TextProduct p;
  int n = 0;
  while (file.read(p)) {
    WarnProduct w;
    if (!w.parse(p)) continue;
    events.add(w);
    for (const auto& s : w.segments)
      for (const auto& v : s.vtec) latest = std::max(latest, issued(w, v));
    ++n;
  }
  if (!n) Kol::outWarning("WarnPlot: no warning product in %s\n", name ? name : "");
  return n > 0;
}

int WarnPlot::setFilename(const char* name)
{
  events.init();
  latest = -1;
  return read(name);
}

int WarnPlot::addFile(const char* name) { return read(name); }

int WarnPlot::setFilename(Date& d)
{
  const std::string name = keys.fileAt(d, "sev_txt");
  return !name.empty() && setFilename(name.c_str());
}

std::vector<const WarnEvents::Event*> WarnPlot::drawn() const
{
  std::vector<const WarnEvents::Event*> out;
  const std::time_t t = getValidTime();
  for (const WarnEvents::Event* e : events.validAt(t)) {
    if (e->polygon.size() < 2) continue;
    if (keys.minutes > 0 && (e->begin < 0 || e->begin < t - 60L * keys.minutes)) continue;
    if (!phenomena.empty() &&
        std::find(phenomena.begin(), phenomena.end(), e->phenomena) == phenomena.end())
      continue;
    out.push_back(e);
  }
  return out;
}

int WarnPlot::getDomain(Domain& d)
{
  overlay::Bounds b;
  for (const WarnEvents::Event* ev : drawn())
    for (const auto& [lat, lon] : ev->polygon) b.add(lat, lon);
  return b.domain(d, 1.6, 15.0);
}

int WarnPlot::getDate(Date& d)
{
  const std::time_t t = getValidTime();
  if (t < 0) return 0;
  d.set(static_cast<long>(t));
  return 1;
}

void WarnPlot::label(Plot& plot, const WarnEvents::Event& e, float height)
{
  double lat = 0, lon = 0;
  for (const auto& [y, x] : e.polygon) lat += y, lon += x;
  EarthPoint c(static_cast<float>(lat / e.polygon.size()),
               static_cast<float>(lon / e.polygon.size()));
  char text[64];
  if (keys.shortLabels || e.end < 0)
    std::snprintf(text, sizeof text, "%s %c", e.phenomena.c_str(), e.significance);
  else
    std::snprintf(text, sizeof text, "%s %c %d\nto %s", e.phenomena.c_str(), e.significance, e.etn,
                  keys.clock(e.end).c_str());
  plot.setTextAlign(2, 3);
  plot.setTextHeight(height);
  // over a filled polygon the label is dark
  keys.label(plot, c, text,
             keys.fill ? "grey00" : keys.color(colorOf(e.phenomena, e.significance)));
}

int WarnPlot::draw(Plot& plot)
{
  keys.begin(plot);
  const float height = keys.textHeight(plot, 0.02f);
  const auto list = drawn();
  for (const WarnEvents::Event* e : list) {
    EarthPoints pts;
    for (const auto& [lat, lon] : e->polygon)
      pts.add(EarthPoint(static_cast<float>(lat), static_cast<float>(lon)));
    pts.add(pts[0]);  // the text leaves the ring open
    const char* color = keys.color(colorOf(e->phenomena, e->significance));
    if (keys.fill) {
      plot.setFillColor(color);
      plot.drawFill(pts);
    }
    plot.setLineColor(color);
    plot.setLineWidth(2);
    plot.drawLine(pts);
    if (keys.labels) label(plot, *e, height);
  }
  plot.setLineWidth(1);
  char count[64];
  std::snprintf(count, sizeof count, "Warnings in force: %zu", list.size());
  plot.setLabel("ul", count);
  if (const std::time_t t = getValidTime(); t >= 0) plot.setLabel("ur", keys.validLabel(t).c_str());
  plot.done();
  return 1;
}

void WarnPlot::print() { events.print(); }

}  // namespace KOL
