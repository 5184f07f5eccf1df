#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/FileTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/Resrc.h"

using namespace KOL;

namespace {

const long NOW = 1705320000L;  // 2024-01-15 12:00:00

// A data directory with hourly files from 12 hours before "now" to 2 hours before it, and a
// convention file with one type "tsfc" naming them.
class FilenameTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    Kol::init_time = NOW;
    data_ = dir_.file("data");
    mkdir(data_.c_str(), 0755);
    for (int h = 12; h >= 2; h--) KOLTest::writeFile(hourName(NOW - h * 3600L), "x");
    KOLTest::writeFile(dir_.file("name.cnv"),
                       "tsfc      %D/%Y%m%d%h_sfc   %D/%Y%m%d%h_sfc.hdr   1,sfcfmt   -\n");
    Kol::resrc.set("file_path", dir_.path().c_str());
    Kol::resrc.set("data_path", data_.c_str());
  }
  void TearDown() override
  {
    Kol::init_time = Const::MISS;
    for (const char* r : {"file_path", "data_path", "filename", "current"})
      Kol::resrc.set(r, nullptr);
    QuietTest::TearDown();
  }
  std::string hourName(long secs) const
  {
    return data_ + "/" + Date(secs).format("%Y%m%d%H") + "_sfc";
  }
  KOLTest::TempDir dir_;
  std::string data_;
};

}  // namespace

TEST_F(FilenameTest, UserArguments)
{
  struct {
    const char* arg;
    std::string name;
    bool fixed;
    long date;  // Const::MISS when the name has no date
  } rows[] = {{"la", hourName(NOW - 2 * 3600L), false, NOW - 2 * 3600L},
              {"#2024011506", hourName(NOW - 6 * 3600L), false, NOW - 6 * 3600L},
              {"cu-4", hourName(NOW - 4 * 3600L), false, NOW - 4 * 3600L},
              {"cu=la-1", hourName(NOW - 3 * 3600L), false, NOW - 3 * 3600L},
              {"2024011507_sfc", hourName(NOW - 5 * 3600L), false, NOW - 5 * 3600L},
              {"@/some/file name", "/some/file name", true, Const::MISS},
              {"notes.txt", "notes.txt", true, Const::MISS},
              {"STDN", "-", true, Const::MISS}};
  for (auto& r : rows) {
    Filename f;
    f.setNameConv("tsfc");
    f.checkFile(r.arg);
    EXPECT_TRUE(f.isSet()) << r.arg;
    EXPECT_EQ(f.getName(), r.name) << r.arg;
    EXPECT_EQ(f.isFixed(), r.fixed) << r.arg;
    Date d;
    f.getDate(d);
    EXPECT_EQ(d.isSet() ? d.getSeconds() : (long)Const::MISS, r.date) << r.arg;
  }
  Filename f("tsfc", "la");
  EXPECT_STREQ(f.getType(), "sfcfmt");
  EXPECT_EQ(std::string(f.getHeader()), hourName(NOW - 2 * 3600L) + ".hdr");
  // Without a convention every argument is a name.
  Filename plain;
  plain.checkFile("la");
  EXPECT_STREQ(plain.getName(), "la");
  EXPECT_TRUE(plain.isFixed());
}

TEST_F(FilenameTest, SequencesOfFiles)
{
  Filename f("tsfc", "#2024011510");
  ASSERT_TRUE(f.setNumFiles("6:00"));
  ASSERT_EQ(f.getNumFiles(), 7);
  for (int i = 0; i < 7; i++)
    EXPECT_EQ(std::string(f.getName(i)), hourName(NOW - (8 - i) * 3600L)) << i;
  EXPECT_STREQ(f.getName(7), "");

  ASSERT_TRUE(f.setNumFiles("-2:00-1:00"));
  ASSERT_EQ(f.getNumFiles(), 4);
  EXPECT_EQ(std::string(f.getName(0)), hourName(NOW - 4 * 3600L));
  EXPECT_EQ(std::string(f.getName(3)), hourName(NOW - 1 * 3600L));
  ASSERT_TRUE(f.setNumFiles("4:00,2:00"));
  EXPECT_EQ(std::string(f.getName(1)), hourName(NOW - 4 * 3600L));
  for (const char* bad : {"x", "6:00,", "1:00-", "-", "999999:00,0:01"})
    EXPECT_FALSE(f.setNumFiles(bad)) << bad;

  // A literal name is one file only.
  Filename one("notes.txt");
  one.setNumFiles(3);
  EXPECT_STREQ(one.getName(0), "notes.txt");
  EXPECT_FALSE(one.setFile(1));
}

TEST_F(FilenameTest, ListsAndResources)
{
  Filename list;
  list.setNameConv("tsfc");
  list.setFile("a.dat,b.dat,c.dat");
  ASSERT_EQ(list.getNumFiles(), 3);
  EXPECT_STREQ(list.getName(2), "c.dat");
  list.setFile("x,y\nz");  // newlines separate when there are any
  ASSERT_EQ(list.getNumFiles(), 2);
  EXPECT_STREQ(list.getName(0), "x,y");

  Filename counted;
  counted.setNameConv("tsfc");
  counted.setFile("la,nh=3:00");
  EXPECT_EQ(counted.getNumFiles(), 4);
  EXPECT_EQ(std::string(counted.getName(0)), hourName(NOW - 5 * 3600L));

  // "filename" names the convention when "current" gives the file request.
  Kol::resrc.set("filename", "tsfc");
  Kol::resrc.set("current", "la-1");
  Filename fromResources;
  EXPECT_TRUE(fromResources.setFile());
  EXPECT_EQ(std::string(fromResources.getName()), hourName(NOW - 3 * 3600L));
  // Without "current" it is the file argument.
  Kol::resrc.set("current", nullptr);
  Kol::resrc.set("filename", "2024011503_sfc");
  Filename arg;
  arg.setNameConv("tsfc");
  EXPECT_TRUE(arg.setFile());
  EXPECT_EQ(std::string(arg.getName()), hourName(NOW - 9 * 3600L));
  // Neither: the latest file.
  Kol::resrc.set("filename", nullptr);
  Filename latest;
  latest.setNameConv("tsfc");
  EXPECT_TRUE(latest.setFile(""));
  EXPECT_EQ(std::string(latest.getName()), hourName(NOW - 2 * 3600L));
  // Around a given date.
  EXPECT_FALSE(latest.setFile(Date(NOW - 20 * 3600L), "la"));
  EXPECT_TRUE(latest.setFile(Date(NOW - 6 * 3600L + 1800), "la"));
  EXPECT_EQ(std::string(latest.getName()), hourName(NOW - 6 * 3600L));
}

// Names are held whole up to the system's path limit: through the convention, literally and as
// a template of their own; a longer one is refused, not cut into another file's name.
TEST_F(FilenameTest, LongPathsAreWhole)
{
  std::string deep = data_;
  while (deep.size() < 200) deep += "/g2_CMC_glb_TMP_ISBL_1015_ps30km";
  const std::string hour = deep + "/" + Date(NOW - 3 * 3600L).format("%Y%m%d%H") + "_sfc";
  KOL::FileTool::makeDir(hour.c_str(), 0755);
  KOLTest::writeFile(hour, "x");
  Kol::resrc.set("data_path", deep.c_str());
  Filename conv("tsfc", "la");
  EXPECT_EQ(std::string(conv.getName()), hour);
  EXPECT_EQ(std::string(conv.getHeader()), std::string(conv.getName()) + ".hdr");

  Filename own(("@" + deep + "/%Y%m%d%h.grd").c_str(), "#2024011506");
  EXPECT_EQ(std::string(own.getName()), deep + "/2024011506.grd");

  const std::string beyond = deep + "/" + std::string(KOL::FileTool::MAX_PATH, 'x');
  Kol::setMessageLevel("warn");
  testing::internal::CaptureStderr();
  Filename refused;
  EXPECT_EQ(refused.set(beyond.c_str()), 0);
  EXPECT_STREQ(refused.getName(), "");
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("Filename: path longer than"), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}
