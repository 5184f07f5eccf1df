// kolupaplot and kolxsect as a user runs them, straight from BUFR soundings and a GRIB file to
// PNG pictures: a 500 hPa chart (blue heights and red temperatures of the station models,
// black height contours), a section of soundings (brown isentropes), and a model section.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"

namespace {

constexpr uint32_t BLUE = 0x0000FF, RED = 0xFF0000, BROWN = 0xA52A2A;
const std::string CHINA = "bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr";

std::string runProgram(const std::string& program, const std::string& args, int* status)
{
  return KOLTest::run("env -u DISPLAY " + KOLTest::programPath(program) +
                          " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

int inkOf(const KOLTest::Raster& r, uint32_t c)
{
  return KOLTest::inkOf(r, c, 40, 0, 0, r.width - 1, r.height - 1).count;
}

TEST(KolupaplotTest, ChartFromBufrSoundings)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const std::string png = dir.file("500.png");
  int status = -1;
  const std::string said = runProgram(
      "kolupaplot", "-pd=china -ge=900x700 -ou=" + png + " " + KOLTest::dataFile(CHINA), &status);
  EXPECT_EQ(status, 0) << said;
  const KOLTest::Raster r = KOLTest::readPng(png);
  ASSERT_TRUE(r.valid());
  EXPECT_EQ(r.width, 900);
  EXPECT_GT(inkOf(r, BLUE), 100) << "heights of the station models";
  EXPECT_GT(inkOf(r, RED), 100) << "temperatures and isotherms";
  EXPECT_GT(r.inked(), 8000) << "map, contours and labels";
}

TEST(KolxsectTest, SoundingAndModelSections)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const struct {
    const char* name;
    std::string args;
  } cases[] = {
      {"soundings.png", "-id=51463/ZLJQ/ZLYA/ZHCC " + KOLTest::dataFile(CHINA)},
      {"model.png", "-from=35:-105 -to=42:-80 -va=theta " +
                        KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string png = dir.file(c.name);
    int status = -1;
    const std::string said =
        runProgram("kolxsect", "-ge=900x600 -ou=" + png + " " + c.args, &status);
    EXPECT_EQ(status, 0) << said;
    const KOLTest::Raster r = KOLTest::readPng(png);
    ASSERT_TRUE(r.valid());
    EXPECT_GT(inkOf(r, BROWN), 2000) << "isentropes";
  }
}

}  // namespace
