// Every field of every GRIB file of the shared data, read through GribFile into a Grid, against
// the decoded field turned into grid order here point by point: row 0 north, column 0 west,
// masked points at the chosen missing value, the first column repeated for wrapped global grids.
// Covers each scanning mode and packing present (values moved into the Grid or copied out of a
// block), with and without the wrap column and a missing value of our own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "geo/DomainVal.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/grib/GridFill.h"
#include "grid/grib/Inventory.h"

using namespace KOL;

namespace {

// The value the Grid must hold at (gi, gj).
float expected(const grib::Field& f, int gi, int gj, float missing)
{
  const grib::GridGeom& g = f.grid;
  if (gi == g.nx) gi = 0;  // the repeated column
  const int i = (g.scan & 0x80) ? g.nx - 1 - gi : gi;
  const int j = (g.scan & 0x40) ? g.ny - 1 - gj : gj;
  const size_t k = (g.scan & 0x20) ? size_t(i) * g.ny + j : size_t(j) * g.nx + i;
  const float v = f.values[k];
  return v == grib::MISSING ? missing : v;
}

// Points of the grid that differ from the field; the first one is described in where.
size_t differences(const grib::Field& f, const Grid& grid, float missing, std::string& where)
{
  size_t bad = 0;
  const float* data = grid.getData();
  for (int gj = 0; gj < grid.getNy(); gj++)
    for (int gi = 0; gi < grid.getNx(); gi++) {
      const float want = expected(f, gi, gj, missing), got = data[size_t(gj) * grid.getNx() + gi];
      if (got == want) continue;
      if (bad++ == 0)
        where = std::to_string(gi) + "," + std::to_string(gj) + ": " + std::to_string(got) +
                " instead of " + std::to_string(want);
    }
  return bad;
}

}  // namespace

using GribGridOrder = KOLTest::QuietTest;

TEST_F(GribGridOrder, EveryFieldInGridOrderWithAndWithoutWrap)
{
  KOL_REQUIRE_DATA();
  KOLTest::DatabaseScope database;
  struct Options {
    const char* param;
    bool wrap;
    float missing;
  } options[] = {{"nowrap", false, Const::FMISS}, {"wrap,miss_val=-1", true, -1.0f}};
  int compared = 0, wrapped = 0;
  for (const std::string& name : KOLTest::gribDataFiles()) {
    const std::string path = KOLTest::dataFile("grib/" + name);
    const std::string bytes = KOLTest::readFile(path);
    for (const Options& o : options) {
      SCOPED_TRACE(name + " " + o.param);
      GribFile file(path.c_str());
      file.setParam(o.param);
      grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      grib::Field f;
      for (int n = 0; walk.next(f); n++) {
        Grid g;
        const int read = file.read(g);
        DomainVal dv;
        if (f.values.empty() || !grib::domainOf(f, o.wrap, dv)) {
          EXPECT_EQ(read, 0) << "field " << n;
          continue;
        }
        ASSERT_EQ(read, 1) << "field " << n;
        ASSERT_EQ(g.getNy(), f.grid.ny);
        ASSERT_TRUE(g.getNx() == f.grid.nx || g.getNx() == f.grid.nx + 1);
        if (f.grid.thinned()) continue;  // rows are interpolated: checked elsewhere
        std::string where;
        ASSERT_EQ(differences(f, g, o.missing, where), 0u) << "field " << n << " at " << where;
        compared++;
        wrapped += g.getNx() > f.grid.nx;
      }
      Grid after;
      EXPECT_EQ(file.read(after), 0);
    }
  }
  EXPECT_GT(compared, 1000);
  EXPECT_GT(wrapped, 0);
}
