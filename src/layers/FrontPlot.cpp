#include "layers/FrontPlot.h"

#include <strings.h>
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
  spline = pressureLabels = map = true;
  scale = 1.0f;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int FrontPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    if (PlotParams::mapOrScale(k, map, scale)) continue;
    if (StrLib::iequal(k, "spline"))
      spline = true;
    else if (StrLib::iequal(k, "nospline"))
      spline = false;
    else if (StrLib::iequal(k, "prlab"))
      pressureLabels = true;
    else if (StrLib::iequal(k, "noprlab"))
      pressureLabels = false;
  }
  return 1;
}

int FrontPlot::setFilename(const char* name)
{
  loaded = false;
  TextProductFile file;
  if (!file.open(name)) return 0;
  TextProduct p;
  while (file.read(p)) {
    if (FrontBulletin::isFronts(p) && bulletin.parse(p) && !bulletin.features.empty()) {
      loaded = true;
      return 1;
    }
  }
  // a plain file without a heading: its text is the bulletin
  file.rewind();
  if (file.read(p) && bulletin.parse(p) && !bulletin.features.empty()) return loaded = true, 1;
  Kol::outWarning("FrontPlot: no coded surface bulletin in %s\n", name ? name : "");
  return 0;
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
  const char* line = t == "COLD" ? COLD : t == "WARM" ? WARM : t == "OCFNT" ? OCCLUDED : TROUGH;
  if (t == "STNRY") {
    // alternating red and blue pieces, one symbol each
    const auto places = path.places(2.5f * width, width);
    plot.setLineWidth(2);
    plot.setLineStyle(1);
    plot.setLineColor(WARM);
    plot.drawLine(toPoints(path.points()));
    for (size_t i = 0; i < places.size(); ++i) {
      if (i % 2 == 0) {
        fill(plot, FrontPath::triangle(places[i], width, 0.8f * width, 1), COLD, false);
        Points piece;
        piece.add(places[i].at);
        piece.add(
            Point(places[i].at.x + places[i].tx * width, places[i].at.y + places[i].ty * width));
        plot.setLineColor(COLD);
        plot.drawLine(piece);
      } else {
        fill(plot, FrontPath::halfCircle(places[i], width, -1), WARM, false);
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
  plot.setTextColor(high ? COLD : WARM);
  plot.setTextAlign(2, 3);
  // text heights are in plot coordinates: a share of the domain's height
  const float vert = plot.getDomain().getVert();
  plot.setTextHeight(0.035f * vert * scale);
  plot.drawText(p, high ? "H" : "L");
  if (!pressureLabels || f.pressure_mb == Const::MISS) return;
  plot.setTextHeight(0.018f * vert * scale);
  char mb[16];
  std::snprintf(mb, sizeof mb, "%d", f.pressure_mb);
  const float below = 0.035f * vert * scale;
  plot.drawText(Point(p.x, p.y - below), mb);
}

int FrontPlot::draw(Plot& plot)
{
  if (!loaded) return 0;
  if (map) MapPlot().draw(plot);
  const float width = symbolWidth(plot.getDomain().getVert());
  for (const auto& f : bulletin.features)
    if (!f.isCentre()) drawFront(plot, f, width);
  for (const auto& f : bulletin.features)
    if (f.isCentre()) drawCentre(plot, f);
  plot.setLineWidth(1);
  std::string label = "Surface fronts and pressure centres";
  if (!bulletin.valid.empty()) plot.setLabel("ur", ("Valid " + bulletin.valid).c_str());
  plot.setLabel("ul", label.c_str());
  plot.done();
  return 1;
}

void FrontPlot::print() { bulletin.print(); }

}  // namespace KOL
