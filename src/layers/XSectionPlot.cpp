#include "layers/XSectionPlot.h"

#include <cmath>
#include <cstdio>

#include "graphics/Graph.h"
#include "graphics/Plot.h"
#include "graphics/PlotAttr.h"
#include "layers/therm/DiagramView.h"

namespace KOL {

namespace {

constexpr float TEXT_HEIGHT = 0.015f;
constexpr float LEVELS[] = {1000, 925, 850, 700, 500, 400, 300, 250, 200, 150, 100, 70, 50};

void useText(Plot& plot)
{
  plot.setText();
  plot.setTextHeight(TEXT_HEIGHT);
}

// A round step giving about six distance labels.
float distanceStep(float length)
{
  const float raw = length / 6;
  const float decade = std::pow(10.0f, std::floor(std::log10(raw)));
  for (float m : {1.0f, 2.0f, 5.0f})
    if (m * decade >= raw) return m * decade;
  return 10 * decade;
}

}  // namespace

void XSectionPlot::init()
{
  section = xsect::Section();
  places.clear();
}

void XSectionPlot::addPlace(const char* name, float x) { places.push_back({name ? name : "", x}); }

void XSectionPlot::reserveBar(Plot& plot)
{
  plot.setParam("bar=r");
  plot.reserveBar();
}

int XSectionPlot::getDomain(Domain& d)
{
  d = section.frame();
  return 1;
}

void XSectionPlot::drawIsobars(Plot& plot) const
{
  plot.setLine();
  plot.setLine(PlotAttr("grey:st=dot"));
  // across the frame, which may be wider than the section
  const Domain& d = plot.getDomain();
  const float room = d.proj == section.domain().proj ? 0.5f * (d.nx - section.columns) * d.dx : 0;
  for (float p : LEVELS)
    if (p <= section.bottom && p >= section.top)
      plot.drawLine(EarthPoint(section.x(0) - room, p),
                    EarthPoint(section.x(section.length) + room, p));
}

// Pressures left of the frame, places (or distances) under it, in page units.
void XSectionPlot::drawLabels(Plot& plot) const
{
  const therm::DiagramView view(plot);
  const Rect& vp = view.viewport();
  Graph& g = plot.getGraph();
  const int saved = g.getTran();
  g.setTran(Plot::PAGE);
  g.activateTran(Plot::PAGE);
  char text[32];
  useText(plot);
  plot.setTextAlign(3, 3);
  for (float p : LEVELS) {
    Point at;
    if (p > section.bottom || p < section.top || !view.toPage(0, p, at)) continue;
    std::snprintf(text, sizeof text, "%.0f", p);
    plot.drawText(vp.x1 - 0.005f, at.y, text);
  }
  // the unit atop the pressures, clear of the places under the frame
  plot.setTextAlign(3, 0);
  plot.drawText(vp.x1 - 0.005f, vp.y2 + 0.01f, "mb");
  // the ends' names inside the frame's width, the others centred
  auto under = [&](float x, const char* t) {
    Point at;
    const int align = x <= 0 ? 1 : x >= section.length ? 3 : 2;
    plot.setTextAlign(align, 1);
    if (view.toPage(section.x(x), section.bottom, at)) plot.drawText(at.x, vp.y1 - 0.02f, t);
  };
  if (!places.empty()) {
    for (const Place& pl : places) under(pl.x, pl.name.c_str());
  } else {
    const float step = distanceStep(section.length);
    for (float x = 0; x <= section.length + step / 100; x += step) {
      std::snprintf(text, sizeof text, "%.0f", x);
      under(x, text);
    }
    plot.setTextAlign(1, 1);
    plot.drawText(vp.x2 + 0.005f, vp.y1 - 0.02f, "km");
  }
  g.setTran(saved);
  g.activateTran(saved);
}

int XSectionPlot::draw(Plot& plot)
{
  drawIsobars(plot);
  drawLabels(plot);
  plot.setLine();
  plot.drawBorder();
  return 1;
}

void XSectionPlot::print()
{
  std::printf("XSectionPlot\n");
  std::printf("Length: %.1f km, %.0f to %.0f mb, %zu places\n", section.length, section.bottom,
              section.top, places.size());
}

}  // namespace KOL
