#include "layers/MosPlot.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "geo/DomainTool.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "obs/CityTool.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

namespace {

// Where the elements go about the station, in text heights, and their colours.
struct Slot {
  float dx, dy;
  int halign;
  const char* color;
};
const Slot SLOTS[] = {{-0.6f, 0.6f, 3, "red"}, {-0.6f, -0.6f, 3, "green"},
                      {0.6f, 0.6f, 1, "blue"}, {0.6f, -0.6f, 1, "grey00"},
                      {0, 1.4f, 2, "purple"},  {0, -1.4f, 2, "sienna"}};

}  // namespace

void MosPlot::init()
{
  bulletins.clear();
  elements = {"TMP", "DPT", "CLD", "WSP"};
  hour = -1;
  map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int MosPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (!strncasecmp(k, "fh=", 3))
      hour = std::atoi(k + 3);
    else if (!strncasecmp(k, "va=", 3)) {
      elements.clear();
      for (const char* s = k + 3; *s && elements.size() < 6;) {
        const char* e = std::strchr(s, ':');
        std::string name(s, e ? static_cast<size_t>(e - s) : std::strlen(s));
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        elements.push_back(name);
        s = e ? e + 1 : s + std::strlen(s);
      }
    }
  }
  return 1;
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

std::vector<MosPlot::Placed> MosPlot::placed() const
{
  std::vector<Placed> out;
  String table;
  if (!CityTool::getFilename(nullptr, table)) return out;
  for (const auto& b : bulletins)
    for (const auto& s : b.stations) {
      size_t column = 0;
      if (hour >= 0) {
        auto it = std::find(s.hours.begin(), s.hours.end(), hour);
        if (it == s.hours.end()) continue;
        column = static_cast<size_t>(it - s.hours.begin());
      }
      float lat, lon;
      if (s.hours.empty() || !CityTool::locate(table.get(), s.id.c_str(), lat, lon)) continue;
      out.push_back({&s, lat, lon, column});
    }
  return out;
}

int MosPlot::getDomain(Domain& d)
{
  double s = 90, n = -90, w = 360, e = -360;
  for (const Placed& p : placed())
    s = std::min<double>(s, p.lat), n = std::max<double>(n, p.lat), w = std::min<double>(w, p.lon),
    e = std::max<double>(e, p.lon);
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

int MosPlot::draw(Plot& plot)
{
  const auto list = placed();
  if (list.empty()) return 0;
  if (map) MapPlot().draw(plot);
  const float h = 0.02f * plot.getDomain().getVert() * scale;
  plot.setTextHeight(h);
  for (const Placed& p : list) {
    EarthPoint e(p.lat, p.lon);
    Point at;
    if (!plot.getDomain().tran(e, at)) continue;
    Points dot;
    for (int k = 0; k <= 8; ++k)
      dot.add(Point(at.x + 0.15f * h * std::cos(k * M_PI / 4),
                    at.y + 0.15f * h * std::sin(k * M_PI / 4)));
    plot.setFillColor("grey00");
    plot.drawFill(dot);
    for (size_t i = 0; i < elements.size() && i < 6; ++i) {
      const MosBulletin::Value* v = p.station->find(elements[i], p.column);
      if (!v) continue;
      plot.setTextColor(SLOTS[i].color);
      plot.setTextAlign(SLOTS[i].halign, 3);
      plot.drawText(Point(at.x + SLOTS[i].dx * h, at.y + SLOTS[i].dy * h), v->text.c_str());
    }
  }
  const MosBulletin::Station& first = *list.front().station;
  char title[80];
  std::snprintf(title, sizeof title, "%s MOS %+d h", first.model.c_str(),
                first.hours[list.front().column]);
  plot.setLabel("ul", title);
  plot.setLabel("ur", ("Valid " + first.validIso(list.front().column)).c_str());
  plot.done();
  return 1;
}

void MosPlot::print()
{
  for (const auto& b : bulletins) b.print();
}

}  // namespace KOL
