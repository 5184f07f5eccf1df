// Parameter tables and what real fields' products resolve to.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/GribPDB.h"
#include "grid/GribParam.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Product.h"

using namespace KOL;

namespace {

class GribTables : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

TEST_F(GribTables, ParametersResolveToNamesUnitsAndIndices)
{
  struct Row {
    int edition, a, b, c, d;  // edition 1: centre, sub-centre, table, parameter; 2: centre,
                              // discipline, category, parameter
    const char* abbr;
    const char* units;
    int index;  // Const::MISS: not checked
  } rows[] = {
      {2, 7, 0, 0, 0, "temp", "K", 11},
      {2, 98, 0, 2, 2, "uwnd", "m/s", 33},
      {2, 7, 0, 3, 5, "hght", "gpm", 7},
      {2, 7, 0, 7, 6, "cape", "J/kg", Const::MISS},
      {2, 54, 10, 0, 3, "swh", "m", 10000003},  // no variable of that name: a numeric index
      {1, 98, 0, 128, 130, "temp", "K", 11},
      {1, 7, 2, 2, 11, "temp", "K", 11},  // a zero key in the table matches any sub-centre
      {1, 7, 0, 2, 157, "cape", "J/kg", Const::MISS},
      {1, 54, 0, 2, 33, "uwnd", "m/s", 33},
  };
  for (const Row& r : rows) {
    GribParam p;
    EXPECT_EQ(r.edition == 1 ? p.find1(r.a, r.b, r.c, r.d) : p.find2(r.a, r.b, r.c, r.d), 1);
    EXPECT_EQ(std::string(p.getAbbr()) + " " + p.getUnits(), std::string(r.abbr) + " " + r.units);
    EXPECT_TRUE(r.index == Const::MISS || p.getIndex() == r.index) << r.abbr << p.getIndex();
  }

  GribParam p;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(!p.find2(34, 0, 193, 7) && p.getIndex() == 193007);
  EXPECT_TRUE(!p.find1(54, 3, 200, 5) && p.getIndex() == 200003005);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("No GRIB2 lookup for var: 34 0 193 7"), std::string::npos) << err;
  EXPECT_NE(err.find("No GRIB1 lookup for var: 54 3 200 5"), std::string::npos) << err;
}

// The description of field n (from 1) of a shared file.
GribPDB describe(const std::string& name, int n)
{
  std::string s = KOLTest::readFile(KOLTest::dataFile("grib/" + name));
  grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  grib::Field f;
  GribPDB pdb;
  GribParam param;
  for (int k = 1; walk.next(f, false); k++) {
    if (k == n) {
      grib::fillPDB(f, pdb, param);
      break;
    }
  }
  return pdb;
}

// Levels and variables (forecast times: against ecCodes in GribEveryFile).
TEST_F(GribTables, ProductsOfOperationalModels)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* file;
    int field;
    const char* level;  // Level::toString
    const char* abbr;
    int varType;
  } rows[] = {
      {"g2_hrrr.t06z.wrfsfcf01-TMP.grib2", 1, "sfc", "temp", Variable::PLAIN},
      {"g2_gfs.t12z.pgrbf120.2p5deg.grib2", 2, "10mb", "temp", Variable::PLAIN},
      {"g2_CMC_RDPA_APCP-024_ps10km.grib2", 1, "sfc", "pcp", Variable::PLAIN},
      {"g2_nbm-pwat-prob-above_msgs1-3.grib2", 1, "wholel", "pwat", Variable::PROB_ABOVE},
      {"g2_regular_ll_msl.grib2", 1, "sl", "prmsl", Variable::ENS_MEMBER},
      {"g2_s2s-pdt9-pdt10-pdt12_part1.grib2", 3, "2m_ag", "temp", Variable::PERCENTILE},
      {"g2_dspr.temp.bin", 1, "sfc", "maxt", Variable::PLAIN},
      {"g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib", 1, "300mb", "wspd", Variable::PLAIN},
      {"g1_ST4.2013052210.01h.grib", 1, "sfc", "pcp", Variable::PLAIN}};
  for (const auto& r : rows) {
    const GribPDB pdb = describe(r.file, r.field);
    String level;
    pdb.level.toString(level);
    EXPECT_EQ(std::string(level.get()) + " " + pdb.variable.getAbbr(),
              std::string(r.level) + " " + r.abbr)
        << r.file;
    EXPECT_EQ(pdb.variable.getType(), r.varType) << r.file;
  }
  // Edition 2 grids get numbers: template 10^7 + A 10^6 + B 10^4 + (Ni / 10) 100 + K; edition 1
  // keeps the message's.
  EXPECT_EQ(describe("g2_gfs.t12z.pgrbf120.2p5deg.grib2", 1).gridType, 9001425);  // 90N 0E 2.5 deg
  EXPECT_EQ(describe("g2_nam.t00z.awp21100.tm00.grib2", 1).gridType,
            300000000 + 1000000 + 23 * 10000 + 9 * 100 + 81);  // 12.19N 133.46W, 81 km
  EXPECT_EQ(describe("g1_nam_grid211_noGDS_made.grib", 1).gridType, 211);
}

}  // namespace
