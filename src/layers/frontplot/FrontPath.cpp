#include "layers/frontplot/FrontPath.h"

#include <cmath>

namespace KOL::frontplot {

namespace {

float dist(const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::vector<Point> FrontPath::smooth(const std::vector<Point>& p, int steps)
{
  if (p.size() < 3 || steps < 2) return p;
  std::vector<Point> out;
  const size_t n = p.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    const Point& p0 = p[i > 0 ? i - 1 : i];
    const Point& p1 = p[i];
    const Point& p2 = p[i + 1];
    const Point& p3 = p[i + 2 < n ? i + 2 : i + 1];
    for (int k = 0; k < steps; ++k) {
      const float t = static_cast<float>(k) / steps, t2 = t * t, t3 = t2 * t;
      auto f = [&](float a, float b, float c, float d) {
        return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                       (-a + 3 * b - 3 * c + d) * t3);
      };
      out.emplace_back(f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y));
    }
  }
  out.push_back(p.back());
  return out;
}

float FrontPath::length() const
{
  float s = 0;
  for (size_t i = 1; i < pts_.size(); ++i) s += dist(pts_[i - 1], pts_[i]);
  return s;
}

std::vector<FrontPath::Place> FrontPath::places(float spacing, float width) const
{
  std::vector<Place> out;
  if (pts_.size() < 2 || !(spacing > 0)) return out;
  const float total = length();
  float next = spacing / 2, walked = 0;
  for (size_t i = 1; i < pts_.size(); ++i) {
    const float seg = dist(pts_[i - 1], pts_[i]);
    if (!(seg > 0)) continue;
    const float tx = (pts_[i].x - pts_[i - 1].x) / seg, ty = (pts_[i].y - pts_[i - 1].y) / seg;
    // the base follows the line's direction where it starts
    while (next <= walked + seg && next + width <= total) {
      const float s = next - walked;
      out.push_back({Point(pts_[i - 1].x + tx * s, pts_[i - 1].y + ty * s), tx, ty});
      next += spacing;
    }
    walked += seg;
  }
  return out;
}

std::vector<Point> FrontPath::triangle(const Place& p, float width, float height, int side)
{
  const float nx = -p.ty * side, ny = p.tx * side;
  const Point end(p.at.x + p.tx * width, p.at.y + p.ty * width);
  const Point apex(p.at.x + p.tx * width / 2 + nx * height,
                   p.at.y + p.ty * width / 2 + ny * height);
  return {p.at, apex, end, p.at};
}

std::vector<Point> FrontPath::halfCircle(const Place& p, float width, int side)
{
  const float r = width / 2, nx = -p.ty * side, ny = p.tx * side;
  const Point c(p.at.x + p.tx * r, p.at.y + p.ty * r);
  std::vector<Point> out;
  constexpr int STEPS = 10;
  for (int k = 0; k <= STEPS; ++k) {
    const float a = static_cast<float>(M_PI) * k / STEPS;  // from the start of the base round
    out.emplace_back(c.x - std::cos(a) * r * p.tx + std::sin(a) * r * nx,
                     c.y - std::cos(a) * r * p.ty + std::sin(a) * r * ny);
  }
  out.push_back(out.front());
  return out;
}

}  // namespace KOL::frontplot
