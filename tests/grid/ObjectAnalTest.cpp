// Objective analysis: its parameters and their ranges, the Gaussian weights at known distances,
// passes, background and minimum station count, hostile input, and a smooth field sampled at
// the real stations of a METAR hour analysed onto Lambert and polar stereographic grids, compared
// whole with an independent reference of the scheme (object_anal_reference.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "geo/Domain.h"
#include "grid/Grid.h"
#include "grid/Grids.h"
#include "grid/ObjectAnal.h"
#include "obs/CityData.h"
#include "obs/CityFile.h"
#include "obs/Data.h"

using namespace KOL;

namespace {

constexpr float M = Const::FMISS;

// A plain lattice: a latlon domain of nx by ny points one degree apart centred on (0, 0), so that
// grid coordinates and distances are easy to state.
Grids onDomain(const char* text)
{
  Grids g;
  g.setNum(1);
  g.getGrid(0).setDomain(Domain(text));
  return g;
}
Grids lattice(int nx, int ny)
{
  char text[100];
  std::snprintf(text, sizeof text, "latlon:,0,0,%d,%d,1,1", nx, ny);
  return onDomain(text);
}

// The earth position of a grid point of the lattice.
EarthPoint at(const Grids& g, float x, float y)
{
  EarthPoint e;
  g.getDomain(0).tran(GridPoint(x, y), e);
  return e;
}

Data stations(const Grids& g, const std::vector<std::vector<float>>& rows)
{
  Data d(int(rows[0].size()) - 2);
  for (const auto& r : rows) {
    int row = d.add("", at(g, r[0], r[1]), r[2]);
    for (size_t k = 3; k < r.size(); k++) d.setValue(row, int(k) - 2, r[k]);
  }
  return d;
}

bool anyNan(const Grid& g)
{
  for (size_t p = 0; p < g.getCount(); p++)
    if (std::isnan(g.getData()[p])) return true;
  return false;
}

class ObjectAnalTest : public KOLTest::DatabaseTest {};

TEST_F(ObjectAnalTest, ParametersKeepTheirRanges)
{
  struct Row {
    const char* text;
    float filter, radInf;
    int passes;
    float conv;
    int minSta;
  } rows[] = {
      {"2,4,3,0.5,2", 2, 4, 3, 0.5f, 2},       {"0,0,0,1,0", 1, 10, 1, 0.2f, 1},
      {"-1,-3,5,0.005,-2", 1, 10, 1, 0.2f, 1}, {"8", 8, 3, 1, 0.2f, 1},
      {"3,2.5", 3, 2.5f, 1, 0.2f, 1},          {"1,3,4,0.01,1", 1, 3, 4, 0.01f, 1},
  };
  for (const Row& r : rows) {
    ObjectAnal o(r.text);
    EXPECT_FLOAT_EQ(o.getFilter(), r.filter) << r.text;
    EXPECT_FLOAT_EQ(o.getRadInf(), r.radInf) << r.text;
    EXPECT_EQ(o.getNumPass(), r.passes) << r.text;
    EXPECT_FLOAT_EQ(o.getConverg(), r.conv) << r.text;
    EXPECT_EQ(o.getMinSta(), r.minSta) << r.text;
  }
  // "oa" goes through the setters and their ranges.
  for (const char* text : {"oa=2:4:2:0.3:2", "oa=2,4,2,0.3,2", "oa=2:-4:2:0.3:2"}) {
    ObjectAnal q;
    q.setParam(text);
    EXPECT_FLOAT_EQ(q.getFilter(), 2.0f) << text;
    EXPECT_EQ(q.getNumPass(), 2) << text;
    EXPECT_FLOAT_EQ(q.getConverg(), 0.3f) << text;
    EXPECT_EQ(q.getMinSta(), 2) << text;
  }
  // The resource applies after the defaults.
  Kol::resrc.set("object_param", "5,6,2,0.4,3");
  ObjectAnal r;
  Kol::resrc.set("object_param", "");
  EXPECT_FLOAT_EQ(r.getFilter(), 5.0f);
  EXPECT_FLOAT_EQ(r.getRadInf(), 6.0f);
  EXPECT_EQ(r.getMinSta(), 3);
}

TEST_F(ObjectAnalTest, OneStationFillsItsRadiusOnly)
{
  Grids g = lattice(21, 21);
  Data d = stations(g, {{10, 10, 7.5f}});
  ObjectAnal oa;
  ASSERT_TRUE(oa.compute(d, g));
  const Grid& out = g.getGrid(0);
  for (int j = 0; j < 21; j++)
    for (int i = 0; i < 21; i++) {
      const float r2 = float((i - 10) * (i - 10) + (j - 10) * (j - 10));
      EXPECT_EQ(out.getValue(i, j), r2 <= 9 ? 7.5f : M) << i << "," << j;
    }
  // Two stations are needed at every point: nothing is analysed.
  ObjectAnal two;
  two.setMinSta(2);
  ASSERT_TRUE(two.compute(d, g));
  EXPECT_EQ(g.getGrid(0).getValid(), 0);
}

TEST_F(ObjectAnalTest, WeightsAtKnownDistancesAgainstTheBackground)
{
  // With a background of 0 (weight 1), a point at squared distance r2 from a station of value 1
  // holds w / (1 + w), w = exp(-r2 / filter): the weight itself can be read back.
  Grids g = lattice(15, 15);
  Data d = stations(g, {{7, 7, 1}});
  ObjectAnal oa;
  oa.set(2.0f, 4.0f, 1, 0.2f);
  oa.setMissVal(0);
  ASSERT_TRUE(oa.compute(d, g));
  for (int j = 0; j < 15; j++)
    for (int i = 0; i < 15; i++) {
      const double r2 = (i - 7) * (i - 7) + (j - 7) * (j - 7);
      const double w = r2 <= 16 ? std::exp(-r2 / 2.0) : 0;
      EXPECT_NEAR(g.getValue(0, i, j), w / (1 + w), 1e-7) << i << "," << j;
    }
  // Between two stations the weights set the mix: at (5, 7), 1 from A at (4, 7) and 2 from B at
  // (7, 7), with A = 10 and B = 40.
  Data two = stations(g, {{4, 7, 10}, {7, 7, 40}});
  ObjectAnal plain;
  ASSERT_TRUE(plain.compute(two, g));
  const double wa = std::exp(-1.0), wb = std::exp(-4.0);
  EXPECT_NEAR(g.getValue(0, 5, 7), (10 * wa + 40 * wb) / (wa + wb), 1e-5);
}

TEST_F(ObjectAnalTest, PassesBackgroundAndFilter)
{
  Grids g = lattice(30, 10);
  Data d = stations(g, {{5, 5, 10}, {7, 5, 14}, {6, 6, 11}});
  ObjectAnal oa;
  oa.set(1.0f, 3.0f, 2, 0.2f);
  oa.setMissVal(3);
  ASSERT_TRUE(oa.compute(d, g));
  // The second pass sharpened the filter and left it so.
  EXPECT_FLOAT_EQ(oa.getFilter(), 0.2f);
  // Far from the stations only the background reached a point in the first pass; the second
  // pass sets such points missing.
  EXPECT_EQ(g.getValue(0, 25, 5), M);
  EXPECT_NE(g.getValue(0, 6, 5), M);
  ObjectAnal first;
  first.setMissVal(3);
  ASSERT_TRUE(first.compute(d, g));
  EXPECT_FLOAT_EQ(g.getValue(0, 25, 5), 3.0f);
  EXPECT_FLOAT_EQ(first.getFilter(), 1.0f);
  // The second pass brings the analysis at the stations closer to the observations.
  ObjectAnal one, two;
  two.set(1.0f, 3.0f, 2, 0.2f);
  Grids a = lattice(30, 10), b = lattice(30, 10);
  one.compute(d, a);
  two.compute(d, b);
  double e1 = 0, e2 = 0;
  for (int st = 0; st < d.getCount(); st++) {
    EarthPoint e = d.getLoc(st);
    e1 += std::pow(a.getValue(0, e) - d.getValue(st), 2);
    e2 += std::pow(b.getValue(0, e) - d.getValue(st), 2);
  }
  EXPECT_LT(e2, 0.5 * e1);
}

TEST_F(ObjectAnalTest, HostileInputGivesMissingValuesNotNaN)
{
  Grids g = lattice(12, 8);
  struct Case {
    const char* what;
    std::vector<std::vector<float>> rows;
    const char* param;
    int valid;  // expected count of valid points, -1 for any
  } cases[] = {
      {"no station inside the domain", {{-50, -50, 3}, {80, 3, 4}}, "", 0},
      {"all values missing", {{3, 3, M}, {5, 5, M}}, "", 0},
      {"not a number", {{3, 3, NAN}, {5, 5, INFINITY}}, "", 0},
      {"two stations at one place", {{4, 4, 1}, {4, 4, 3}}, "pass=3", -1},
      {"radius zero through the text form", {{4, 4, 1}, {6.5f, 4, 3}}, "rad_inf=0", 1},
      {"filter zero through the text form", {{4, 4, 1}, {6.5f, 4, 3}}, "filter=0", 1},
      {"negative filter", {{4, 4, 1}, {6.5f, 4, 3}}, "filter=-1,pass=2", -1},
  };
  for (const Case& c : cases) {
    Data d = stations(g, c.rows);
    ObjectAnal oa;
    oa.setParam(c.param);
    ASSERT_TRUE(oa.compute(d, g)) << c.what;
    EXPECT_FALSE(anyNan(g.getGrid(0))) << c.what;
    if (c.valid >= 0) {
      EXPECT_EQ(g.getGrid(0).getValid(), c.valid) << c.what;
    }
  }
  // Two stations at one place give their mean there.
  Data same = stations(g, {{4, 4, 1}, {4, 4, 3}});
  ObjectAnal oa;
  oa.compute(same, g);
  EXPECT_FLOAT_EQ(g.getValue(0, 4, 4), 2.0f);
  // No domain: nothing to analyse onto.
  Grids none;
  EXPECT_FALSE(oa.compute(same, none));
  Data empty(1);
  EXPECT_TRUE(oa.compute(empty, g));
  EXPECT_EQ(g.getGrid(0).getValid(), 0);
}

TEST_F(ObjectAnalTest, GridsTakeTheFieldsDescription)
{
  Grids g = lattice(5, 5);
  Data d = stations(g, {{2, 2, 280, 1010}});
  d.setInfo(0, "Temperature");
  d.setInfo(1, "Pressure");
  d.setVarSpec(0, VarSpec("temp"));
  d.setDate(Date(2024, 1, 15, 12, 0, 0));
  d.setSource("METAR");
  ObjectAnal oa;
  ASSERT_TRUE(oa.compute(d, g));
  ASSERT_EQ(g.getNum(), 2);
  EXPECT_STREQ(g.getGrid(0).getVar().getAbbr(), "temp");
  EXPECT_FLOAT_EQ(g.getValue(1, 2, 2), 1010.0f);
  EXPECT_EQ(g.getGrid(1).getDate().getSeconds(), Date(2024, 1, 15, 12, 0, 0).getSeconds());
  EXPECT_NE(std::string(g.getGrid(0).getDatim()).find("METAR"), std::string::npos)
      << g.getGrid(0).getDatim();
  EXPECT_EQ(g.getGrid(0).getNx(), 5);
}

// ---- a smooth field at the stations of a real METAR hour ----------------------------------

// The stations of the U.S. reports of the capture, placed by the station table.
std::vector<EarthPoint> captureStations()
{
  const std::string capture =
      KOLTest::readFile(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo"));
  std::set<std::string> ids;
  std::istringstream in(capture);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("METAR ", 0) == 0 || line.rfind("SPECI ", 0) == 0) line.erase(0, 6);
    if (line.size() > 12 && line[0] == 'K' && line[4] == ' ' && line[11] == 'Z')
      ids.insert(line.substr(0, 4));
  }
  std::vector<EarthPoint> out;
  CityFile table((KOLTest::databaseDir() + "/sao.cty").c_str(), 0);
  CityData c;
  while (table.read(c))
    if (ids.count(c.id)) {
      out.emplace_back(c.lat, c.lon);
      ids.erase(c.id);  // one position per station
    }
  return out;
}

float wave(const EarthPoint& e)
{
  return 280.0f + 8.0f * std::sin(e.lon * 0.2f) * std::cos(e.lat * 0.15f) + 0.4f * (e.lat - 40.0f);
}

std::string python()
{
  for (const char* p : {"python3", "/usr/bin/python3"})
    if (KOLTest::run(std::string(p) + " -c 'import numpy' 2>/dev/null && echo ok") == "ok\n")
      return p;
  return "";
}

// The reference's grid for the same stations, with the parameters oa has before it computes.
// Numbers go as the exact doubles of the library's floats, so that both sides test the radius
// with the same numbers.
std::vector<float> reference(const Grids& g, const Data& d, const ObjectAnal& oa)
{
  const Domain& dom = g.getDomain(0);
  std::ostringstream in;
  char head[300];
  std::snprintf(head, sizeof head, "%d %d %.17g %.17g %.17g %.17g %.17g %d %d %.17g\n", dom.nx,
                dom.ny, double(dom.dx), double(dom.dy), double(oa.getRadInf()),
                double(oa.getFilter()), double(oa.getConverg()), oa.getNumPass(), oa.getMinSta(),
                double(oa.getMissVal()));
  in << head;
  for (int st = 0; st < d.getCount(); st++) {
    EarthPoint e = d.getLoc(st);
    GridPoint p;
    if (!dom.tran(e, p)) continue;
    char line[100];
    std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", p.x, p.y, d.getValue(st));
    in << line;
  }
  KOLTest::TempDir tmp;
  KOLTest::writeFile(tmp.file("in"), in.str());
  std::string out = KOLTest::run(
      python() + " " KOL_SOURCE_DIR "/tests/grid/object_anal_reference.py < " + tmp.file("in"));
  std::vector<float> values;
  std::istringstream vs(out);
  for (float v; vs >> v;) values.push_back(v);
  return values;
}

// The points where the grid and the reference differ by more than float rounding (or where
// one is missing and the other not), the first few reported.
int differences(const Grid& out, const std::vector<float>& ref, const std::string& what)
{
  EXPECT_EQ(ref.size(), out.getCount()) << what;
  if (ref.size() != out.getCount()) return -1;
  int differ = 0;
  for (size_t p = 0; p < ref.size(); p++) {
    const float a = out.getData()[p], r = ref[p];
    const bool same =
        (a == M && r == M) ||
        (a != M && r != M && std::fabs(a - r) <= 1e-5f * std::max(1.0f, std::fabs(r)));
    if (!same && differ++ < 5)
      ADD_FAILURE() << what << " point " << p % out.getNx() << "," << p / out.getNx() << ": " << a
                    << " vs " << r;
  }
  return differ;
}

TEST_F(ObjectAnalTest, SmoothFieldAtRealStationsMatchesTheReference)
{
  KOL_REQUIRE_DATA();
  if (python().empty()) GTEST_SKIP() << "python3 with numpy not found (scripts/setup installs it)";
  const std::vector<EarthPoint> where = captureStations();
  ASSERT_GT(where.size(), 1000u);
  const char* domains[] = {"lamb:25:-95:25:25:,38,-96,93,65,0.8127,0.8127",
                           "pstereo:90:-105,45,-100,60,40,1.2,1.2"};
  for (const char* text : domains) {
    Grids g = onDomain(text);
    Data d(1);
    for (const EarthPoint& e : where) d.add("", e, wave(e));
    double previous = 1e30;
    for (int passes = 1; passes <= 3; passes++) {
      ObjectAnal oa("1.5,3,1,0.3,1");
      oa.setNumPass(passes);
      ASSERT_TRUE(oa.compute(d, g)) << text;
      const Grid& out = g.getGrid(0);
      // The error against the field itself, at the points the first pass analysed.
      double sum = 0;
      int n = 0;
      for (int j = 0; j < out.getNy(); j++)
        for (int i = 0; i < out.getNx(); i++) {
          if (out.getValue(i, j) == M) continue;
          EarthPoint e;
          out.tran(GridPoint(float(i), float(j)), e);
          sum += std::pow(out.getValue(i, j) - wave(e), 2);
          n++;
        }
      ASSERT_GT(n, 500) << text;
      const double rms = std::sqrt(sum / n);
      EXPECT_LT(rms, previous) << text << " pass " << passes;
      previous = rms;
      // The whole grid against the reference: float rounding only.
      ObjectAnal before("1.5,3,1,0.3,1");
      before.setNumPass(passes);
      const std::string what = std::string(text) + " pass " + std::to_string(passes);
      EXPECT_EQ(differences(out, reference(g, d, before), what), 0) << what;
    }
  }
}

TEST_F(ObjectAnalTest, ParameterSetsMatchTheReference)
{
  // Background, counts, several passes and wide radii on the real stations, a fifth of them
  // without a value.
  KOL_REQUIRE_DATA();
  if (python().empty()) GTEST_SKIP() << "python3 with numpy not found (scripts/setup installs it)";
  const std::vector<EarthPoint> where = captureStations();
  ASSERT_GT(where.size(), 1000u);
  Grids g = onDomain("lamb:25:-95:25:25:,38,-96,93,65,0.8127,0.8127");
  Data d(1);
  for (size_t st = 0; st < where.size(); st++) d.add("", where[st], st % 5 ? wave(where[st]) : M);
  struct Row {
    const char* what;
    float filter, radInf;
    int passes;
    float conv;
    int minSta;
    float background;
  } rows[] = {
      {"background, two passes", 1.5f, 3, 2, 0.3f, 1, 281},
      {"two values needed, three passes", 1.5f, 3, 3, 0.3f, 2, M},
      {"three values needed, with background", 2, 4, 2, 0.2f, 3, 279},
      {"wide radius, sharper second pass", 0.3f, 8, 2, 0.5f, 1, M},
      {"four passes", 1.5f, 3, 4, 0.5f, 1, M},
  };
  for (const Row& r : rows) {
    ObjectAnal oa;
    oa.set(r.filter, r.radInf, r.passes, r.conv);
    oa.setMinSta(r.minSta);
    oa.setMissVal(r.background);
    const ObjectAnal before = oa;
    ASSERT_TRUE(oa.compute(d, g)) << r.what;
    EXPECT_GT(g.getGrid(0).getValid(), 500) << r.what;
    EXPECT_EQ(differences(g.getGrid(0), reference(g, d, before), r.what), 0) << r.what;
  }
}

TEST_F(ObjectAnalTest, LatticeEdgesAndExactRadiiMatchTheReference)
{
  // Stations on the grid's corners and edges (where interpolating at them reads the last row or
  // column), at exactly the radius from grid points, between points, and outside the grid.
  if (python().empty()) GTEST_SKIP() << "python3 with numpy not found (scripts/setup installs it)";
  Grids g = lattice(40, 30);
  Data d = stations(g, {{0, 0, 5},
                        {39, 29, 9},
                        {39, 5, 7},
                        {3, 29, 2},
                        {10, 10, 4},
                        {14, 10, 8},
                        {10, 14, 1},
                        {20.5f, 15, 6},
                        {25, 15.5f, 3},
                        {-2, 5, 12},
                        {41, 12, 11},
                        {30, 31.5f, 4},
                        {33, 20, M}});
  for (int passes = 1; passes <= 3; passes++) {
    ObjectAnal oa;
    oa.set(3.0f, 4.0f, passes, 0.5f);
    const ObjectAnal before = oa;
    ASSERT_TRUE(oa.compute(d, g));
    const std::string what = "passes " + std::to_string(passes);
    EXPECT_EQ(differences(g.getGrid(0), reference(g, d, before), what), 0) << what;
  }
}

TEST_F(ObjectAnalTest, FieldsAreAnalysedEachOnItsOwn)
{
  // Two fields missing at different stations, with counts, background and three passes: each
  // grid is the analysis of its own field alone.
  Grids both = lattice(30, 20);
  const std::vector<std::vector<float>> rows = {
      {3, 3, 10, M},  {6, 4, 12, 105}, {9, 9, M, 101},  {12, 5, 15, 99},     {4.5f, 8, 11, 100},
      {20, 15, 8, M}, {22, 14, M, 98}, {21, 17, 9, 97}, {25.5f, 3, 14, 103}, {7, 7, 13, 102}};
  Data d = stations(both, rows);
  auto configure = [](ObjectAnal& oa) {
    oa.set(4.0f, 4.0f, 3, 0.4f);
    oa.setMinSta(2);
    oa.setMissVal(50);
  };
  ObjectAnal oa;
  configure(oa);
  ASSERT_TRUE(oa.compute(d, both));
  ASSERT_EQ(both.getNum(), 2);
  for (int k = 0; k < 2; k++) {
    std::vector<std::vector<float>> single;
    for (const auto& r : rows) single.push_back({r[0], r[1], r[2 + k]});
    Grids alone = lattice(30, 20);
    ObjectAnal one;
    configure(one);
    ASSERT_TRUE(one.compute(stations(alone, single), alone));
    int differ = 0;
    for (int j = 0; j < 20; j++)
      for (int i = 0; i < 30; i++)
        if (both.getValue(k, i, j) != alone.getValue(0, i, j) && differ++ < 5)
          ADD_FAILURE() << "field " << k << " at " << i << "," << j << ": "
                        << both.getValue(k, i, j) << " vs " << alone.getValue(0, i, j);
    EXPECT_EQ(differ, 0) << "field " << k;
    EXPECT_GT(alone.getGrid(0).getValid(), 20) << "field " << k;
  }
}

TEST_F(ObjectAnalTest, StationsWithoutAPlaceTakeNoPart)
{
  // A report the domain cannot place has neither a value nor a residual anywhere: the analysis
  // is that of the placed station alone, in every pass.
  Grids alone = lattice(12, 8), both = lattice(12, 8);
  Data one = stations(alone, {{2, 2, 10}});
  Data two = stations(both, {{2, 2, 10}});
  two.add("", EarthPoint(M, M), 1000.0f);
  ObjectAnal a, b;
  a.set(1.0f, 3.0f, 2, 0.5f);
  b.set(1.0f, 3.0f, 2, 0.5f);
  ASSERT_TRUE(a.compute(one, alone));
  ASSERT_TRUE(b.compute(two, both));
  for (int j = 0; j < 8; j++)
    for (int i = 0; i < 12; i++)
      EXPECT_EQ(both.getValue(0, i, j), alone.getValue(0, i, j)) << i << "," << j;
  EXPECT_FLOAT_EQ(both.getValue(0, 0, 0), 10.0f);
}

}  // namespace
