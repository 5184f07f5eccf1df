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
constexpr int WALK_TO[4] = {1, 3, 2, 0};

}  // namespace

BandRegions::BandRegions(const Lattice& lattice, int nbands)
    : lat(lattice),
      bands(nbands),
      sides(lattice.numSides()),
      edges(nbands),
      loosePts(nbands),
      looseCounts(nbands),
      parent()
{
  for (int p = 0; p < 2; p++) {
    rightArea[p].assign(nbands, -1);
    rightCell[p].assign(nbands, -1);
    downArea[p].assign(static_cast<std::size_t>(lattice.getNx()) * nbands, -1);
    downRow[p].assign(static_cast<std::size_t>(lattice.getNx()) * nbands, -1);
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

int BandRegions::root(int a)
{
  while (parent[a] != a) a = parent[a] = parent[parent[a]];
  return a;
}

int BandRegions::areaOf(int k, int i, int j, unsigned touches)
{
  const int cell = j * (lat.getNx() - 1) + i;
  int area = -1;
  if ((touches & bit(3)) && rightCell[i & 1][k] == cell - 1) area = rightArea[i & 1][k];
  const std::size_t up = static_cast<std::size_t>(i) * bands + k;
  const int above = (touches & bit(0)) && downRow[j & 1][up] == j - 1 ? downArea[j & 1][up] : -1;
  if (area < 0 && above >= 0) return above;
  if (area < 0) {
    area = static_cast<int>(parent.size());
    parent.push_back(area);
  }
  if (above >= 0) {
    const int a = root(area), b = root(above);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
  return area;
}

void BandRegions::handOn(int k, int i, int j, unsigned touches, int area)
{
  if (touches & bit(1)) {
    rightArea[(i + 1) & 1][k] = area;
    rightCell[(i + 1) & 1][k] = j * (lat.getNx() - 1) + i;
  }
  if (touches & bit(2)) {
    const std::size_t up = static_cast<std::size_t>(i) * bands + k;
    downArea[(j + 1) & 1][up] = area;
    downRow[(j + 1) & 1][up] = j;
  }
}

void BandRegions::addPolygon(int k, int i, int j, const BandFill& fill, int p)
{
  int n = 0;
  const Point* pts = fill.getPolygon(p, n);
  unsigned touches = 0;
  for (int t = 0; t < n; t++) {
    const int s = fill.getAlong(p, t);
    if (s >= 0 && lat.joinedAcross(i, j, s)) touches |= bit(s);
  }
  const int area = areaOf(k, i, j, touches);
  handOn(k, i, j, touches, area);
  for (int t = 0; t < n; t++) {
    const int s = fill.getAlong(p, t);
    if (s >= 0 && (touches & bit(s))) continue;
    edges[k].push_back(
        {node(i, j, fill.getNode(p, t)), node(i, j, fill.getNode(p, (t + 1) % n)), area, pts[t]});
  }
}

void BandRegions::addCell(int k, int i, int j)
{
  unsigned touches = 0;
  for (int s = 0; s < 4; s++)
    if (lat.joinedAcross(i, j, s)) touches |= bit(s);
  const int area = areaOf(k, i, j, touches);
  handOn(k, i, j, touches, area);
  for (int s = 0; s < 4; s++)
    if (!(touches & bit(s)))
      edges[k].push_back(
          {node(i, j, WALK_FROM[s]), node(i, j, WALK_TO[s]), area, lat.at(i, j, WALK_FROM[s])});
}

void BandRegions::addLoose(int k, const Point* pts, int n)
{
  loosePts[k].insert(loosePts[k].end(), pts, pts + n);
  looseCounts[k].push_back(n);
}

void BandRegions::traceRings(int k)
{
  const std::vector<Edge>& es = edges[k];
  const int n = static_cast<int>(es.size());
  nextOut.assign(n, -1);
  used.assign(n, 0);
  head.reset(n);
  for (int e = 0; e < n; e++) {
    int& h = head.at(es[e].from);
    nextOut[e] = h;
    h = e;
  }
  rings.clear();
  ringPts.clear();
  for (int first = 0; first < n; first++) {
    if (used[first]) continue;
    Ring r{root(es[first].area), static_cast<int>(ringPts.size()), 0};
    for (int e = first;;) {
      used[e] = 1;
      ringPts.push_back(es[e].p);
      const int at = es[e].to;
      if (at == es[first].from) break;
      // Where two areas touch at a grid point the point has two ways on: either closes a ring.
      int* h = head.get(at);
      while (h && *h >= 0 && used[*h]) *h = nextOut[*h];
      if (!h || *h < 0) break;
      e = *h;
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
