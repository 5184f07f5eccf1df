#include "graphics/contour/Annotations.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "core/Const.h"
#include "graphics/GridBox.h"
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

OpenPoints::OpenPoints(const Grid& g, std::function<bool(int, int)> outside)
    : nx(g.getNx()),
      flags(static_cast<std::size_t>(g.getNx()) * g.getNy(), outside ? UNKNOWN : 0),
      outside(std::move(outside))
{
  const int ny = g.getNy();
  const float* data = g.isData() && !g.isValue() ? g.getData() : nullptr;
  for (int j = 0; j < ny; j++) {
    for (int i = 0; i < nx; i++) {
      const std::size_t p = static_cast<std::size_t>(j) * nx + i;
      if (i == 0 || j == 0 || i == nx - 1 || j == ny - 1) flags[p] = 1;
      if (!Const::isMiss(data ? data[p] : g.getValue(i, j))) continue;
      for (int b = std::max(j - 1, 0); b <= std::min(j + 1, ny - 1); b++)
        for (int a = std::max(i - 1, 0); a <= std::min(i + 1, nx - 1); a++)
          flags[static_cast<std::size_t>(b) * nx + a] = 1;
    }
  }
}

bool OpenPoints::operator()(int i, int j)
{
  char& f = flags[static_cast<std::size_t>(j) * nx + i];
  if (f == UNKNOWN) f = outside(i, j) ? 1 : 0;
  return f == 1;
}

namespace {

// Whether the lines of level through the saddle cell whose upper left corner is (i, j) join its
// upper left and lower right corners (falling) or its upper right and lower left ones.
bool saddleJoins(const Grid& g, int i, int j, float level, bool falling)
{
  float v[4];
  Point p[4];
  for (int c = 0; c < 4; c++) {
    v[c] = g.getValue(i + (c & 1), j + (c >> 1));
    p[c].set(static_cast<float>(c & 1), static_cast<float>(c >> 1));
  }
  GridBox box;
  box.set(v, p);
  if (box.setLevel(level) != 4) return false;
  // where the top crossing meets the right one, the upper right and lower left corners are cut off
  return (box.getPartner(0) == 1) == falling;
}

}  // namespace

int enclosedPoints(const Grid& g, int i0, int j0, bool high, float level, OpenPoints& open,
                   std::vector<char>& seen)
{
  const int nx = g.getNx(), ny = g.getNy();
  const float* data = g.isData() && !g.isValue() ? g.getData() : nullptr;
  auto value = [&](int a, int b) {
    return data ? data[static_cast<std::size_t>(b) * nx + a] : g.getValue(a, b);
  };
  const float v = value(i0, j0);
  // inside the ring: above the level for a high; at or below it for a low (a value on a level
  // is drawn as just below it)
  auto inside = [&](int a, int b) {
    const float w = value(a, b);
    return !Const::isMiss(w) && (high ? w > level : w <= level);
  };
  auto beyond = [&](float w) { return high ? w > v : w < v; };
  // every point looked at, to clear its flag again
  std::vector<int> marked{j0 * nx + i0};
  std::vector<int> todo{j0 * nx + i0};
  seen[todo[0]] = 1;
  int count = 0;
  auto finish = [&](int n) {
    for (int k : marked) seen[k] = 0;
    return n;
  };
  while (!todo.empty()) {
    const int k = todo.back();
    todo.pop_back();
    const int i = k % nx, j = k / nx;
    if (open(i, j)) return finish(0);
    count++;
    for (int dj = -1; dj <= 1; dj++) {
      for (int di = -1; di <= 1; di++) {
        const int a = i + di, b = j + dj;
        if ((di == 0 && dj == 0) || a < 0 || b < 0 || a >= nx || b >= ny || seen[b * nx + a] ||
            !inside(a, b))
          continue;
        // A diagonal neighbour is joined through a saddle only as the lines there are drawn.
        if (di != 0 && dj != 0 && !inside(a, j) && !inside(i, b) &&
            !saddleJoins(g, std::min(i, a), std::min(j, b), level, di == dj))
          continue;
        seen[b * nx + a] = 1;
        marked.push_back(b * nx + a);
        if (beyond(value(a, b))) return finish(0);
        todo.push_back(b * nx + a);
      }
    }
  }
  return finish(count);
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
