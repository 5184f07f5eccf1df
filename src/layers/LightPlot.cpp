#include "layers/LightPlot.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/ColorMap.h"
#include "graphics/Graph.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "layers/image/ImageBar.h"

namespace KOL {

namespace {

// Age classes in minutes before the valid time, newest first, and their colours.
const std::vector<float> AGES = {0, 5, 10, 15, 20, 30, 45, 60};
const RGB AGE_COLORS[] = {{1, 0, 0},    {1, 0.5f, 0}, {1, 0.85f, 0},  {0, 0.8f, 0},
                          {0, 0.7f, 1}, {0, 0, 1},    {0.6f, 0, 0.8f}};
const RGB NEGATIVE(0, 0, 1), POSITIVE(1, 0, 0);

void drawSquare(Plot& plot, const Point& p, float half, int color)
{
  Points square;
  square.add(Point(p.x - half, p.y - half));
  square.add(Point(p.x + half, p.y - half));
  square.add(Point(p.x + half, p.y + half));
  square.add(Point(p.x - half, p.y + half));
  plot.setFillColor(color);
  plot.drawFill(square);
}

// A plus for a positive stroke, a minus for a negative one.
void drawMark(Plot& plot, const Point& p, float half, bool positive, int color)
{
  plot.setLineColor(color);
  plot.setLineWidth(2);
  Points across;
  across.add(Point(p.x - half, p.y));
  across.add(Point(p.x + half, p.y));
  plot.drawLine(across);
  if (positive) {
    Points up;
    up.add(Point(p.x, p.y - half));
    up.add(Point(p.x, p.y + half));
    plot.drawLine(up);
  }
  plot.setLineWidth(1);
}

}  // namespace

void LightPlot::init()
{
  strikes.clear();
  colors = imageplot::CodeColors();
  classColors.clear();
  polarity = mark = false;
  bar = true;
  sync = 0;
  keys.init("color_data");
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int LightPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (keys.read(k)) continue;
    if (StrLib::iequal(k, "age"))
      polarity = false;
    else if (StrLib::iequal(k, "pol"))
      polarity = true;
    else if (StrLib::iequal(k, "bar") || StrLib::iequal(k, "nobar"))
      bar = StrLib::iequal(k, "bar");
    else if (StrLib::iequal(k, "mark"))
      mark = true;
    else if (StrLib::iequal(k, "sync"))
      sync = 1;
    else if (!strncasecmp(k, "cof=", 4))
      classColors = overlay::words(k + 4);
  }
  if (!keys.input.empty()) setFilename(keys.input.c_str());
  return 1;
}

int LightPlot::read(const char* name)
{
  LightningFile f;
  if (!f.open(name)) return 0;
  strikes.insert(strikes.end(), f.getStrikes().begin(), f.getStrikes().end());
  return 1;
}

int LightPlot::setFilename(const char* name)
{
  strikes.clear();
  return read(name);
}

int LightPlot::addFile(const char* name) { return read(name); }

int LightPlot::setFilename(Date& d)
{
  const std::string name = keys.fileAt(d, "nldn");
  return !name.empty() && setFilename(name.c_str());
}

std::time_t LightPlot::getValidTime() const
{
  if (keys.valid >= 0) return keys.valid;
  long long latest = 0;
  for (const auto& s : strikes) latest = std::max(latest, s.time_ns);
  return static_cast<std::time_t>((latest + 999999999LL) / 1000000000LL);
}

int LightPlot::classOf(const LightningFile::Strike& s) const
{
  const double age = (getValidTime() - s.time_ns / 1e9) / 60.0;
  if (age < -1.0 / 60 || (keys.minutes > 0 && age > keys.minutes)) return 0;
  if (polarity) return s.strength < 0 ? 1 : 2;
  for (size_t k = 1; k < AGES.size(); ++k)
    if (age < AGES[k]) return static_cast<int>(k);
  return 0;  // older than the last class
}

int LightPlot::getDomain(Domain& d)
{
  overlay::Bounds b;
  for (const auto& k : strikes)
    if (classOf(k)) b.add(k.lat, k.lon);
  return b.domain(d, 1.3, 10.0);
}

int LightPlot::getDate(Date& d)
{
  if (strikes.empty() && keys.valid < 0) return 0;
  d.set(static_cast<long>(getValidTime()));
  return 1;
}

int LightPlot::draw(Plot& plot)
{
  if (strikes.empty()) return 0;
  const bool oneColor = !std::string(keys.color("")).empty();
  const bool drawBar = bar && !oneColor;
  if (drawBar) plot.reserveBar();
  keys.begin(plot);
  colors = imageplot::CodeColors();
  std::vector<float> limits;
  std::vector<std::string> names;
  if (polarity) {
    limits = {-1, 1};
    names = {"negative", "positive"};
    colors.rgb[1] = NEGATIVE, colors.rgb[2] = POSITIVE;
  } else {
    limits.assign(AGES.begin(), AGES.end() - 1);
    for (size_t k = 0; k < limits.size(); ++k) colors.rgb[k + 1] = AGE_COLORS[k];
  }
  // colours named by cof= (or co= for all) from the plot's colour table
  ColorMap& table = plot.getColorMap();
  for (size_t k = 1; k <= limits.size(); ++k) {
    const std::string name = oneColor                  ? keys.color("")
                             : k <= classColors.size() ? classColors[k - 1]
                                                       : "";
    if (const int i = name.empty() ? -1 : table.getInd(name.c_str()); i >= 0)
      table.get(i, colors.rgb[k]);
  }
  if (drawBar) imageplot::setClassBar(plot, limits, colors, polarity ? "" : "min", names);
  const float half = keys.textHeight(plot, 0.004f);
  // oldest first, so that the newest strikes lie on top
  std::vector<const LightningFile::Strike*> order;
  for (const auto& s : strikes) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(),
                   [](auto a, auto b) { return a->time_ns < b->time_ns; });
  for (const auto* s : order) {
    const int k = classOf(*s);
    if (!k) continue;
    EarthPoint e(static_cast<float>(s->lat), static_cast<float>(s->lon));
    Point p;
    if (!plot.getDomain().tran(e, p)) continue;
    if (mark)
      drawMark(plot, p, 1.5f * half, s->strength >= 0, plot.getGraph().allocColor(colors.rgb[k]));
    else
      drawSquare(plot, p, half, plot.getGraph().allocColor(colors.rgb[k]));
  }
  plot.setLabel("ul", polarity ? "Lightning by polarity" : "Lightning by age");
  plot.setLabel("ur", keys.validLabel(getValidTime()).c_str());
  plot.done();
  return 1;
}

void LightPlot::print()
{
  for (const auto& s : strikes)
    std::printf("%lld %.4f %.4f %g\n", s.time_ns, s.lat, s.lon, s.strength);
}

}  // namespace KOL
