#include "graphics/plot/ColorBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Range.h"
#include "graphics/ColorFill.h"
#include "graphics/Enhance.h"
#include "graphics/Graph.h"

namespace KOL::ColorBar {

namespace {

constexpr int ENHANCE_STEPS = 64;

struct Layout {
  Rect box;
  bool vertical;
  int n;
  float thick() const { return vertical ? box.width() : box.height(); }
  // Rectangle of slot k (of n).
  Rect slot(int k) const
  {
    if (vertical) {
      const float s = box.height() / n;
      return Rect(box.x1, box.y1 + k * s, box.x2, box.y1 + (k + 1) * s);
    }
    const float s = box.width() / n;
    return Rect(box.x1 + k * s, box.y1, box.x1 + (k + 1) * s, box.y2);
  }
  // Where a label for the position f (0 start .. n end) along the bar goes.
  Point labelAt(float f) const
  {
    const float h = 0.35f * thick();
    if (vertical) return Point(box.x2 + 0.3f * h, box.y1 + f * box.height() / n);
    return Point(box.x1 + f * box.width() / n, box.y1 - 0.3f * h);
  }
};

void setLabelText(Graph& g, const Layout& l, int colour)
{
  g.setTextColor(colour);
  g.setTextHeight(0.35f * l.thick());
  if (l.vertical)
    g.setTextAlign(1, 3);
  else
    g.setTextAlign(2, 1);
}

void label(Graph& g, const Layout& l, float f, float v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  g.drawText(l.labelAt(f), buf);
}

void fillBox(Graph& g, const Rect& r, int colour)
{
  g.setFillColor(colour);
  g.setFillStyle(0);
  g.drawFill(r);
  g.setLineColor(colour);
  g.drawRect(r);
}

}  // namespace

float gapFor(float panelHeight) { return 0.03f * panelHeight + 0.01f; }

float room(int locate, float h, float gap)
{
  switch (locate) {
    case 1:
      return gap + 2.5f * h;
    case 2:
    case 3:
      return 0.01f + 2.5f * h;
    default:
      return gap + 1.8f * h;
  }
}

Rect place(const Rect& vp, const Rect& ndc, int locate, float h, float gap)
{
  const float inset = 0.05f;
  switch (locate) {
    case 1: {
      float y1 = vp.y2 + gap + 0.5f * h;
      if (vp.y2 + room(1, h, gap) > ndc.y2 + 1e-4f) y1 = vp.y2 - 2.0f * h;
      const float dx = inset * vp.width();
      return Rect(vp.x1 + dx, y1, vp.x2 - dx, y1 + h);
    }
    case 2:
    case 3: {
      const float dy = inset * vp.height();
      float x1 = locate == 2 ? vp.x2 + 0.01f : vp.x1 - 0.01f - h - 1.5f * h;
      if (locate == 2 && vp.x2 + room(2, h, gap) > ndc.x2 + 1e-4f) x1 = vp.x2 - 2.5f * h;
      if (locate == 3 && vp.x1 - room(3, h, gap) < ndc.x1 - 1e-4f) x1 = vp.x1 + 0.01f;
      return Rect(x1, vp.y1 + dy, x1 + h, vp.y2 - dy);
    }
    default: {
      float y2 = vp.y1 - gap - 0.2f * h;
      if (vp.y1 - room(0, h, gap) < ndc.y1 - 1e-4f) y2 = vp.y1 + 1.6f * h;
      const float dx = inset * vp.width();
      return Rect(vp.x1 + dx, y2 - h, vp.x2 - dx, y2);
    }
  }
}

int countBoxes(const ColorFill& fill, const Range& r)
{
  if (!r.isValid() || fill.getNum() == 0) return 0;
  if (fill.isValues()) return fill.getIndex(r.max) - fill.getIndex(r.min) + 1;
  const float step = fill.getInterval();
  if (Const::isMiss(step) || !(step > 0)) return 0;
  const double n = std::trunc((static_cast<double>(r.max) - r.min) / step + 0.01);
  return n > 0 && n < 1000 ? static_cast<int>(n) : 0;
}

// Every how many slots a label fits beside the previous one: labels of up to chars
// characters as wide as the text is high (the fonts drawn run wider than they are tall), and a gap.
int labelStep(const Layout& l, size_t chars)
{
  const float text = 0.35f * l.thick();
  const float need = l.vertical ? 1.2f * text : (static_cast<float>(chars) + 1.0f) * text;
  const float slot = (l.vertical ? l.box.height() : l.box.width()) / static_cast<float>(l.n);
  return slot > 0 ? std::max(1, static_cast<int>(std::ceil(need / slot - 1e-3f))) : 1;
}

int draw(Graph& g, const ColorFill& fill, const Range& r, const Rect& box, int labelColor)
{
  const int n = countBoxes(fill, r);
  if (n <= 0 || box.isMiss()) return 0;
  const Layout l{box, box.height() > box.width(), n};
  const int first = fill.isValues() ? fill.getIndex(r.min) : 0;
  bool labelled = false;
  size_t chars = 0;
  for (int k = 0; k < n; ++k) {
    const int entry = fill.isValues() ? first + k : fill.getIndex(r.min + k * fill.getInterval());
    const int colour = fill.getColor(entry);
    if (colour >= 0) fillBox(g, l.slot(k), colour);
    labelled = labelled || fill.getLabel(entry);
    if (const char* t = fill.getLabel(entry)) chars = std::max(chars, std::strlen(t));
  }
  setLabelText(g, l, labelColor);
  const int every = labelled ? labelStep(l, chars) : 1;
  for (int k = 0; k < n && labelColor >= 0; ++k) {
    if (k % every) continue;  // crowded class names: every few, as they fit
    const int entry = fill.isValues() ? first + k : fill.getIndex(r.min + k * fill.getInterval());
    if (labelled) {
      if (fill.getLabel(entry)) g.drawText(l.labelAt(k + 0.5f), fill.getLabel(entry));
    } else {
      label(g, l, static_cast<float>(k),
            fill.isValues() ? fill.getValue(entry) : r.min + k * fill.getInterval());
    }
  }
  if (!labelled && !fill.isValues() && labelColor >= 0)
    label(g, l, static_cast<float>(n), r.min + n * fill.getInterval());
  return 1;
}

int drawUnits(Graph& g, const Rect& box, const char* units, int labelColor)
{
  if (!units || !*units || labelColor < 0 || box.isMiss()) return 0;
  const Layout l{box, box.height() > box.width(), 1};
  g.setTextColor(labelColor);
  g.setTextHeight(0.45f * l.thick());
  if (l.vertical) {
    g.setTextAlign(2, 0);
    return g.drawText(Point((box.x1 + box.x2) / 2, box.y2 + 0.3f * l.thick()), units);
  }
  g.setTextAlign(1, 3);
  return g.drawText(Point(box.x2 + 0.3f * l.thick(), (box.y1 + box.y2) / 2), units);
}

int drawEnhance(Graph& g, const Enhance& e, const Rect& box, int labelColor)
{
  float lo, hi;
  if (!e.getRange(lo, hi) || !(hi > lo) || box.isMiss()) return 0;
  const Layout l{box, box.height() > box.width(), ENHANCE_STEPS};
  for (int k = 0; k < ENHANCE_STEPS; ++k) {
    RGB c;
    if (!e.getColor(lo + (k + 0.5f) * (hi - lo) / ENHANCE_STEPS, c)) continue;
    fillBox(g, l.slot(k), g.allocColor(c));
  }
  if (labelColor < 0) return 1;
  setLabelText(g, l, labelColor);
  // segment limits, skipping those that would overlap the previous label
  const float minGap =
      3.0f * 0.35f * l.thick() / (l.vertical ? box.height() : box.width()) * ENHANCE_STEPS;
  float last = -1e9f;
  auto mark = [&](float v) {
    const float f = (v - lo) / (hi - lo) * ENHANCE_STEPS;
    if (f - last < minGap) return;
    label(g, l, f, v);
    last = f;
  };
  for (int i = 0; i < e.getNum(); ++i) mark(e.get(i).lo);
  mark(hi);
  return 1;
}

}  // namespace KOL::ColorBar
