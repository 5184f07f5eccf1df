// The rings of an area handed to Device::drawFillPath: counts give each ring's number of points,
// one after the other in the point list.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL::device {

// Calls ring(first, count) for each ring in turn; a count that is not positive or that runs past
// the points ends the walk, so a device never reads beyond them.
template <class F>
void forEachRing(const Points& pts, const std::vector<int>& counts, F&& ring)
{
  int at = 0;
  for (int n : counts) {
    if (n <= 0 || at + n > pts.getNum()) return;
    ring(at, n);
    at += n;
  }
}

}  // namespace KOL::device
