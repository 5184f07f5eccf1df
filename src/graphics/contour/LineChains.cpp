#include "graphics/contour/LineChains.h"

#include "graphics/ContSink.h"

namespace KOL::contour {

LineChains::LineChains(int levels) : segments(levels), loose(levels) {}

void LineChains::add(int k, int a, int b, const Point& pa, const Point& pb)
{
  segments[k].push_back({a, b, pa, pb});
}

void LineChains::addLoose(int k, const Point& pa, const Point& pb)
{
  loose[k].push_back(pa);
  loose[k].push_back(pb);
}

int LineChains::trace(int k, int first, ContSink& out)
{
  const std::vector<Segment>& segs = segments[k];
  line.clear();
  line.push_back(segs[first].pa);
  for (int s = first; s >= 0 && !used[s]; s = from.find(segs[s].b)) {
    used[s] = 1;
    line.push_back(segs[s].pb);
  }
  out.line(k, line.data(), static_cast<int>(line.size()));
  return 1;
}

int LineChains::flush(ContSink& out)
{
  int lines = 0;
  for (int k = 0; k < static_cast<int>(segments.size()); k++) {
    const std::vector<Segment>& segs = segments[k];
    const int n = static_cast<int>(segs.size());
    from.reset(n);
    ended.reset(n);
    for (int s = 0; s < n; s++) {
      from.at(segs[s].a) = s;
      ended.at(segs[s].b) = 1;
    }
    used.assign(n, 0);
    // Lines that run off the grid or into missing values first, from their open end; what is
    // left closes on itself.
    for (int s = 0; s < n; s++)
      if (ended.find(segs[s].a) < 0) lines += trace(k, s, out);
    for (int s = 0; s < n; s++)
      if (!used[s]) lines += trace(k, s, out);
    for (std::size_t p = 0; p + 1 < loose[k].size(); p += 2, lines++) out.line(k, &loose[k][p], 2);
  }
  return lines;
}

}  // namespace KOL::contour
