#include "layers/image/RadarMarks.h"

#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "imagery/Lev2Data.h"

namespace KOL::imageplot {

namespace {

constexpr int RING_POINTS = 180;

}  // namespace

void drawRings(Plot& plot, double lat, double lon, const std::vector<float>& km, const char* color)
{
  plot.setLineColor(color);
  for (float r : km) {
    EarthPoints pts;
    for (int k = 0; k <= RING_POINTS; ++k)
      pts.add(Lev2Data::destination(lat, lon, 360.0 * k / RING_POINTS, r * 1000.0));
    plot.drawLine(pts);
  }
}

void drawSite(Plot& plot, double lat, double lon, const std::string& name, const char* color,
              bool shadow)
{
  EarthPoint at(static_cast<float>(lat), static_cast<float>(lon));
  plot.setMarkColor(color);
  plot.setMarkType("plus");
  plot.drawMark(at);
  if (name.empty()) return;
  const std::string text = "  " + name;
  Point p;
  if (shadow && plot.getDomain().tran(at, p)) {
    // a pixel down and right on the device is a small step in plot units
    const Point d = plot.toDevice(p);
    Point under;
    if (plot.tranPlotWindow(Point(d.x + 1, d.y + 1), under)) {
      plot.setTextColor("black");
      plot.drawText(under, text.c_str());
    }
  }
  plot.setTextColor(color);
  plot.drawText(at, text.c_str());
}

}  // namespace KOL::imageplot
