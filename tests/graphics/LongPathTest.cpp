// File names are held whole: every device and picture writer makes the file a 200-character
// path names, and refuses a path beyond the system's limit with one line.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "graphics/MapKolFile.h"
#include "graphics/Plot.h"

using KOL::FileTool;
using KOL::Plot;

namespace {

class LongPathTest : public KOLTest::DatabaseTest {
 protected:
  // A path of 200 characters or more under the scratch folder, ending in tail.
  std::string longPath(const std::string& tail) const
  {
    std::string p = dir.path() + "/a/longer/folder";
    while (p.size() + tail.size() < 200) p += "/g2_CMC_glb_TMP_ISBL_1015_ps30km";
    return p + "/" + tail;
  }
  KOLTest::TempDir dir;
};

// The device texts as Plot::open reads them (the metafile takes its name from the second field).
const struct {
  const char* device;
  const char* tail;
} DEVICES[] = {
    {"p", "plot.ps"},
    {"m", "plot.meta"},
    {"h", "plot.hpgl"},
    {"i", "plot.png"},
};

TEST_F(LongPathTest, EveryDeviceWritesTheWholeName)
{
  for (const auto& d : DEVICES) {
    const std::string path = longPath(d.tail);
    SCOPED_TRACE(std::string(d.device) + " " + std::to_string(path.size()));
    {
      Plot plot;
      ASSERT_TRUE(plot.open(("de=" + std::string(d.device) + "," + path + ",sz=200x100").c_str()));
      plot.drawLine(KOL::Point(0.1f, 0.1f), KOL::Point(0.5f, 0.5f));
      plot.close();
    }
    EXPECT_GT(FileTool::getSize(path.c_str()), 0);
  }
}

TEST_F(LongPathTest, PathsBeyondTheLimitAreRefusedInOneLine)
{
  const std::string beyond = dir.path() + "/" + std::string(FileTool::MAX_PATH, 'x');
  for (const auto& d : DEVICES) {
    if (*d.device == 'i') continue;  // the image device names its file only when it closes
    SCOPED_TRACE(d.device);
    Plot plot;
    KOL::Kol::setMessageLevel("warn");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(plot.open(("de=" + std::string(d.device) + "," + beyond).c_str()));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("path longer than"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
  }
}

TEST_F(LongPathTest, PicturesAndMapFilesAreWrittenWhole)
{
  Plot plot;
  ASSERT_TRUE(plot.open("de=i,,sz=120x80"));
  for (const char* tail : {"saved.png", "saved.gif"}) {
    const std::string path = longPath(tail);
    ASSERT_EQ(plot.saveImage(path.c_str()), 1) << tail;
    EXPECT_GT(FileTool::getSize(path.c_str()), 0) << tail;
  }
  const std::string map = longPath("coast.map");
  KOL::MapKolFile m;
  ASSERT_EQ(m.open(map.c_str(), KOL::MapKolFile::WRITE, KOL::MapKolFile::TEXT), 1);
  m.close();
  EXPECT_TRUE(FileTool::exist(map.c_str()));
}

}  // namespace
