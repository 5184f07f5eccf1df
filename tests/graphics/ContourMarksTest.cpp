// Highs, lows and contour labels a reader can use: only extremes that a drawn contour closes
// around, none at the panel's edge, apart from each other; labels in plain numbers, clear of each
// other and of the highs and lows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ContourGeometry.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "graphics/ContPlot.h"
#include "graphics/contour/Annotations.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/GridRead.h"

using namespace KOL;
using KOLTest::Collect;
using KOLTest::Reference;

namespace {

constexpr int NX = 61, NY = 41;

float bump(int i, int j, float ci, float cj, float width)
{
  const float d2 = (i - ci) * (i - ci) + (j - cj) * (j - cj);
  return std::exp(-d2 / (width * width));
}

// Repeatable noise in [-amp, amp].
float noise(int i, int j, float amp)
{
  std::uint32_t h =
      static_cast<std::uint32_t>(i) * 73856093u ^ static_cast<std::uint32_t>(j) * 19349663u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return amp * (static_cast<float>(h % 2001u) / 1000.0f - 1.0f);
}

template <class F>
Grid field(F f)
{
  Grid g(NX, NY);
  for (int j = 0; j < NY; j++)
    for (int i = 0; i < NX; i++) g.setValue(i, j, f(i, j));
  return g;
}

Collect marks(ContPlot& cp, const Grid& g)
{
  EXPECT_GT(cp.setLevels(g), 0);
  Collect out;
  cp.maxMin(g, nullptr, out);
  return out;
}

class ContourMarksTest : public KOLTest::DatabaseTest {};

TEST_F(ContourMarksTest, OnlyExtremesThatStandOutByAnInterval)
{
  // Two highs of 20 on a gentle slope with noise of a quarter interval: exactly two highs, and
  // the noise makes no lows.
  Grid g = field([](int i, int j) {
    return 1000.0f + 0.05f * static_cast<float>(i) + 20.0f * bump(i, j, 15, 20, 5) +
           20.0f * bump(i, j, 45, 20, 5) + noise(i, j, 1.0f);
  });
  ContPlot cp("int=4,lab=1:2");
  Collect out = marks(cp, g);
  ASSERT_EQ(out.highs.size(), 2u);
  EXPECT_TRUE(out.lows.empty());
  for (const auto& [v, at] : out.highs) {
    EXPECT_NEAR(at.y, 20.0f, 1.5f);
    EXPECT_TRUE(std::fabs(at.x - 15.0f) < 1.5f || std::fabs(at.x - 45.0f) < 1.5f) << at.x;
    EXPECT_GT(v, 1015.0f);
  }
  // the same noise with an interval smaller than its bumps marks them too
  ContPlot fine("int=0.25,lab=1:2");
  EXPECT_GT(marks(fine, g).highs.size(), 2u);
  // a radius of 0 marks nothing
  ContPlot none("int=4,lab=1:0");
  Collect nothing = marks(none, g);
  EXPECT_TRUE(nothing.highs.empty() && nothing.lows.empty());
}

TEST_F(ContourMarksTest, NoneAtTheEdgeOfThePanel)
{
  // The field rises to its edge (right) and has a real low one point inside the top edge: the
  // area's edge hides both; the low in the middle stays.
  Grid g = field([](int i, int j) {
    return 0.5f * static_cast<float>(i) - 10.0f * bump(i, j, 30, 20, 4) -
           10.0f * bump(i, j, 10, 1, 3);
  });
  ContPlot cp("int=2,lab=1:2");
  Collect out = marks(cp, g);
  EXPECT_TRUE(out.highs.empty());
  ASSERT_EQ(out.lows.size(), 1u);
  EXPECT_NEAR(out.lows[0].second.x, 30.0f, 1.0f);
  // a smaller panel (in grid units) puts the middle low near its edge as well
  cp.setMarkArea(Rect(0, 0, 31, 40));
  EXPECT_TRUE(marks(cp, g).lows.empty());
}

TEST_F(ContourMarksTest, LabelsInPlainNumbersForTheInterval)
{
  const struct {
    float from, to, interval, value;
    const char* text;
  } cases[] = {
      {97000, 104000, 400, 101200, "101200"},  // Pa
      {980, 1040, 4, 1012, "1012"},            // hPa
      {510, 594, 6, 576, "576"},               // dam
      {-5, 5, 0.5f, -2.5f, "-2.5"},
      {-5, 5, 2.5f, 0, "0"},
      {0, 0.0005f, 0.00005f, 0.00015f, "0.00015"},  // vorticity in s-1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Grid g = field([&](int i, int) { return c.from + (c.to - c.from) * i / (NX - 1.0f); });
    ContPlot cp;
    cp.setInterval(c.interval);
    ASSERT_GT(cp.setLevels(g), 0);
    String s;
    cp.levelText(c.value, s);
    EXPECT_STREQ(s.get(), c.text);
  }
}

TEST_F(ContourMarksTest, LabelsClearOfEachOtherAndOfTheMarks)
{
  // Tight rings around a low and a high in Pa, so that many lines ask for labels.
  Grid g = field([](int i, int j) {
    return 101000.0f - 3000.0f * bump(i, j, 20, 20, 8) + 3000.0f * bump(i, j, 42, 20, 8);
  });
  ContPlot cp("int=200,lab=1:2");
  ASSERT_GT(cp.setLevels(g), 0);
  Collect out;
  ASSERT_GT(cp.lineLabels(g, nullptr, out), 3);
  cp.maxMin(g, nullptr, out);
  ASSERT_EQ(out.highs.size(), 1u);
  ASSERT_EQ(out.lows.size(), 1u);
  const float h = 0.015f * (NY - 1);
  std::vector<Rect> boxes;
  for (const auto& [k, at] : out.labels) {
    String s;
    cp.levelText(cp.getLevel(k), s);
    EXPECT_EQ(std::string(s.get()).find('e'), std::string::npos) << s.get();
    boxes.push_back(contour::textBox(at, static_cast<int>(std::string(s.get()).size()), h));
  }
  auto overlap = [](const Rect& a, const Rect& b) {
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
  };
  for (std::size_t a = 0; a < boxes.size(); a++) {
    for (std::size_t b = a + 1; b < boxes.size(); b++) {
      EXPECT_FALSE(overlap(boxes[a], boxes[b])) << a << " " << b;
      if (out.labels[a].first == out.labels[b].first) {
        const Point p = out.labels[a].second, q = out.labels[b].second;
        EXPECT_GE(std::hypot(p.x - q.x, p.y - q.y), 0.25f * (NY - 1)) << "spread along a line";
      }
    }
    for (const auto& m : {out.highs[0].second, out.lows[0].second})
      EXPECT_FALSE(overlap(boxes[a], contour::textBox(m, 3, h))) << a;
  }
}

TEST_F(ContourMarksTest, ClosedContoursAreMarkedAndOpenOnesAreNot)
{
  // A hill on ground rising towards the right-hand border, levels 4 apart.
  const struct {
    const char* what;
    float slope, height;
    int highs;
  } cases[] = {
      {"a hill on flat ground", 0.0f, 7.0f, 1},
      {"a hill on a gentle slope", 0.05f, 7.0f, 1},
      // its top (8.30) and the col beyond it (8.23) both lie above the contour of 8, which only
      // bulges around it on its way off the grid
      {"a bump on a steep slope", 0.3f, 2.0f, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Grid g = field([&](int i, int j) { return c.slope * i + c.height * bump(i, j, 20, 20, 5); });
    ContPlot cp("int=4,lab=1:2");
    Collect out = marks(cp, g);
    ASSERT_EQ(static_cast<int>(out.highs.size()), c.highs);
    if (c.highs) {
      EXPECT_FLOAT_EQ(out.highs[0].second.x, 20.0f);
    }
    EXPECT_TRUE(out.lows.empty());
  }
  // A hollow of -1 in a plateau of 2 that covers the grid: its contour of 0 closes, though the
  // ground within an interval of it reaches every border. A hill of 9 beside it.
  Grid g = field([](int i, int j) {
    return 2.0f + 7.0f * bump(i, j, 15, 20, 5) - 3.0f * bump(i, j, 45, 20, 5);
  });
  ContPlot cp("int=4,lab=1:2");
  Collect out = marks(cp, g);
  ASSERT_EQ(out.highs.size(), 1u);
  ASSERT_EQ(out.lows.size(), 1u);
  EXPECT_FLOAT_EQ(out.highs[0].second.x, 15.0f);
  EXPECT_FLOAT_EQ(out.lows[0].second.x, 45.0f);
  // a contour broken by a missing value on it does not close
  g.setValue(15, 18, Const::FMISS);
  EXPECT_TRUE(marks(cp, g).highs.empty());
  // nor does one that leaves the panel, though it closes on the grid beyond
  Grid h = field([](int i, int j) { return 7.0f * bump(i, j, 30, 20, 6); });
  cp.setMarkArea(Rect(0, 0, 33, 40));
  EXPECT_TRUE(marks(cp, h).highs.empty());
  cp.setMarkArea(Rect(0, 0, 60, 40));
  EXPECT_EQ(marks(cp, h).highs.size(), 1u);
}

// The grid points inside a closed line (crossing number), and which kind of centre it rings.
struct Ring {
  bool high;
  int count = 0;
  int i = -1, j = -1;  // its most extreme point inside
};

Ring ringOf(const Grid& g, const Reference::Line& line, float level)
{
  Ring r{false};
  int above = 0;
  std::vector<std::pair<int, int>> in;
  for (int j = 0; j < g.getNy(); j++)
    for (int i = 0; i < g.getNx(); i++) {
      bool inside = false;
      for (std::size_t a = 0, b = line.pts.size() - 1; a < line.pts.size(); b = a++) {
        const Point p = line.pts[a], q = line.pts[b];
        if ((p.y > j) != (q.y > j) && i < (q.x - p.x) * (j - p.y) / (q.y - p.y) + p.x)
          inside = !inside;
      }
      if (!inside) continue;
      in.push_back({i, j});
      above += g.getValue(i, j) > level ? 1 : 0;
    }
  r.count = static_cast<int>(in.size());
  r.high = 2 * above > r.count;
  for (const auto& [i, j] : in) {
    const float v = g.getValue(i, j);
    if (r.i < 0 || (r.high ? v > g.getValue(r.i, r.j) : v < g.getValue(r.i, r.j))) r.i = i, r.j = j;
  }
  return r;
}

// Checks a real field's marks against the closed lines contourpy finds on the same grid and
// levels: every mark is the most extreme point inside one of them, and every centre of a ring of
// some size away from the edge is marked or lies near a mark of its kind.
void expectMarksOnClosedContours(const Grid& g, ContPlot& cp, const Collect& out)
{
  std::vector<float> levels;
  for (int k = 0; k < cp.getNumLevels(); k++) levels.push_back(cp.getLevel(k));
  const Reference ref = KOLTest::runOracle(g, levels);
  if (!ref.ok) GTEST_SKIP() << "python3 with contourpy not installed";
  std::vector<Ring> rings;
  std::vector<float> ringLevel;
  for (const auto& [k, lines] : ref.lines)
    for (const auto& l : lines)
      if (l.closed) rings.push_back(ringOf(g, l, levels[k])), ringLevel.push_back(levels[k]);
  auto centre = [&](bool high, const Point& at) {
    return std::any_of(rings.begin(), rings.end(), [&](const Ring& r) {
      return r.count > 0 && r.high == high && r.i == static_cast<int>(at.x) &&
             r.j == static_cast<int>(at.y);
    });
  };
  for (const auto& [v, at] : out.highs)
    EXPECT_TRUE(centre(true, at)) << "H " << at.x << " " << at.y;
  for (const auto& [v, at] : out.lows)
    EXPECT_TRUE(centre(false, at)) << "L " << at.x << " " << at.y;
  const float nx = static_cast<float>(g.getNx() - 1), ny = static_cast<float>(g.getNy() - 1);
  const float side = std::min(nx, ny), interval = levels[1] - levels[0];
  for (std::size_t n = 0; n < rings.size(); n++) {
    const Ring& r = rings[n];
    const float x = static_cast<float>(r.i), y = static_cast<float>(r.j);
    // rings of a few points, centres that barely pass their line, and centres at the edge may
    // go unmarked
    if (r.count < 8 || std::fabs(g.getValue(r.i, r.j) - ringLevel[n]) < 0.5f * interval ||
        std::min({x, y, nx - x, ny - y}) < 0.05f * side + 1)
      continue;
    const auto& kind = r.high ? out.highs : out.lows;
    EXPECT_TRUE(std::any_of(
        kind.begin(), kind.end(),
        [&](const auto& m) { return std::hypot(m.second.x - x, m.second.y - y) < 0.12f * side; }))
        << (r.high ? "H " : "L ") << r.i << " " << r.j << " unmarked";
  }
}

// The NAM analysis of 17 September 2018: at 500 hPa the contour of 588 dam closes over the
// Southeast around the low of the remains of a tropical storm (584 dam), inside higher ground all
// round; elsewhere that contour only rings single grid points of the flat subtropical ridge. At
// sea level the same storm is a small low of 1007 hPa inside the contour of 1008, a whole
// interval below the ground around it.
TEST_F(ContourMarksTest, RealHeightsAndPressureMarkTheirClosedContours)
{
  KOL_REQUIRE_DATA();
  const std::string nam = KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2");
  GridRead reader;
  Grid heights;
  ASSERT_TRUE(reader.read((nam + "+500:hght").c_str(), heights));
  ContPlot cp("ln,int=60,lab=1:2");
  Collect out = marks(cp, heights);
  ASSERT_EQ(out.lows.size(), 1u);
  EXPECT_TRUE(out.highs.empty());
  const auto& [low, at] = out.lows[0];
  EXPECT_NEAR(at.x, 65.0f, 1.0f);
  EXPECT_NEAR(at.y, 38.0f, 1.0f);
  EXPECT_GT(low, 5830.0f);
  EXPECT_LT(low, 5840.0f);
  expectMarksOnClosedContours(heights, cp, out);
  Collect onPlot;
  const Domain own = heights.getDomain();
  cp.maxMin(heights, &own, onPlot);
  EXPECT_EQ(onPlot.lows.size(), 1u) << "drawn on the field's own domain";

  GribFile gf;
  Grid pressure;
  ASSERT_TRUE(gf.open(nam.c_str()));
  ASSERT_TRUE(gf.read(pressure));
  ContPlot mslp("ln,int=400,lab=1:2");
  Collect marked = marks(mslp, pressure);
  EXPECT_TRUE(std::any_of(marked.lows.begin(), marked.lows.end(), [](const auto& l) {
    return l.first < 100800.0f && std::hypot(l.second.x - 67.0f, l.second.y - 40.0f) <= 1.0f;
  })) << "the storm at sea level";
  expectMarksOnClosedContours(pressure, mslp, marked);
}

}  // namespace
