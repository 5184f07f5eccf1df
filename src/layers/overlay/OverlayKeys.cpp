#include "layers/overlay/OverlayKeys.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Const.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/DomainTool.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorMap.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"

namespace KOL::overlay {

std::time_t parseDate(const char* t)
{
  int y, mo, d, h, mi = 0;
  if (!t || std::sscanf(t, "%4d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi) < 4) return -1;
  std::tm u{};
  u.tm_year = y - 1900;
  u.tm_mon = mo - 1;
  u.tm_mday = d;
  u.tm_hour = h;
  u.tm_min = mi;
  return timegm(&u);
}

std::vector<std::string> words(const char* list)
{
  std::vector<std::string> out;
  for (const char* s = list; s && *s;) {
    const char* e = std::strchr(s, ':');
    out.emplace_back(s, e ? static_cast<size_t>(e - s) : std::strlen(s));
    s = e ? e + 1 : s + std::strlen(s);
  }
  return out;
}

void Bounds::add(double lat, double lon, double r)
{
  s = std::min(s, lat - r), n = std::max(n, lat + r);
  w = std::min(w, lon - r), e = std::max(e, lon + r);
}

int Bounds::domain(Domain& d, double widen, double minKm, bool merc) const
{
  if (empty()) return 0;
  const double clat = (s + n) / 2, clon = (w + e) / 2;
  const double km =
      std::max((n - s) * 111.0 / 16, (e - w) * 111.0 * std::cos(clat * M_PI / 180) / 24);
  const double dx = std::max(km * widen, minKm) / 100;
  char text[160];
  if (merc)
    std::snprintf(text, sizeof text, "merc:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clon, clat, clon, dx,
                  dx);
  else
    std::snprintf(text, sizeof text, "lamb:%.2f:%.2f,%.2f,%.2f,25,17,%.3f,%.3f", clat, clon, clat,
                  clon, dx, dx);
  return DomainTool::decode(d, text);
}

void OverlayKeys::init(const char* colorResource)
{
  *this = OverlayKeys();
  if (const char* t = Kol::resrc.get("timezone"); StrLib::valid(t)) tz_.set(t);
  if (const char* t = Kol::resrc.get("plot_scale"); StrLib::valid(t) && std::atof(t) > 0)
    scale = static_cast<float>(std::atof(t));
  if (const char* t = Kol::resrc.get(colorResource); StrLib::valid(t)) color_ = t;
}

bool OverlayKeys::read(const char* k)
{
  if (PlotParams::mapOrScale(k, map, scale)) return true;
  const char* eq = std::strchr(k, '=');
  const char* v = eq ? eq + 1 : "";
  if (StrLib::iequal(k, "fill"))
    fill = true;
  else if (StrLib::iequal(k, "nolabel"))
    labels = false;
  else if (StrLib::iequal(k, "slabel"))
    labels = shortLabels = true;
  else if (StrLib::iequal(k, "shadow"))
    shadow = true;
  else if (!eq)
    return false;
  else if (!strncasecmp(k, "vdate=", 6))
    valid = parseDate(v);
  else if (!strncasecmp(k, "tz=", 3))
    tz_.set(v);
  else if (!strncasecmp(k, "min=", 4))
    minutes = std::max(0, std::atoi(v));
  else if (!strncasecmp(k, "hour=", 5))
    hours = *v ? std::max(0, std::atoi(v)) : -1;
  else if (!strncasecmp(k, "ct=", 3))
    colorTable_ = v;
  else if (!strncasecmp(k, "co=", 3))
    color_ = v;
  else if (!strncasecmp(k, "in=", 3))
    input = v;
  else if (!strncasecmp(k, "if=", 3))
    convention = v;
  else
    return false;
  return true;
}

void OverlayKeys::begin(Plot& plot) const
{
  if (!colorTable_.empty()) {
    ColorMap table;
    if (ColorFile::read(colorTable_.c_str(), table))
      plot.setColorMap(table);
    else
      Kol::outWarning("Unable to read colour table %s\n", colorTable_.c_str());
  }
  if (map) MapPlot().draw(plot);
}

float OverlayKeys::textHeight(const Plot& plot, float share) const
{
  return share * plot.getDomain().getVert() * scale;
}

void OverlayKeys::label(Plot& plot, const Point& p, const char* text, const char* color) const
{
  if (shadow) {
    // a white rim about the letters keeps them legible over lines and fills
    const float d = 0.0015f * plot.getDomain().getVert();
    plot.setTextColor("white");
    for (const auto& [dx, dy] : {std::pair{d, 0.0f}, {-d, 0.0f}, {0.0f, d}, {0.0f, -d}})
      plot.drawText(Point(p.x + dx, p.y + dy), text);
  }
  plot.setTextColor(color);
  plot.drawText(p, text);
}

void OverlayKeys::label(Plot& plot, const EarthPoint& e, const char* text, const char* color) const
{
  EarthPoint at = e;
  Point p;
  if (plot.getDomain().tran(at, p)) label(plot, p, text, color);
}

std::string OverlayKeys::clock(std::time_t t, bool day) const
{
  const bool local = tz_.isSet();
  const std::time_t shown = local ? t + tz_.getOffset() : t;
  std::tm u{};
  gmtime_r(&shown, &u);
  char text[40];
  const int n = day ? std::snprintf(text, sizeof text, "%02d/", u.tm_mday) : 0;
  std::snprintf(text + n, sizeof text - n, local ? "%02d%02d %s" : "%02d%02dZ", u.tm_hour, u.tm_min,
                tz_.getName());
  return text;
}

std::string OverlayKeys::validLabel(std::time_t t) const
{
  const bool local = tz_.isSet();
  const std::time_t shown = local ? t + tz_.getOffset() : t;
  std::tm u{};
  gmtime_r(&shown, &u);
  char text[64];
  std::snprintf(text, sizeof text, "Valid %04d-%02d-%02d %02d:%02d%s%s", u.tm_year + 1900,
                u.tm_mon + 1, u.tm_mday, u.tm_hour, u.tm_min, local ? " " : "Z",
                local ? tz_.getName() : "");
  return text;
}

std::string OverlayKeys::fileAt(const Date& d, const char* conv) const
{
  Filename f;
  const std::string c = convention.empty() ? conv : convention;
  if (!f.set(c.c_str(), d) || !f.exist()) return "";
  return f.getName();
}

}  // namespace KOL::overlay
