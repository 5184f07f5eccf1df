// Thinning of stroked polylines: points within the tolerance of the line through the kept ones go,
// corners and the ends stay, in order.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/device/Thin.h"

using KOL::Point;
using KOL::Points;

namespace {

Points line(const std::vector<Point>& pts)
{
  Points out;
  for (const Point& p : pts) out.add(p);
  return out;
}

}  // namespace

TEST(Thin, KeepsEndsAndCornersBeyondTheTolerance)
{
  struct Case {
    const char* what;
    std::vector<Point> pts;
    float tol;
    std::vector<int> keep;
  } cases[] = {
      {"two points", {{0, 0}, {1, 1}}, 0.1f, {0, 1}},
      {"a straight run", {{0, 0}, {0.3f, 0}, {0.6f, 0.05f}, {1, 0}, {1.4f, 0}}, 0.1f, {0, 4}},
      {"a corner", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}, 0.1f, {0, 2, 4}},
      {"a wobble just beyond", {{0, 0}, {1, 0.11f}, {2, 0}}, 0.1f, {0, 1, 2}},
      {"a wobble within", {{0, 0}, {1, 0.09f}, {2, 0}}, 0.1f, {0, 2}},
      // a point past the segment's end is measured from the end, not the line through it
      {"a spike along the line", {{0, 0}, {3, 0}, {2, 0}}, 0.1f, {0, 1, 2}},
      {"a closed ring", {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}, 0.1f, {0, 1, 2, 3, 4}},
  };
  std::vector<int> keep;
  for (const Case& c : cases) {
    KOL::Thin::polyline(line(c.pts), c.tol, keep);
    EXPECT_EQ(keep, c.keep) << c.what;
  }
}
