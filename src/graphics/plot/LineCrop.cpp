#include "graphics/plot/LineCrop.h"

namespace KOL::LineCrop {

namespace {

// The point where segment a-b meets x = edge.
Point edgePoint(const Point& a, const Point& b, float edge)
{
  const float f = (edge - a.x) / (b.x - a.x);
  return Point(edge, a.y + f * (b.y - a.y));
}

bool inside(const Point& p, float lim) { return p.x >= -lim && p.x <= lim; }

}  // namespace

bool cropSegment(Point& a, Point& b, float lim)
{
  if ((a.x < -lim && b.x < -lim) || (a.x > lim && b.x > lim)) return false;
  for (float edge : {-lim, lim}) {
    const bool aOut = edge < 0 ? a.x < edge : a.x > edge;
    const bool bOut = edge < 0 ? b.x < edge : b.x > edge;
    if (aOut) a = edgePoint(a, b, edge);
    if (bOut) b = edgePoint(a, b, edge);
  }
  return true;
}

Points cropLine(const Points& in, float lim)
{
  Points out;
  const Point gap;
  auto breakPiece = [&]() {
    if (out.getNum() > 0 && !out[out.getNum() - 1].isMiss()) out.add(gap);
  };
  for (int i = 0; i < in.getNum(); ++i) {
    const Point& p = in[i];
    if (p.isMiss()) {
      breakPiece();
      continue;
    }
    const bool hasPrev = i > 0 && !in[i - 1].isMiss();
    if (hasPrev) {
      Point a = in[i - 1], b = p;
      const bool aIn = inside(a, lim), bIn = inside(b, lim);
      if (!(aIn && bIn) && cropSegment(a, b, lim)) {
        if (!aIn) {
          breakPiece();
          out.add(a);
        }
        if (!bIn) {
          out.add(b);
          breakPiece();
          continue;
        }
      }
    }
    if (inside(p, lim)) out.add(p);
  }
  return out;
}

std::vector<Points> split(const Points& in)
{
  std::vector<Points> pieces;
  Points cur;
  auto flush = [&]() {
    if (cur.getNum() >= 2) pieces.push_back(cur);
    cur.clear();
  };
  for (const Point& p : in) {
    if (p.isMiss())
      flush();
    else
      cur.add(p);
  }
  flush();
  return pieces;
}

}  // namespace KOL::LineCrop
