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

std::time_t parseDate(const char* t)
{
  int y, mo, d, h, mi = 0;
  if (std::sscanf(t, "%4d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi) < 4) return -1;
  std::tm u{};
  u.tm_year = y - 1900;
  u.tm_mon = mo - 1;
  u.tm_mday = d;
  u.tm_hour = h;
  u.tm_min = mi;
  return timegm(&u);
}

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
  valid = latest = -1;
  fill = shortLabels = false;
  labels = map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int WarnPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (StrLib::iequal(k, "fill"))
      fill = true;
    else if (StrLib::iequal(k, "nolabel"))
      labels = false;
    else if (StrLib::iequal(k, "slabel"))
      labels = shortLabels = true;
    else if (!strncasecmp(k, "vdate=", 6))
      valid = parseDate(k + 6);
    else if (!strncasecmp(k, "ty=", 3)) {
      phenomena.clear();
      for (const char* s = k + 3; *s;) {
        const char* e = std::strchr(s, ':');
        phenomena.emplace_back(s, e ? static_cast<size_t>(e - s) : std::strlen(s));
        s = e ? e + 1 : s + std::strlen(s);
      }
    }
  }
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

std::vector<const WarnEvents::Event*> WarnPlot::drawn() const
{
  std::vector<const WarnEvents::Event*> out;
  for (const WarnEvents::Event* e : events.validAt(getValidTime())) {
    if (e->polygon.size() < 2) continue;
    if (!phenomena.empty() &&
        std::find(phenomena.begin(), phenomena.end(), e->phenomena) == phenomena.end())
      continue;
    out.push_back(e);
  }
  return out;
}

int WarnPlot::getDomain(Domain& d)
{
  double s = 90, n = -90, w = 360, e = -360;
  for (const WarnEvents::Event* ev : drawn())
    for (const auto& [lat, lon] : ev->polygon)
      s = std::min(s, lat), n = std::max(n, lat), w = std::min(w, lon), e = std::max(e, lon);
  if (s > n) return 0;
  const double clat = (s + n) / 2, clon = (w + e) / 2;
  const double km =
      std::max((n - s) * 111.0 / 16, (e - w) * 111.0 * std::cos(clat * M_PI / 180) / 24);
  char text[160];
  std::snprintf(text, sizeof text, "lamb:%.2f:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clat, clon, clat,
                clon, std::max(km * 1.6, 15.0) / 100, std::max(km * 1.6, 15.0) / 100);
  return DomainTool::decode(d, text);
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
  if (shortLabels || e.end < 0) {
    std::snprintf(text, sizeof text, "%s %c", e.phenomena.c_str(), e.significance);
  } else {
    std::tm u{};
    gmtime_r(&e.end, &u);
    std::snprintf(text, sizeof text, "%s %c %d\nto %02d%02dZ", e.phenomena.c_str(), e.significance,
                  e.etn, u.tm_hour, u.tm_min);
  }
  // over a filled polygon the label is dark
  plot.setTextColor(fill ? "grey00" : colorOf(e.phenomena, e.significance));
  plot.setTextAlign(2, 3);
  plot.setTextHeight(height);
  plot.drawText(c, text);
}

int WarnPlot::draw(Plot& plot)
{
  if (map) MapPlot().draw(plot);
  const float height = 0.02f * plot.getDomain().getVert() * scale;
  const auto list = drawn();
  for (const WarnEvents::Event* e : list) {
    EarthPoints pts;
    for (const auto& [lat, lon] : e->polygon)
      pts.add(EarthPoint(static_cast<float>(lat), static_cast<float>(lon)));
    pts.add(pts[0]);  // the text leaves the ring open
    const char* color = colorOf(e->phenomena, e->significance);
    if (fill) {
      plot.setFillColor(color);
      plot.drawFill(pts);
    }
    plot.setLineColor(color);
    plot.setLineWidth(2);
    plot.drawLine(pts);
    if (labels) label(plot, *e, height);
  }
  plot.setLineWidth(1);
  char count[64];
  std::snprintf(count, sizeof count, "Warnings in force: %zu", list.size());
  plot.setLabel("ul", count);
  if (const std::time_t t = getValidTime(); t >= 0) {
    std::tm u{};
    gmtime_r(&t, &u);
    char when[40];
    std::snprintf(when, sizeof when, "Valid %04d-%02d-%02d %02d:%02dZ", u.tm_year + 1900,
                  u.tm_mon + 1, u.tm_mday, u.tm_hour, u.tm_min);
    plot.setLabel("ur", when);
  }
  plot.done();
  return 1;
}

void WarnPlot::print() { events.print(); }

}  // namespace KOL
