// The kolanal program: a METAR capture filed by kolsfc, analysed over the United States.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/SfcGrid.h"
#include "obs/Data.h"

using namespace KOL;

namespace {

std::string program(const char* name, const std::string& args, int* status)
{
  return KOLTest::run(
      KOLTest::programPath(name) + " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1", status);
}

using KolanalTest = KOLTest::DatabaseTest;

// Median difference between grid and stations within a tenth of a spacing of a grid point.
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
  KOLTest::TempDir tmp;
  const std::string obs = tmp.file("obs.kol"), grd = tmp.file("anal.grd");
  int status = -1;
  std::string out = program(
      "kolsfc",
      "-date=202001060030 -cvt=" + obs + " " + KOLTest::dataFile("metar/metpy_2020010600_sao.wmo"),
      &status);
  ASSERT_EQ(status, 0) << out;
  out = program("kolanal",
                "-va=temp,pres -oa=0.3,3,2,0.3 -gd=lamb:25:-95:25:25,38,-96,121,81,0.4,0.4 -outf=" +
                    grd + " " + obs,
                &status);
  ASSERT_EQ(status, 0) << out;
  GridFile file;
  ASSERT_TRUE(file.open(grd.c_str()));
  EXPECT_EQ(KOLTest::readFile(grd).substr(0, 10), "KOLGRID4B\n");
  Grid temp, pres, extra;
  ASSERT_TRUE(file.read(temp) && file.read(pres) && !file.read(extra));
  EXPECT_EQ(std::string(temp.getVar().getAbbr()) + pres.getVar().getAbbr(), "temppres");
  ASSERT_TRUE(temp.getNx() == 121 && temp.getNy() == 81);
  EXPECT_EQ(temp.getDate().getSeconds(), Date(2020, 1, 6, 0, 0, 0).getSeconds());
  EXPECT_GT(temp.getValid(), 121 * 81 / 2);
  EXPECT_NE(temp.getValue(60, 40), Const::FMISS);  // the middle of the country
  // Grid points next to stations, the stations read from the same file.
  Data d;
  ASSERT_TRUE(SfcGrid::read(obs.c_str(), {VarSpec("temp"), VarSpec("pres")}, d));
  size_t n = 0;
  EXPECT_LT(medianNearStations(temp, d, 0, n), 1.5);
  EXPECT_GT(n, 20u);
  EXPECT_LT(medianNearStations(pres, d, 1, n), 1.5);
  EXPECT_GT(n, 10u);
}

}  // namespace
