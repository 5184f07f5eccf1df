#include "graphics/contour/BandRegions.h"

#include <algorithm>

#include "graphics/ContSink.h"
#include "graphics/contour/BandFill.h"
#include "graphics/contour/Lattice.h"

namespace KOL::contour {

namespace {

// Sides (GridBox's numbering) as bits, and the corners that start and end each side on a
// clockwise walk round the cell.
constexpr unsigned bit(int s) { return 1u << s; }
constexpr int WALK_FROM[4] = {0, 1, 3, 2};
constexpr int SIDES[4] = {0, 1, 2, 3};

}  // namespace

BandRegions::BandRegions(const Lattice& lattice, int nbands)
    : lat(lattice),
      bands(nbands),
      sides(lattice.numSides()),
      columns(lattice.getNx() - 1),
      edges(nbands),
      starts(nbands),
      ends(nbands),
      loosePts(nbands),
      looseCounts(nbands)
{
  const std::size_t row = static_cast<std::size_t>(lattice.getNx()) * nbands;
  for (int p = 0; p < 2; p++) {
    rightArea[p].assign(nbands, -1);
    rightCell[p].assign(nbands, -1);
    downArea[p].assign(row, -1);
    downRow[p].assign(row, -1);
    across[p].resize(2 * static_cast<std::size_t>(nbands));
    down[p].resize(2 * row);
  }
}

// Crossings of the band's lower level, then of its upper level, on each side, then the grid
// points.
int BandRegions::node(int i, int j, int tag) const
{
  if (tag < BandFill::CROSSING) return 2 * sides + lat.point(i, j, tag);
  const int t = tag - BandFill::CROSSING;
  return 2 * lat.side(i, j, t & 3) + (t >> 2);
}

void BandRegions::addPolygon(int k, int i, int j, const BandFill& fill, int p)
{
  int n = 0;
  const Point* pts = fill.getPolygon(p, n);
  int tags[BandFill::MAX_POINTS], along[BandFill::MAX_POINTS];
  for (int t = 0; t < n; t++) {
    tags[t] = fill.getNode(p, t);
    along[t] = fill.getAlong(p, t);
  }
  addEdges(k, i, j, n, pts, tags, along);
}

void BandRegions::addBorderCell(int k, int i, int j)
{
  Point pts[4];
  for (int s = 0; s < 4; s++) pts[s] = lat.at(i, j, WALK_FROM[s]);
  addEdges(k, i, j, 4, pts, WALK_FROM, SIDES);
}

void BandRegions::addEdges(int k, int i, int j, int n, const Point* pts, const int* tags,
                           const int* along)
{
  const unsigned around = lat.touching(i, j);
  unsigned touches = 0;
  for (int t = 0; t < n; t++)
    if (along[t] >= 0) touches |= around & bit(along[t]);
  const int area = areaOf(k, i, j, touches);
  handOn(k, i, j, touches, area);
  std::vector<Edge>& es = edges[k];
  int ids[BandFill::MAX_POINTS];
  for (int t = 0; t < n; t++) {
    const bool kept = along[t] < 0 || !(touches & bit(along[t]));
    ids[t] = kept ? static_cast<int>(es.size()) : -1;
    if (kept) es.push_back({pts[t].x, pts[t].y, area, -1});
  }
  for (int t = 0; t < n; t++) {
    if (ids[t] < 0) continue;
    const int after = (t + 1) % n, before = (t + n - 1) % n;
    if (ids[after] >= 0)
      es[ids[t]].next = ids[after];
    else
      openEnd(k, i, j, tags[after], ids[t], true);
    if (ids[before] < 0) openEnd(k, i, j, tags[t], ids[t], false);
  }
}

BandRegions::Slot& BandRegions::slot(int k, int i, int j, int side, int level)
{
  if (side == 0 || side == 2)
    return down[(j + (side == 2)) & 1][(static_cast<std::size_t>(i) * bands + k) * 2 + level];
  return across[(i + (side == 1)) & 1][static_cast<std::size_t>(k) * 2 + level];
}

void BandRegions::openEnd(int k, int i, int j, int tag, int e, bool isEnd)
{
  if (tag >= BandFill::CROSSING) {
    const int side = (tag - BandFill::CROSSING) & 3, level = (tag - BandFill::CROSSING) >> 2;
    Slot& w = slot(k, i, j, side, level);
    const int cell = j * columns + i;
    if (side == 1 || side == 2) {  // the cell across comes later
      w.stamp = side == 1 ? cell + 1 : cell + columns;
      w.edge = e;
      return;
    }
    if (w.stamp == cell) {
      std::vector<Edge>& es = edges[k];
      (isEnd ? es[e].next : es[w.edge].next) = isEnd ? w.edge : e;
      return;
    }
  }
  (isEnd ? ends : starts)[k].push_back({node(i, j, tag), e});
}

void BandRegions::addLoose(int k, const Point* pts, int n)
{
  loosePts[k].insert(loosePts[k].end(), pts, pts + n);
  looseCounts[k].push_back(n);
}

// Rings that run along the grid's border or round missing values turn at grid points, where
// the edge on may lie in any of the cells round the point.
void BandRegions::linkAtPoints(int k)
{
  const std::vector<AtPoint>& from = starts[k];
  const int n = static_cast<int>(from.size());
  nextOut.assign(n, -1);
  head.reset(n);
  for (int s = 0; s < n; s++) {
    int& h = head.at(from[s].node);
    nextOut[s] = h;
    h = s;
  }
  // Where two areas touch at a grid point the point has two ways on: either closes a ring.
  for (const AtPoint& e : ends[k]) {
    int* h = head.get(e.node);
    if (!h || *h < 0) continue;
    edges[k][e.edge].next = from[*h].edge;
    *h = nextOut[*h];
  }
}

void BandRegions::traceRings(int k)
{
  linkAtPoints(k);
  const std::vector<Edge>& es = edges[k];
  const int n = static_cast<int>(es.size());
  used.assign(n, 0);
  rings.clear();
  ringPts.clear();
  for (int first = 0; first < n; first++) {
    if (used[first]) continue;
    Ring r{root(es[first].area), static_cast<int>(ringPts.size()), 0};
    for (int e = first; e >= 0 && !used[e]; e = es[e].next) {
      used[e] = 1;
      ringPts.push_back(Point(es[e].x, es[e].y));
    }
    r.count = static_cast<int>(ringPts.size()) - r.start;
    rings.push_back(r);
  }
}

int BandRegions::emitAreas(int k, ContSink& out)
{
  std::sort(rings.begin(), rings.end(),
            [](const Ring& a, const Ring& b) { return a.area < b.area; });
  int areas = 0;
  for (std::size_t r = 0; r < rings.size();) {
    areaPts.clear();
    counts.clear();
    std::size_t q = r;
    for (; q < rings.size() && rings[q].area == rings[r].area; q++) {
      const Point* p = ringPts.data() + rings[q].start;
      areaPts.insert(areaPts.end(), p, p + rings[q].count);
      counts.push_back(rings[q].count);
    }
    out.fill(k, areaPts.data(), counts.data(), static_cast<int>(counts.size()));
    areas++;
    r = q;
  }
  return areas;
}

int BandRegions::flush(ContSink& out)
{
  int areas = 0;
  for (int k = 0; k < bands; k++) {
    traceRings(k);
    areas += emitAreas(k, out);
    const std::vector<Point>& lp = loosePts[k];
    for (std::size_t c = 0, at = 0; c < looseCounts[k].size(); at += looseCounts[k][c++], areas++)
      out.fill(k, lp.data() + at, &looseCounts[k][c], 1);
  }
  return areas;
}

}  // namespace KOL::contour
