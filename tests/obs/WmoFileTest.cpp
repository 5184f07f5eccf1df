// The feed reader: line framing and classification over files and TCP connections.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/WmoData.h"
#include "obs/WmoFeed.h"
#include "obs/WmoFile.h"
#include "obs/wmo/MappedWindow.h"

using KOL::WmoData;
using KOL::WmoFile;
using namespace wmofeed;

namespace {

struct Line {
  int type;
  int index;
  int terminator;
  std::string bytes;
  bool operator==(const Line& o) const
  {
    return type == o.type && terminator == o.terminator && bytes == o.bytes;
  }
};

std::vector<Line> readAll(WmoFile& in)
{
  std::vector<Line> out;
  WmoData line;
  while (in.read(line))
    out.push_back({line.getType(), line.getIndex(), line.getTerminator(),
                   std::string(line.getData(), line.getLength())});
  return out;
}

std::vector<Line> readText(const std::string& feed)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("feed"), feed);
  WmoFile in;
  EXPECT_EQ(in.open(dir.file("feed").c_str()), 1);
  return readAll(in);
}

long totalBytes(const std::vector<Line>& lines)
{
  long n = 0;
  for (const Line& l : lines) n += static_cast<long>(l.bytes.size());
  return n;
}

}  // namespace

// Whatever breaks the framing, a start line still starts a bulletin and no byte goes missing.
TEST(WmoFile, StartLinesAreFoundInsideBrokenFraming)
{
  struct Case {
    const char* name;
    std::string feed;
    std::vector<int> types;
    std::vector<int> terminators;
  };
  std::string head = "001" + EOL + "SAUS70 KWBC 041853" + EOL;
  const Case cases[] = {
      {"garbage without line end before SOH",
       "noise\x07\x00zz" + START + head,
       {WmoData::DATA, WmoData::START, WmoData::SEQUENCE, WmoData::HEADING},
       {0, 1, 1, 1}},
      {"ETX followed by garbage",
       START + head + ETX + "junk" + EOL + START + head,
       {1, 2, 3, WmoData::END, WmoData::DATA, 1, 2, 3},
       {1, 1, 1, 2, 1, 1, 1, 1}},
      {"text ended by ETX without line end",
       START + head + "=" + ETX + START + head,
       {1, 2, 3, WmoData::AWIPS, 1, 2, 3},
       {1, 1, 1, 2, 1, 1, 1}},
      {"bulletin without ETX",
       START + head + "X" + EOL + START + head,
       {1, 2, 3, 4, 1, 2, 3},
       {1, 1, 1, 1, 1, 1, 1}},
      {"lone LF and CR inside a line", START + "0\n0\r1" + EOL, {1, 2}, {1, 1}},
      {"truncated last line", START + head + "SA", {1, 2, 3, 4}, {1, 1, 1, 0}},
      {"last line ending in ETX", START + head + "X=" + ETX, {1, 2, 3, 4}, {1, 1, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Line> got = readText(c.feed);
    std::vector<int> types, terminators;
    for (const Line& l : got) {
      types.push_back(l.type);
      terminators.push_back(l.terminator);
    }
    EXPECT_EQ(types, c.types);
    EXPECT_EQ(terminators, c.terminators);
    EXPECT_EQ(totalBytes(got), static_cast<long>(c.feed.size()));
  }
}

TEST(WmoFile, LongLinesAreCutAndALineEndAcrossTheCutIsSeen)
{
  const int size = WmoData::DATA_SIZE;
  std::string head = START + "001" + EOL + "SAUS70 KWBC 041853" + EOL;
  // 25,000 bytes of one line: cut twice, the rest ends at its line end.
  std::string feed = head + std::string(25000, 'A') + EOL + "next" + EOL;
  std::vector<Line> got = readText(feed);
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[3].bytes.size(), static_cast<size_t>(size));
  EXPECT_EQ(got[3].terminator, WmoData::NONE);
  EXPECT_EQ(got[4].bytes.size(), static_cast<size_t>(size));
  EXPECT_EQ(got[5].bytes, std::string(5000, 'A') + EOL);
  EXPECT_EQ(got[6].bytes, "next" + EOL);

  // The line end straddles the cut: CR CR in the cut line, LF alone in the next.
  for (int split = 1; split <= 2; split++) {
    SCOPED_TRACE(split);
    std::string body = std::string(size - split, 'B') + EOL + "after" + EOL;
    got = readText(head + body);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[3].terminator, WmoData::NONE);
    EXPECT_EQ(got[4].bytes, EOL.substr(split));
    EXPECT_EQ(got[4].terminator, WmoData::NEWLINE);
    EXPECT_EQ(got[5].bytes, "after" + EOL);
  }
}

TEST(WmoFile, RealFeedKeepsEveryByteAndFindsEveryBulletin)
{
  KOL_REQUIRE_DATA();
  std::string path = KOLTest::dataFile("metar/metpy_2020010600_sao.wmo");
  std::string feed = KOLTest::readFile(path);
  WmoFile in;
  ASSERT_EQ(in.open(path.c_str()), 1);
  std::vector<Line> got = readAll(in);
  EXPECT_EQ(totalBytes(got), static_cast<long>(feed.size()));
  int starts = 0, ends = 0, headings = 0;
  for (const Line& l : got) {
    starts += l.type == WmoData::START;
    ends += l.terminator == WmoData::ETX;
    headings += l.type == WmoData::HEADING;
  }
  const int bulletins = count(feed, START);
  EXPECT_EQ(bulletins, 2723);
  EXPECT_EQ(starts, bulletins);
  EXPECT_EQ(headings, bulletins);
  EXPECT_EQ(ends, 1);  // all but the last ETX come with the next start line
  EXPECT_EQ(in.getBulletinCount(), bulletins);
  EXPECT_EQ(in.getTotalBytes(), static_cast<long>(feed.size()));

  // A NUL stays inside its line; the LF after the closing ETX is a line outside the bulletin.
  std::string nul = KOLTest::readFile(KOLTest::dataFile("bulletins/pyiem_METAR_nullbyte.txt"));
  got = readText(nul);
  EXPECT_EQ(totalBytes(got), static_cast<long>(nul.size()));
  ASSERT_GE(got.size(), 5u);
  EXPECT_NE(got[4].bytes.find('\0'), std::string::npos);
  EXPECT_EQ(got.back().bytes, "\n");
  EXPECT_EQ(got.back().index, -1);
}

// A mapped file, a file held open for writing (read, not mapped) and a pipe give the same lines,
// with line ends and start lines split by the ends of buffers and windows.
TEST(WmoFile, SameLinesMappedReadAndPiped)
{
  KOL_REQUIRE_DATA();
  const long window = KOL::wmo::MappedWindow::WINDOW;
  for (long block : {static_cast<long>(WmoFile::CHUNK_SIZE), window}) {
    SCOPED_TRACE(block);
    std::string feed = mixedFeed(block == window ? 2 * window + 4321 : 3 * block + 12345, block);
    KOLTest::TempDir dir;
    KOLTest::writeFile(dir.file("feed"), feed);
    WmoFile mapped;
    ASSERT_EQ(mapped.open(dir.file("feed").c_str()), 1);
    EXPECT_TRUE(mapped.isMapped());
    std::vector<Line> want = readAll(mapped);
    EXPECT_EQ(totalBytes(want), static_cast<long>(feed.size()));
    int starts = 0;
    for (const Line& l : want) starts += l.type == WmoData::START;
    EXPECT_EQ(starts, count(feed, START));
    // The line whose CR CR LF the first boundary splits ends right after it.
    long at = 0;
    bool found = false;
    for (const Line& l : want) {
      at += static_cast<long>(l.bytes.size());
      found = found || (at == block + 1 && l.terminator == WmoData::NEWLINE);
    }
    EXPECT_TRUE(found);

    int writer = open(dir.file("feed").c_str(), O_WRONLY);
    WmoFile read;
    ASSERT_EQ(read.open(dir.file("feed").c_str()), 1);
    EXPECT_FALSE(read.isMapped());
    std::vector<Line> from_read = readAll(read);
    close(writer);
    PipeFeed pipe(dir.file("pipe"), feed);
    WmoFile piped;
    ASSERT_EQ(piped.open(dir.file("pipe").c_str()), 1);
    std::vector<Line> from_pipe = readAll(piped);
    EXPECT_TRUE(from_read == want);
    EXPECT_TRUE(from_pipe == want);
  }
}
