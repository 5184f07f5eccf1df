#include "graphics/contour/BandFill.h"

#include "graphics/GridBox.h"

namespace KOL::contour {

namespace {

// Corners in perimeter order (clockwise on the page), the side that follows each, and whether
// the side's fraction grows along the walk.
constexpr int WALK_CORNER[4] = {0, 1, 3, 2};
constexpr int WALK_SIDE[4] = {0, 1, 2, 3};
constexpr bool WALK_FORWARD[4] = {true, false, false, true};

// A corner or a crossing on the walk; its position stays in its box until a polygon takes it.
struct Item {
  int box;    // -1 corner, 0 lower level crossing, 1 upper level crossing
  int cross;  // crossing index within its box; for a corner 1 when it lies in the band
  bool entry;
  int node;  // as BandFill::getNode
  int side;  // the side the walk goes on along from here
};

struct Walk {
  Item items[12];
  int n = 0;
  int index[2][4];  // item of each crossing
};

bool inBand(const GridBox& lower, const GridBox* upper, int c)
{
  return lower.isAbove(c) && (!upper || !upper->isAbove(c));
}

// Crossing k of one box (b 0 lower, 1 upper) on one side, put in walk order after the lower
// box's crossing on that side (at most one crossing per box and side).
void addCrossing(Walk& w, const GridBox& box, int b, int k, int side, float& fprev, bool forward)
{
  float f = box.getSide(side);
  Item it{b, k, false, BandFill::CROSSING + 4 * b + side, side};
  bool before =
      w.n > 0 && w.items[w.n - 1].box >= 0 && fprev >= 0.0f && (forward ? f < fprev : f > fprev);
  if (before) {
    w.items[w.n] = w.items[w.n - 1];
    w.index[w.items[w.n].box][w.items[w.n].cross] = w.n;
    w.items[w.n - 1] = it;
    w.index[b][k] = w.n - 1;
  } else {
    w.items[w.n] = it;
    w.index[b][k] = w.n;
  }
  w.n++;
  fprev = f;
}

// The crossing of the box on each side, -1 where none.
void crossingsBySide(const GridBox& box, int (&on)[4])
{
  on[0] = on[1] = on[2] = on[3] = -1;
  for (int k = 0; k < box.getNumCross(); k++) on[box.getCrossSide(k) & 3] = k;
}

}  // namespace

void BandFill::add(int k, int& n, const Point& p, int node, int side)
{
  points[k][n] = p;
  nodes[k][n] = node;
  along[k][n] = side;
  n++;
}

int BandFill::build(const GridBox& lower, const GridBox* upper)
{
  npoly = 0;
  Walk w;
  int ncross = 0;
  int on[2][4];
  crossingsBySide(lower, on[0]);
  if (upper) crossingsBySide(*upper, on[1]);
  for (int s = 0; s < 4; s++) {
    int c = WALK_CORNER[s];
    w.items[w.n++] = Item{-1, inBand(lower, upper, c) ? 1 : 0, false, c, WALK_SIDE[s]};
    float fprev = -1.0f;
    const int side = WALK_SIDE[s];
    if (on[0][side] >= 0) addCrossing(w, lower, 0, on[0][side], side, fprev, WALK_FORWARD[s]);
    if (upper && on[1][side] >= 0)
      addCrossing(w, *upper, 1, on[1][side], side, fprev, WALK_FORWARD[s]);
  }
  bool in = w.items[0].cross == 1;
  for (int k = 0; k < w.n; k++) {
    if (w.items[k].box < 0) continue;
    ncross++;
    in = !in;
    w.items[k].entry = in;
  }
  if (ncross == 0) {
    if (!inBand(lower, upper, 0)) return 0;
    int n = 0;
    for (int s = 0; s < 4; s++) add(0, n, lower.getPoint(WALK_CORNER[s]), WALK_CORNER[s], s);
    count[0] = n;
    return npoly = 1;
  }
  auto point = [&](const Item& it) -> const Point& {
    if (it.box < 0) return lower.getPoint(it.node);
    return (it.box == 0 ? lower : *upper).getCrossPoint(it.cross);
  };
  bool used[12] = {};
  for (int start = 0; start < w.n && npoly < MAX_POLYGONS; start++) {
    if (w.items[start].box < 0 || !w.items[start].entry || used[start]) continue;
    int n = 0, k = start;
    while (!used[k] && n < MAX_POINTS) {
      used[k] = true;
      // The arc inside the band: entry crossing, corners, exit crossing.
      add(npoly, n, point(w.items[k]), w.items[k].node, w.items[k].side);
      int e = (k + 1) % w.n;
      for (; w.items[e].box < 0 && n < MAX_POINTS; e = (e + 1) % w.n)
        add(npoly, n, point(w.items[e]), w.items[e].node, w.items[e].side);
      if (n >= MAX_POINTS) break;
      add(npoly, n, point(w.items[e]), w.items[e].node, -1);
      const GridBox& box = w.items[e].box == 0 ? lower : *upper;
      int partner = box.getPartner(w.items[e].cross);
      if (partner < 0) break;
      k = w.index[w.items[e].box][partner];
    }
    if (n >= 3) count[npoly++] = n;
  }
  return npoly;
}

}  // namespace KOL::contour
