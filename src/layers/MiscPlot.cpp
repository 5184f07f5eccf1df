#include "layers/MiscPlot.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"

namespace KOL {

namespace {

constexpr float TEXT = 0.016f;  // of the panel's height

bool latLon(const char* s, float& lat, float& lon, int* used = nullptr)
{
  int n = 0;
  return std::sscanf(s, "%f %f%n", &lat, &lon, &n) == 2 && lat >= -90 && lat <= 90 && lon >= -360 &&
         lon <= 360 && (!used || (*used = n, true));
}

}  // namespace

void MiscPlot::init()
{
  initFile();
  color = "black";
  items.clear();
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int MiscPlot::setParam(const char* text)
{
  for (const std::string& t : PlotParams::split(text)) {
    takeFile(t);
    if (!strncasecmp(t.c_str(), "co=", 3)) color = t.substr(3);
  }
  return 1;
}

int MiscPlot::parse(std::FILE* in, const char* name)
{
  char buf[512];
  int number = 0, bad = 0;
  Item* open = nullptr;  // a line or area taking points
  while (std::fgets(buf, sizeof buf, in)) {
    ++number;
    buf[std::strcspn(buf, "\r\n")] = '\0';
    char word[16] = "", col[64] = "";
    float lat, lon;
    int used = 0;
    if (std::sscanf(buf, " %15s", word) != 1 || word[0] == '#') continue;
    if (open) {
      if (!strcasecmp(word, "end")) {
        open = nullptr;
        continue;
      }
      if (latLon(buf, lat, lon)) {
        open->points.emplace_back(lat, lon);
        continue;
      }
    }
    const bool shape = !strcasecmp(word, "line") || !strcasecmp(word, "area");
    const bool mark = !strcasecmp(word, "point") || !strcasecmp(word, "text");
    if (!open && shape && std::sscanf(buf, " %*s %63s", col) == 1) {
      items.push_back({*word == 'l' || *word == 'L' ? Item::LINE : Item::AREA, col, "", {}});
      open = &items.back();
      continue;
    }
    int at = 0;
    if (!open && mark && std::sscanf(buf, " %*s %63s%n", col, &at) == 1 &&
        latLon(buf + at, lat, lon, &used)) {
      const char* rest = buf + at + used;
      while (*rest == ' ' || *rest == '\t') ++rest;
      const bool point = *word == 'p' || *word == 'P';
      if (point || *rest) {
        items.push_back({point ? Item::POINT : Item::TEXT, col, rest, {EarthPoint(lat, lon)}});
        continue;
      }
    }
    if (!bad++) Kol::outWarning("MiscPlot: line %d of %s not read: %.40s\n", number, name, buf);
    open = nullptr;
  }
  return static_cast<int>(items.size());
}

int MiscPlot::load()
{
  items.clear();
  const char* name = chosenFile();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
      StrLib::valid(name) ? std::fopen(name, "r") : nullptr, std::fclose);
  if (!in || !parse(in.get(), name)) {
    Kol::outMessage(3, "MiscPlot: Unable to open file: %s\n", StrLib::valid(name, ""));
    return 0;
  }
  return 1;
}

const char* MiscPlot::colorOf(const Item& it) const
{
  return it.color == "-" ? color.c_str() : it.color.c_str();
}

int MiscPlot::draw(Plot& plot)
{
  if (items.empty() && !load()) return 0;
  const float h = TEXT * plot.getDomain().getVert();
  plot.setTextHeight(h);
  plot.setMarkSize(0.6f * h);
  for (const Item& it : items) {
    EarthPoints pts;
    for (const EarthPoint& e : it.points) pts.add(e);
    switch (it.kind) {
      case Item::LINE:
        plot.setLineColor(colorOf(it));
        if (pts.getNum() >= 2) plot.drawLine(pts);
        break;
      case Item::AREA:
        plot.setFillColor(colorOf(it));
        if (pts.getNum() >= 3) plot.drawFill(pts);
        break;
      case Item::POINT: {
        plot.setMarkColor(colorOf(it));
        plot.drawMark(it.points[0]);
        EarthPoint e = it.points[0];
        Point at;
        if (it.text.empty() || !plot.getDomain().tran(e, at)) break;
        plot.setTextColor(colorOf(it));
        plot.setTextAlign(1, 2);
        plot.drawText(Point(at.x + 0.7f * h, at.y), it.text.c_str());
        break;
      }
      case Item::TEXT:
        plot.setTextColor(colorOf(it));
        plot.setTextAlign(2, 2);
        plot.drawText(it.points[0], it.text.c_str());
        break;
    }
  }
  plot.setLine(), plot.setFill(), plot.setText(), plot.setMark();
  return 1;
}

void MiscPlot::print()
{
  std::printf("MiscPlot\nItems: %zu\n", items.size());
  file.print();
}

}  // namespace KOL
