#include "graphics/WindPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Const.h"
#include "graphics/Plot.h"
#include "graphics/shape/ShapeFrame.h"

namespace KOL {

namespace {

using shape::ShapeFrame;

// Feathers lean outward, 70 degrees off the shaft.
constexpr float FEATHER_ALONG = 0.342f;   // cos 70
constexpr float FEATHER_ACROSS = 0.940f;  // sin 70
// Arrow heads: sides 25 degrees off the shaft, a third of the arrow at most.
constexpr float HEAD_ANGLE = 25.0f;
constexpr float HEAD_FRACTION = 0.3f;
// Faster winds are drawn as this: six pennants already fill most of a shaft.
constexpr float MAX_SPEED = 300.0f;
// More marks than this on one track would be a smear.
constexpr int MAX_MARKS = 100;

bool missing(float v) { return Const::isMiss(v) || !std::isfinite(v); }

// Two head sides ending at the tip of a shaft of length len in the frame's along direction.
int drawHead(const ShapeFrame& f, float len, float size)
{
  const Point tip = f.at(len, 0);
  const float a = static_cast<float>(HEAD_ANGLE * Const::DRC);
  const float back = size * std::cos(a), out = size * std::sin(a);
  Points pts;
  pts.add(f.at(len - back, out));
  pts.add(tip);
  pts.add(f.at(len - back, -out));
  return f.line(pts);
}

}  // namespace

void WindPlot::init() { setFeather(0.4f, 0.15f, 0.15f); }

void WindPlot::setFeather(float length, float space, float width)
{
  feather = length;
  spacing = space;
  pennant = width;
}

void WindPlot::print() const
{
  std::printf("WindPlot feather: %f spacing: %f pennant: %f\n", feather, spacing, pennant);
}

WindPlot::Feathers WindPlot::countFeathers(float speed)
{
  if (missing(speed)) return {0, 0, 0};
  const float knots = std::min(std::fabs(speed), MAX_SPEED);
  const int fives = static_cast<int>(std::floor(knots / 5.0f + 0.5f));
  return {fives / 10, fives % 10 / 2, fives % 2};
}

int WindPlot::drawBarb(Plot& plot, const Point& p, float dir, float speed, float length,
                       float offset) const
{
  if (p.isMiss() || missing(dir) || dir < 0 || missing(speed) || missing(length) || !(length > 0))
    return 0;
  if (missing(offset)) offset = 0;
  const ShapeFrame f(plot, p, dir, speed < 0 ? -1.0f : 1.0f);
  const float end = offset + length;
  int drawn = f.line(f.at(offset, 0), f.at(end, 0));

  const Feathers n = countFeathers(speed);
  const float fl = feather * length, space = spacing * length, width = pennant * length;
  float d = end;
  for (int i = 0; i < n.pennants; i++, d -= width) {
    Points flag;
    flag.add(f.at(d, 0));
    flag.add(f.at(d - width + fl * FEATHER_ALONG, fl * FEATHER_ACROSS));
    flag.add(f.at(d - width, 0));
    drawn |= f.fill(flag);
    flag.add(f.at(d, 0));
    drawn |= f.line(flag);
  }
  if (n.pennants > 0) d -= space;
  // a lone half barb stands in from the tip so that it is not read as a full one
  if (n.pennants == 0 && n.barbs == 0) d -= space;
  for (int i = 0; i < n.barbs + n.halves; i++, d -= space) {
    const float len = i < n.barbs ? fl : fl / 2;
    drawn |= f.line(f.at(d, 0), f.at(d + len * FEATHER_ALONG, len * FEATHER_ACROSS));
  }
  return drawn;
}

int WindPlot::drawCalm(Plot& plot, const Point& p, float size) const
{
  if (p.isMiss() || missing(size) || !(size > 0)) return 0;
  return ShapeFrame(plot, p).circle(size);
}

int WindPlot::drawVector(Plot& plot, const Point& p, float dir, float magnitude, float length,
                         float expansion) const
{
  if (p.isMiss() || missing(dir) || missing(magnitude) || !(magnitude > 0) || missing(length) ||
      !(length > 0) || missing(expansion) || expansion == 0)
    return 0;
  const float scale = expansion < 0 ? -expansion / 100.0f : expansion;
  const float len = magnitude * length * scale;
  const ShapeFrame f(plot, p, dir + 180.0f);
  int drawn = f.line(f.at(0, 0), f.at(len, 0));
  drawn |= drawHead(f, len, HEAD_FRACTION * len);
  return drawn;
}

int WindPlot::drawArrow(Plot& plot, const Point& p, float dir, float magnitude, float length,
                        float expansion, float calm) const
{
  if (magnitude == 0) return drawCalm(plot, p, calm);
  return drawVector(plot, p, dir, magnitude, length, expansion);
}

int WindPlot::drawTrack(Plot& plot, const Point& p, float dir, float length, int marks,
                        float head) const
{
  if (p.isMiss() || missing(dir) || missing(length) || !(length > 0)) return 0;
  const ShapeFrame f(plot, p, dir + 180.0f);
  const float size = std::min(missing(head) ? 0.0f : head, length / 3.0f);
  int drawn = f.line(f.at(0, 0), f.at(length, 0));
  // the head marks the last part's end
  for (int i = 1; i < std::min(marks, MAX_MARKS); i++) {
    const float d = length * i / std::min(marks, MAX_MARKS);
    drawn |= f.line(f.at(d, -size / 2), f.at(d, size / 2));
  }
  if (size > 0) drawn |= drawHead(f, length, size);
  return drawn;
}

}  // namespace KOL
