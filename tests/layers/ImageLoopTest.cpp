// Loops of the last files of a naming convention as one animated GIF: radar products of a site
// (kolrad) and satellite images (kolsat), the oldest file left out when more are filed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"

namespace {

// Copies of a file filed under the convention's names for three times.
void file(const KOLTest::TempDir& dir, const std::string& folder, const std::string& source,
          const std::string& suffix)
{
  ASSERT_EQ(std::system(("mkdir -p " + dir.file(folder)).c_str()), 0);
  for (const char* t : {"0451", "0456", "0501"})
    ASSERT_EQ(
        std::system(("cp " + source + " " + dir.file(folder + "/20200817_" + t + suffix)).c_str()),
        0);
}

TEST(ImageLoop, LastFilesOfAConventionAsAnimatedGif)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  file(dir, "nids/DDC/N0Q", KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids"), ".nids");
  file(dir, "vis", KOLTest::dataFile("gini/AK-REGIONAL_8km_3.9_20160408_1445.gini"), ".gini");
  const std::string common = " -fp=" + KOLTest::databaseDir() + " -ip=" + dir.path() +
                             " -sp=" + dir.path() + " -fr=2 -ou=";
  for (const std::string& run : {KOLTest::programPath("kolrad") + " -id=DDC -ty=N0Q" + common,
                                 KOLTest::programPath("kolsat") + common}) {
    SCOPED_TRACE(run);
    const std::string gif = dir.file("loop.gif");
    int status = -1;
    const std::string out = KOLTest::run(run + gif + " 2>&1", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("(2 frames)"), std::string::npos) << out;
    int frames = 0;
    const KOLTest::Raster last = KOLTest::readGif(gif, 1, &frames);
    EXPECT_EQ(frames, 2);
    ASSERT_TRUE(last.valid());
    EXPECT_GT(last.inked(), last.width * last.height / 20) << "a picture in every frame";
  }
}

}  // namespace
