// Tables parsed once per path and process and shared, failed parses tried again.
#include "core/cache/ReadOnce.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/TestData.h"

using KOL::cache::ReadOnce;

namespace {

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
