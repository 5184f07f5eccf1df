#include "layers/CityPlot.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "obs/CityFile.h"
#include "obs/CityTool.h"

namespace KOL {

namespace {

constexpr float TEXT = 0.014f;  // of the panel's height

bool key(const std::string& token, const char* name)
{
  const size_t n = std::strlen(name);
  return !strncasecmp(token.c_str(), name, n) && (token.size() == n || token[n] == '=');
}

bool overlaps(const Rect& a, const Rect& b)
{
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

}  // namespace

void CityPlot::init()
{
  label = ID;
  labels = true;
  markType.clear();
  maxNum = 0, maxPriority = 0;
  states.clear();
  withWmo = false;
  color = "grey00";
  scale = 1;
  placed.clear();
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int CityPlot::setParam(const char* text)
{
  for (const std::string& t : PlotParams::split(text)) {
    const std::string v = PlotParams::valueOf(t, t.size());
    bool map = false;
    if (key(t, "sc")) {
      PlotParams::mapOrScale(t.c_str(), map, scale);
    } else if (key(t, "mark")) {
      labels = false;
      markType = v;
    } else if (key(t, "wmo")) {
      label = WMO;
    } else if (key(t, "cn")) {
      label = NAME;
    } else if (key(t, "num")) {
      maxNum = std::atoi(v.c_str());
    } else if (key(t, "prior")) {
      maxPriority = std::atoi(v.c_str());
    } else if (key(t, "st")) {
      states.clear();
      for (size_t s = 0; s < v.size();) {
        const size_t e = std::min(v.find(':', s), v.size());
        if (e > s) states.push_back(v.substr(s, e - s));
        s = e + 1;
      }
    } else if (key(t, "nzero")) {
      withWmo = true;
    } else if (key(t, "co")) {
      color = v;
    }
  }
  return 1;
}

// The table's stations inside the panel that pass the selection, most important first.
std::vector<CityData> CityPlot::candidates(Plot& plot) const
{
  std::vector<CityData> out;
  String name;
  if (!CityTool::getFilename(nullptr, name)) return out;
  CityFile table;
  if (!table.open(name.get(), 0)) return out;
  const Domain& d = plot.getDomain();
  CityData c;
  while (table.read(c)) {
    if (maxPriority > 0 && c.priority > maxPriority) continue;
    if (withWmo && (!c.wmo[0] || !std::strcmp(c.wmo, "99999") || !std::atoi(c.wmo))) continue;
    if (!states.empty() && std::none_of(states.begin(), states.end(), [&](const std::string& s) {
          return !strcasecmp(s.c_str(), c.state);
        }))
      continue;
    if (d.within(EarthPoint(c.lat, c.lon))) out.push_back(c);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const CityData& a, const CityData& b) { return a.priority < b.priority; });
  return out;
}

std::string CityPlot::labelOf(const CityData& c) const
{
  std::string s = label == WMO ? c.wmo : label == NAME ? c.name : c.id;
  std::replace(s.begin(), s.end(), '_', ' ');
  return s;
}

int CityPlot::draw(Plot& plot)
{
  placed.clear();
  const float h = TEXT * plot.getDomain().getVert() * scale;
  plot.setTextHeight(h);
  plot.setTextColor(color.c_str());
  plot.setTextAlign(1, 2);
  plot.setMarkColor(color.c_str());
  plot.setMarkSize(0.6f * h);
  plot.setMarkType(markType.empty() ? "circle" : markType.c_str());
  for (const CityData& c : candidates(plot)) {
    if (maxNum > 0 && static_cast<int>(placed.size()) >= maxNum) break;
    EarthPoint e(c.lat, c.lon);
    Point at;
    if (!plot.getDomain().tran(e, at)) continue;
    const std::string text = labels ? labelOf(c) : "";
    // the mark and the label to its right; character cells of about the text height
    Rect box(at.x - 0.5f * h, at.y - 0.7f * h, at.x + (0.9f + 1.0f * text.size()) * h,
             at.y + 0.7f * h);
    if (std::any_of(placed.begin(), placed.end(),
                    [&](const Placed& p) { return overlaps(p.box, box); }))
      continue;
    plot.drawMark(at);
    if (!text.empty()) plot.drawText(Point(at.x + 0.7f * h, at.y), text.c_str());
    placed.push_back({c, box});
  }
  plot.setText(), plot.setMark();
  return placed.empty() ? 0 : 1;
}

void CityPlot::print()
{
  std::printf("CityPlot\nLabel: %d\nPriority: %d\nPlaced: %zu\n", label, maxPriority,
              placed.size());
}

}  // namespace KOL
