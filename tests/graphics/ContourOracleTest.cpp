// Contouring checked against contourpy on the same grids and levels: segment ends on its lines,
// the same cells per level, the same closed and open lines as drawn, and the
// same filled area per band.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <unordered_map>

#include "ContourGeometry.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "grid/GribFile.h"

using namespace KOL;
using KOLTest::Collect;
using KOLTest::Reference;

namespace {

constexpr float TOL = 1e-3f;

int64_t cellKey(int i, int j)
{
  return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(j)) << 32 |
                              static_cast<uint32_t>(i));
}

bool shortPiece(const Point& a, const Point& b)
{
  return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) < TOL;
}

std::set<int64_t> referenceCells(const std::vector<Reference::Line>& lines)
{
  std::set<int64_t> cells;
  for (const auto& l : lines)
    for (std::size_t v = 1; v < l.pts.size(); v++) {
      // A line through a grid point has a piece of no length there, which tells no cell.
      if (shortPiece(l.pts[v - 1], l.pts[v])) continue;
      float mx = (l.pts[v - 1].x + l.pts[v].x) / 2, my = (l.pts[v - 1].y + l.pts[v].y) / 2;
      cells.insert(cellKey(static_cast<int>(std::floor(mx)), static_cast<int>(std::floor(my))));
    }
  return cells;
}

// Every reference vertex, bucketed by its position for lookups within TOL.
class Vertices {
 public:
  explicit Vertices(const std::vector<Reference::Line>& lines)
  {
    for (const auto& l : lines)
      for (const Point& p : l.pts) buckets[bucket(p.x, p.y)].push_back(p);
  }
  bool near(const Point& p) const
  {
    for (int dx = -1; dx <= 1; dx++)
      for (int dy = -1; dy <= 1; dy++) {
        auto it = buckets.find(bucket(p.x + dx * TOL, p.y + dy * TOL));
        if (it == buckets.end()) continue;
        for (const Point& q : it->second)
          if (std::fabs(q.x - p.x) <= TOL && std::fabs(q.y - p.y) <= TOL) return true;
      }
    return false;
  }

 private:
  static int64_t bucket(float x, float y)
  {
    return cellKey(static_cast<int>(std::floor(x / TOL)), static_cast<int>(std::floor(y / TOL)));
  }
  std::unordered_map<int64_t, std::vector<Point>> buckets;
};

void compareWithOracle(const Grid& g, const std::vector<float>& levels)
{
  Reference ref = KOLTest::runOracle(g, levels);
  if (!ref.ok) GTEST_SKIP() << "python3 with contourpy is not installed (scripts/setup)";
  ContPlot cp;
  cp.setLevels(levels);
  ASSERT_EQ(cp.setLevels(g), static_cast<int>(levels.size()));
  Collect ours;
  cp.contourLines(g, nullptr, ours);
  cp.contourFills(g, nullptr, ours);
  int total = 0;
  for (std::size_t k = 0; k < levels.size(); k++) {
    SCOPED_TRACE("level " + std::to_string(levels[k]));
    const auto& segs = ours.lines[static_cast<int>(k)];
    const auto& lines = ref.lines[static_cast<int>(k)];
    Vertices vertices(lines);
    std::set<int64_t> cells;
    int off = 0;
    for (const auto& s : segs) {
      off += !vertices.near(s.a) + !vertices.near(s.b);
      if (shortPiece(s.a, s.b)) continue;
      cells.insert(cellKey(static_cast<int>(std::floor((s.a.x + s.b.x) / 2)),
                           static_cast<int>(std::floor((s.a.y + s.b.y) / 2))));
    }
    EXPECT_EQ(off, 0) << "segment ends away from contourpy's lines";
    EXPECT_TRUE(cells == referenceCells(lines))
        << cells.size() << " cells, contourpy " << referenceCells(lines).size();
    int refClosed = 0;
    for (const auto& l : lines) refClosed += l.closed;
    // lines reach the device joined already: one polyline per line of contourpy's
    EXPECT_EQ(ours.closedLines[static_cast<int>(k)], refClosed);
    EXPECT_EQ(ours.openLines[static_cast<int>(k)], static_cast<int>(lines.size()) - refClosed);
    double a = ours.area[static_cast<int>(k)], ra = ref.area[static_cast<int>(k)];
    EXPECT_NEAR(a, ra, 0.01 * ra + 1e-6) << "band area";
    EXPECT_EQ(ours.holesAlone[static_cast<int>(k)], 0) << "a hole handed out apart from its area";
    total += static_cast<int>(segs.size());
  }
  EXPECT_GT(total, 0);
}

Grid analytic(int nx, int ny, float (*f)(float, float))
{
  Grid g(nx, ny);
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) g.setValue(i, j, f(static_cast<float>(i), static_cast<float>(j)));
  return g;
}

float waves(float x, float y) { return std::sin(x / 3.0f) * std::cos(y / 4.0f) + 0.01f * x; }
// An egg-crate: a saddle between every pair of humps.
float eggs(float x, float y) { return std::sin(x * 1.3f) * std::sin(y * 1.1f); }

std::vector<float> range(float from, float step, int n)
{
  std::vector<float> v;
  for (int k = 0; k < n; k++) v.push_back(from + k * step);
  return v;
}

}  // namespace

TEST(ContourOracle, AnalyticFieldsWithSaddles)
{
  compareWithOracle(analytic(48, 37, waves), range(-0.95f, 0.1f, 20));
  compareWithOracle(analytic(41, 33, eggs), range(-0.9f, 0.15f, 13));
}

TEST(ContourOracle, MissingValuesMaskTheirCells)
{
  Grid g = analytic(48, 37, waves);
  for (int j = 10; j < 16; j++)
    for (int i = 20; i < 29; i++) g.setValue(i, j, Const::FMISS);
  for (int k = 0; k < 40; k++) g.setValue((k * 7) % 48, (k * 11) % 37, Const::FMISS);
  compareWithOracle(g, range(-0.95f, 0.1f, 20));
}

TEST(ContourOracle, CornersOnLevelsCountBelow)
{
  // Small integers: many corners equal a level, and plateaus and saddles at the level.
  Grid g(30, 25);
  for (int j = 0; j < 25; j++)
    for (int i = 0; i < 30; i++) g.setValue(i, j, static_cast<float>((i * 7 + j * 13 + i * j) % 6));
  compareWithOracle(g, {1.0f, 2.0f, 3.0f, 4.0f});
}

TEST(ContourOracle, RealGribFields)
{
  KOL_REQUIRE_DATA();
  KOLTest::DatabaseScope database;
  for (const char* name : {"g1_regular_ll_sfc.grib", "g1_fields_with_missing_values.grib",
                           "g1_lambert_grid.grib", "g2_gfs.t12z.pgrbf120.2p5deg.grib2"}) {
    SCOPED_TRACE(name);
    GribFile gf;
    ASSERT_TRUE(gf.open(KOLTest::dataFile(std::string("grib/") + name).c_str()));
    Grid g;
    ASSERT_TRUE(gf.read(g));
    ContPlot cp;
    ASSERT_GT(cp.setLevels(g, 21), 2);
    std::vector<float> levels;
    for (int k = 0; k < cp.getNumLevels(); k++) levels.push_back(cp.getLevel(k));
    compareWithOracle(g, levels);
  }
}
