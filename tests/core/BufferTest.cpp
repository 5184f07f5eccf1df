#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Buffer.h"

using KOL::Buffer;

namespace {

Buffer filled(const char* text)
{
  Buffer b;
  b.add(text, static_cast<int>(std::strlen(text)));
  return b;
}

std::string unread(const Buffer& b)
{
  return std::string(reinterpret_cast<const char*>(b.getCurrent()), b.getLeft());
}

TEST(Buffer, GrowsWithRoomToSpareAndKeepsContent)
{
  Buffer b(4);
  EXPECT_EQ(b.add("abcdef", 6), 6);
  EXPECT_EQ(b.getSize(), 6 + 2000);
  b.resize(3);  // the used bytes are cut to fit
  EXPECT_EQ(b.getUsed(), 3);
  EXPECT_EQ(unread(b), "abc");

  Buffer copy(b), assigned;
  assigned = b;
  b.add("X", 1);
  EXPECT_EQ(unread(copy), "abc");
  EXPECT_EQ(unread(assigned), "abc");
}

TEST(Buffer, ReadsBytesAndLinesFromTheIndex)
{
  Buffer b = filled("first line\nsecond\nlast");
  char out[32];
  EXPECT_EQ(b.readLine(out, 32), 11);
  EXPECT_EQ(std::string(out, 11), "first line\n");
  EXPECT_EQ(b.readLine(out, 3), 3);  // a line longer than n is served in pieces
  EXPECT_EQ(std::string(out, 3), "sec");
  EXPECT_EQ(b.skipLine(), 4);
  EXPECT_EQ(b.get(3), 't');
  EXPECT_EQ(b.get(4), 0);    // past the used bytes
  EXPECT_EQ(b.get(-30), 0);  // before the data
  EXPECT_EQ(b.read(out, 10), 4);
  EXPECT_EQ(b.readLine(out, 10), 0);
}

TEST(Buffer, IndexAndTruncStayInsideTheUsedBytes)
{
  Buffer b = filled("0123456789");
  EXPECT_EQ(b.seek(10), 1);
  EXPECT_EQ(b.seek(11), 0);
  b.seek(4);
  EXPECT_EQ(b.inc(7), 0);
  EXPECT_EQ(b.inc(-5), 0);
  EXPECT_EQ(b.inc(2), 1);
  b.clearUsed();
  EXPECT_EQ(unread(b), "6789");

  Buffer t = filled("0123456789");
  EXPECT_EQ(t.trunc(-2), 1);
  EXPECT_EQ(t.getUsed(), 8);
  t.seek(8);
  EXPECT_EQ(t.trunc(5), 1);
  EXPECT_EQ(t.getIndex(), 4);
  EXPECT_EQ(t.trunc(6), 0);  // never grows
  EXPECT_EQ(t.trunc(-6), 0);
}

TEST(Buffer, InsertEqualAndMoveBetweenBuffers)
{
  Buffer b = filled("HEADtail");
  EXPECT_EQ(b.insert(4, "-mid-", 5), 5);
  EXPECT_EQ(unread(b), "HEAD-mid-tail");
  EXPECT_EQ(b.insert(99, "x", 1), 0);
  Buffer other = filled("<>");
  b.insert(0, other);
  b.insert(0, b);  // inserting a buffer into itself
  EXPECT_EQ(unread(b), "<>HEAD-mid-tail<>HEAD-mid-tail");

  EXPECT_TRUE(b.equal(-4, "tail"));
  EXPECT_FALSE(b.equal(-3, "tail"));  // would run past the end
  EXPECT_FALSE(b.equal(-99, "<"));

  Buffer out;
  b.seek(2);
  EXPECT_EQ(b.read(out, 4), 4);
  EXPECT_EQ(unread(out), "HEAD");
  EXPECT_EQ(b.read(out), 24);
  EXPECT_EQ(b.getLeft(), 0);
  EXPECT_EQ(out.getUsed(), 28);
}

}  // namespace
