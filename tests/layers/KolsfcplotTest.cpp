// kolsfcplot as a user runs it: a raw feed capture straight to a PNG (no display), the own
// surface file by its name, and bad input answered with one line and a failing status.
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

int lines(const std::string& text)
{
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
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
  const std::string said =
      kolsfcplot("-pd=oklahoma -va=temp[F,ul] -ou=" + png + " " + dir.file("obs.cvt"), &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
}

TEST(KolsfcplotTest, BadInputIsOneLineAndFails)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("noise.txt"), "nothing here that looks like a report\n\x01\x02\n");
  const std::string png = " -ou=" + dir.file("x.png");
  struct Case {
    const char* what;
    std::string args;
    const char* message;
  } cases[] = {
      {"no report", dir.file("noise.txt") + png, "kolsfcplot: no surface report in the input"},
      {"no such hour", "'#1999010100' -cp=" + dir.path() + png,
       "kolsfcplot: no surface file #1999010100"},
      {"unknown domain", "-pd=nowhere_at_all " + dir.file("noise.txt") + png, "nowhere_at_all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int status = 0;
    const std::string said = kolsfcplot(c.args, &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
    EXPECT_EQ(lines(said), 1) << said;
  }
}

}  // namespace
