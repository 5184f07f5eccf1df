// kolsfcplot as a user runs it: a raw feed capture straight to a PNG (no display), filed
// bulletins, and the own surface file by its name.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"

namespace {

std::string kolsfcplot(const std::string& args, int* status)
{
  return KOLTest::run("env -u DISPLAY " + KOLTest::programPath("kolsfcplot") +
                          " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

TEST(KolsfcplotTest, FeedCaptureToStationModelsAndAnalysis)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const std::string feed = KOLTest::dataFile("metar/metpy_2020010600_sao.wmo");
  struct Case {
    const char* name;
    const char* args;
  } cases[] = {{"stations.png", ""}, {"analysis.png", "-va=pres[mb,int=4],temp[F,cf] -pl=cf"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string png = dir.file(c.name);
    int status = -1;
    const std::string said = kolsfcplot(
        "-date=202001060030 -ge=800x600 -ou=" + png + " " + c.args + " " + feed, &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("kolsfcplot: wrote " + png), std::string::npos) << said;
    const KOLTest::Raster r = KOLTest::readPng(png);
    ASSERT_TRUE(r.valid());
    EXPECT_EQ(r.width, 800);
    EXPECT_EQ(r.height, 600);
    EXPECT_GT(r.inked(), 5000) << "map, data and labels";
  }
}

// Bulletins as the ingest files them (with their index file beside them) are read like a feed.
TEST(KolsfcplotTest, FiledBulletins)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  int status = -1;
  KOLTest::run("kolrpath=" + dir.path() + " " + KOLTest::programPath("kolingest") +
                   " -fp=" + KOLTest::databaseDir() + " -prodfile=ingest.prd -me=error " +
                   KOLTest::dataFile("metar/metpy_2020010600_sao.wmo") + " 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  const std::string filed = KOLTest::run("ls " + dir.path() + "/sfc/*_sfc.wmo");
  ASSERT_FALSE(filed.empty());
  const std::string png = dir.file("filed.png");
  const std::string said = kolsfcplot(
      "-date=202001060030 -va=temp[F,cf] -ou=" + png + " " + filed.substr(0, filed.find('\n')),
      &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("5352 reports of 2020-01-06 00 UTC"), std::string::npos) << said;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
}

TEST(KolsfcplotTest, OwnSurfaceFileByName)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  int status = -1;
  KOLTest::run(KOLTest::programPath("kolsfc") + " -date=202001060030 -cvt=" + dir.file("obs.cvt") +
                   " " + KOLTest::dataFile("metar/metpy_2020010600_sao.wmo") + " 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  const std::string png = dir.file("ok.png");
  std::string said =
      kolsfcplot("-pd=oklahoma -va=temp[F,ul] -ou=" + png + " " + dir.file("obs.cvt"), &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
  // a domain it does not know: one line naming it (the domain decoder's), and failure
  said = kolsfcplot("-pd=nowhere_at_all -ou=" + png + " " + dir.file("obs.cvt"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(said.find("nowhere_at_all"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

}  // namespace
