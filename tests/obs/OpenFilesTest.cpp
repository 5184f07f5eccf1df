// Files kept open between bulletins: least recently used closed first, one writer at a time,
// and files moved away behind the ingest's back started anew.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/WmoFeed.h"
#include "obs/wmo/OpenFiles.h"
#include "obs/wmo/PathWatch.h"

using KOL::wmo::OpenFiles;

namespace {

void put(int fd, const char* text)
{
  ASSERT_GE(fd, 0);
  ssize_t n = static_cast<ssize_t>(std::strlen(text));
  ASSERT_EQ(write(fd, text, n), n);
}

}  // namespace

TEST(OpenFiles, LeastRecentlyUsedClosedFirstAndHeldFilesKept)
{
  KOLTest::TempDir dir;
  std::string a = dir.file("a"), b = dir.file("b"), c = dir.file("sub/dir/c");
  OpenFiles files(2);
  put(files.get(a.c_str()), "a1");
  put(files.get(b.c_str()), "b1");
  put(files.get(a.c_str()), "a2");
  // Missing directories are made; b, the least recently used, makes room.
  put(files.get(c.c_str()), "c1");
  EXPECT_TRUE(files.holds(a.c_str()));
  EXPECT_FALSE(files.holds(b.c_str()));
  EXPECT_EQ(files.size(), 2);
  put(files.get(b.c_str()), "b2");
  EXPECT_FALSE(files.holds(a.c_str()));
  EXPECT_EQ(KOLTest::readFile(a), "a1a2");
  EXPECT_EQ(KOLTest::readFile(b), "b1b2");
  EXPECT_EQ(KOLTest::readFile(c), "c1");

  // A held file is neither handed out twice nor closed to make room.
  int held = files.take(b.c_str());
  ASSERT_GE(held, 0);
  EXPECT_EQ(files.take(b.c_str()), -1);
  put(files.get(a.c_str()), "a3");
  put(files.get(c.c_str()), "c2");
  EXPECT_TRUE(files.holds(b.c_str()));
  files.release(b.c_str());
  EXPECT_EQ(files.take(b.c_str()), held);

  files.closeAll();
  EXPECT_EQ(files.size(), 0);
  // Under a plain file nothing can be opened.
  {
    KOLTest::QuietScope quiet;
    EXPECT_EQ(files.get((a + "/x").c_str()), -1);
  }
  EXPECT_EQ(files.size(), 0);
}

// Gathered bulletins and their index lines: an index line never before its bytes, offsets
// exact while another process appends to the same file.
TEST(OpenFiles, GatheredBulletinsAndTheirIndexLinesLandWhereTheyBelong)
{
  KOLTest::TempDir dir;
  std::string out = dir.file("o/SA.wmo"), idx = dir.file("o/SA.idx");
  OpenFiles data(4), indexes(4);
  OpenFiles::Hint hint;
  auto bulletin = [&](const std::string& text, bool index = true) {
    ASSERT_GE(data.take(out.c_str(), &hint), 0);
    data.begin(hint);
    ASSERT_EQ(data.put(hint, text.data(), static_cast<int>(text.size())), 1);
    data.release(out.c_str(), &hint);
    if (index && !data.deferIndex(out.c_str(), &hint, indexes, idx.c_str(), " " + text)) {
      std::string line;
      OpenFiles::indexLine(data.start(out.c_str(), &hint), " " + text, line);
      indexes.append(idx.c_str(), line.data(), static_cast<int>(line.size()));
    }
  };
  bulletin("one\n");
  bulletin("two\n");
  EXPECT_EQ(KOLTest::readFile(out), "");
  // The index set alone has nothing to write yet: its lines wait for the bulletins.
  indexes.flush();
  EXPECT_EQ(KOLTest::readFile(idx), "");
  data.flush();
  indexes.flush();
  EXPECT_EQ(KOLTest::readFile(out), "one\ntwo\n");
  EXPECT_EQ(KOLTest::readFile(idx), "      0 one\n      4 two\n");

  // Someone else appends between our writes.
  FILE* other = std::fopen(out.c_str(), "a");
  ASSERT_NE(other, nullptr);
  bulletin("three\n");
  std::fputs("OTHER\n", other);
  std::fflush(other);
  bulletin("four\n");
  data.flush();
  std::fputs("OTHER2\n", other);
  std::fclose(other);
  // Long enough to go out at once: its place is known when it ends.
  std::string big(OpenFiles::GATHER_BULLETINS + 1, 'x');
  bulletin(big);
  EXPECT_EQ(data.start(out.c_str(), &hint), 32);
  data.flush();
  indexes.flush();
  EXPECT_TRUE(KOLTest::readFile(out) == "one\ntwo\nOTHER\nthree\nfour\nOTHER2\n" + big);
  std::string lines = KOLTest::readFile(idx);
  EXPECT_EQ(lines.substr(0, 51), "      0 one\n      4 two\n     14 three\n     20 four\n");
  EXPECT_EQ(lines.substr(51, 12), "     32 xxxx");

  // A bulletin taken back: gathered, or partly written already.
  bulletin("five\n", false);
  ASSERT_GE(data.take(out.c_str(), &hint), 0);
  data.begin(hint);
  data.put(hint, "six", 3);
  // A flush in the middle of a bulletin writes the ones before it only.
  data.flush();
  std::string before = KOLTest::readFile(out);
  ASSERT_GT(before.size(), 5u);
  EXPECT_EQ(before.substr(before.size() - 5), "five\n");
  ASSERT_EQ(data.drop(hint), 1);
  data.begin(hint);
  data.put(hint, big.data(), static_cast<int>(big.size()));
  EXPECT_EQ(data.start(out.c_str(), &hint), static_cast<long>(before.size()));
  ASSERT_EQ(data.drop(hint), 1);
  data.begin(hint);
  data.put(hint, "seven\n", 6);
  EXPECT_EQ(data.settle(out.c_str(), &hint), static_cast<long>(before.size()));
  data.release(out.c_str(), &hint);
  data.closeAll();
  EXPECT_TRUE(KOLTest::readFile(out) == before + "seven\n");

  // Moved away between bulletins: the next use of any kept file writes what was gathered for
  // it, so that the moved file holds every bulletin filed before the move.
  bulletin("eight\n", false);
  ASSERT_EQ(std::rename(out.c_str(), (out + ".done").c_str()), 0);
  ASSERT_GE(data.get(dir.file("o/other.wmo").c_str()), 0);
  EXPECT_TRUE(KOLTest::readFile(out + ".done") == before + "seven\neight\n");
  bulletin("nine\n", false);
  data.closeAll();
  EXPECT_EQ(KOLTest::readFile(out), "nine\n");
}

namespace {

int openDescriptors()
{
  auto fds = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<int>(std::distance(begin(fds), end(fds)));
}

}  // namespace

// A watch per directory; a directory moved or a file removed closes what it held.
TEST(OpenFiles, ManyFilesShareTheWatchesOfTheirDirectories)
{
  KOLTest::TempDir dir;
  OpenFiles files(5000);
  files.setLimit(std::min(KOL::wmo::raiseFileLimit(), 5000));
  auto name = [&](const char* sub, int i) { return dir.file(sub) + "/f" + std::to_string(i); };
  const char* subs[] = {"a", "b", "c/d"};
  for (int i = 0; i < 1000; i++) put(files.get(name(subs[i % 3], i).c_str()), "1");
  const KOL::wmo::PathWatch& watch = files.getWatch();
  int dirs = watch.numDirs();
  // The directories above the scratch directory, it, and a, b, c and c/d.
  EXPECT_EQ(dirs, std::count(dir.path().begin(), dir.path().end(), '/') + 5);
  EXPECT_EQ(watch.numAdded(), dirs);
  EXPECT_EQ(files.size(), 1000);
  EXPECT_TRUE(fcntl(files.get(name("a", 0).c_str()), F_GETFD) & FD_CLOEXEC);

  int before = openDescriptors();
  ASSERT_EQ(std::rename(dir.file("a").c_str(), dir.file("a.old").c_str()), 0);
  ASSERT_EQ(std::remove(name("b", 1).c_str()), 0);
  put(files.get(name("c/d", 2).c_str()), "2");
  // The 334 files under a and the one removed are closed, and the watch of a is let go.
  EXPECT_EQ(files.size(), 1000 - 334 - 1);
  EXPECT_EQ(openDescriptors(), before - 335);
  EXPECT_FALSE(files.holds(name("a", 3).c_str()));
  EXPECT_TRUE(files.holds(name("b", 4).c_str()));
  EXPECT_EQ(watch.numAdded(), dirs);
  EXPECT_EQ(watch.numDirs(), dirs - 1);

  put(files.get(name("a", 3).c_str()), "2");
  put(files.get(name("b", 1).c_str()), "2");
  EXPECT_EQ(watch.numAdded(), dirs + 1);  // the new a
  EXPECT_EQ(KOLTest::readFile(dir.file("a.old/f3")), "1");
  EXPECT_EQ(KOLTest::readFile(name("a", 3)), "2");
  EXPECT_EQ(KOLTest::readFile(name("b", 1)), "2");
  // The new a is watched for itself: a file removed in it is noticed.
  ASSERT_EQ(std::remove(name("a", 3).c_str()), 0);
  put(files.get(name("a", 3).c_str()), "3");
  EXPECT_EQ(KOLTest::readFile(name("a", 3)), "3");
  files.closeAll();
  EXPECT_EQ(watch.numDirs(), 0);
}
