// Tables parsed once per file version and shared, parsed again when the file may have changed.
#include "core/cache/FileCache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "common/TestData.h"

using KOL::cache::FileCache;
using KOL::cache::FileStamp;

namespace {

using Text = std::string;

bool load(const char* path, Text& text)
{
  text = KOLTest::readFile(path);
  return !text.empty();
}

// Writes a file whose time stamp lies hours_ago hours in the past.
void writeOld(const std::string& path, const std::string& text, int hours_ago)
{
  KOLTest::writeFile(path, text);
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = std::time(nullptr) - 3600 * hours_ago;
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(FileCache, ParsesEachVersionOfAFileOnce)
{
  KOLTest::TempDir dir;
  const std::string path = dir.file("table");
  writeOld(path, "first", 2);
  FileCache<Text> cache;
  auto a = cache.get(path, load);
  auto b = cache.get(path, load);
  ASSERT_TRUE(a);
  EXPECT_EQ(*a, "first");
  EXPECT_EQ(a, b);  // one shared copy
  EXPECT_EQ(cache.parses(), 1);

  // Same length, another time stamp: a new version.
  writeOld(path, "again", 1);
  auto c = cache.get(path, load);
  EXPECT_EQ(*c, "again");
  EXPECT_EQ(*a, "first");  // earlier holders keep theirs
  EXPECT_EQ(cache.parses(), 2);

  // Another length under the same time stamp: a new version as well.
  writeOld(path, "longer text", 1);
  EXPECT_EQ(*cache.get(path, load), "longer text");
  EXPECT_EQ(cache.parses(), 3);

  // Other paths are kept apart.
  writeOld(dir.file("other"), "other", 1);
  EXPECT_EQ(*cache.get(dir.file("other"), load), "other");
  EXPECT_EQ(*cache.get(path, load), "longer text");
  EXPECT_EQ(cache.parses(), 4);
}

TEST(FileCache, RecentAbsentAndUnreadableFilesAreNotKept)
{
  KOLTest::TempDir dir;
  const std::string path = dir.file("table");
  FileCache<Text> cache;
  // Just written: a change in the same clock tick would not show, so every get parses.
  KOLTest::writeFile(path, "new");
  EXPECT_EQ(*cache.get(path, load), "new");
  KOLTest::writeFile(path, "NEW");
  EXPECT_EQ(*cache.get(path, load), "NEW");
  EXPECT_EQ(cache.parses(), 2);

  // Gone: nothing, and the copy parsed before is dropped.
  writeOld(path, "old", 1);
  ASSERT_TRUE(cache.get(path, load));
  std::remove(path.c_str());
  EXPECT_FALSE(cache.get(path, load));
  writeOld(path, "old", 1);
  EXPECT_EQ(*cache.get(path, load), "old");
  EXPECT_EQ(cache.parses(), 5);

  // A failed parse keeps nothing: the next get tries again.
  writeOld(dir.file("empty"), "", 1);
  EXPECT_FALSE(cache.get(dir.file("empty"), load));
  EXPECT_FALSE(cache.get(dir.file("empty"), load));
  EXPECT_EQ(cache.parses(), 7);

  // A path stat cannot examine is parsed every time.
  int calls = 0;
  auto fake = [&](const char*, Text& t) {
    t = "fetched";
    ++calls;
    return true;
  };
  EXPECT_EQ(*cache.get("http://example.invalid/table", fake), "fetched");
  EXPECT_EQ(*cache.get("http://example.invalid/table", fake), "fetched");
  EXPECT_EQ(calls, 2);
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
