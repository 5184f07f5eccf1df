// The kolanal program: a METAR capture filed by kolsfc, analysed over the United States into a
// grid file that GridFile reads back with values near those of the stations; refused arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/Grids.h"
#include "grid/SfcGrid.h"
#include "obs/Data.h"

using namespace KOL;

namespace {

std::string program(const char* name, const std::string& args, int* status)
{
  return KOLTest::run(
      KOLTest::programPath(name) + " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1", status);
}

class KolanalTest : public KOLTest::DatabaseTest {
 protected:
  // The capture filed into one surface file by kolsfc.
  std::string surfaceFile()
  {
    const std::string path = tmp.file("obs.kol");
    int status = -1;
    std::string out = program("kolsfc",
                              "-date=202001060030 -cvt=" + path + " " +
                                  KOLTest::dataFile("metar/metpy_2020010600_sao.wmo"),
                              &status);
    EXPECT_EQ(status, 0) << out;
    return path;
  }
  KOLTest::TempDir tmp;
};

// The median distance between the grid and the station values at grid points within a tenth of
// a spacing of a station; counted says how many stations took part.
double medianNearStations(const Grid& g, const Data& d, int field, size_t& counted)
{
  std::vector<double> diff;
  for (int st = 0; st < d.getCount(); st++) {
    GridPoint p;
    if (d.getValue(st, field) == Const::FMISS || !g.tran(d.getLoc(st), p)) continue;
    const int i = int(std::lround(p.x)), j = int(std::lround(p.y));
    if (i < 0 || j < 0 || i >= g.getNx() || j >= g.getNy() || std::hypot(p.x - i, p.y - j) > 0.1)
      continue;
    if (g.getValue(i, j) != Const::FMISS)
      diff.push_back(std::fabs(g.getValue(i, j) - d.getValue(st, field)));
  }
  counted = diff.size();
  if (diff.empty()) return HUGE_VAL;
  std::sort(diff.begin(), diff.end());
  return diff[diff.size() / 2];
}

TEST_F(KolanalTest, CaptureAnalysedOverTheUnitedStates)
{
  KOL_REQUIRE_DATA();
  const std::string obs = surfaceFile();
  const std::string grd = tmp.file("anal.grd");
  int status = -1;
  std::string out = program("kolanal",
                            "-va=temp,pres -oa=0.3,3,2,0.3 "
                            "-gd=lamb:25:-95:25:25,38,-96,121,81,0.4,0.4 -outf=" +
                                grd + " " + obs,
                            &status);
  ASSERT_EQ(status, 0) << out;

  GridFile file;
  ASSERT_TRUE(file.open(grd.c_str()));
  EXPECT_EQ(KOLTest::readFile(grd).substr(0, 10), "KOLGRID4B\n");
  Grid temp, pres, extra;
  ASSERT_TRUE(file.read(temp));
  ASSERT_TRUE(file.read(pres));
  EXPECT_FALSE(file.read(extra));
  EXPECT_STREQ(temp.getVar().getAbbr(), "temp");
  EXPECT_STREQ(pres.getVar().getAbbr(), "pres");
  ASSERT_EQ(temp.getNx(), 121);
  ASSERT_EQ(temp.getNy(), 81);
  EXPECT_EQ(temp.getDate().getSeconds(), Date(2020, 1, 6, 0, 0, 0).getSeconds());

  // Every analysed value is finite and nearly all are plausible January evening values; a few
  // follow a station that reported 60 C (KBBF), as an analysis should.
  for (const Grid* g : {&temp, &pres}) {
    const float lo = g == &temp ? -45 : 950, hi = g == &temp ? 40 : 1070;
    int set = 0, odd = 0;
    for (int j = 0; j < g->getNy(); j++)
      for (int i = 0; i < g->getNx(); i++) {
        const float v = g->getValue(i, j);
        if (v == Const::FMISS) continue;
        ASSERT_FALSE(std::isnan(v));
        set++;
        odd += v < lo || v > hi;
      }
    EXPECT_GT(set, g->getNx() * g->getNy() / 2);
    EXPECT_LT(odd, set / 200) << g->getVar().getAbbr();
  }
  EXPECT_NE(temp.getValue(60, 40), Const::FMISS);  // the middle of the country

  // Spot checks at grid points next to stations, the stations read from the same file.
  Data d;
  ASSERT_TRUE(SfcGrid::read(obs.c_str(), {VarSpec("temp"), VarSpec("pres")}, d));
  size_t n = 0;
  EXPECT_LT(medianNearStations(temp, d, 0, n), 1.5);
  EXPECT_GT(n, 20u);
  EXPECT_LT(medianNearStations(pres, d, 1, n), 1.5);
  EXPECT_GT(n, 10u);
}

TEST_F(KolanalTest, RegionNameAndTextFormat)
{
  KOL_REQUIRE_DATA();
  const std::string obs = surfaceFile();
  const std::string grd = tmp.file("anal.txt");
  int status = -1;
  std::string out =
      program("kolanal", "-va=temp -pd=conus -fm=text -outf=" + grd + " " + obs, &status);
  ASSERT_EQ(status, 0) << out;
  GridFile file;
  ASSERT_TRUE(file.open(grd.c_str()));
  EXPECT_EQ(KOLTest::readFile(grd).substr(0, 9), "KOLGRID4\n");
  Grid g;
  ASSERT_TRUE(file.read(g));
  Domain conus;
  ASSERT_TRUE(DomainTool::decode(conus, "conus"));
  EXPECT_EQ(g.getNx(), conus.nx);
  EXPECT_EQ(g.getNy(), conus.ny);
  EXPECT_NE(g.getValue(conus.nx / 2, conus.ny / 2), Const::FMISS);
}

}  // namespace
