// Where a grid has no values (an analysis far from its stations), smoothed edges end the lines and
// fills along a line through the cells at the border of the values rather than in cell steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <vector>

#include "ContourGeometry.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "graphics/ContPlot.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"

using namespace KOL;

namespace {

// Every polygon and segment, as drawn.
class Shapes : public ContSink {
 public:
  void line(int, const Point* pts, int n) override
  {
    for (int i = 1; i < n; i++) segments.push_back({pts[i - 1], pts[i]});
  }
  void fill(int, const Point* pts, const int* counts, int rings) override
  {
    polygons.emplace_back(pts, pts + std::accumulate(counts, counts + rings, 0));
    ringCounts.emplace_back(counts, counts + rings);
  }
  void label(int, float, const Point&) override {}
  void extreme(bool, float, const Point&) override {}

  double area() const
  {
    double total = 0;
    for (std::size_t p = 0; p < polygons.size(); p++) total += areaOf(polygons[p], ringCounts[p]);
    return total;
  }
  // Holes run the other way round: the signed areas of the rings add up.
  static double areaOf(const std::vector<Point>& p, const std::vector<int>& counts)
  {
    double a = 0;
    std::size_t at = 0;
    for (int n : counts) {
      for (int k = 0; k < n; k++) {
        const Point& q = p[at + k];
        const Point& r = p[at + (k + 1) % n];
        a += double(q.x) * r.y - double(r.x) * q.y;
      }
      at += n;
    }
    return std::fabs(a) / 2;
  }
  std::vector<std::vector<Point>> polygons;  // each area's rings, one after the other
  std::vector<std::vector<int>> ringCounts;
  std::vector<std::pair<Point, Point>> segments;
};

// How often each of 3 x 3 sample points per cell is filled, and whether its cell has a value at
// a corner: fills cover a sample at most once, and never one of a cell without values.
struct Samples {
  static constexpr int PER = 3;
  Samples(const Grid& g, const Shapes& s) : nx(g.getNx() - 1), ny(g.getNy() - 1)
  {
    count.assign(static_cast<std::size_t>(nx * PER) * ny * PER, 0);
    for (std::size_t k = 0; k < s.polygons.size(); k++) {
      const std::vector<Point>& p = s.polygons[k];
      float x1 = 1e9f, y1 = 1e9f, x2 = -1e9f, y2 = -1e9f;
      for (const Point& q : p)
        x1 = std::min(x1, q.x), y1 = std::min(y1, q.y), x2 = std::max(x2, q.x),
        y2 = std::max(y2, q.y);
      for (int b = std::max(0, static_cast<int>(y1 * PER) - 1);
           b < std::min(ny * PER, static_cast<int>(y2 * PER) + 1); b++)
        for (int a = std::max(0, static_cast<int>(x1 * PER) - 1);
             a < std::min(nx * PER, static_cast<int>(x2 * PER) + 1); a++)
          if (inside(p, s.ringCounts[k], (a + 0.5f) / PER, (b + 0.5f) / PER))
            count[static_cast<std::size_t>(b) * nx * PER + a]++;
    }
  }
  // Even-odd over all rings of an area.
  static bool inside(const std::vector<Point>& p, const std::vector<int>& counts, float x, float y)
  {
    bool in = false;
    std::size_t at = 0;
    for (int n : counts) {
      for (std::size_t a = at, b = at + n - 1; a < at + n; b = a++)
        if ((p[a].y > y) != (p[b].y > y) &&
            x < (p[b].x - p[a].x) * (y - p[a].y) / (p[b].y - p[a].y) + p[a].x)
          in = !in;
      at += n;
    }
    return in;
  }
  // Samples filled in cells with n valid corners (0 to 4), and the most fills of any sample.
  void tally(const Grid& g, int filled[5], int& most) const
  {
    std::fill(filled, filled + 5, 0);
    most = 0;
    for (int b = 0; b < ny * PER; b++)
      for (int a = 0; a < nx * PER; a++) {
        const int n = count[static_cast<std::size_t>(b) * nx * PER + a];
        most = std::max(most, n);
        if (n == 0) continue;
        const int i = a / PER, j = b / PER;
        int valid = 0;
        for (int c = 0; c < 4; c++)
          valid += Const::isMiss(g.getValue(i + (c & 1), j + (c >> 1))) ? 0 : 1;
        filled[valid]++;
      }
  }
  int nx, ny;
  std::vector<int> count;
};

// A smooth field, missing where the mask says.
Grid masked(int nx, int ny, const std::function<bool(int, int)>& valid)
{
  Grid g(nx, ny);
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++)
      g.setValue(i, j, valid(i, j) ? std::sin(0.3f * i) * std::cos(0.2f * j) : Const::FMISS);
  return g;
}

Shapes contour(const Grid& g, bool edge)
{
  ContPlot cp(edge ? "edge" : "noedge");
  // the lowest band takes all values from -1 up
  cp.setLevels(std::vector<float>{-1.0f, -0.8f, -0.4f, 0.0f, 0.4f, 0.8f});
  EXPECT_EQ(cp.setLevels(g), 6);
  Shapes out;
  cp.contourFills(g, nullptr, out);
  cp.contourLines(g, nullptr, out);
  return out;
}

class ContourEdgeTest : public KOLTest::QuietTest {};

TEST_F(ContourEdgeTest, StepsOfTheValuesBecomeAStraightEdge)
{
  constexpr int N = 31;
  const struct {
    const char* what;
    std::function<bool(int, int)> valid;
    // how far a point lies beyond the edge (negative inside), and the area inside it
    std::function<float(const Point&)> beyond;
    double area;
    std::vector<Point> corners;
  } cases[] = {
      // values where |i - 15| + |j - 15| <= 10: the edge runs half a step out, straight along
      // the runs of steps; only the tips are cut off
      {"diagonal runs of steps",
       [](int i, int j) { return std::abs(i - 15) + std::abs(j - 15) <= 10; },
       [](const Point& p) { return std::fabs(p.x - 15) + std::fabs(p.y - 15) - 10.5f; },
       2 * 10.5 * 10.5,
       {Point(15, 4.5f), Point(25.5f, 15), Point(15, 25.5f), Point(4.5f, 15)}},
      {"a block",
       [](int i, int j) { return i >= 5 && i <= 20 && j >= 5 && j <= 24; },
       [](const Point& p) {
         return std::max(std::fabs(p.x - 12.5f) - 8.0f, std::fabs(p.y - 14.5f) - 10.0f);
       },
       16.0 * 20.0,
       {Point(4.5f, 4.5f), Point(20.5f, 4.5f), Point(4.5f, 24.5f), Point(20.5f, 24.5f)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Grid g = masked(N, N, c.valid);
    const Shapes smooth = contour(g, true);
    EXPECT_NEAR(smooth.area(), c.area, 0.02 * c.area);
    float far = -1e9f;
    for (const auto& p : smooth.polygons)
      for (const Point& q : p) far = std::max(far, c.beyond(q));
    EXPECT_NEAR(far, 0.0f, 1e-3f) << "the fills reach the edge and go no further";
    far = -1e9f;
    for (const auto& [a, b] : smooth.segments) far = std::max({far, c.beyond(a), c.beyond(b)});
    EXPECT_LE(far, 1e-3f) << "nor do the lines";
    EXPECT_GT(far, -0.5f) << "the lines reach the edge";
    // the pieces of a line meet from cell to cell up to the edge: a line ends only there (or
    // where the edge rounds a corner of the shape)
    std::map<std::pair<float, float>, int> ends;
    for (const auto& [a, b] : smooth.segments) ends[{a.x, a.y}]++, ends[{b.x, b.y}]++;
    for (const auto& [p, n] : ends) {
      const Point at(p.first, p.second);
      const bool corner = std::any_of(c.corners.begin(), c.corners.end(), [&](const Point& q) {
        return std::hypot(q.x - at.x, q.y - at.y) < 1.5f;
      });
      if (n == 1 && !corner) {
        EXPECT_NEAR(c.beyond(at), 0.0f, 1e-3f) << at.x << " " << at.y;
      }
    }
    // without smoothing only whole cells of values are drawn, in steps inside the edge
    const Shapes cells = contour(g, false);
    EXPECT_LT(cells.area(), c.area - 20);
  }
}

// A real field with missing values (land left out of a sea field): smoothed fills reach into the
// cells along the coasts, but never fill a place twice nor one of a cell without values.
TEST_F(ContourEdgeTest, RealFieldWithMissingValues)
{
  KOL_REQUIRE_DATA();
  GribFile gf;
  Grid g;
  ASSERT_TRUE(gf.open(KOLTest::dataFile("grib/g1_fields_with_missing_values.grib").c_str()));
  ASSERT_TRUE(gf.read(g));
  ASSERT_LT(g.getValid(), static_cast<int>(g.getCount()));
  for (bool edge : {false, true}) {
    SCOPED_TRACE(edge ? "smoothed" : "whole cells");
    ContPlot cp(edge ? "cf,edge" : "cf");
    ASSERT_GT(cp.setLevels(g, 12), 2);
    Shapes out;
    ASSERT_GT(cp.contourFills(g, nullptr, out), 0);
    int filled[5], most;
    Samples(g, out).tally(g, filled, most);
    EXPECT_EQ(most, 1);
    EXPECT_EQ(filled[0], 0);
    const int partial = filled[1] + filled[2] + filled[3];
    if (edge)
      EXPECT_GT(partial, filled[4] / 50) << "the coasts run through cells";
    else
      EXPECT_EQ(partial, 0);
  }
}

}  // namespace
