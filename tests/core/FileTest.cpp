#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Buffer.h"
#include "core/File.h"
#include "core/FileTool.h"
#include "core/String.h"

using namespace KOL;

namespace {

// Lines of every length, one longer than the stream's buffer, read back in pieces of several
// sizes, and NUL bytes cutting the count as with fgets.
TEST(File, LinesAcrossTheStreamBufferReassemble)
{
  KOLTest::TempDir dir;
  std::string text;
  for (int i = 0; text.size() < 400000; i++) text += std::string(i % 173, 'a' + i % 26) + "\n";
  text += std::string(300000, 'L') + "\nend";
  KOLTest::writeFile(dir.file("big.txt"), text);
  for (int size : {2, 7, 64, 1000, 400000}) {
    File f(dir.file("big.txt").c_str(), "r");
    std::vector<char> buf(size);
    std::string got;
    int n;
    while ((n = f.getLine(buf.data(), size)) > 0) {
      ASSERT_EQ(n, static_cast<int>(std::strlen(buf.data())));
      ASSERT_LE(n, size - 1);
      got.append(buf.data(), n);
    }
    EXPECT_TRUE(got == text) << size;
    EXPECT_TRUE(f.endFile());
  }

  KOLTest::writeFile(dir.file("nul.txt"), std::string("ab\0cd\nnext\n\0\n", 13));
  File f(dir.file("nul.txt").c_str(), "r");
  char buf[20];
  EXPECT_EQ(f.getLine(buf, 20), 2);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(f.getLine(buf, 20), 5);
  EXPECT_STREQ(buf, "next\n");
  EXPECT_EQ(f.getLine(buf, 20), 0);  // a NUL at the start reads as an empty text
  EXPECT_TRUE(f.skipLine() == 0 && f.endFile());
}

TEST(File, GetLineIntoAStringIsLimitedByItsSize)
{
  KOLTest::TempDir dir;
  String path(dir.file("s.txt").c_str());
  KOLTest::writeFile(path.get(), "abcdefghijklmnopqrst\nnext\n");
  File f(path, "r");
  String line(10);
  EXPECT_EQ(f.getLine(line), 9);
  EXPECT_TRUE(line.equal("abcdefghi"));
  EXPECT_EQ(f.getLine(line), 9);
  EXPECT_EQ(f.getLine(line), 3);
  EXPECT_TRUE(line.equal("st\n"));
  String wide;
  EXPECT_EQ(f.getLine(wide), 5);
  EXPECT_EQ(f.getLine(wide), 0);
  EXPECT_EQ(wide.length(), 0);
  // The length is set from the count, never beyond the buffer.
  wide.reset(500);
  EXPECT_EQ(wide.length(), wide.maxLength() - 1);
}

TEST(File, SkipLineAndBinaryAndFormattedAccess)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("mixed.dat");
  {
    File out(path.c_str(), 1);
    ASSERT_TRUE(out.isOpen());
    EXPECT_GT(out.printf("header %d\n", 42), 0);
    EXPECT_EQ(out.write("BIN1", 4), 4);
    EXPECT_EQ(out.write("\0\1\2\3\4\5", 2, 3), 3);
    EXPECT_EQ(out.printf("\n12.5 word\n"), 11);
    EXPECT_EQ(out.read(nullptr, 1), 0);
  }
  File f(path.c_str(), 0);
  EXPECT_EQ(f.skipLine(), 1);
  EXPECT_EQ(f.tell(), 10);
  char bytes[10];
  EXPECT_EQ(f.read(bytes, 2, 5), 5);
  EXPECT_EQ(std::string(bytes, 10), std::string("BIN1\0\1\2\3\4\5", 10));
  f.skipLine();
  float v = 0;
  char word[20];
  EXPECT_EQ(f.scanf("%f %19s", &v, word), 2);
  EXPECT_STREQ(word, "word");
  EXPECT_EQ(f.skipLine(), 1);  // the rest of the last line
  EXPECT_EQ(f.skipLine(), 0);
  EXPECT_EQ(f.seek(-5, SEEK_END), 1);
  EXPECT_EQ(f.getLine(bytes, 10), 5);
  EXPECT_EQ(f.printf("x"), -1);  // read only: the stream refuses
}

TEST(File, ReadAppendsToABufferUntilTheEnd)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("data.bin");
  std::string content(5000, 'x');
  for (size_t i = 0; i < content.size(); i++) content[i] = static_cast<char>(i * 31);
  KOLTest::writeFile(path, content);

  File f(path.c_str(), "rb");
  Buffer b(1000);
  b.add("HDR", 3);
  EXPECT_EQ(f.read(b), 1000);  // fills the free space
  EXPECT_EQ(f.read(b, 3000), 4000);
  EXPECT_EQ(f.read(b, 3000), 5003);
  EXPECT_EQ(f.read(b, 3000), -1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b.getData()) + 3, 5000), content);
}

TEST(File, WritingCreatesMissingDirectories)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("out/a/b.dat");
  File f(path.c_str(), "w");
  ASSERT_TRUE(f.isOpen());
  f.printf("one\n");
  f.close();
  EXPECT_TRUE(f.open(dir.file("out/c/d.log").c_str(), "a"));
  f.printf("two\n");
  f.close();
  EXPECT_TRUE(f.open(path.c_str(), 2));
  f.printf("three\n");
  f.close();
  EXPECT_EQ(KOLTest::readFile(path), "one\nthree\n");
  EXPECT_EQ(KOLTest::readFile(dir.file("out/c/d.log")), "two\n");
}

TEST(File, MissingAndUnreadableFilesLeaveAClosedHandle)
{
  KOLTest::TempDir dir;
  File f;
  char buf[20];
  EXPECT_EQ(f.open(dir.file("absent.txt").c_str(), "r"), 0);
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(f.getLine(buf, 20), 0);
  EXPECT_EQ(f.read(buf, 5), -1);
  Buffer b(10);
  EXPECT_EQ(f.read(b, 5), -1);
  EXPECT_EQ(f.write("x", 1), -1);
  EXPECT_EQ(f.scanf("%s", buf), -1);
  EXPECT_EQ(f.tell(), -1);
  EXPECT_EQ(f.open("x", 3), 0);

  // A directory opens but reads nothing.
  EXPECT_EQ(f.open(dir.path().c_str(), "r"), 1);
  EXPECT_EQ(f.getLine(buf, 20), 0);
  EXPECT_EQ(f.read(buf, 5), 0);
  f.close();

  // A parent that is a plain file cannot become a directory.
  KOLTest::writeFile(dir.file("plain"), "x");
  testing::internal::CaptureStderr();
  EXPECT_EQ(f.open(dir.file("plain/sub/x.dat").c_str(), "w"), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("FileTool: cannot create directory ", 0), 0u) << err;
}

TEST(File, StandardStreamsStayOpen)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("in.txt"), std::string("from stdin\nx\0y\nsecond\n", 22));
  std::fflush(stdin);
  int saved = dup(0);
  int fd = ::open(dir.file("in.txt").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  dup2(fd, 0);
  ::close(fd);
  std::clearerr(stdin);

  File in("-", "r");
  char buf[40];
  EXPECT_EQ(in.getLine(buf, 40), 11);
  EXPECT_EQ(in.getLine(buf, 40), 1);
  in.close();
  EXPECT_FALSE(in.isOpen());
  ASSERT_NE(std::fgets(buf, 40, stdin), nullptr);  // stdin itself is still usable
  EXPECT_STREQ(buf, "second\n");

  dup2(saved, 0);
  ::close(saved);
  std::clearerr(stdin);

  File out("StdN", "w");
  EXPECT_EQ(out.getFP(), stdout);
  out.close();
  EXPECT_NE(fcntl(1, F_GETFD), -1);
}

TEST(File, PipesAreForWriting)
{
  KOLTest::TempDir dir;
  std::string target = dir.file("piped.txt");
  std::string command = "tr a-z A-Z > '" + target + "'";

  File bar(("|" + command).c_str(), "w");
  ASSERT_TRUE(bar.isOpen());
  EXPECT_EQ(bar.getType(), File::PIPE);
  EXPECT_GT(bar.printf("metar %d\n", 1), 0);
  EXPECT_EQ(bar.write("speci\n", 6), 6);
  char buf[10];
  EXPECT_EQ(bar.read(buf, 5), -1);
  EXPECT_EQ(bar.close(), 1);
  EXPECT_EQ(KOLTest::readFile(target), "METAR 1\nSPECI\n");

  File p(("cat >> '" + target + "'").c_str(), "pw");
  ASSERT_TRUE(p.isOpen());
  p.printf("tail\n");
  EXPECT_EQ(p.close(), 1);
  EXPECT_EQ(KOLTest::readFile(target), "METAR 1\nSPECI\ntail\n");

  File failing("exit 3", "pw");
  ASSERT_TRUE(failing.isOpen());
  EXPECT_EQ(failing.close(), 0);  // the command's failure shows at close
}

}  // namespace
