// File stamps: one version of a file or directory, and whether it may still change.
#include "core/cache/FileStamp.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>

#include "common/TestData.h"

using KOL::cache::FileStamp;

namespace {

// Writes a file whose time stamp lies hours_ago hours in the past.
void writeOld(const std::string& path, const std::string& text, int hours_ago)
{
  KOLTest::writeFile(path, text);
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = std::time(nullptr) - 3600 * hours_ago;
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(FileStamp, TellsFilesAndDirectoriesApart)
{
  KOLTest::TempDir dir;
  FileStamp d, f, g;
  ASSERT_TRUE(d.read(dir.path().c_str()));
  EXPECT_TRUE(d.dir);
  writeOld(dir.file("f"), "abc", 1);
  ASSERT_TRUE(f.read(dir.file("f").c_str()));
  EXPECT_FALSE(f.dir);
  EXPECT_FALSE(f.recent);
  EXPECT_EQ(f.size, 3);
  ASSERT_TRUE(g.read(dir.file("f").c_str()));
  EXPECT_TRUE(f.same(g));
  EXPECT_FALSE(f.same(d));
  EXPECT_FALSE(g.read(dir.file("absent").c_str()));
  EXPECT_FALSE(g.read(nullptr));
}

}  // namespace
