// The drawing programs as a forecaster runs them, from real data to pictures without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"

namespace {

// A program run without a display, with the repository's database: what it said.
std::string runProgram(const std::string& program, const std::string& args, int* status)
{
  return KOLTest::run("env -u DISPLAY " + KOLTest::programPath(program) +
                          " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";

// A NAM loop made with ecCodes: sea-level pressure at 0, 6, 12 h, 8 hPa higher each time.
std::string namLoopFile(const KOLTest::TempDir& dir)
{
  const std::string base = dir.file("p0.grib2"), file = dir.file("loop.grib2");
  std::string make = "grib_copy -w shortName=prmsl " + KOLTest::dataFile(NAM) + " " + base;
  for (int h : {6, 12})
    make += " && grib_set -s forecastTime=" + std::to_string(h) +
            ",offsetValuesBy=" + std::to_string(h * 800 / 6) + " " + base + " " +
            dir.file("p" + std::to_string(h) + ".grib2");
  make +=
      " && cat " + base + " " + dir.file("p6.grib2") + " " + dir.file("p12.grib2") + " > " + file;
  int status = -1;
  KOLTest::run(make, &status);
  return status == 0 ? file : "";
}

class KolgridplotTest : public KOLTest::QuietTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(KolgridplotTest, ForecastLoopWritesOnePicturePerHour)
{
  KOL_REQUIRE_DATA();
  const std::string file = namLoopFile(tmp);
  if (file.empty()) GTEST_SKIP() << "ecCodes' grib_copy and grib_set could not make the loop";
  int status = -1;
  const std::string out =
      runProgram("kolgridplot",
                 "-va='prmsl[mb,cf,cof=900=blue/1020=green]' -ft=0-12/6 -ge=300x200 -ou=" +
                     tmp.file("slp.png") + " " + file,
                 &status);
  EXPECT_EQ(status, 0) << out;
  int green[3] = {};
  for (int k = 0; k < 3; ++k) {
    char hour[16];
    std::snprintf(hour, sizeof hour, "slp_f%03d.png", 6 * k);
    const std::string name = tmp.file(hour);
    EXPECT_NE(out.find("wrote " + name), std::string::npos) << out;
    const KOLTest::Raster img = KOLTest::readPng(name);
    ASSERT_TRUE(img.valid()) << name;
    for (int j = 0; j < img.height; ++j)
      for (int i = 0; i < img.width; ++i) {
        const uint32_t c = img.at(i, j);
        green[k] += ((c >> 8) & 0xFF) > 102 && (c >> 16) < 26 && (c & 0xFF) < 26;
      }
  }
  // higher pressure every hour: more of the map above 1020 hPa
  EXPECT_LT(green[0], green[1]);
  EXPECT_LT(green[1], green[2]);
  EXPECT_EQ(out.find("slp.png\n"), std::string::npos) << "no picture without its hour";
}

// A quoted variable list among the plot parameters; the colour bar below the map; images.
TEST_F(KolgridplotTest, VariableListAmongThePlotParametersColourBarAndImages)
{
  KOL_REQUIRE_DATA();
  const std::string png = tmp.file("pa.png");
  int status = -1;
  const std::string out =
      runProgram("kolgridplot",
                 "-pa='va=\"500:hght[dam],500:temp[C,cf]\"' -ge=800x600 -ou=" + png + " " +
                     KOLTest::dataFile(NAM),
                 &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find("kolgridplot: wrote " + png), std::string::npos) << out;
  EXPECT_NE(out.find("Plotting for time: 00:00:00Z 17 SEP 2018\n"), std::string::npos)
      << "the frame is told by the fields' date, not by the clock: " << out;
  const KOLTest::Raster img = KOLTest::readPng(png);
  ASSERT_EQ(img.width, 800);
  EXPECT_EQ(img.height, 600);
  EXPECT_GT(img.inked(), 800 * 600 / 2) << "the temperatures are filled";
  // the map: the first block of rows covered across most of the page; then rows of vivid boxes
  auto covered = [&](int j) { return img.inked(0, j, img.width - 1, j) > img.width * 4 / 5; };
  auto vivid = [&](int i, int j) {
    const uint32_t c = img.at(i, j);
    const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 102;
  };
  int top = 0, bars = 0;
  while (top < img.height && !covered(top)) ++top;
  int bottom = top;
  while (bottom + 1 < img.height && covered(bottom + 1)) ++bottom;
  EXPECT_GT(bottom - top, img.height / 2) << top << " " << bottom;
  for (int j = bottom + 1; j < img.height; ++j) {
    int n = 0;
    for (int i = 0; i < img.width; ++i) n += vivid(i, j);
    bars += n > img.width / 4;
  }
  EXPECT_GE(bars, 8) << "a bar of boxes below the map, which ends at row " << bottom;
  // images of the field named or the file's first, a colour per pixel; a field it lacks refused
  for (const std::string& va : {std::string("-va='500:hght[dam]' "), std::string()}) {
    std::remove(png.c_str());
    const std::string said = runProgram(
        "kolgridplot", "-pl=image " + va + "-ge=800x600 -ou=" + png + " " + KOLTest::dataFile(NAM),
        &status);
    ASSERT_EQ(status, 0) << va << said;
    EXPECT_GT(KOLTest::readPng(png).inked(), 800 * 600 * 6 / 10) << va;
  }
  const std::string said = runProgram(
      "kolgridplot",
      "-pl=image -va=nosuchfield -ou=" + tmp.file("none.png") + " " + KOLTest::dataFile(NAM),
      &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
}

// From the feed's capture to station models and an analysis; from the file kolsfc made of it,
// by name; a domain it does not know: one line naming it (the domain decoder's), and failure.
TEST(KolsfcplotTest, FeedCaptureAndOwnSurfaceFile)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const std::string feed = KOLTest::dataFile("metar/metpy_2020010600_sao.wmo");
  int status = -1;
  for (const auto& [name, args] :
       {std::pair{"stations.png", ""}, {"analysis.png", "-va=pres[mb,int=4],temp[F,cf] -pl=cf"}}) {
    const std::string png = dir.file(name);
    const std::string said =
        runProgram("kolsfcplot",
                   "-date=202001060030 -ge=800x600 -ou=" + png + " " + args + " " + feed, &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("kolsfcplot: wrote " + png), std::string::npos) << said;
    const KOLTest::Raster r = KOLTest::readPng(png);
    EXPECT_EQ(r.width * 1000 + r.height, 800600) << name;
    EXPECT_GT(r.inked(), 5000) << "map, data and labels";
  }
  KOLTest::run(KOLTest::programPath("kolsfc") + " -date=202001060030 -cvt=" + dir.file("obs.cvt") +
                   " " + feed + " 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  const std::string png = dir.file("ok.png");
  std::string said = runProgram(
      "kolsfcplot", "-pd=oklahoma -va=temp[F,ul] -ou=" + png + " " + dir.file("obs.cvt"), &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
  said = runProgram("kolsfcplot", "-pd=nowhere_at_all -ou=" + png + " " + dir.file("obs.cvt"),
                    &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(said.find("nowhere_at_all"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

const char* const OUN = "upperair/ENCODED_72357_OUN_20110522_12Z.txt";

// Every diagram type as PNG, a GIF of the size asked for, an unknown type drawn as the skew-T
// with a warning, and a sounding of one level: a picture that says so, and failure.
TEST(KolskewtTest, DiagramsAndPicturesThatSaySo)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  int status = -1;
  for (const char* type : {"skewt", "stuve", "ema", "teph", "rteph"}) {
    const std::string png =
        (keep && *keep ? std::string(keep) : dir.path()) + "/kolskewt_" + type + ".png";
    const std::string out = runProgram("kolskewt",
                                       "-id=OUN -cu=#201105221200 -ty=" + std::string(type) +
                                           " -ou=" + png + " " + KOLTest::dataFile(OUN),
                                       &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("written to " + png), std::string::npos) << out;
    EXPECT_NE(out.find("KOUN"), std::string::npos) << "the station table's identifier: " << out;
    const KOLTest::Raster img = KOLTest::readPng(png);
    EXPECT_EQ(img.width * 1000 + img.height, 850800) << type;
  }
  const std::string gif = dir.file("oun.gif"), png = dir.file("oun.png");
  std::string out = runProgram(
      "kolskewt", "-id=OUN -ge=600x500 -ou=" + gif + " " + KOLTest::dataFile(OUN), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(KOLTest::readGif(gif).width, 600) << out;
  out =
      runProgram("kolskewt", "-id=OUN -ty=hodo -ou=" + png + " " + KOLTest::dataFile(OUN), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("unknown diagram type hodo"), std::string::npos) << out;
  KOLTest::writeFile(dir.file("one.txt"), "TTAA 72121 72357 99966 22212 18007 88999 77999=\n");
  std::remove(png.c_str());
  out = runProgram("kolskewt", "-ou=" + png + " " + dir.file("one.txt"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("too few levels"), std::string::npos) << out;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
}

constexpr uint32_t BLUE = 0x0000FF, RED = 0xFF0000, BROWN = 0xA52A2A;
const std::string CHINA = "bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr";

int inkOf(const KOLTest::Raster& r, uint32_t c)
{
  return KOLTest::inkOf(r, c, 40, 0, 0, r.width - 1, r.height - 1).count;
}

// A chart of the BUFR soundings, and sections through soundings and through the model.
TEST(UpperAirPrograms, ChartAndSections)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const std::string png = dir.file("chart.png");
  int status = -1;
  std::string said = runProgram(
      "kolupaplot", "-pd=china -ge=900x700 -ou=" + png + " " + KOLTest::dataFile(CHINA), &status);
  EXPECT_EQ(status, 0) << said;
  const KOLTest::Raster r = KOLTest::readPng(png);
  ASSERT_EQ(r.width, 900);
  EXPECT_GT(inkOf(r, BLUE), 100) << "heights of the station models";
  EXPECT_GT(inkOf(r, RED), 100) << "temperatures and isotherms";
  EXPECT_GT(r.inked(), 8000) << "map, contours and labels";
  for (const std::string& args : {"-id=51463/ZLJQ/ZLYA/ZHCC " + KOLTest::dataFile(CHINA),
                                  "-from=35:-105 -to=42:-80 -va=theta " + KOLTest::dataFile(NAM)}) {
    said = runProgram("kolxsect", "-ge=900x600 -ou=" + png + " " + args, &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_GT(inkOf(KOLTest::readPng(png), BROWN), 2000) << "isentropes " << args;
  }
}

}  // namespace
