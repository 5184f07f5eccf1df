// The caches of files read: file stamps (one version of a file or directory, and whether it may
// still change), and tables parsed once per path and process and shared, failed parses tried again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "common/TestData.h"
#include "core/cache/FileStamp.h"
#include "core/cache/ReadOnce.h"

using KOL::cache::FileStamp;
using KOL::cache::ReadOnce;

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

using Text = std::string;

bool load(const char* path, Text& text)
{
  text = KOLTest::readFile(path);
  return !text.empty();
}

TEST(ReadOnce, ParsesEachPathOnceAndKeepsItsTable)
{
  KOLTest::TempDir dir;
  const std::string path = dir.file("table");
  KOLTest::writeFile(path, "first");
  ReadOnce<Text> cache;
  auto a = cache.get(path, load);
  ASSERT_TRUE(a);
  EXPECT_EQ(a, cache.get(path, load));  // one shared copy

  // Edited or removed, the file is not looked at again.
  std::remove(path.c_str());
  EXPECT_EQ(*cache.get(path, load), "first");
  EXPECT_EQ(cache.parses(), 1);

  // Other paths are kept apart.
  KOLTest::writeFile(dir.file("other"), "other");
  EXPECT_EQ(*cache.get(dir.file("other"), load), "other");
  EXPECT_EQ(*cache.get(path, load), "first");
  EXPECT_EQ(cache.parses(), 2);

  // A failed parse keeps nothing: the next get tries again, and a file that appears is read.
  EXPECT_FALSE(cache.get(dir.file("later"), load));
  KOLTest::writeFile(dir.file("later"), "here now");
  EXPECT_EQ(*cache.get(dir.file("later"), load), "here now");
  EXPECT_EQ(*cache.get(dir.file("later"), load), "here now");
  EXPECT_EQ(cache.parses(), 4);
}

}  // namespace
