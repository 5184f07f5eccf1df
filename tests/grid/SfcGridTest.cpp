// SfcGrid: a surface file's stations placed by the station table, variables computed at each,
// analysed onto the target domain; a record of an unknown station is left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/Grids.h"
#include "grid/SfcGrid.h"
#include "obs/CityTool.h"
#include "obs/Data.h"
#include "obs/MetarTool.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"

using namespace KOL;

namespace {

class SfcGridTest : public KOLTest::DatabaseTest {
 protected:
  // A surface file of three stations, one of them not in the station table.
  std::string surfaceFile()
  {
    const std::string path = tmp.file("sfc.kol");
    SfcFile out;
    out.open(path.c_str(), SfcFile::WRITE, SfcFile::KOL);
    out.setDate(Date(2020, 1, 6, 0, 0, 0));
    struct {
      const char* id;
      float temp, slp;
    } rows[] = {{"KDEN", -2.0f, 1021.3f}, {"KCOS", 4.0f, 1015.7f}, {"XXXX", 30.0f, 990.0f}};
    for (const auto& r : rows) {
      SfcData s;
      s.init();
      std::snprintf(s.id, sizeof s.id, "%s", r.id);
      s.temp = r.temp;
      s.slp = r.slp;
      out.write(s);
    }
    out.close();
    return path;
  }
  KOLTest::TempDir tmp;
};

TEST_F(SfcGridTest, AnalysesTheVariablesOfASurfaceFile)
{
  const std::string path = surfaceFile();
  SfcGrid sg;
  ASSERT_TRUE(sg.setVariables("temp,pres"));
  ASSERT_TRUE(sg.setFilename(path.c_str()));
  ASSERT_TRUE(sg.setDomain("latlon,39,-105,41,41,0.05,0.05"));
  sg.setParam("rad_inf=4");
  Data d;
  ASSERT_TRUE(SfcGrid::read(path.c_str(), {VarSpec("temp"), VarSpec("pres")}, d));
  EXPECT_EQ(d.getCount(), 2);  // the unknown station has no place
  Grids g;
  ASSERT_TRUE(sg.compute(g));
  ASSERT_EQ(g.getNum(), 2);
  EarthPoint den, cos;
  ASSERT_TRUE(CityTool::locate("sao.cty", "KDEN", den));
  ASSERT_TRUE(CityTool::locate("sao.cty", "KCOS", cos));
  // Each station stands alone within its radius: the analysis there is its value.
  EXPECT_NEAR(g.getValue(0, den), -2.0f, 1e-3);
  EXPECT_NEAR(g.getValue(0, cos), 4.0f, 1e-3);
  EXPECT_NEAR(g.getValue(1, den), 1021.3f, 1e-2);
  EXPECT_STREQ(g.getGrid(1).getVar().getAbbr(), "pres");
  EXPECT_EQ(g.getGrid(0).getDate().getSeconds(), Date(2020, 1, 6, 0, 0, 0).getSeconds());
  // No variables, or no file: nothing is read.
  SfcGrid none;
  EXPECT_FALSE(none.setVariables(""));
  EXPECT_FALSE(none.compute(g));
  EXPECT_FALSE(SfcGrid::read(tmp.file("absent").c_str(), {VarSpec("temp")}, d));
}

}  // namespace

namespace {

// The METAR reports of a real hour of the feed, one per U.S. station, in a surface file.
std::string metarHourFile(const std::string& path)
{
  SfcWmoFile feed;
  if (!feed.open(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo").c_str())) return "";
  feed.setDate(Date(2020, 1, 6, 0, 0, 0));
  std::set<std::string> seen;
  SfcFile out;
  out.setDate(Date(2020, 1, 6, 0, 0, 0));
  if (!out.open(path.c_str(), SfcFile::WRITE, SfcFile::KOL)) return "";
  SfcWmoData w;
  while (feed.read(w)) {
    SfcData s;
    if (w.format != SfcWmoData::METAR || !MetarTool::decode(w, s) || s.id[0] != 'K') continue;
    if (seen.insert(s.id).second) out.write(s);
  }
  out.close();
  return path;
}

TEST_F(SfcGridTest, RealHourOverTheUnitedStates)
{
  KOL_REQUIRE_DATA();
  const std::string path = metarHourFile(tmp.file("metar.kol"));
  ASSERT_FALSE(path.empty());
  Data d;
  ASSERT_TRUE(SfcGrid::read(path.c_str(), {VarSpec("temp"), VarSpec("pres")}, d));
  ASSERT_GT(d.getCount(), 1000);
  SfcGrid sg;
  sg.setVariables("temp,pres");
  sg.setFilename(path.c_str());
  sg.setDomain("lamb:25:-95:25:25,38,-96,121,81,0.4,0.4");
  sg.set(0.3f, 3.0f, 2, 0.3f);
  Grids g;
  ASSERT_TRUE(sg.compute(g));
  // Grid points next to a station (within a tenth of a spacing) against the station's value:
  // neighbouring stations pull the analysis away from it only a little.
  const Grid& temp = g.getGrid(0);
  const Grid& pres = g.getGrid(1);
  std::vector<double> dt, dp;
  for (int st = 0; st < d.getCount(); st++) {
    EarthPoint e = d.getLoc(st);
    GridPoint p;
    if (!temp.tran(e, p)) continue;
    const int i = int(std::lround(p.x)), j = int(std::lround(p.y));
    if (std::hypot(p.x - i, p.y - j) > 0.1 || i < 0 || j < 0 || i >= temp.getNx() ||
        j >= temp.getNy())
      continue;
    if (d.getValue(st, 0) != Const::FMISS && temp.getValue(i, j) != Const::FMISS)
      dt.push_back(std::fabs(temp.getValue(i, j) - d.getValue(st, 0)));
    if (d.getValue(st, 1) != Const::FMISS && pres.getValue(i, j) != Const::FMISS)
      dp.push_back(std::fabs(pres.getValue(i, j) - d.getValue(st, 1)));
  }
  ASSERT_GT(dt.size(), 20u);
  ASSERT_GT(dp.size(), 10u);
  std::sort(dt.begin(), dt.end());
  std::sort(dp.begin(), dp.end());
  EXPECT_LT(dt[dt.size() / 2], 1.5)
      << "median temperature difference, " << dt.size() << " stations";
  EXPECT_LT(dp[dp.size() / 2], 1.5) << "median pressure difference, " << dp.size() << " stations";
  // The interior of the country is analysed without holes.
  EXPECT_NE(temp.getValue(60, 40), Const::FMISS);
}

}  // namespace
