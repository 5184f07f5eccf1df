#include "layers/image/ImageBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/Range.h"
#include "graphics/ColorFill.h"
#include "graphics/Enhance.h"
#include "graphics/Plot.h"

namespace KOL::imageplot {

namespace {

// A first limit this far under the next is a floor (no-data and range-folded codes sit there).
constexpr float FLOOR_GAP = 50.0f;

std::string number(float v)
{
  char buf[24];
  // large values whole: 5220 m, not 5.22e+03
  std::snprintf(buf, sizeof buf, std::fabs(v) >= 1000 ? "%.0f" : "%.3g", static_cast<double>(v));
  return buf;
}

// The colour as devices make it of the map's (each channel truncated to a byte), put so that
// a picture's pixels rounded to bytes come out the same.
RGB deviceColor(const RGB& c)
{
  auto channel = [](float v) {
    const int byte = v > 0 ? static_cast<int>(std::min(v, 1.0f) * 255) : 0;
    return (byte + 0.25f) / 255.0f;
  };
  return RGB(channel(c.red), channel(c.green), channel(c.blue));
}

}  // namespace

std::vector<std::string> classLabels(const std::vector<float>& limits)
{
  std::vector<std::string> out;
  for (size_t k = 0; k < limits.size(); ++k) {
    const bool floor = k == 0 && limits.size() > 1 && limits[1] - limits[0] >= FLOOR_GAP;
    out.push_back(floor ? "<" + number(limits[1]) : number(limits[k]));
  }
  return out;
}

int setClassBar(Plot& plot, const std::vector<float>& limits, CodeColors& colors, const char* units,
                const std::vector<std::string>& names)
{
  if (limits.empty() || limits.size() > 255) return 0;
  const std::vector<std::string> labels =
      names.size() == limits.size() ? names : classLabels(limits);
  ColorFill fill;
  for (size_t k = 0; k < limits.size(); ++k) {
    RGB& c = colors.rgb[k + 1];
    const int index = plot.getGraph().allocColor(c);
    if (index < 0) return 0;
    plot.getColorRGB(index, c.red, c.green, c.blue);
    c = deviceColor(c);
    fill.add(index, limits[k], labels[k].c_str());
  }
  plot.setBar(fill, Range(limits.front(), limits.back()));
  plot.setBarUnits(units);
  return 1;
}

int setScaleBar(Plot& plot, const Enhance& e, const char* units)
{
  float lo, hi;
  if (!e.getRange(lo, hi)) return 0;
  plot.setBar(e);
  plot.setBarUnits(units);
  return 1;
}

}  // namespace KOL::imageplot
