// kolskewt as a forecaster runs it: a real TEMP set to a PNG of each diagram, in a window, as a
// GIF of a size, the own upper-air file by naming convention, and soundings too short to draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "DiagramPicture.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "common/Xvfb.h"

namespace {

const char* const OUN = "upperair/ENCODED_72357_OUN_20110522_12Z.txt";

std::string kolskewt(const std::string& args, int* status, bool display = false)
{
  return KOLTest::run(std::string(display ? "" : "env -u DISPLAY ") +
                          KOLTest::programPath("kolskewt") +
                          " -file_path=" + KOLTest::databaseDir() + " " + args + " 2>&1",
                      status);
}

TEST(KolskewtTest, TempSetToPngOfEveryDiagram)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  for (const char* type : {"skewt", "stuve", "ema", "teph", "rteph"}) {
    const std::string png =
        (keep && *keep ? std::string(keep) : dir.path()) + "/kolskewt_" + type + ".png";
    int status = -1;
    const std::string out = kolskewt("-id=OUN -cu=#201105221200 -ty=" + std::string(type) +
                                         " -ou=" + png + " " + KOLTest::dataFile(OUN),
                                     &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("written to " + png), std::string::npos) << out;
    EXPECT_NE(out.find("KOUN"), std::string::npos) << out;
    const KOLTest::Raster img = KOLTest::readPng(png);
    EXPECT_EQ(img.width, 850) << type;
    EXPECT_EQ(img.height, 800) << type;
  }
}

// With no output named and a display at hand, the diagram opens in a window: a private Xvfb, the
// program started in the background and stopped by its process id once its window is up.
TEST(KolskewtTest, WindowWhenADisplayExists)
{
  KOL_REQUIRE_DATA();
  int status = -1;
  KOLTest::run("command -v xdotool", &status);
  if (status != 0) GTEST_SKIP() << "xdotool not installed";
  KOLTest::Xvfb server;
  if (!server.running()) GTEST_SKIP() << server.reason();
  const std::string script =
      KOLTest::programPath("kolskewt") + " -file_path=" + KOLTest::databaseDir() +
      " -id=OUN -cu=#201105221200 -ti=skewtwindowtest " + KOLTest::dataFile(OUN) +
      " >/dev/null 2>&1 & K=$!; found=no; "
      "for i in $(seq 120); do xdotool search --name skewtwindowtest >/dev/null 2>&1 && "
      "{ found=yes; break; }; sleep 0.25; done; kill $K; wait $K 2>/dev/null; echo $found";
  const std::string out =
      KOLTest::run("export DISPLAY=" + server.display() + "; " + script, &status);
  EXPECT_NE(out.find("yes"), std::string::npos) << out;
}

TEST(KolskewtTest, GeometryOwnFileAndPicturesThatSaySo)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  int status = -1;
  const std::string gif = dir.file("oun.gif");
  std::string out =
      kolskewt("-id=OUN -ge=600x500 -ou=" + gif + " " + KOLTest::dataFile(OUN), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(KOLTest::readGif(gif).width, 600) << out;
  // the own upper-air file found by the naming convention
  ASSERT_EQ(KOLTest::writeOwnOunFile(dir.path()), 0);
  const std::string png = dir.file("own.png");
  out = kolskewt("-con_path=" + dir.path() + " -id=OUN -cu=#201105221200 -ou=" + png, &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(KOLTest::readPng(png).valid()) << out;
  // an unknown type draws the skew-T with a warning
  out = kolskewt("-id=OUN -ty=hodo -ou=" + png + " " + KOLTest::dataFile(OUN), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("unknown diagram type hodo"), std::string::npos) << out;
  // a sounding of one level: a picture that says so, and failure
  const std::string one = dir.file("one.txt");
  KOLTest::writeFile(one, "TTAA 72121 72357 99966 22212 18007 88999 77999=\n");
  std::remove(png.c_str());
  out = kolskewt("-ou=" + png + " " + one, &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("too few levels"), std::string::npos) << out;
  EXPECT_TRUE(KOLTest::readPng(png).valid());
}

}  // namespace
