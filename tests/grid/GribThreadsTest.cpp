// JPEG 2000 fields are decoded on several threads: how many, and that their number never shows
// in the values (which GribOracle compares with ecCodes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "GribDataFiles.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/grib/DecodeThreads.h"

using KOL::Kol;
using KOL::Resrc;

namespace {

class GribThreads : public KOLTest::QuietTest {
 protected:
  void TearDown() override
  {
    unsetenv("kolthreads");
    Kol::resrc.set("num_threads", "0", Resrc::PROGRAM);
    QuietTest::TearDown();
  }
};

// The machine's cores, lowered by the command line or the program, else by the environment,
// else by a resource file; "0" or a word mean no limit.
TEST_F(GribThreads, CoresLoweredByResourceOrEnvironment)
{
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const struct {
    const char* env;  // kolthreads; nullptr: unset
    const char* value;
    Resrc::Type type;
    int want;
  } cases[] = {
      {nullptr, "0", Resrc::PROGRAM, cores},   {nullptr, "1", Resrc::CMDLINE, 1},
      {nullptr, "1", Resrc::RESFILE, 1},       {"1", "0", Resrc::RESFILE, 1},
      {"1", "4", Resrc::RESFILE, 1},           {"4", "1", Resrc::CMDLINE, 1},
      {nullptr, "999", Resrc::PROGRAM, cores}, {nullptr, "many", Resrc::PROGRAM, cores},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.env ? c.env : "-") + " " + c.value);
    if (c.env)
      setenv("kolthreads", c.env, 1);
    else
      unsetenv("kolthreads");
    Kol::resrc.set("num_threads", c.value, c.type);
    EXPECT_EQ(KOL::grib::decodeThreads(), c.want);
  }
}

// Every JPEG 2000 file decoded on one thread and on two gives the same bytes.
TEST_F(GribThreads, OneThreadOrTwoDecodeTheSameValues)
{
  KOL_REQUIRE_DATA();
  for (const char* name : {"bench/hrrr_tmp2m_grid_jpeg.grib2", "g2_safrica.grib2",
                           "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "g2_flux_gaussian.grb2",
                           "g2_CMC_RDPA_APCP-024_ps10km.grib2"}) {
    SCOPED_TRACE(name);
    const std::string path = KOLTest::dataDir() + "/grib/" + name;
    Kol::resrc.set("num_threads", "1", Resrc::PROGRAM);
    const std::vector<KOL::Grid> one = KOLTest::readGrids(path);
    Kol::resrc.set("num_threads", "2", Resrc::PROGRAM);
    const std::vector<KOL::Grid> two = KOLTest::readGrids(path);
    ASSERT_FALSE(one.empty());
    ASSERT_EQ(one.size(), two.size());
    for (size_t k = 0; k < one.size(); k++) {
      ASSERT_EQ(one[k].getCount(), two[k].getCount()) << "field " << k;
      EXPECT_EQ(std::memcmp(one[k].getData(), two[k].getData(), one[k].getCount() * sizeof(float)),
                0)
          << "field " << k;
    }
  }
}

}  // namespace
