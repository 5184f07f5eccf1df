#include "graphics/shape/ShapeFrame.h"

#include <algorithm>
#include <cmath>

#include "graphics/Plot.h"

namespace KOL::shape {

namespace {

// The window's y units per x unit, measured through the current transformation.
float unitRatio(Plot& plot)
{
  Graph& g = plot.getGraph();
  const GTran& t = g.getGTran(g.getTran());
  const float sx = t.tranWindowNdcX(1.0f) - t.tranWindowNdcX(0.0f);
  const float sy = t.tranWindowNdcY(1.0f) - t.tranWindowNdcY(0.0f);
  if (!(sx > 0) || !(std::fabs(sy) > 0) || !std::isfinite(sx / sy)) return 1.0f;
  return sx / sy;
}

constexpr float DEG = static_cast<float>(Const::DRC);

}  // namespace

ShapeFrame::ShapeFrame(Plot& p, const Point& o, float dir, float side)
    : plot(p), origin(o), ky(unitRatio(p))
{
  ux = std::sin(dir * DEG);
  uy = std::cos(dir * DEG);
  nx = uy * side;
  ny = -ux * side;
}

Point ShapeFrame::at(float along, float across) const
{
  return Point(origin.x + along * ux + across * nx, origin.y + (along * uy + across * ny) * ky);
}

Point ShapeFrame::polar(float r, float a) const
{
  return at(r * std::cos(a * DEG), r * std::sin(a * DEG));
}

int ShapeFrame::line(const Point& a, const Point& b) const
{
  Points pts;
  pts.add(a);
  pts.add(b);
  return line(pts);
}

int ShapeFrame::line(const Points& pts) const { return plot.drawLine(pts); }

int ShapeFrame::fill(const Points& pts) const
{
  const int color = plot.getFillColor();
  const int style = plot.getGraph().fill_style;
  plot.setFillColor(plot.getLineColor());
  plot.setFillStyle(0);
  const int drawn = plot.drawFill(pts);
  plot.setFillStyle(style);
  plot.setFillColor(color);
  return drawn;
}

int ShapeFrame::circle(float r) const { return line(arc(r, 0.0f, 360.0f)); }

Points ShapeFrame::arc(float r, float a1, float a2) const
{
  // 10 degree steps keep a circle smooth at station-model sizes
  const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(a2 - a1) / 10.0f)));
  Points pts;
  for (int i = 0; i <= steps; i++) pts.add(polar(r, a1 + (a2 - a1) * i / steps));
  return pts;
}

}  // namespace KOL::shape
