#include "graphics/contour/Coverage.h"

#include <algorithm>
#include <array>

#include "core/Const.h"
#include "graphics/GridBox.h"
#include "grid/Grid.h"

namespace KOL::contour {

namespace {

// The edge runs where the share of valid points around a point is one half.
constexpr float EDGE = 0.5f;
// A missing point never reaches the edge, however many valid neighbours it has: the edge passes
// between it and them.
constexpr float MISSING_MOST = 0.45f;
// Corners in perimeter order.
constexpr int WALK[4] = {0, 1, 3, 2};

float cross(const Point& o, const Point& a, const Point& b)
{
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

float orientation(const Piece& p)
{
  float twice = 0;
  for (int k = 0; k < p.n; k++) twice += cross(Point(0, 0), p.pts[k], p.pts[(k + 1) % p.n]);
  return twice > 0 ? 1.0f : twice < 0 ? -1.0f : 0.0f;
}

Point between(const Point& a, const Point& b, float f)
{
  return Point(a.x + f * (b.x - a.x), a.y + f * (b.y - a.y));
}

}  // namespace

Coverage::Coverage(const Grid& g) : nx(g.getNx()), ny(g.getNy()), whole(true)
{
  share.assign(static_cast<std::size_t>(nx) * ny, 1.0f);
  auto valid = [&](int i, int j) {
    // beyond the grid as at its border: the border itself is no edge of the values
    return !Const::isMiss(g.getValue(std::clamp(i, 0, nx - 1), std::clamp(j, 0, ny - 1)));
  };
  for (int j = 0; j < ny && whole; j++)
    for (int i = 0; i < nx && whole; i++) whole = valid(i, j);
  if (whole) return;
  filled.assign(share.size(), Const::FMISS);
  for (int j = 0; j < ny; j++) {
    for (int i = 0; i < nx; i++) {
      int n = 0, inside = 0;
      double sum = 0;
      for (int b = j - 1; b <= j + 1; b++)
        for (int a = i - 1; a <= i + 1; a++) {
          if (!valid(a, b)) continue;
          n++;
          if (a < 0 || b < 0 || a >= nx || b >= ny) continue;
          sum += g.getValue(a, b);
          inside++;
        }
      const float s = static_cast<float>(n) / 9.0f;
      const std::size_t k = static_cast<std::size_t>(j) * nx + i;
      share[k] = valid(i, j) ? s : std::min(s, MISSING_MOST);
      if (!valid(i, j) && inside > 0) filled[k] = static_cast<float>(sum / inside);
    }
  }
}

float Coverage::value(const Grid& g, int i, int j) const
{
  const float v = g.getValue(i, j);
  if (!Const::isMiss(v) || filled.empty()) return v;
  return filled[static_cast<std::size_t>(j) * nx + i];
}

bool Coverage::covers(int i, int j) const
{
  return at(i, j) >= EDGE && at(i + 1, j) >= EDGE && at(i, j + 1) >= EDGE &&
         at(i + 1, j + 1) >= EDGE;
}

bool Coverage::touches(int i, int j) const
{
  return at(i, j) >= EDGE || at(i + 1, j) >= EDGE || at(i, j + 1) >= EDGE ||
         at(i + 1, j + 1) >= EDGE;
}

int Coverage::pieces(int i, int j, const GridBox& box, Piece out[2]) const
{
  float s[4];
  bool in[4];
  for (int c = 0; c < 4; c++) {
    s[c] = at(i + (c & 1), j + (c >> 1));
    in[c] = s[c] >= EDGE;
  }
  auto edgePoint = [&](int c, int d) {
    return between(box.getPoint(c), box.getPoint(d), (EDGE - s[c]) / (s[d] - s[c]));
  };
  const bool saddle = in[0] == in[3] && in[1] == in[2] && in[0] != in[1];
  if (saddle && (s[0] + s[1] + s[2] + s[3]) / 4.0f < EDGE) {
    // two corners apart: a triangle at each
    int n = 0;
    for (int w = 0; w < 4; w++) {
      const int c = WALK[w], prev = WALK[(w + 3) % 4], next = WALK[(w + 1) % 4];
      if (!in[c]) continue;
      out[n].pts[0] = edgePoint(prev, c);
      out[n].pts[1] = box.getPoint(c);
      out[n].pts[2] = edgePoint(c, next);
      out[n++].n = 3;
    }
    return n;
  }
  Piece& p = out[0];
  p.n = 0;
  for (int w = 0; w < 4; w++) {
    const int c = WALK[w], d = WALK[(w + 1) % 4];
    if (in[c]) p.pts[p.n++] = box.getPoint(c);
    if (in[c] != in[d]) p.pts[p.n++] = edgePoint(c, d);
  }
  return p.n >= 3 ? 1 : 0;
}

int clip(const Point* p, int n, const Piece& piece, Point* out)
{
  const float o = orientation(piece);
  if (o == 0 || n < 3) return 0;
  std::array<Point, 2 * (Piece::MAX_POINTS + 32)> buf;
  Point* cur = buf.data();
  Point* next = buf.data() + Piece::MAX_POINTS + 32;
  if (n > 32) return 0;
  std::copy(p, p + n, cur);
  for (int e = 0; e < piece.n && n > 0; e++) {
    const Point& a = piece.pts[e];
    const Point& b = piece.pts[(e + 1) % piece.n];
    int m = 0;
    for (int k = 0; k < n; k++) {
      const Point& q = cur[k];
      const Point& r = cur[(k + 1) % n];
      const float fq = o * cross(a, b, q), fr = o * cross(a, b, r);
      if (fq >= 0) next[m++] = q;
      if ((fq >= 0) != (fr >= 0)) next[m++] = between(q, r, fq / (fq - fr));
    }
    std::swap(cur, next);
    n = m;
  }
  std::copy(cur, cur + n, out);
  return n >= 3 ? n : 0;
}

bool clip(Point& a, Point& b, const Piece& piece)
{
  const float o = orientation(piece);
  if (o == 0) return false;
  float t0 = 0, t1 = 1;
  for (int e = 0; e < piece.n; e++) {
    const Point& p = piece.pts[e];
    const Point& q = piece.pts[(e + 1) % piece.n];
    const float fa = o * cross(p, q, a), fb = o * cross(p, q, b);
    if (fa < 0 && fb < 0) return false;
    if (fa < 0) t0 = std::max(t0, fa / (fa - fb));
    if (fb < 0) t1 = std::min(t1, fa / (fa - fb));
  }
  if (t0 >= t1) return false;
  // ends inside stay exactly as they are, to meet the neighbouring cells' ends
  const Point from = a, to = b;
  if (t0 > 0) a = between(from, to, t0);
  if (t1 < 1) b = between(from, to, t1);
  return true;
}

}  // namespace KOL::contour
