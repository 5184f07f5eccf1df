// The kolgridplot program: a NAM field to PNG without a display, a forecast loop to one picture
// per forecast hour, PostScript, and refused or missing input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "NamLoop.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/plot/PlotImage.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace {

constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";

std::string kolgridplot(const std::string& args, int* status)
{
  return KOLTest::run("DISPLAY= " + KOLTest::programPath("kolgridplot") +
                          " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

// Pixels of the image that are neither white nor grey: fills and the red map.
int colouredPixels(const KOL::Image& img)
{
  int n = 0;
  KOL::RGB c;
  for (int j = 0; j < img.getHeight(); ++j)
    for (int i = 0; i < img.getWidth(); ++i) {
      img.getRGB(i, j, c);
      n += c.red != c.green || c.green != c.blue;
    }
  return n;
}

class KolgridplotTest : public KOLTest::QuietTest {
 protected:
  KOLTest::TempDir tmp;
};

TEST_F(KolgridplotTest, FieldToPngWithoutDisplay)
{
  KOL_REQUIRE_DATA();
  const std::string png = tmp.file("h500.png");
  int status = -1;
  const std::string out = kolgridplot(
      "-va='500:hght[dam]' -ge=400x300 -ou=" + png + " " + KOLTest::dataFile(NAM), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("kolgridplot: wrote " + png), std::string::npos) << out;
  EXPECT_NE(out.find("Plotting for time: 00:00:00Z 17 SEP 2018\n"), std::string::npos)
      << "the frame is told by the fields' date, not by the clock: " << out;
  KOL::Image img;
  ASSERT_EQ(KOL::PlotImage::readPng(png.c_str(), img), 1);
  EXPECT_EQ(img.getWidth(), 400);
  EXPECT_EQ(img.getHeight(), 300);
  EXPECT_GT(colouredPixels(img), 1000) << "the default map is drawn";
}

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
    KOL::Image img;
    ASSERT_EQ(KOL::PlotImage::readPng(tmp.file(names[k]).c_str(), img), 1);
    green[k] = 0;
    KOL::RGB c;
    for (int j = 0; j < img.getHeight(); ++j)
      for (int i = 0; i < img.getWidth(); ++i) {
        img.getRGB(i, j, c);
        green[k] += c.green > 0.4f && c.red < 0.1f && c.blue < 0.1f;
      }
  }
  // higher pressure every hour: more of the map above 1020 hPa
  EXPECT_LT(green[0], green[1]);
  EXPECT_LT(green[1], green[2]);
  EXPECT_EQ(out.find("slp.png\n"), std::string::npos) << "no picture without its hour";
}

TEST_F(KolgridplotTest, PostScriptDevice)
{
  KOL_REQUIRE_DATA();
  const std::string ps = tmp.file("map.ps");
  int status = -1;
  const std::string out = kolgridplot(
      "-va='500:hght[dam],wind500' -de=ps," + ps + " " + KOLTest::dataFile(NAM), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("wrote " + ps), std::string::npos) << out;
  EXPECT_EQ(KOLTest::readFile(ps).rfind("%!PS", 0), 0u);
}

// A variable list with commas given among the plot parameters, quoted as a whole.
TEST_F(KolgridplotTest, VariableListAmongThePlotParameters)
{
  KOL_REQUIRE_DATA();
  const std::string png = tmp.file("pa.png");
  int status = -1;
  const std::string out =
      kolgridplot("-pa='va=\"500:hght[dam],500:temp[C,cf]\"' -ge=300x200 -ou=" + png + " " +
                      KOLTest::dataFile(NAM),
                  &status);
  EXPECT_EQ(status, 0) << out;
  KOL::Image img;
  ASSERT_EQ(KOL::PlotImage::readPng(png.c_str(), img), 1);
  EXPECT_GT(colouredPixels(img), 300 * 200 / 2) << "the temperatures are filled";
}

TEST_F(KolgridplotTest, RefusedAndMissingInput)
{
  int status = -1;
  std::string out =
      kolgridplot("-va=500:hght -ou=" + tmp.file("x.png") + " /nonexistent.grib2", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("kolgridplot: no grid file"), std::string::npos) << out;

  // a file that is not a grid file at all
  KOLTest::writeFile(tmp.file("text.grib2"), "not a grid file\n");
  out = kolgridplot("-ou=" + tmp.file("x.png") + " " + tmp.file("text.grib2"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("no variable list"), std::string::npos) << out;

  out =
      kolgridplot("-va=500:hght -ou=" + tmp.file("x.png") + " " + tmp.file("text.grib2"), &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(out, "kolgridplot: " + tmp.file("text.grib2") + " is neither a GRIB nor a grid file\n");
}

// The colour bar of a filled field lies below the map's border, none of it over the map.
TEST_F(KolgridplotTest, ColourBarBelowTheMap)
{
  KOL_REQUIRE_DATA();
  const std::string png = tmp.file("slp.png");
  int status = -1;
  const std::string out = kolgridplot(
      "-va='prmsl[mb,cf]' -ge=800x600 -ou=" + png + " " + KOLTest::dataFile(NAM), &status);
  ASSERT_EQ(status, 0) << out;
  KOL::Image img;
  ASSERT_EQ(KOL::PlotImage::readPng(png.c_str(), img), 1);
  KOL::RGB c;
  auto white = [&](int i, int j) {
    img.getRGB(i, j, c);
    return c.red > 0.97f && c.green > 0.97f && c.blue > 0.97f;
  };
  auto vivid = [&](int i, int j) {
    img.getRGB(i, j, c);
    return std::max({c.red, c.green, c.blue}) - std::min({c.red, c.green, c.blue}) > 0.4f;
  };
  // the map: the first block of rows covered (not white) across most of the page
  auto covered = [&](int j) {
    int n = 0;
    for (int i = 0; i < img.getWidth(); ++i) n += !white(i, j);
    return n > img.getWidth() * 4 / 5;
  };
  int top = 0;
  while (top < img.getHeight() && !covered(top)) ++top;
  int bottom = top;
  while (bottom + 1 < img.getHeight() && covered(bottom + 1)) ++bottom;
  EXPECT_GT(bottom - top, img.getHeight() / 2) << top << " " << bottom;
  // the bar: rows of vivid boxes below it
  int barRows = 0;
  for (int j = bottom + 1; j < img.getHeight(); ++j) {
    int n = 0;
    for (int i = 0; i < img.getWidth(); ++i) n += vivid(i, j);
    barRows += n > img.getWidth() / 4;
  }
  EXPECT_GE(barRows, 8) << "a bar of boxes below the map, which ends at row " << bottom;
}

}  // namespace
