#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/TestData.h"
#include "core/FileTool.h"
#include "core/String.h"

using KOL::FileTool;
using KOL::String;

namespace {

std::string element(const char* list, int i)
{
  char out[200];
  int ok = FileTool::getPath(list, i, out, sizeof out);
  return ok ? out : "<none>";
}

TEST(FileTool, PathListsKeepUrlsWhole)
{
  struct Case {
    const char* list;
    int count;
    const char* first;
    const char* last;
  } cases[] = {{"/data/a:/data/b:rel", 3, "/data/a", "rel"},
               {"http://server/grids:/local", 2, "http://server/grids", "/local"},
               {"/local:http://server/x/y", 2, "/local", "http://server/x/y"},
               {"a::b", 3, "a", "b"},
               {"", 0, "<none>", "<none>"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FileTool::numPath(c.list), c.count) << c.list;
    EXPECT_EQ(element(c.list, 0), c.first) << c.list;
    EXPECT_EQ(element(c.list, c.count - 1), c.last) << c.list;
    EXPECT_EQ(element(c.list, c.count), "<none>") << c.list;
  }
  char small[5];
  FileTool::getPath("/a/long/element", 0, small, sizeof small);
  EXPECT_STREQ(small, "/a/l");
  String s(5);
  EXPECT_EQ(FileTool::getPath("x:/a/long/element", 1, s), 1);
  EXPECT_TRUE(s.equal("/a/long/element"));
  EXPECT_EQ(FileTool::getPath("x", 1, s), 0);
  EXPECT_EQ(s.length(), 0);
}

TEST(FileTool, NameClassesAndDelimiters)
{
  for (const char* full : {"http://x/y", "./a", "../a", "/abs", "~/x", "~user"})
    EXPECT_TRUE(FileTool::isFullPath(full)) << full;
  for (const char* rel : {"a/b", "https://x", "", "http:/x"})
    EXPECT_FALSE(FileTool::isFullPath(rel)) << rel;
  for (const char* s : {"-", "STD", "StdN"}) EXPECT_TRUE(FileTool::isStdio(s)) << s;
  for (const char* s : {"--", "stdin", ""}) EXPECT_FALSE(FileTool::isStdio(s)) << s;

  char path[8] = "dir";
  EXPECT_EQ(FileTool::addPathDelim(path, sizeof path), 1);
  EXPECT_STREQ(path, "dir/");
  EXPECT_EQ(FileTool::addPathDelim(path, sizeof path), 1);
  EXPECT_STREQ(path, "dir/");
  char full[4] = "abc";
  EXPECT_EQ(FileTool::addPathDelim(full, sizeof full), 0);  // no room
  EXPECT_STREQ(full, "abc");
  String grow("abc"), empty("");
  FileTool::addPathDelim(grow);
  FileTool::addPathDelim(empty);
  EXPECT_TRUE(grow.equal("abc/"));
  EXPECT_TRUE(empty.equal(""));
}

TEST(FileTool, UserHomeExpansion)
{
  std::string home = getpwuid(getuid())->pw_dir;
  std::string rootHome = getpwnam("root")->pw_dir;
  struct Case {
    const char* in;
    std::string out;
  } cases[] = {{"~", home},
               {"~/data/x.grb", home + "/data/x.grb"},
               {"~root/etc", rootHome + "/etc"},
               {"~no_such_user_kol/x", "~no_such_user_kol/x"},
               {"/tmp/~x", "/tmp/~x"}};
  for (const Case& c : cases) {
    char out[300];
    EXPECT_EQ(FileTool::addUserPath(c.in, out, sizeof out), 1);
    EXPECT_EQ(std::string(out), c.out) << c.in;
    String s(2);
    EXPECT_EQ(FileTool::addUserPath(c.in, s), 1);
    EXPECT_EQ(std::string(s.get()), c.out) << c.in;
  }
}

TEST(FileTool, SearchListsForInputAndOutput)
{
  KOLTest::TempDir dir;
  std::string d1 = dir.file("d1"), d2 = dir.file("d2"), none = dir.file("none");
  mkdir(d1.c_str(), 0755);
  mkdir(d2.c_str(), 0755);
  KOLTest::writeFile(d2 + "/name.cnv", "x");
  std::string list = none + ":" + d1 + ":" + d2 + "/";
  char out[400];

  EXPECT_TRUE(FileTool::addPath(list.c_str(), "name.cnv", out, sizeof out));
  EXPECT_EQ(std::string(out), d2 + "/name.cnv");
  EXPECT_FALSE(FileTool::addPath(list.c_str(), "other", out, sizeof out));
  EXPECT_EQ(std::string(out), d2 + "/other");  // the last one tried
  EXPECT_FALSE(FileTool::checkPath(list.c_str(), "other"));
  std::string full = d2 + "/name.cnv";
  EXPECT_TRUE(FileTool::addPath("/nowhere", full.c_str(), out, sizeof out));
  EXPECT_EQ(std::string(out), full);
  EXPECT_FALSE(FileTool::addPath("", "name.cnv", out, sizeof out));
  EXPECT_STREQ(out, "name.cnv");

  EXPECT_FALSE(FileTool::addOutPath(list.c_str(), "new.out", out, sizeof out));
  EXPECT_EQ(std::string(out), d1 + "/new.out");  // first existing directory
  EXPECT_FALSE(FileTool::addOutPath((none + ":" + none + "2").c_str(), "n", out, sizeof out));
  EXPECT_EQ(std::string(out), none + "2/n");
  EXPECT_TRUE(FileTool::addOutPath((d2 + ":" + d1).c_str(), "name.cnv", out, sizeof out));
}

TEST(FileTool, TypesSizesTimesAndRemoval)
{
  KOLTest::TempDir dir;
  std::string file = dir.file("f.txt"), fifo = dir.file("pipe");
  KOLTest::writeFile(file, "12345");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string name;
    bool dir, file, fifo, device, exists;
  } cases[] = {{dir.path(), true, false, false, false, true},
               {file, false, true, false, false, true},
               {fifo, false, false, true, false, true},
               {"/dev/null", false, false, false, true, true},
               {dir.file("missing"), false, false, false, false, false},
               {"", false, false, false, false, false}};
  for (const Case& c : cases) {
    const char* n = c.name.c_str();
    EXPECT_EQ(FileTool::isDir(n), c.dir) << n;
    EXPECT_EQ(FileTool::isFile(n), c.file) << n;
    EXPECT_EQ(FileTool::isFifo(n), c.fifo) << n;
    EXPECT_EQ(FileTool::isDevice(n), c.device) << n;
    EXPECT_EQ(FileTool::exist(n), c.exists) << n;
  }
  EXPECT_EQ(FileTool::getSize(file.c_str()), 5);
  EXPECT_EQ(FileTool::getSize(dir.file("missing").c_str()), -1);
  struct stat st;
  stat(file.c_str(), &st);
  EXPECT_EQ(FileTool::getModTime(file.c_str()), st.st_mtime);
  EXPECT_EQ(FileTool::remove(file.c_str()), 1);
  EXPECT_FALSE(FileTool::exist(file.c_str()));
  EXPECT_EQ(FileTool::remove(file.c_str()), 0);
}

TEST(FileTool, MakeDirCreatesParentsOnly)
{
  KOLTest::TempDir dir;
  std::string base = dir.path();
  EXPECT_EQ(FileTool::makeDir((base + "/a/b/c.dat").c_str(), 0700), 1);
  EXPECT_TRUE(FileTool::isDir((base + "/a/b").c_str()));
  EXPECT_FALSE(FileTool::exist((base + "/a/b/c.dat").c_str()));
  struct stat st;
  stat((base + "/a").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0755u);  // the mode argument is not used

  EXPECT_EQ(FileTool::makeDir((base + "\\w1\\w2\\file").c_str(), 0), 1);
  EXPECT_TRUE(FileTool::isDir((base + "/w1/w2").c_str()));

  // Paths are whole up to the system's limit; a longer one is refused and makes nothing.
  std::string deep = base;
  while (deep.size() < 190) deep += "/d";
  std::string whole = deep + "/eeeeeeeeee/ffff/x";
  EXPECT_EQ(FileTool::makeDir(whole.c_str(), 0), 1);
  EXPECT_TRUE(FileTool::isDir((deep + "/eeeeeeeeee/ffff").c_str()));
  const std::string beyond = base + "/g/" + std::string(FileTool::MAX_PATH, 'h');
  testing::internal::CaptureStderr();
  EXPECT_EQ(FileTool::makeDir(beyond.c_str(), 0), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("FileTool: path longer than"), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
  EXPECT_FALSE(FileTool::exist((base + "/g").c_str()));
}

// Where the filesystem keeps directory flags (ext4), a new tree's top asks for its
// subdirectories to be spread; nothing below it, nothing that existed before, and no new
// branch of a tree that asks so already.
TEST(FileTool, MakeDirMarksOnlyTheTopOfANewTree)
{
  KOLTest::TempDir dir;
  std::string base = dir.path();
  auto spread = [](const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool known = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return known ? (flags & FS_TOPDIR_FL) != 0 : -1;
  };
  ASSERT_EQ(FileTool::makeDir((base + "/out/SA/KABC/f.wmo").c_str(), 0), 1);
  if (spread(base + "/out") == -1) GTEST_SKIP() << "no directory flags on this filesystem";
  EXPECT_EQ(spread(base), 0);
  EXPECT_EQ(spread(base + "/out"), 1);
  EXPECT_EQ(spread(base + "/out/SA"), 0);
  EXPECT_EQ(spread(base + "/out/SA/KABC"), 0);
  ASSERT_EQ(FileTool::makeDir((base + "/out/SP/KABC/f.wmo").c_str(), 0), 1);
  ASSERT_EQ(FileTool::makeDir((base + "/out/SA/KDEF/f.wmo").c_str(), 0), 1);
  for (const char* d : {"/out/SP", "/out/SP/KABC", "/out/SA/KDEF"})
    EXPECT_EQ(spread(base + d), 0) << d;
}

}  // namespace
