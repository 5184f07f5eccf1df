#include "graphics/contour/BandFill.h"

#include "graphics/GridBox.h"

namespace KOL::contour {

namespace {

// Corners in perimeter order (clockwise on the page), the side that follows each, and whether
// the side's fraction grows along the walk.
constexpr int WALK_CORNER[4] = {0, 1, 3, 2};
constexpr int WALK_SIDE[4] = {0, 1, 2, 3};
constexpr bool WALK_FORWARD[4] = {true, false, false, true};

struct Item {
  Point p;
  int box;    // -1 corner, 0 lower level crossing, 1 upper level crossing
  int cross;  // crossing index within its box
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

// The crossings of one box on one side, in walk order.
void addCrossings(Walk& w, const GridBox& box, int b, int side, float& fprev, bool forward)
{
  for (int k = 0; k < box.getNumCross(); k++) {
    if (box.getCrossSide(k) != side) continue;
    float f = box.getSide(side);
    Item it{box.getCrossPoint(k), b, k, false, BandFill::CROSSING + 4 * b + side, side};
    // At most one crossing per box and side, so two items at most to order.
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
  for (int s = 0; s < 4; s++) {
    int c = WALK_CORNER[s];
    w.items[w.n++] =
        Item{lower.getPoint(c), -1, inBand(lower, upper, c) ? 1 : 0, false, c, WALK_SIDE[s]};
    float fprev = -1.0f;
    addCrossings(w, lower, 0, WALK_SIDE[s], fprev, WALK_FORWARD[s]);
    if (upper) addCrossings(w, *upper, 1, WALK_SIDE[s], fprev, WALK_FORWARD[s]);
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
  bool used[12] = {};
  for (int start = 0; start < w.n && npoly < MAX_POLYGONS; start++) {
    if (w.items[start].box < 0 || !w.items[start].entry || used[start]) continue;
    int n = 0, k = start;
    while (!used[k] && n < MAX_POINTS) {
      used[k] = true;
      // The arc inside the band: entry crossing, corners, exit crossing.
      add(npoly, n, w.items[k].p, w.items[k].node, w.items[k].side);
      int e = (k + 1) % w.n;
      for (; w.items[e].box < 0 && n < MAX_POINTS; e = (e + 1) % w.n)
        add(npoly, n, w.items[e].p, w.items[e].node, w.items[e].side);
      if (n >= MAX_POINTS) break;
      add(npoly, n, w.items[e].p, w.items[e].node, -1);
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
