#include "graphics/contour/Annotations.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Const.h"
#include "grid/Grid.h"

namespace KOL::contour {

namespace {

// Highs and lows of one kind this far apart (a fraction of the area's shorter side) belong to
// different systems; a high and a low need only keep their texts apart.
constexpr float SEPARATION = 0.12f;
// Labels of one level this far apart along their line.
constexpr float LABEL_SPACING = 0.25f;
// No extreme this close to the area's edge: its surroundings are not all seen.
constexpr float MARGIN = 0.05f;

float dist(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool overlap(const Rect& a, const Rect& b)
{
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

bool inside(const Rect& box, const Rect& area)
{
  return box.x1 >= area.x1 && box.x2 <= area.x2 && box.y1 >= area.y1 && box.y2 <= area.y2;
}

// The "H" or "L" with its value beneath (up or down the area, whichever way it runs).
Rect markBox(const Extreme& e, float h)
{
  Rect r;
  r.x1 = e.at.x - 2.0f * h, r.x2 = e.at.x + 2.0f * h;
  r.y1 = e.at.y - 2.2f * h, r.y2 = e.at.y + 2.2f * h;
  return r;
}

}  // namespace

Rect textBox(const Point& p, int n, float h)
{
  const float hw = 0.45f * h * static_cast<float>(std::max(n, 1)) + 0.3f * h;
  Rect r;
  r.x1 = p.x - hw, r.x2 = p.x + hw;
  r.y1 = p.y - 0.75f * h, r.y2 = p.y + 0.75f * h;
  return r;
}

bool prominent(const Grid& g, int i0, int j0, bool high, float interval)
{
  const int nx = g.getNx(), ny = g.getNy();
  const float v = g.getValue(i0, j0);
  // The ground within an interval of the extreme, joined to it: higher ground in it means the
  // extreme is a bump on a slope or on a larger hill; reaching the grid's border, that no
  // contour closes around it (a ridge running off the map, a noisy plateau).
  auto within = [&](float w) { return high ? w > v - interval : w < v + interval; };
  auto beyond = [&](float w) { return high ? w > v : w < v; };
  std::vector<char> seen(static_cast<std::size_t>(nx) * ny, 0);
  std::vector<int> todo{j0 * nx + i0};
  seen[todo[0]] = 1;
  const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
  while (!todo.empty()) {
    const int k = todo.back();
    todo.pop_back();
    const int i = k % nx, j = k / nx;
    for (int d = 0; d < 4; d++) {
      const int a = i + di[d], b = j + dj[d];
      if (a < 0 || b < 0 || a >= nx || b >= ny || seen[b * nx + a]) continue;
      seen[b * nx + a] = 1;
      const float w = g.getValue(a, b);
      if (Const::isMiss(w) || !within(w)) continue;
      if (beyond(w) || a == 0 || b == 0 || a == nx - 1 || b == ny - 1) return false;
      todo.push_back(b * nx + a);
    }
  }
  return true;
}

std::vector<Extreme> spreadExtremes(std::vector<Extreme> cands, const Area& area)
{
  std::stable_sort(cands.begin(), cands.end(),
                   [](const Extreme& a, const Extreme& b) { return a.relief > b.relief; });
  const float side = area.side(), m = MARGIN * side;
  const Rect inner(area.rect.x1 + m, area.rect.y1 + m, area.rect.x2 - m, area.rect.y2 - m);
  std::vector<Extreme> kept;
  for (const Extreme& e : cands) {
    if (e.at.x < inner.x1 || e.at.x > inner.x2 || e.at.y < inner.y1 || e.at.y > inner.y2) continue;
    bool clear = true;
    for (const Extreme& k : kept) {
      const float need = SEPARATION * side * (k.high == e.high ? 1.0f : 0.5f);
      if (dist(k.at, e.at) < need) clear = false;
    }
    if (clear) kept.push_back(e);
  }
  return kept;
}

std::vector<LabelSpot> spreadLabels(std::vector<LabelSpot> cands, const std::vector<Extreme>& marks,
                                    const Area& area)
{
  const Point c((area.rect.x1 + area.rect.x2) / 2, (area.rect.y1 + area.rect.y2) / 2);
  std::stable_sort(cands.begin(), cands.end(), [&](const LabelSpot& a, const LabelSpot& b) {
    return dist(a.at, c) < dist(b.at, c);
  });
  const float h = area.textHeight, spacing = LABEL_SPACING * area.side();
  std::vector<Rect> taken;
  for (const Extreme& e : marks) taken.push_back(markBox(e, h));
  std::vector<LabelSpot> kept;
  for (const LabelSpot& l : cands) {
    const Rect box = textBox(l.at, static_cast<int>(l.text.size()), h);
    if (!inside(box, area.rect)) continue;
    if (std::any_of(taken.begin(), taken.end(), [&](const Rect& t) { return overlap(t, box); }))
      continue;
    if (std::any_of(kept.begin(), kept.end(), [&](const LabelSpot& k) {
          return k.level == l.level && dist(k.at, l.at) < spacing;
        }))
      continue;
    taken.push_back(box);
    kept.push_back(l);
  }
  return kept;
}

}  // namespace KOL::contour
