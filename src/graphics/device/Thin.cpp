#include "graphics/device/Thin.h"

#include <algorithm>
#include <utility>

namespace KOL::Thin {

namespace {

// The square of the distance of p from the segment a-b.
float distance2(const Point& p, const Point& a, const Point& b)
{
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  const float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

}  // namespace

void polyline(const Points& pts, float tol, std::vector<int>& keep)
{
  keep.clear();
  const int n = pts.getNum();
  if (n < 3) {
    for (int i = 0; i < n; i++) keep.push_back(i);
    return;
  }
  // Each span keeps its farthest point while that lies beyond tol, spans taken left to right so
  // the kept points come out in order.
  const float tol2 = tol * tol;
  std::vector<std::pair<int, int>> spans{{0, n - 1}};
  keep.push_back(0);
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    int far = -1;
    float most = tol2;
    for (int i = a + 1; i < b; i++) {
      const float d = distance2(pts[i], pts[a], pts[b]);
      if (d > most) most = d, far = i;
    }
    if (far < 0) {
      keep.push_back(b);
      continue;
    }
    spans.emplace_back(far, b);
    spans.emplace_back(a, far);
  }
}

}  // namespace KOL::Thin
