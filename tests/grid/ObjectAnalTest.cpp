// Objective analysis: parameters, hostile input, and whole grids against an independent
// reference of the scheme (object_anal_reference.py) on real stations and on a lattice.
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

Grids onDomain(const std::string& text)
{
  Grids g;
  g.setNum(1);
  g.getGrid(0).setDomain(Domain(text.c_str()));
  return g;
}

// A latlon lattice of nx by ny points one degree apart centred on (0, 0).
Grids lattice(int nx, int ny)
{
  return onDomain("latlon:,0,0," + std::to_string(nx) + "," + std::to_string(ny) + ",1,1");
}

// Stations at grid positions of the lattice: "x y value..." separated by ';' (M: missing).
Data stations(const Grids& g, const std::string& rows)
{
  std::vector<std::vector<float>> values;
  std::istringstream in(rows);
  for (std::string row; std::getline(in, row, ';');) {
    std::istringstream words(row);
    values.emplace_back();
    for (std::string w; words >> w;) values.back().push_back(w == "M" ? M : std::stof(w));
  }
  Data d(int(values[0].size()) - 2);
  for (const auto& r : values) {
    EarthPoint e;
    g.getDomain(0).tran(GridPoint(r[0], r[1]), e);
    const int row = d.add("", e, r[2]);
    for (size_t k = 3; k < r.size(); k++) d.setValue(row, int(k) - 2, r[k]);
  }
  return d;
}

class ObjectAnalTest : public KOLTest::DatabaseTest {};

// Filter, radius, passes, convergence and station count.
std::string params(const ObjectAnal& o)
{
  char text[100];
  std::snprintf(text, sizeof text, "%g %g %d %g %d", o.getFilter(), o.getRadInf(), o.getNumPass(),
                o.getConverg(), o.getMinSta());
  return text;
}

TEST_F(ObjectAnalTest, ParametersAndDescription)
{
  const char* rows[][2] = {{"2,4,3,0.5,2", "2 4 3 0.5 2"},       {"0,0,0,1,0", "1 10 1 0.2 1"},
                           {"-1,-3,5,0.005,-2", "1 10 1 0.2 1"}, {"8", "8 3 1 0.2 1"},
                           {"3,2.5", "3 2.5 1 0.2 1"},           {"1,3,4,0.01,1", "1 3 4 0.01 1"}};
  for (const auto& r : rows) EXPECT_EQ(params(ObjectAnal(r[0])), r[1]) << r[0];
  // "oa" goes through the setters and their ranges.
  for (const char* text : {"oa=2:4:2:0.3:2", "oa=2,4,2,0.3,2", "oa=2:-4:2:0.3:2"}) {
    ObjectAnal q;
    q.setParam(text);
    EXPECT_TRUE(q.getFilter() == 2 && q.getNumPass() == 2 && q.getMinSta() == 2) << text;
    EXPECT_FLOAT_EQ(q.getConverg(), 0.3f) << text;
  }
  // The resource applies after the defaults.
  Kol::resrc.set("object_param", "5,6,2,0.4,3");
  ObjectAnal r;
  Kol::resrc.set("object_param", "");
  EXPECT_EQ(params(r), "5 6 2 0.4 3");
  // The second pass sharpens the filter and leaves it so.
  Grids g = lattice(10, 10);
  ObjectAnal two;
  two.set(1.0f, 3.0f, 2, 0.2f);
  ASSERT_TRUE(two.compute(stations(g, "5 5 10; 7 5 14"), g));
  EXPECT_FLOAT_EQ(two.getFilter(), 0.2f);
  // The grids take the fields' description.
  Grids five = lattice(5, 5);
  Data d = stations(five, "2 2 280 1010");
  d.setInfo(0, "Temperature");
  d.setInfo(1, "Pressure");
  d.setVarSpec(0, VarSpec("temp"));
  d.setDate(Date(2024, 1, 15, 12, 0, 0));
  d.setSource("METAR");
  ObjectAnal described;
  ASSERT_TRUE(described.compute(d, five) && five.getNum() == 2);
  EXPECT_STREQ(five.getGrid(0).getVar().getAbbr(), "temp");
  EXPECT_FLOAT_EQ(five.getValue(1, 2, 2), 1010.0f);
  EXPECT_EQ(five.getGrid(1).getDate().getSeconds(), Date(2024, 1, 15, 12, 0, 0).getSeconds());
  EXPECT_NE(std::string(five.getGrid(0).getDatim()).find("METAR"), std::string::npos);
}

TEST_F(ObjectAnalTest, HostileInputGivesMissingValuesNotNaN)
{
  Grids g = lattice(12, 8);
  const struct {
    const char* what;
    const char* rows;
    const char* param;
    int valid;  // expected count of valid points, -1 for any
  } cases[] = {{"no station inside the domain", "-50 -50 3; 80 3 4", "", 0},
               {"all values missing", "3 3 M; 5 5 M", "", 0},
               {"not a number", "3 3 nan; 5 5 inf", "", 0},
               {"two stations at one place", "4 4 1; 4 4 3", "pass=3", -1},
               {"radius zero through the text form", "4 4 1; 6.5 4 3", "rad_inf=0", 1},
               {"filter zero through the text form", "4 4 1; 6.5 4 3", "filter=0", 1},
               {"negative filter", "4 4 1; 6.5 4 3", "filter=-1,pass=2", -1}};
  for (const auto& c : cases) {
    ObjectAnal oa;
    oa.setParam(c.param);
    ASSERT_TRUE(oa.compute(stations(g, c.rows), g)) << c.what;
    const Grid& out = g.getGrid(0);
    EXPECT_TRUE(std::none_of(out.getData(), out.getData() + out.getCount(), [](float v) {
      return std::isnan(v);
    })) << c.what;
    if (c.valid >= 0) {
      EXPECT_EQ(out.getValid(), c.valid) << c.what;
    }
  }
  // Two stations at one place give their mean there.
  Data same = stations(g, "4 4 1; 4 4 3");
  ObjectAnal oa;
  oa.compute(same, g);
  EXPECT_FLOAT_EQ(g.getValue(0, 4, 4), 2.0f);
  Grids none;  // no domain: nothing to analyse onto
  EXPECT_FALSE(oa.compute(same, none));
  Data empty(1);
  EXPECT_TRUE(oa.compute(empty, g) && g.getGrid(0).getValid() == 0);
}

// ---- against the reference ---------------------------------------------------------------

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
    if (ids.erase(c.id)) out.emplace_back(c.lat, c.lon);  // one position per station
  return out;
}

float wave(const EarthPoint& e)
{
  return 280.0f + 8.0f * std::sin(e.lon * 0.2f) * std::cos(e.lat * 0.15f) + 0.4f * (e.lat - 40.0f);
}

bool haveNumpy()
{
  return KOLTest::run("/usr/bin/python3 -c 'import numpy' 2>/dev/null && echo ok") == "ok\n";
}

// The reference's grid, given the exact doubles of the library's floats.
std::vector<float> reference(const Grids& g, const Data& d, const ObjectAnal& oa, int field = 0)
{
  const Domain& dom = g.getDomain(0);
  std::ostringstream in;
  in.precision(17);
  in << dom.nx << ' ' << dom.ny << ' ' << double(dom.dx) << ' ' << double(dom.dy) << ' '
     << double(oa.getRadInf()) << ' ' << double(oa.getFilter()) << ' ' << double(oa.getConverg())
     << ' ' << oa.getNumPass() << ' ' << oa.getMinSta() << ' ' << double(oa.getMissVal()) << '\n';
  for (int st = 0; st < d.getCount(); st++) {
    EarthPoint e = d.getLoc(st);
    GridPoint p;
    if (dom.tran(e, p)) in << p.x << ' ' << p.y << ' ' << d.getValue(st, field) << '\n';
  }
  KOLTest::TempDir tmp;
  KOLTest::writeFile(tmp.file("in"), in.str());
  std::istringstream out(KOLTest::run("/usr/bin/python3 " KOL_SOURCE_DIR
                                      "/tests/grid/object_anal_reference.py < " +
                                      tmp.file("in")));
  std::vector<float> values;
  for (float v; out >> v;) values.push_back(v);
  return values;
}

// The grid against the reference: float rounding only, missing in the same places.
void expectLikeReference(const Grid& out, const std::vector<float>& ref)
{
  ASSERT_EQ(ref.size(), out.getCount());
  int differ = 0;
  for (size_t p = 0; p < ref.size(); p++) {
    const float a = out.getData()[p], r = ref[p];
    const bool same =
        (a == M && r == M) ||
        (a != M && r != M && std::fabs(a - r) <= 1e-5f * std::max(1.0f, std::fabs(r)));
    if (!same && differ++ < 5)
      ADD_FAILURE() << "point " << p % out.getNx() << "," << p / out.getNx() << ": " << a << " vs "
                    << r;
  }
}

struct Params {
  float filter, radInf;
  int passes;
  float conv;
  int minSta;
  float background;
};

TEST_F(ObjectAnalTest, RealStationsAgreeWithTheReference)
{
  KOL_REQUIRE_DATA();
  if (!haveNumpy()) GTEST_SKIP() << "python3 with numpy not found (scripts/setup installs it)";
  const std::vector<EarthPoint> where = captureStations();
  ASSERT_GT(where.size(), 1000u);
  const std::string lamb = "lamb:25:-95:25:25:,38,-96,93,65,0.8127,0.8127";
  // A fifth of the stations without a value where `gaps` is set.
  const struct {
    std::string domain;
    bool gaps;
    Params p;
  } cases[] = {{lamb, false, {1.5f, 3, 1, 0.3f, 1, M}},
               {lamb, false, {1.5f, 3, 2, 0.3f, 1, M}},
               {lamb, false, {1.5f, 3, 3, 0.3f, 1, M}},
               {"pstereo:90:-105,45,-100,60,40,1.2,1.2", false, {1.5f, 3, 3, 0.3f, 1, M}},
               {lamb, true, {1.5f, 3, 2, 0.3f, 1, 281}},
               {lamb, true, {1.5f, 3, 3, 0.3f, 2, M}},
               {lamb, true, {2, 4, 2, 0.2f, 3, 279}},
               {lamb, true, {0.3f, 8, 2, 0.5f, 1, M}},
               {lamb, true, {1.5f, 3, 4, 0.5f, 1, M}}};
  double previous = 1e30;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.domain + " passes " + std::to_string(c.p.passes) + " stations " +
                 std::to_string(c.p.minSta));
    Grids g = onDomain(c.domain);
    Data d(1);
    for (size_t st = 0; st < where.size(); st++)
      d.add("", where[st], c.gaps && st % 5 == 0 ? M : wave(where[st]));
    ObjectAnal oa;
    oa.set(c.p.filter, c.p.radInf, c.p.passes, c.p.conv);
    oa.setMinSta(c.p.minSta);
    oa.setMissVal(c.p.background);
    const ObjectAnal before = oa;
    ASSERT_TRUE(oa.compute(d, g));
    const Grid& out = g.getGrid(0);
    EXPECT_GT(out.getValid(), 500);
    expectLikeReference(out, reference(g, d, before));
    if (c.gaps || c.domain != lamb) continue;
    // Each pass brings the analysis closer to the field itself.
    double sum = 0;
    for (int j = 0; j < out.getNy(); j++)
      for (int i = 0; i < out.getNx(); i++) {
        EarthPoint e;
        out.tran(GridPoint(float(i), float(j)), e);
        if (out.getValue(i, j) != M) sum += std::pow(out.getValue(i, j) - wave(e), 2);
      }
    EXPECT_LT(sum, previous);
    previous = sum;
  }
}

TEST_F(ObjectAnalTest, LatticeEdgesAndExactRadiiAgreeWithTheReference)
{
  // Stations on corners and edges, at exact radii, outside, and one the domain cannot place.
  if (!haveNumpy()) GTEST_SKIP() << "python3 with numpy not found (scripts/setup installs it)";
  Grids g = lattice(40, 30);
  // A second field missing at other stations is analysed on its own.
  Data d = stations(g,
                    "0 0 5 1; 39 29 9 2; 39 5 7 M; 3 29 2 4; 10 10 4 5; 14 10 8 M; 10 14 1 7;"
                    "20.5 15 6 8; 25 15.5 3 9; -2 5 12 10; 41 12 11 11; 30 31.5 4 12; 33 20 M 13;"
                    "12 11 M 14; 22 14 M 15");
  d.add("", EarthPoint(M, M), 1000.0f);
  const Params cases[] = {{3, 4, 1, 0.5f, 1, M}, {3, 4, 2, 0.5f, 1, M}, {3, 4, 3, 0.5f, 1, M},
                          {2, 4, 1, 0.2f, 1, 0}, {1, 3, 2, 0.2f, 1, 3}, {3, 4, 1, 0.2f, 2, M},
                          {4, 4, 3, 0.4f, 2, 50}};
  for (const Params& p : cases) {
    SCOPED_TRACE(testing::Message() << "passes " << p.passes << " background " << p.background
                                    << " stations " << p.minSta);
    ObjectAnal oa;
    oa.set(p.filter, p.radInf, p.passes, p.conv);
    oa.setMinSta(p.minSta);
    oa.setMissVal(p.background);
    const ObjectAnal before = oa;
    ASSERT_TRUE(oa.compute(d, g) && g.getNum() == 2);
    for (int k = 0; k < 2; k++) expectLikeReference(g.getGrid(k), reference(g, d, before, k));
  }
}

}  // namespace
