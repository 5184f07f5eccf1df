// SfcGrid: a surface file's stations placed by the station table, variables computed at each,
// analysed onto the target domain; a record of an unknown station is left out (a real hour end to
// end: KolanalTest).
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/Grids.h"
#include "grid/SfcGrid.h"
#include "obs/CityTool.h"
#include "obs/Data.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"

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
