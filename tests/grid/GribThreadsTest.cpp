// JPEG 2000 fields are decoded on several threads: how many.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/grib/DecodeThreads.h"

using namespace KOL;

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

// Cores, lowered by command line or program, else environment, else resource file; 0: no limit.
TEST_F(GribThreads, CoresLoweredByResourceOrEnvironment)
{
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const struct {
    const char* env;  // kolthreads; nullptr: unset
    const char* value;
    Resrc::Type type;
    int want;
  } cases[] = {{nullptr, "0", Resrc::PROGRAM, cores},   {nullptr, "1", Resrc::CMDLINE, 1},
               {nullptr, "1", Resrc::RESFILE, 1},       {"1", "0", Resrc::RESFILE, 1},
               {"1", "4", Resrc::RESFILE, 1},           {"4", "1", Resrc::CMDLINE, 1},
               {nullptr, "999", Resrc::PROGRAM, cores}, {nullptr, "many", Resrc::PROGRAM, cores}};
  for (const auto& c : cases) {
    c.env ? setenv("kolthreads", c.env, 1) : unsetenv("kolthreads");
    Kol::resrc.set("num_threads", c.value, c.type);
    EXPECT_EQ(grib::decodeThreads(), c.want) << (c.env ? c.env : "-") << " " << c.value;
  }
}

}  // namespace
