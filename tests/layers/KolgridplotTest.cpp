// The kolgridplot program: a NAM field to PNG without a display with the colour bar below the
// map, and a forecast loop to one picture per forecast hour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "NamLoop.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"

namespace {

constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";

std::string kolgridplot(const std::string& args, int* status)
{
  return KOLTest::run("DISPLAY= " + KOLTest::programPath("kolgridplot") +
                          " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

// Pixels that are neither white nor grey: fills and the red map.
int colouredPixels(const KOLTest::Raster& r)
{
  int n = 0;
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) {
      const uint32_t c = r.at(x, y);
      n += (c >> 16) != ((c >> 8) & 0xFF) || ((c >> 8) & 0xFF) != (c & 0xFF);
    }
  return n;
}

class KolgridplotTest : public KOLTest::QuietTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(KolgridplotTest, ForecastLoopWritesOnePicturePerHour)
{
  KOL_REQUIRE_DATA();
  if (!KOLTest::haveGribSet()) GTEST_SKIP() << "ecCodes' grib_set is not installed";
  const std::string file = KOLTest::namLoopFile(tmp);
  ASSERT_FALSE(file.empty());
  int status = -1;
  const std::string out =
      kolgridplot("-va='prmsl[mb,cf,cof=900=blue/1020=green]' -ft=0-12/6 -ge=300x200 -ou=" +
                      tmp.file("slp.png") + " " + file,
                  &status);
  EXPECT_EQ(status, 0) << out;
  int green[3];
  const char* names[] = {"slp_f000.png", "slp_f006.png", "slp_f012.png"};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(names[k]);
    EXPECT_NE(out.find("wrote " + tmp.file(names[k])), std::string::npos) << out;
    const KOLTest::Raster img = KOLTest::readPng(tmp.file(names[k]));
    ASSERT_TRUE(img.valid());
    green[k] = 0;
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

// A NAM field to PNG without a display, its frame told by the fields' date; a variable list
// with commas given among the plot parameters, quoted as a whole; the colour bar of its filled
// field lies below the map's border, none of it over the map.
TEST_F(KolgridplotTest, VariableListAmongThePlotParametersAndItsColourBar)
{
  KOL_REQUIRE_DATA();
  const std::string png = tmp.file("pa.png");
  int status = -1;
  const std::string out =
      kolgridplot("-pa='va=\"500:hght[dam],500:temp[C,cf]\"' -ge=800x600 -ou=" + png + " " +
                      KOLTest::dataFile(NAM),
                  &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find("kolgridplot: wrote " + png), std::string::npos) << out;
  EXPECT_NE(out.find("Plotting for time: 00:00:00Z 17 SEP 2018\n"), std::string::npos)
      << "the frame is told by the fields' date, not by the clock: " << out;
  const KOLTest::Raster img = KOLTest::readPng(png);
  ASSERT_EQ(img.width, 800);
  EXPECT_EQ(img.height, 600);
  EXPECT_GT(colouredPixels(img), 800 * 600 / 2) << "the temperatures are filled";
  auto vivid = [&](int i, int j) {
    const uint32_t c = img.at(i, j);
    const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 102;
  };
  // the map: the first block of rows covered (not white) across most of the page
  auto covered = [&](int j) { return img.inked(0, j, img.width - 1, j) > img.width * 4 / 5; };
  int top = 0;
  while (top < img.height && !covered(top)) ++top;
  int bottom = top;
  while (bottom + 1 < img.height && covered(bottom + 1)) ++bottom;
  EXPECT_GT(bottom - top, img.height / 2) << top << " " << bottom;
  // the bar: rows of vivid boxes below it
  int barRows = 0;
  for (int j = bottom + 1; j < img.height; ++j) {
    int n = 0;
    for (int i = 0; i < img.width; ++i) n += vivid(i, j);
    barRows += n > img.width / 4;
  }
  EXPECT_GE(barRows, 8) << "a bar of boxes below the map, which ends at row " << bottom;
}

// One field as an image: a colour per pixel over the whole map and its bar below, the field
// named or, without -va, the file's first.
TEST_F(KolgridplotTest, PlotTypeImageColoursEveryPixelOfTheMap)
{
  KOL_REQUIRE_DATA();
  for (const std::string& va : {std::string("-va='500:hght[dam]' "), std::string()}) {
    SCOPED_TRACE(va);
    const std::string png = tmp.file("image.png");
    int status = -1;
    const std::string out = kolgridplot(
        "-pl=image " + va + "-ge=800x600 -ou=" + png + " " + KOLTest::dataFile(NAM), &status);
    ASSERT_EQ(status, 0) << out;
    const KOLTest::Raster img = KOLTest::readPng(png);
    ASSERT_EQ(img.width, 800);
    // the grid covers the map it is drawn on: all but the labels, the bar and the margins
    EXPECT_GT(colouredPixels(img), 800 * 600 * 6 / 10);
    std::remove(png.c_str());
  }
  int status = -1;
  const std::string out = kolgridplot(
      "-pl=image -va=nosuchfield -ou=" + tmp.file("none.png") + " " + KOLTest::dataFile(NAM),
      &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
}

}  // namespace
