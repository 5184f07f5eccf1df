// Analyses of point files, surface files placed by the station table, and soundings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grids.h"
#include "grid/RawGrid.h"
#include "grid/SfcGrid.h"
#include "grid/UpaGrid.h"
#include "obs/CityTool.h"
#include "obs/Data.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

using namespace KOL;

namespace {

constexpr float M = Const::FMISS;

class StationGridsTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(StationGridsTest, RawPointFiles)
{
  const std::string path = tmp.file("points.txt");
  KOLTest::writeFile(path,
                     "# two stations\n#fields: temp,pmsl\nKDEN 39.85 -104.66 -3.5 1021.5\n"
                     "40.0 -100.0 2 x\nbad line\n41.0 -99.0\n");
  Data d;
  ASSERT_TRUE(RawGrid::read(path.c_str(), d));
  ASSERT_TRUE(d.getNumFields() == 2 && d.getCount() == 2);
  EXPECT_EQ(std::string(d.getId(0)) + " " + d.getVarSpec(1)->getName(), "KDEN pmsl");
  EXPECT_TRUE(d.getLoc(0).lat == 39.85f && d.getValue(0, 1) == 1021.5f);
  EXPECT_TRUE(d.getValue(1, 0) == 2 && d.getValue(1, 1) == M);
  // Without a fields line the first line sets the number of values.
  KOLTest::writeFile(path, "10 20 1 2 3\n11 21 4 5 6\n");
  ASSERT_TRUE(RawGrid::read(path.c_str(), d));
  EXPECT_TRUE(d.getNumFields() == 3 && d.getValue(1, 2) == 6);
  EXPECT_FALSE(RawGrid::read(tmp.file("absent").c_str(), d));

  // Analysed onto its domain refined: twice as many intervals at half the spacing.
  KOLTest::writeFile(path, "0 0 5\n0 2 7\n");
  RawGrid rg;
  ASSERT_TRUE(rg.setFilename(path.c_str()) && rg.setDomain("latlon,0,1,5,3,1,1"));
  rg.setParam("grid=2,rad_inf=1.5,pass=2");
  EXPECT_TRUE(rg.getGridFactor() == 2 && rg.getRadInf() == 1.5f && rg.getNumPass() == 2);
  Grids g;
  ASSERT_TRUE(rg.compute(g));
  EXPECT_TRUE(g.getGrid(0).getNx() == 9 && g.getGrid(0).getNy() == 5 &&
              g.getGrid(0).getDx() == 0.5f);
  EXPECT_NEAR(g.getValue(0, EarthPoint(0, 0)), 5.0f, 1e-3);
  EXPECT_NEAR(g.getValue(0, EarthPoint(0, 2)), 7.0f, 1e-3);
  // Without a domain nothing is analysed; the "plot_domain" resource gives one.
  RawGrid none;
  Grids empty;
  Data one(1);
  EXPECT_FALSE(none.compute(one, empty) || none.setDomain("no such region"));
  Kol::resrc.set("plot_domain", "latlon,0,1,5,3,1,1");
  RawGrid fromResource;
  Kol::resrc.set("plot_domain", "");
  ASSERT_TRUE(fromResource.setFilename(path.c_str()) && fromResource.compute(empty));
  EXPECT_EQ(empty.getGrid(0).getNx(), 5);
}

TEST_F(StationGridsTest, SurfaceFileStationsPlacedByTheTable)
{
  // Three stations, one of them not in the station table (it has no place and is left out).
  const std::string path = tmp.file("sfc.kol");
  SfcFile out;
  out.open(path.c_str(), SfcFile::WRITE, SfcFile::KOL);
  out.setDate(Date(2020, 1, 6, 0, 0, 0));
  const struct {
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
  SfcGrid sg;
  ASSERT_TRUE(sg.setVariables("temp,pres") && sg.setFilename(path.c_str()) &&
              sg.setDomain("latlon,39,-105,41,41,0.05,0.05"));
  sg.setParam("rad_inf=4");
  Data d;
  ASSERT_TRUE(SfcGrid::read(path.c_str(), {VarSpec("temp"), VarSpec("pres")}, d));
  EXPECT_EQ(d.getCount(), 2);
  Grids g;
  ASSERT_TRUE(sg.compute(g) && g.getNum() == 2);
  EarthPoint den, cos;
  ASSERT_TRUE(CityTool::locate("sao.cty", "KDEN", den) && CityTool::locate("sao.cty", "KCOS", cos));
  // Each station stands alone within its radius: the analysis there is its value.
  EXPECT_NEAR(g.getValue(0, den), -2.0f, 1e-3);
  EXPECT_NEAR(g.getValue(0, cos), 4.0f, 1e-3);
  EXPECT_NEAR(g.getValue(1, den), 1021.3f, 1e-2);
  EXPECT_STREQ(g.getGrid(1).getVar().getAbbr(), "pres");
  EXPECT_EQ(g.getGrid(0).getDate().getSeconds(), Date(2020, 1, 6, 0, 0, 0).getSeconds());
  SfcGrid none;  // no variables, or no file: nothing is read
  EXPECT_FALSE(none.setVariables("") || none.compute(g));
  EXPECT_FALSE(SfcGrid::read(tmp.file("absent").c_str(), {VarSpec("temp")}, d));
}

TEST_F(StationGridsTest, SoundingsAtALevelAndRealOnesAnalysed)
{
  UpaData s;
  s.setNum(3);
  const float p[] = {850, 500, 300}, h[] = {1500, 5600, 9200}, t[] = {10, -15, -40},
              td[] = {5, -25, -50}, dir[] = {270, 90, 180}, spd[] = {20, 30, 50};
  for (int i = 0; i < 3; i++) {
    s.setPres(i, p[i]), s.setHght(i, h[i]), s.setTemp(i, t[i]);
    s.setDewp(i, td[i]), s.setDir(i, dir[i]), s.setSpd(i, spd[i]);
  }
  const struct {
    const char* spec;
    float value;
  } rows[] = {{"500mb:temp", -15}, {"500mb:dewd", 10},  {"850mb:hght", 1500},
              {"300mb:wspd", 50},  {"500mb:uwnd", -30}, {"850mb:uwnd", 20},
              {"300mb:vwnd", 50},  {"200mb:temp", M},   {"500mb:nosuch", M}};
  for (const auto& r : rows)
    EXPECT_NEAR(UpaGrid::value(s, VarSpec(r.spec)), r.value, 1e-3) << r.spec;
  const UpaGrid defaults;  // the upper-air ones
  EXPECT_TRUE(defaults.getFilter() == 8 && defaults.getRadInf() == 5 && defaults.getNumPass() == 1);
  // Between two levels the value lies between theirs.
  const float t700 = UpaGrid::value(s, VarSpec("700mb:temp"));
  EXPECT_TRUE(t700 < 10 && t700 > -15) << t700;

  KOL_REQUIRE_DATA();
  // The parts of each station's report joined into one record.
  std::vector<UpaRawinData> records;
  std::vector<std::string> keys;
  UpaWmoFile f;
  f.setDate(Date(2026, 10, 7, 0, 0, 0));
  ASSERT_TRUE(
      f.open(KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt").c_str()));
  for (UpaWmoData part; f.read(part);) {
    const std::string key = UpaTool::partKey(part.text);
    const size_t i = std::find(keys.begin(), keys.end(), key) - keys.begin();
    if (i == keys.size()) keys.push_back(key), records.emplace_back();
    UpaTool::decode(part, records[i]);
  }
  ASSERT_GE(records.size(), 2u);
  const std::string path = tmp.file("snd.upa");
  UpaKolFile out;
  out.setDate(records[0].getDate());
  ASSERT_TRUE(out.open(path.c_str(), UpaKolFile::WRITE));
  for (const UpaRawinData& r : records) ASSERT_TRUE(out.write(r));
  out.close();
  Data d;
  ASSERT_TRUE(UpaGrid::read(path.c_str(), {VarSpec("500mb:temp"), VarSpec("500mb:hght")}, d));
  ASSERT_GE(d.getCount(), 2);
  UpaGrid ug;
  ASSERT_TRUE(ug.setFilename(path.c_str()) && ug.setVariables("500mb:temp,500mb:hght") &&
              ug.setDomain("lamb:25:-95:25:25,38,-85,60,40,0.5,0.5"));
  ug.setParam("filter=0.5,rad_inf=3");
  Grids g;
  ASSERT_TRUE(ug.compute(g));
  for (int st = 0; st < d.getCount(); st++) {
    ASSERT_NE(d.getValue(st, 0), M) << d.getId(st);
    // Each station alone within its radius: the analysis at it is its value.
    EarthPoint e = d.getLoc(st);
    EXPECT_NEAR(g.getValue(0, e), d.getValue(st, 0), 0.05) << d.getId(st);
    EXPECT_NEAR(g.getValue(1, e), d.getValue(st, 1), 1.0) << d.getId(st);
  }
  EXPECT_FALSE(UpaGrid::read(tmp.file("absent").c_str(), {VarSpec("500mb:temp")}, d));
}

}  // namespace
