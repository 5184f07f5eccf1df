#include "layers/FrontPlot.h"

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "layers/frontplot/FrontPath.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

namespace {

using frontplot::FrontPath;

constexpr const char* COLD = "blue";
constexpr const char* WARM = "red";
constexpr const char* OCCLUDED = "purple";
constexpr const char* TROUGH = "sienna";
constexpr int DASHED = 2;
constexpr int DASH_DOT = 3;

Points toPoints(const std::vector<Point>& v)
{
  Points out;
  for (const Point& p : v) out.add(p);
  return out;
}

void fill(Plot& plot, const std::vector<Point>& shape, const char* color, bool open)
{
  plot.setLineColor(color);
  if (open) {
    plot.drawLine(toPoints(std::vector<Point>(shape.begin(), shape.end() - 1)));
    return;
  }
  plot.setFillColor(color);
  plot.drawFill(toPoints(shape));
}

}  // namespace

void FrontPlot::init()
{
  bulletin.init();
  loaded = false;
  spline = pressureLabels = barbs = true;
  forecast = false;
  pressureRadius = 1.0f;
  kinds.clear();
  keys.init("color_data");
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int FrontPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (keys.read(k)) continue;
    if (StrLib::iequal(k, "spline"))
      spline = true;
    else if (StrLib::iequal(k, "nospline"))
      spline = false;
    else if (StrLib::iequal(k, "prlab"))
      pressureLabels = true;
    else if (StrLib::iequal(k, "noprlab"))
      pressureLabels = false;
    else if (StrLib::iequal(k, "barb") || StrLib::iequal(k, "nobarb"))
      barbs = StrLib::iequal(k, "barb");
    else if (StrLib::iequal(k, "fore"))
      forecast = true;
    else if (!strncasecmp(k, "prrad=", 6))
      pressureRadius = static_cast<float>(std::atof(k + 6));
    else if (!strncasecmp(k, "filter=", 7))
      kinds = overlay::words(k + 7);
  }
  if (!keys.input.empty()) setFilename(keys.input.c_str());
  return 1;
}

int FrontPlot::setFilename(const char* name)
{
  loaded = false;
  TextProductFile file;
  if (!file.open(name)) return 0;
  TextProduct p;
  while (file.read(p)) {
    if (FrontBulletin::isFronts(p) && bulletin.parse(p) && !bulletin.features.empty() &&
        wanted(bulletin)) {
      loaded = true;
      return 1;
    }
  }
  // a plain file without a heading: its text is the bulletin
  file.rewind();
  if (file.read(p) && bulletin.parse(p) && !bulletin.features.empty() && wanted(bulletin))
    return loaded = true, 1;
  Kol::outWarning("FrontPlot: no coded surface bulletin in %s\n", name ? name : "");
  return 0;
}

int FrontPlot::setFilename(Date& d)
{
  const std::string name = keys.fileAt(d, forecast ? "frf_dat" : "frt_dat");
  return !name.empty() && setFilename(name.c_str());
}

// Analyses are valid at MMDDHHZ, forecasts at YYYYMMDDHHZ.
bool FrontPlot::wanted(const FrontBulletin& b) const
{
  const std::string& v = b.valid;
  if (v.size() >= 7 && (v.size() > 8) != forecast) return false;
  return keys.hours < 0 ||
         (v.size() >= 3 && std::atoi(v.substr(v.size() - 3, 2).c_str()) == keys.hours);
}

bool FrontPlot::drawn(const FrontBulletin::Feature& f) const
{
  return kinds.empty() || std::find(kinds.begin(), kinds.end(), f.type) != kinds.end();
}

void FrontPlot::drawFront(Plot& plot, const FrontBulletin::Feature& f, float width)
{
  std::vector<Point> pts;
  const Domain& d = plot.getDomain();
  for (const auto& [lat, lon] : f.points) {
    EarthPoint e(static_cast<float>(lat), static_cast<float>(lon));
    Point p;
    if (d.tran(e, p)) pts.push_back(p);
  }
  if (pts.size() < 2) return;
  FrontPath path(spline ? FrontPath::smooth(pts, 6) : pts);
  const std::string& t = f.type;
  const char* line = keys.color(t == "COLD"    ? COLD
                                : t == "WARM"  ? WARM
                                : t == "OCFNT" ? OCCLUDED
                                               : TROUGH);
  const char* cold = keys.color(COLD);
  const char* warm = keys.color(WARM);
  if (!barbs) {
    plot.setLineWidth(2);
    plot.setLineStyle(t == "TROF" ? DASHED : t == "SQLN" ? DASH_DOT : 1);
    plot.setLineColor(t == "STNRY" ? warm : line);
    plot.drawLine(toPoints(path.points()));
    plot.setLineStyle(1);
    return;
  }
  if (t == "STNRY") {
    // alternating red and blue pieces, one symbol each
    const auto places = path.places(2.5f * width, width);
    plot.setLineWidth(2);
    plot.setLineStyle(1);
    plot.setLineColor(warm);
    plot.drawLine(toPoints(path.points()));
    for (size_t i = 0; i < places.size(); ++i) {
      if (i % 2 == 0) {
        fill(plot, FrontPath::triangle(places[i], width, 0.8f * width, 1), cold, false);
        Points piece;
        piece.add(places[i].at);
        piece.add(
            Point(places[i].at.x + places[i].tx * width, places[i].at.y + places[i].ty * width));
        plot.setLineColor(cold);
        plot.drawLine(piece);
      } else {
        fill(plot, FrontPath::halfCircle(places[i], width, -1), warm, false);
      }
    }
    return;
  }
  plot.setLineWidth(t == "TROF" ? 1 : 2);
  plot.setLineStyle(t == "TROF" ? DASHED : t == "SQLN" ? DASH_DOT : 1);
  plot.setLineColor(line);
  plot.drawLine(toPoints(path.points()));
  plot.setLineStyle(1);
  if (t == "TROF" || t == "SQLN") return;
  const auto places = path.places(2.5f * width, width);
  for (size_t i = 0; i < places.size(); ++i) {
    const bool triangle = t == "COLD" || (t == "OCFNT" && i % 2 == 0);
    if (triangle)
      fill(plot, FrontPath::triangle(places[i], width, 0.8f * width, 1), line, false);
    else
      fill(plot, FrontPath::halfCircle(places[i], width, 1), line, t == "DRYLN");
  }
}

void FrontPlot::drawCentre(Plot& plot, const FrontBulletin::Feature& f)
{
  if (f.points.empty()) return;
  EarthPoint e(static_cast<float>(f.points[0].first), static_cast<float>(f.points[0].second));
  Point p;
  if (!plot.getDomain().tran(e, p) || !plot.withinDomainExt(p, 0)) return;
  const bool high = f.type == "HIGH";
  const char* color = keys.color(high ? COLD : WARM);
  plot.setTextAlign(2, 3);
  // text heights are in plot coordinates: a share of the domain's height
  const float letter = keys.textHeight(plot, 0.035f);
  plot.setTextHeight(letter);
  keys.label(plot, p, high ? "H" : "L", color);
  if (!pressureLabels || f.pressure_mb == Const::MISS) return;
  plot.setTextHeight(keys.textHeight(plot, 0.018f));
  char mb[16];
  std::snprintf(mb, sizeof mb, "%d", f.pressure_mb);
  keys.label(plot, Point(p.x, p.y - pressureRadius * letter), mb, color);
}

int FrontPlot::draw(Plot& plot)
{
  if (!loaded) return 0;
  keys.begin(plot);
  const float width = symbolWidth(plot.getDomain().getVert());
  for (const auto& f : bulletin.features)
    if (!f.isCentre() && drawn(f)) drawFront(plot, f, width);
  for (const auto& f : bulletin.features)
    if (f.isCentre() && drawn(f)) drawCentre(plot, f);
  plot.setLineWidth(1);
  std::string label = "Surface fronts and pressure centres";
  // a forecast's valid time has its year and may be shown in local time
  if (const std::time_t t = overlay::parseDate(bulletin.valid.c_str());
      bulletin.valid.size() > 8 && t >= 0)
    plot.setLabel("ur", keys.validLabel(t).c_str());
  else if (!bulletin.valid.empty())
    plot.setLabel("ur", ("Valid " + bulletin.valid).c_str());
  plot.setLabel("ul", label.c_str());
  plot.done();
  return 1;
}

void FrontPlot::print() { bulletin.print(); }

}  // namespace KOL
