#include "layers/LightPlot.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
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

}  // namespace

void LightPlot::init()
{
  strikes.clear();
  colors = imageplot::CodeColors();
  valid = -1;
  minutes = 0;
  polarity = false;
  bar = map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int LightPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (StrLib::iequal(k, "age"))
      polarity = false;
    else if (StrLib::iequal(k, "pol"))
      polarity = true;
    else if (StrLib::iequal(k, "bar"))
      bar = true;
    else if (StrLib::iequal(k, "nobar"))
      bar = false;
    else if (!strncasecmp(k, "min=", 4))
      minutes = std::max(0, std::atoi(k + 4));
    else if (!strncasecmp(k, "vdate=", 6))
      valid = parseDate(k + 6);
  }
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

std::time_t LightPlot::getValidTime() const
{
  if (valid >= 0) return valid;
  long long latest = 0;
  for (const auto& s : strikes) latest = std::max(latest, s.time_ns);
  return static_cast<std::time_t>((latest + 999999999LL) / 1000000000LL);
}

int LightPlot::classOf(const LightningFile::Strike& s) const
{
  const double age = (getValidTime() - s.time_ns / 1e9) / 60.0;
  if (age < -1.0 / 60 || (minutes > 0 && age > minutes)) return 0;
  if (polarity) return s.strength < 0 ? 1 : 2;
  for (size_t k = 1; k < AGES.size(); ++k)
    if (age < AGES[k]) return static_cast<int>(k);
  return 0;  // older than the last class
}

int LightPlot::getDomain(Domain& d)
{
  double s = 90, n = -90, w = 360, e = -360;
  for (const auto& k : strikes)
    if (classOf(k))
      s = std::min(s, k.lat), n = std::max(n, k.lat), w = std::min(w, k.lon),
      e = std::max(e, k.lon);
  if (s > n) return 0;
  const double clat = (s + n) / 2, clon = (w + e) / 2;
  const double km =
      std::max((n - s) * 111.0 / 16, (e - w) * 111.0 * std::cos(clat * M_PI / 180) / 24);
  const double dx = std::max(km * 1.3, 10.0) / 100;
  char text[160];
  std::snprintf(text, sizeof text, "lamb:%.2f:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clat, clon, clat,
                clon, dx, dx);
  return DomainTool::decode(d, text);
}

int LightPlot::getDate(Date& d)
{
  if (strikes.empty() && valid < 0) return 0;
  d.set(static_cast<long>(getValidTime()));
  return 1;
}

int LightPlot::draw(Plot& plot)
{
  if (strikes.empty()) return 0;
  if (bar) plot.reserveBar();
  if (map) MapPlot().draw(plot);
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
  if (bar) imageplot::setClassBar(plot, limits, colors, polarity ? "" : "min", names);
  const float half = 0.004f * plot.getDomain().getVert() * scale;
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
    Points square;
    square.add(Point(p.x - half, p.y - half));
    square.add(Point(p.x + half, p.y - half));
    square.add(Point(p.x + half, p.y + half));
    square.add(Point(p.x - half, p.y + half));
    plot.setFillColor(plot.getGraph().allocColor(colors.rgb[k]));
    plot.drawFill(square);
  }
  plot.setLabel("ul", polarity ? "Lightning by polarity" : "Lightning by age");
  plot.done();
  return 1;
}

void LightPlot::print()
{
  for (const auto& s : strikes)
    std::printf("%lld %.4f %.4f %g\n", s.time_ns, s.lat, s.lon, s.strength);
}

}  // namespace KOL
