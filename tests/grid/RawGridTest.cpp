// RawGrid: raw point files with and without identifiers and field names, the target domain and
// its refinement, parameters shared with the analysis, and files that are not there.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grids.h"
#include "grid/RawGrid.h"
#include "obs/Data.h"

using namespace KOL;

namespace {

class RawGridTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(RawGridTest, ReadsPointFiles)
{
  const std::string path = tmp.file("points.txt");
  KOLTest::writeFile(path,
                     "# two stations\n#fields: temp,pmsl\nKDEN 39.85 -104.66 -3.5 1021.5\n"
                     "40.0 -100.0 2 x\nbad line\n41.0 -99.0\n");
  Data d;
  ASSERT_TRUE(RawGrid::read(path.c_str(), d));
  ASSERT_EQ(d.getNumFields(), 2);
  ASSERT_EQ(d.getCount(), 2);
  EXPECT_STREQ(d.getId(0), "KDEN");
  EXPECT_FLOAT_EQ(d.getLoc(0).lat, 39.85f);
  EXPECT_FLOAT_EQ(d.getValue(0, 1), 1021.5f);
  EXPECT_FLOAT_EQ(d.getValue(1, 0), 2.0f);
  EXPECT_EQ(d.getValue(1, 1), Const::FMISS);
  EXPECT_STREQ(d.getVarSpec(1)->getName(), "pmsl");
  // Without a fields line the first line sets the number of values.
  KOLTest::writeFile(path, "10 20 1 2 3\n11 21 4 5 6\n");
  ASSERT_TRUE(RawGrid::read(path.c_str(), d));
  EXPECT_EQ(d.getNumFields(), 3);
  EXPECT_FLOAT_EQ(d.getValue(1, 2), 6.0f);
  EXPECT_FALSE(RawGrid::read(tmp.file("absent").c_str(), d));
}

TEST_F(RawGridTest, AnalysesOntoItsDomainRefined)
{
  const std::string path = tmp.file("points.txt");
  KOLTest::writeFile(path, "0 0 5\n0 2 7\n");
  RawGrid rg;
  ASSERT_TRUE(rg.setFilename(path.c_str()));
  ASSERT_TRUE(rg.setDomain("latlon,0,1,5,3,1,1"));
  rg.setParam("grid=2,rad_inf=1.5,pass=2");
  EXPECT_EQ(rg.getGridFactor(), 2);
  EXPECT_FLOAT_EQ(rg.getRadInf(), 1.5f);
  EXPECT_EQ(rg.getNumPass(), 2);
  Grids g;
  ASSERT_TRUE(rg.compute(g));
  // Twice as many intervals at half the spacing.
  EXPECT_EQ(g.getGrid(0).getNx(), 9);
  EXPECT_EQ(g.getGrid(0).getNy(), 5);
  EXPECT_FLOAT_EQ(g.getGrid(0).getDx(), 0.5f);
  EXPECT_NEAR(g.getValue(0, EarthPoint(0, 0)), 5.0f, 1e-3);
  EXPECT_NEAR(g.getValue(0, EarthPoint(0, 2)), 7.0f, 1e-3);
  // Without a domain (and no "plot_domain") there is nothing to analyse onto.
  RawGrid none;
  Grids empty;
  Data d(1);
  EXPECT_FALSE(none.compute(d, empty));
  EXPECT_FALSE(none.setDomain("no such region"));
  // The resource gives the domain.
  Kol::resrc.set("plot_domain", "latlon,0,1,5,3,1,1");
  RawGrid fromResource;
  Kol::resrc.set("plot_domain", "");
  ASSERT_TRUE(fromResource.setFilename(path.c_str()));
  ASSERT_TRUE(fromResource.compute(empty));
  EXPECT_EQ(empty.getGrid(0).getNx(), 5);
}

}  // namespace
