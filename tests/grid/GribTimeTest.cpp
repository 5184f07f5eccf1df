// The times of every grid of every GRIB file of the shared data against ecCodes: the reference
// time, the valid time (for a statistical period, its end) and the forecast hours. Periods are
// where producers differ most: a forecast time that is the start of the period, its end, or the
// start of a period counted backwards from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Date.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"

using namespace KOL;

namespace {

class GribTimeTest : public KOLTest::DatabaseTest {};

// "yyyymmddhhmm" of a date.
std::string stamp(const Date& d) { return d.format("%Y%m%d%H%M"); }

// The reference and valid times ecCodes gives for each message, as stamps.
std::vector<std::pair<std::string, std::string>> ecCodesTimes(const std::string& path)
{
  std::istringstream in(KOLTest::run("grib_get -p dataDate,dataTime,validityDate,validityTime '" +
                                     path + "' 2>/dev/null"));
  std::vector<std::pair<std::string, std::string>> out;
  std::string date, time, vdate, vtime;
  char buf[16];
  while (in >> date >> time >> vdate >> vtime) {
    std::snprintf(buf, sizeof buf, "%04d", std::atoi(time.c_str()));
    std::string ref = date + buf;
    std::snprintf(buf, sizeof buf, "%04d", std::atoi(vtime.c_str()));
    out.emplace_back(ref, vdate + buf);
  }
  return out;
}

// The end of a grid's period (a maximum or minimum dates its grid by its start), else its date.
Date endOf(const Grid& g)
{
  const ForeTime& t = g.getForeTime();
  if (!t.isPeriod()) return g.getDate();
  ForeTime end;
  end.set(ForeTime::FORECAST, t.getUnits(), t.getEnd(), Const::FMISS);
  return Date(g.getInitDate().getSeconds() + end.getSeconds());
}

TEST_F(GribTimeTest, ReferenceAndValidTimesAgreeWithEcCodes)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_get").empty()) GTEST_SKIP() << "grib_get not installed";
  size_t compared = 0;
  for (const std::string& name : KOLTest::gribDataFiles()) {
    SCOPED_TRACE(name);
    const std::string path = KOLTest::dataFile("grib/" + name);
    const std::vector<Grid> grids = KOLTest::readGrids(path);
    const auto times = ecCodesTimes(path);
    // Grids of templates read here but not by ecCodes, or the other way round, cannot be paired.
    if (grids.size() != times.size()) continue;
    for (size_t k = 0; k < grids.size(); k++) {
      SCOPED_TRACE("grid " + std::to_string(k + 1));
      const Grid& g = grids[k];
      EXPECT_EQ(stamp(g.getInitDate()), times[k].first);
      // ecCodes' validity is the end of a period.
      EXPECT_EQ(stamp(endOf(g)), times[k].second);
      const int type = g.getForeTime().getType();
      if (type != ForeTime::MAXIMUM && type != ForeTime::MINIMUM) {
        EXPECT_EQ(stamp(g.getDate()), times[k].second);
      }
      compared++;
    }
  }
  EXPECT_GT(compared, 1000u);
}

// Periods of three producers, each of its own convention.
TEST_F(GribTimeTest, StatisticalPeriodsEndWhereTheirTemplateSays)
{
  KOL_REQUIRE_DATA();
  struct Case {
    const char* file;
    size_t grid;
    int type;
    float start, end;   // hours after the reference
    const char* datim;  // names the end of the period
  };
  const Case cases[] = {
      // Ensemble 24-hour minimum from the run onwards (forecast time 0 is the start).
      {"g2_s2s-pdt9-pdt10-pdt12_part1.grib2", 0, ForeTime::MINIMUM, 0, 24,
       "24 hour min ending 00Z THU 19 MAR 26"},
      // 24-hour average of the same run.
      {"g2_s2s-pdt9-pdt10-pdt12_part1.grib2", 4, ForeTime::AVERAGE, 0, 24,
       "24 hour avg ending 00Z THU 19 MAR 26"},
      // Analysed 24-hour precipitation ending at the reference time, written with a forecast
      // time of 24 and a negative length.
      {"g2_CMC_RDPA_APCP-024_ps10km.grib2", 0, ForeTime::ACCUMULATION, -24, 0,
       "24 hour acc ending 06Z MON 18 DEC 23"},
      // A 12-hour maximum ending 2 hours after a 22 UTC reference (the forecast time is the
      // distance to the end).
      {"g2_ds.maxt.bin", 0, ForeTime::MAXIMUM, -10, 2, "12 hour max ending 00Z FRI 30 SEP 11"},
      {"g2_ds.maxt.bin", 1, ForeTime::MAXIMUM, 14, 26, "12 hour max ending 00Z SAT  1 OCT 11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " grid " + std::to_string(c.grid + 1));
    const std::vector<Grid> grids =
        KOLTest::readGrids(KOLTest::dataFile(std::string("grib/") + c.file));
    ASSERT_GT(grids.size(), c.grid);
    const Grid& g = grids[c.grid];
    EXPECT_EQ(g.getForeTime().getType(), c.type);
    EXPECT_FLOAT_EQ(g.getForeTime().getStart(), c.start);
    EXPECT_FLOAT_EQ(g.getForeTime().getEnd(), c.end);
    EXPECT_STREQ(g.getDatim(), c.datim);
  }
}

}  // namespace
