// Every grid of every GRIB file of the shared data read through GridFile: in grid order against the
// decoded field (row 0 north, column 0 west, masked points at the chosen missing value, the first
// column repeated for wrapped global grids), its times against ecCodes (periods are where producers
// differ most), and through the native grid file and back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/GridFill.h"
#include "grid/grib/Inventory.h"
#include "layers/Variable.h"

using namespace KOL;

namespace {

// The value the Grid must hold at (gi, gj).
float expected(const grib::Field& f, int gi, int gj, float missing)
{
  const grib::GridGeom& g = f.grid;
  if (gi == g.nx) gi = 0;  // the repeated column
  const int i = (g.scan & 0x80) ? g.nx - 1 - gi : gi;
  const int j = (g.scan & 0x40) ? g.ny - 1 - gj : gj;
  const float v = f.values[(g.scan & 0x20) ? size_t(i) * g.ny + j : size_t(j) * g.nx + i];
  return v == grib::MISSING ? missing : v;
}

// Points of the grid that differ from the field; the first one is described in where.
size_t differences(const grib::Field& f, const Grid& grid, float missing, std::string& where)
{
  size_t bad = 0;
  for (int gj = 0; gj < grid.getNy(); gj++)
    for (int gi = 0; gi < grid.getNx(); gi++) {
      const float want = expected(f, gi, gj, missing), got = grid.getValue(gi, gj);
      if (got != want && bad++ == 0)
        where = std::to_string(gi) + "," + std::to_string(gj) + ": " + std::to_string(got) +
                " instead of " + std::to_string(want);
    }
  return bad;
}

// A projected domain puts grid points where the message does.
void expectPointsInPlace(const grib::Field& f, const Grid& g)
{
  std::vector<double> lat, lon;
  const grib::GridKind* kind = grib::findGridKind(f.grid.templ);
  if (g.getProj() == 2 || !kind || !kind->coords(f.grid, lat, lon)) return;
  const int nx = f.grid.nx, ny = f.grid.ny;
  for (int j : {0, ny / 2, ny - 1})
    for (int i : {0, nx / 3, nx - 1}) {
      EarthPoint e;
      const size_t k = (f.grid.scan & 0x20) ? size_t(i) * ny + j : size_t(j) * nx + i;
      ASSERT_TRUE(g.tran(GridPoint(float(i), float((f.grid.scan & 0x40) ? ny - 1 - j : j)), e));
      EXPECT_NEAR(e.lat, lat[k], 0.01) << i << "," << j;
      EXPECT_NEAR(std::remainder(e.lon - lon[k], 360.0), 0.0, 0.01) << i << "," << j;
    }
}

std::string stamp(const Date& d) { return d.format("%Y%m%d%H%M"); }

// ecCodes' reference and valid (for a period: its end) times of each message, as stamps.
std::vector<std::pair<std::string, std::string>> ecCodesTimes(const std::string& path)
{
  std::istringstream in(KOLTest::run("grib_get -p dataDate,dataTime,validityDate,validityTime '" +
                                     path + "' 2>/dev/null"));
  std::vector<std::pair<std::string, std::string>> out;
  std::string date, time, vdate, vtime;
  char ref[16], valid[16];
  while (in >> date >> time >> vdate >> vtime) {
    std::snprintf(ref, sizeof ref, "%04d", std::atoi(time.c_str()));
    std::snprintf(valid, sizeof valid, "%04d", std::atoi(vtime.c_str()));
    out.emplace_back(date + ref, vdate + valid);
  }
  return out;
}

// ecCodes' validity is the end of a period: a maximum or minimum dates its grid by its start.
void expectSameTimes(const Grid& g, const std::pair<std::string, std::string>& ecc)
{
  const ForeTime& t = g.getForeTime();
  ForeTime end;
  end.set(ForeTime::FORECAST, t.getUnits(), t.getEnd(), Const::FMISS);
  EXPECT_EQ(stamp(g.getInitDate()), ecc.first);
  EXPECT_EQ(
      stamp(t.isPeriod() ? Date(g.getInitDate().getSeconds() + end.getSeconds()) : g.getDate()),
      ecc.second);
  if (t.getType() != ForeTime::MAXIMUM && t.getType() != ForeTime::MINIMUM) {
    EXPECT_EQ(stamp(g.getDate()), ecc.second);
  }
}

// What the native file keeps of a grid: date, forecast time, variable, units, info, model, grid
// number, domain to six decimals, the level as its codes and the kind of a variable that is not a
// probability (which keeps only a whole threshold).
std::string kept(const Grid& g)
{
  String domain;
  Domain(g.getDomainVal()).toString(domain);
  std::ostringstream s;
  s << g.getDate().getSeconds() << ' ' << g.getForeTime().toCode() << ' ' << g.getVar().toIndCode()
    << ' ' << g.getUnits() << '|' << g.getInfo() << '|' << g.getModel() << ' ' << g.getGridNum()
    << ' ' << domain.get();
  return s.str();
}

void expectSameGrid(const Grid& in, const Grid& out)
{
  ASSERT_EQ(in.getCount(), out.getCount());
  EXPECT_EQ(std::memcmp(in.getData(), out.getData(), in.getCount() * sizeof(float)), 0);
  EXPECT_EQ(kept(in), kept(out));
  Level coded;
  if (in.getLevel().isSet()) coded.decode(in.getLevel().toTypeCode(), in.getLevel().toLevelCode());
  EXPECT_TRUE(coded == out.getLevel());
  const int type = in.getVar().getType();
  if (type < Variable::PROB_BELOW || type > Variable::ENS_PROB_BETWEEN ||
      type == Variable::ENS_MEMBER || type == Variable::ENS_MEAN || type == Variable::ENS_DEV) {
    EXPECT_EQ(type, out.getVar().getType());
  }
  EXPECT_TRUE(out.getSource() == 1 && out.getVersion() == 4);
}

// Binary for every field, text (slow, not lossy) for the smaller ones.
void expectNativeRoundTrip(const Grid& g, const std::string& out)
{
  for (int type : {GridFile::NATIVE_BINARY, GridFile::NATIVE_TEXT}) {
    if (type == GridFile::NATIVE_TEXT && g.getCount() > 20000) continue;
    SCOPED_TRACE(type == GridFile::NATIVE_TEXT ? "text" : "binary");
    ASSERT_TRUE(GridFile().write(out.c_str(), type, g));
    ASSERT_EQ(GridFile::checkType(out.c_str()), GridFile::NATIVE_TEXT);
    GridFile back(out.c_str());
    Grid r;
    ASSERT_TRUE(back.read(r));
    expectSameGrid(g, r);
    EXPECT_FALSE(back.read(r)) << "one grid only";
  }
}

class GribEveryFile : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(GribEveryFile, GridOrderTimesAndTheNativeFile)
{
  KOL_REQUIRE_DATA();
  const bool haveGribGet = !KOLTest::run("command -v grib_get").empty();
  const struct {
    const char* param;
    bool wrap;
    float missing;
  } options[] = {{"nowrap", false, Const::FMISS}, {"wrap,miss_val=-1", true, -1.0f}};
  int ordered = 0, wrapped = 0, timed = 0, native = 0;
  for (const std::string& name : KOLTest::gribDataFiles()) {
    const std::string path = KOLTest::dataFile("grib/" + name);
    const std::string bytes = KOLTest::readFile(path);
    EXPECT_EQ(GridFile::checkType(path.c_str()), GridFile::GRIB) << name;
    for (const auto& o : options) {
      SCOPED_TRACE(name + " " + o.param);
      GridFile file(path.c_str());
      file.setParam(o.param);
      grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      std::vector<Grid> grids;
      grib::Field f;
      for (int n = 0; walk.next(f); n++) {
        SCOPED_TRACE("field " + std::to_string(n));
        Grid g;
        const int read = file.read(g);
        DomainVal dv;
        if (f.values.empty() || !grib::domainOf(f, o.wrap, dv)) {
          EXPECT_EQ(read, 0);
          continue;
        }
        ASSERT_EQ(read, 1);
        grids.push_back(g);
        ASSERT_EQ(g.getNy(), f.grid.ny);
        ASSERT_TRUE(g.getNx() == f.grid.nx || g.getNx() == f.grid.nx + 1);
        if (f.grid.thinned()) continue;  // rows are interpolated
        std::string where;
        ASSERT_EQ(differences(f, g, o.missing, where), 0u) << where;
        if (!o.wrap) expectPointsInPlace(f, g);
        ordered++;
        wrapped += g.getNx() > f.grid.nx;
      }
      Grid after;
      EXPECT_EQ(file.read(after), 0);
      if (o.wrap) continue;
      // Grids of templates read here but not by ecCodes, or the other way round, cannot be paired.
      const auto times = haveGribGet ? ecCodesTimes(path) : decltype(ecCodesTimes(path))();
      for (size_t k = 0; k < grids.size(); k++) {
        SCOPED_TRACE("grid " + std::to_string(k + 1));
        if (times.size() == grids.size()) expectSameTimes(grids[k], times[k]), timed++;
        expectNativeRoundTrip(grids[k], tmp.file("field.grb"));
        native++;
      }
    }
  }
  EXPECT_GT(ordered, 1000);
  EXPECT_GT(wrapped, 0);
  EXPECT_GT(timed, haveGribGet ? 1000 : -1);
  EXPECT_GE(native, 500);
}

// The description of real grids, periods named by their end.
TEST_F(GribEveryFile, GridTextsNameModelPeriodAndTime)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* file;
    size_t grid;
    const char* datim;
  } cases[] = {{"g2_ngm.grb2", 0, "48 hour fcst valid 12Z FRI 10 DEC 04"},
               {"g2_ngm.grb2", 2, "12 hour acc ending 12Z FRI 10 DEC 04"},
               {"g1_regular_ll_sfc.grib", 0, "Analysis for 12Z WED 18 OCT 17"},
               // An ensemble 24-hour minimum and average from the run onwards.
               {"g2_s2s-pdt9-pdt10-pdt12_part1.grib2", 0, "24 hour min ending 00Z THU 19 MAR 26"},
               {"g2_s2s-pdt9-pdt10-pdt12_part1.grib2", 4, "24 hour avg ending 00Z THU 19 MAR 26"},
               // 24 hours ending at the reference time: forecast time 24 and a negative length.
               {"g2_CMC_RDPA_APCP-024_ps10km.grib2", 0, "24 hour acc ending 06Z MON 18 DEC 23"},
               // 12-hour maxima; the forecast time is the distance to the end.
               {"g2_ds.maxt.bin", 0, "12 hour max ending 00Z FRI 30 SEP 11"}};
  for (const auto& c : cases) {
    const auto grids = KOLTest::readGrids(KOLTest::dataFile(std::string("grib/") + c.file));
    ASSERT_GT(grids.size(), c.grid) << c.file;
    EXPECT_STREQ(grids[c.grid].getDatim(), c.datim) << c.file;
  }
  const auto ngm = KOLTest::readGrids(KOLTest::dataFile("grib/g2_ngm.grb2"));
  EXPECT_EQ(std::string(ngm[3].getInfo()) + "|" + ngm[3].getGenName(), "NGM Surface Pressure|NGM");
}

}  // namespace
