#include "graphics/contour/LineChains.h"

#include "graphics/ContSink.h"

namespace KOL::contour {

LineChains::LineChains(int nlevels, int columns)
    : levels(nlevels),
      nx(columns),
      segments(nlevels),
      loose(nlevels),
      across{std::vector<Slot>(nlevels), std::vector<Slot>(nlevels)},
      down{std::vector<Slot>(static_cast<std::size_t>(columns) * nlevels),
           std::vector<Slot>(static_cast<std::size_t>(columns) * nlevels)}
{
}

// The slot of side s of cell (i, j): the right side of one cell is the left side of the next,
// the bottom of one the top of the one below; a slot's stamp tells the cell that filled it.
LineChains::Slot& LineChains::slot(int k, int i, int j, int side)
{
  if (side == 0 || side == 2)
    return down[(j + (side == 2)) & 1][static_cast<std::size_t>(i) * levels + k];
  return across[(i + (side == 1)) & 1][k];
}

void LineChains::meet(int k, int i, int j, int side, int s, bool starts)
{
  Slot& w = slot(k, i, j, side);
  const int cell = j * nx + i;
  BlockArray<Segment>& segs = segments[k];
  if (side == 1 || side == 2) {  // the cell across comes later
    if (side == 1 && i + 1 == nx) return;
    w.stamp = side == 1 ? cell + 1 : cell + nx;
    w.segment = s;
    return;
  }
  if (w.stamp != cell) return;  // nothing joined across: the line ends here
  const int t = w.segment;
  if (starts) {
    segs[t].next = s;
    segs[s].prev = t;
  } else {
    segs[s].next = t;
    segs[t].prev = s;
  }
}

void LineChains::add(int k, int i, int j, int sa, int sb, const Point& pa, const Point& pb)
{
  BlockArray<Segment>& segs = segments[k];
  const int s = static_cast<int>(segs.size());
  segs.push_back({pa, pb, -1, -1});
  meet(k, i, j, sa, s, true);
  meet(k, i, j, sb, s, false);
}

void LineChains::addLoose(int k, const Point& pa, const Point& pb)
{
  loose[k].push_back(pa);
  loose[k].push_back(pb);
}

int LineChains::trace(int k, int first, ContSink& out)
{
  const BlockArray<Segment>& segs = segments[k];
  line.clear();
  line.push_back(segs[first].pa);
  for (int s = first; s >= 0 && !used[s]; s = segs[s].next) {
    used[s] = 1;
    line.push_back(segs[s].pb);
  }
  out.line(k, line.data(), static_cast<int>(line.size()));
  return 1;
}

int LineChains::flush(ContSink& out)
{
  int lines = 0;
  for (int k = 0; k < levels; k++) {
    const BlockArray<Segment>& segs = segments[k];
    const int n = static_cast<int>(segs.size());
    used.assign(n, 0);
    // Lines that run off the grid or into missing values first, from their open end; what is
    // left closes on itself.
    for (int s = 0; s < n; s++)
      if (segs[s].prev < 0) lines += trace(k, s, out);
    for (int s = 0; s < n; s++)
      if (!used[s]) lines += trace(k, s, out);
    for (std::size_t p = 0; p + 1 < loose[k].size(); p += 2, lines++) out.line(k, &loose[k][p], 2);
  }
  return lines;
}

}  // namespace KOL::contour
