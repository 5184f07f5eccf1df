// Every field of every GRIB file of the shared data that decodes, written to the native grid
// file and read back through GridFile: the values, date, level, forecast time, variable, units
// and domain come back, and the file is recognised by its content whatever its name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/Level.h"
#include "layers/Variable.h"

using namespace KOL;

namespace {

// The domain text keeps six decimals of every number.
void expectSameDomain(const DomainVal& a, const DomainVal& b, const std::string& where)
{
  EXPECT_EQ(a.proj, b.proj) << where;
  EXPECT_EQ(a.nx, b.nx) << where;
  EXPECT_EQ(a.ny, b.ny) << where;
  EXPECT_EQ(a.ellipsoid, b.ellipsoid) << where;
  const float fa[] = {a.clat,     a.clon,     a.dx,       a.dy,      a.param[0],
                      a.param[1], a.param[2], a.param[3], a.param[4]};
  const float fb[] = {b.clat,     b.clon,     b.dx,       b.dy,      b.param[0],
                      b.param[1], b.param[2], b.param[3], b.param[4]};
  for (size_t k = 0; k < std::size(fa); k++)
    EXPECT_NEAR(fa[k], fb[k], 1e-6 * std::max(1.0f, std::fabs(fa[k]))) << where << " field " << k;
}

void expectSameGrid(const Grid& in, const Grid& out, const std::string& where)
{
  ASSERT_EQ(in.getCount(), out.getCount()) << where;
  EXPECT_EQ(std::memcmp(in.getData(), out.getData(), in.getCount() * sizeof(float)), 0) << where;
  EXPECT_EQ(in.getDate().getSeconds(), out.getDate().getSeconds()) << where;
  // The file keeps a level as its type and level codes (a surface keeps no sub-level index).
  Level coded;
  if (in.getLevel().isSet()) coded.decode(in.getLevel().toTypeCode(), in.getLevel().toLevelCode());
  EXPECT_TRUE(coded == out.getLevel())
      << where << ": " << in.getLevel().lower_type << " " << in.getLevel().lower_value << " "
      << in.getLevel().upper_type << " " << in.getLevel().upper_value << " read "
      << out.getLevel().lower_type << " " << out.getLevel().lower_value << " "
      << out.getLevel().upper_type << " " << out.getLevel().upper_value;
  EXPECT_EQ(in.getForeTime().toCode(), out.getForeTime().toCode()) << where;
  EXPECT_EQ(in.getVar().toIndCode(), out.getVar().toIndCode()) << where;
  // A probability keeps only a whole threshold in its code and comes back as that code.
  const int type = in.getVar().getType();
  const bool probability = type >= Variable::PROB_BELOW && type <= Variable::ENS_PROB_BETWEEN &&
                           type != Variable::ENS_MEMBER && type != Variable::ENS_MEAN &&
                           type != Variable::ENS_DEV;
  if (!probability) {
    EXPECT_EQ(type, out.getVar().getType()) << where;
  }
  EXPECT_STREQ(in.getUnits(), out.getUnits()) << where;
  EXPECT_STREQ(in.getInfo(), out.getInfo()) << where;
  EXPECT_EQ(in.getModel(), out.getModel()) << where;
  EXPECT_EQ(in.getGridNum(), out.getGridNum()) << where;
  expectSameDomain(in.getDomainVal(), out.getDomainVal(), where);
}

class GridFileDataTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(GridFileDataTest, EveryGribFieldSurvivesTheNativeFile)
{
  KOL_REQUIRE_DATA();
  int files = 0, fields = 0;
  for (const std::string& name : KOLTest::gribDataFiles()) {
    const std::string path = KOLTest::dataFile("grib/" + name);
    GridFile in(path.c_str());
    if (!in.isOpen()) continue;
    EXPECT_EQ(in.getType(), GridFile::GRIB) << path;
    Grid g;
    for (int k = 0; in.read(g); k++) {
      const std::string where = path + " field " + std::to_string(k);
      // Binary for every field, text for the smaller ones (the text form is slow, not lossy).
      for (int type : {GridFile::NATIVE_BINARY, GridFile::NATIVE_TEXT}) {
        if (type == GridFile::NATIVE_TEXT && g.getCount() > 20000) continue;
        const std::string out = tmp.file("field.grb");  // a GRIB-like name for a native file
        ASSERT_TRUE(GridFile().write(out.c_str(), type, g)) << where;
        ASSERT_EQ(GridFile::checkType(out.c_str()), GridFile::NATIVE_TEXT) << where;
        GridFile back(out.c_str());
        Grid r;
        ASSERT_TRUE(back.read(r)) << where;
        expectSameGrid(g, r, where + (type == GridFile::NATIVE_TEXT ? " text" : " binary"));
        EXPECT_EQ(r.getSource(), 1) << where;
        EXPECT_EQ(r.getVersion(), 4) << where;
        EXPECT_FALSE(back.read(r)) << "one grid only: " << where;
      }
      fields++;
    }
    files++;
  }
  // Nearly all shared files decode today; a large drop means the test no longer covers them.
  RecordProperty("files", files);
  RecordProperty("fields", fields);
  EXPECT_GE(files, 30);
  EXPECT_GE(fields, 500);
}

}  // namespace
