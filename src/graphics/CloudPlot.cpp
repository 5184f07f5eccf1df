#include "graphics/CloudPlot.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "core/Const.h"
#include "graphics/Plot.h"
#include "graphics/shape/ShapeFrame.h"

namespace KOL {

namespace {

using shape::ShapeFrame;

// A sector from bearing a1 to a2 (clockwise from up), filled.
int fillSector(const ShapeFrame& f, float r, float a1, float a2)
{
  Points pts = f.arc(r, a1, a2);
  if (a2 - a1 < 360.0f) pts.add(f.at(0, 0));
  return f.fill(pts);
}

// Seven eighths: the whole circle but a vertical gap through the middle.
int fillSevenEighths(const ShapeFrame& f, float r)
{
  const float gap = 0.18f * r;
  const float b = static_cast<float>(std::asin(gap / r) * Const::RDC);
  return fillSector(f, r, b, 180.0f - b) | fillSector(f, r, 180.0f + b, 360.0f - b);
}

// A radius drawn from the centre toward bearing a.
int spoke(const ShapeFrame& f, float r, float a) { return f.line(f.at(0, 0), f.polar(r, a)); }

int drawCross(const ShapeFrame& f, float r)
{
  return f.line(f.polar(r, 45), f.polar(r, 225)) | f.line(f.polar(r, 135), f.polar(r, 315));
}

// The letter M inside the circle: cover not reported.
int drawMissing(const ShapeFrame& f, float r)
{
  const float w = 0.5f * r, h = 0.55f * r;
  Points m;
  m.add(f.at(-h, -w));
  m.add(f.at(h, -w));
  m.add(f.at(0, 0));
  m.add(f.at(h, w));
  m.add(f.at(-h, w));
  return f.line(m);
}

}  // namespace

void CloudPlot::print() const { std::printf("CloudPlot\n"); }

int CloudPlot::toOktas(char code)
{
  if (code >= '0' && code <= '9') return code - '0';
  switch (std::toupper(static_cast<unsigned char>(code))) {
    case 'C':
      return 0;
    case 'F':
      return 2;
    case 'S':
      return 4;
    case 'B':
      return 6;
    case 'O':
      return 8;
    case 'X':
      return OBSCURED;
    default:
      return MISSING;
  }
}

int CloudPlot::draw(Plot& plot, const Point& p, char code, float size) const
{
  return drawOktas(plot, p, toOktas(code), size);
}

int CloudPlot::drawOktas(Plot& plot, const Point& p, int oktas, float size) const
{
  if (p.isMiss() || !(size > 0) || !std::isfinite(size)) return 0;
  const ShapeFrame f(plot, p);
  const float r = size;
  int drawn = 0;
  switch (oktas) {
    case 0:
      break;
    case 1:
      drawn = f.line(f.polar(r, 0), f.polar(r, 180));
      break;
    case 2:
      drawn = fillSector(f, r, 0, 90);
      break;
    case 3:
      drawn = fillSector(f, r, 0, 90) | spoke(f, r, 180);
      break;
    case 4:
      drawn = fillSector(f, r, 0, 180);
      break;
    case 5:
      drawn = fillSector(f, r, 0, 180) | spoke(f, r, 270);
      break;
    case 6:
      drawn = fillSector(f, r, 0, 270);
      break;
    case 7:
      drawn = fillSevenEighths(f, r);
      break;
    case 8:
      drawn = fillSector(f, r, 0, 360);
      break;
    case OBSCURED:
      drawn = drawCross(f, r);
      break;
    default:
      drawn = drawMissing(f, r);
      break;
  }
  return f.circle(r) | drawn;
}

}  // namespace KOL
