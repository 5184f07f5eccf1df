#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/String.h"

using KOL::String;

namespace {

TEST(StringTest, AllocationSizes)
{
  EXPECT_EQ(String().maxLength(), 80);
  EXPECT_EQ(String(5).maxLength(), 5);
  EXPECT_EQ(String("abc").maxLength(), 4);
  EXPECT_EQ(String(static_cast<const char*>(nullptr)).maxLength(), 1);

  String big(100);
  big.copy("xy");
  String copied(big);
  EXPECT_EQ(copied.maxLength(), 3);
  EXPECT_STREQ(copied.get(), "xy");

  // copy and append grow to exactly the needed size, only when the text would reach the size.
  String s(4);
  s.copy("abc");
  EXPECT_EQ(s.maxLength(), 4);
  s.copy("abcd");
  EXPECT_EQ(s.maxLength(), 5);
  s.append("ef");
  EXPECT_EQ(s.maxLength(), 7);
  EXPECT_STREQ(s.get(), "abcdef");
  s.append('g');
  EXPECT_EQ(s.maxLength(), 8);
  s.copy("x");
  EXPECT_EQ(s.maxLength(), 8);

  s.resize();
  EXPECT_EQ(s.maxLength(), 16);
  EXPECT_STREQ(s.get(), "x");
  s.copy("abcdefgh");
  s.resize(4);
  EXPECT_EQ(s.maxLength(), 4);
  EXPECT_STREQ(s.get(), "abc");
  EXPECT_EQ(s.length(), 3);

  s.init(20);
  EXPECT_EQ(s.maxLength(), 20);
  EXPECT_EQ(s.length(), 0);
}

TEST(StringTest, FormattingIsCutAtTheSize)
{
  String s(6);
  EXPECT_EQ(s.printf("%s", "abcdefgh"), 8);
  EXPECT_STREQ(s.get(), "abcde");
  EXPECT_EQ(s.length(), 5);
  EXPECT_EQ(s.maxLength(), 6);

  s.printf("%d", 12);
  s.aprintf("-%d", 345);
  EXPECT_STREQ(s.get(), "12-34");
  EXPECT_EQ(s.length(), 5);
  s.aprintf("more");
  EXPECT_STREQ(s.get(), "12-34");
}

TEST(StringTest, CopyAndAppendCounts)
{
  String s;
  EXPECT_EQ(s.copy("abcdef", 3), 1);
  EXPECT_STREQ(s.get(), "abc");
  s.copy("abcdef", -1);
  EXPECT_STREQ(s.get(), "abcdef");
  s.copy("abcdef", -2);
  EXPECT_STREQ(s.get(), "abcde");
  s.copy("abcdef", -10);
  EXPECT_STREQ(s.get(), "");
  s.copy("ab", 10);
  EXPECT_STREQ(s.get(), "ab");

  s.append("xyz", 2);
  EXPECT_STREQ(s.get(), "abxy");
  s.append("xyz", -2);
  EXPECT_STREQ(s.get(), "abxyxy");
  EXPECT_EQ(s.append(nullptr), 0);
  EXPECT_STREQ(s.get(), "abxyxy");

  EXPECT_EQ(s.copy(nullptr), 0);
  EXPECT_EQ(s.length(), 0);
  EXPECT_FALSE(s.valid());

  // Appending the text to itself must survive the buffer moving.
  String self("abcd");
  self.append(self);
  EXPECT_STREQ(self.get(), "abcdabcd");
  self.append(self.get() + 6);
  EXPECT_STREQ(self.get(), "abcdabcdcd");
  self.copy(self.get() + 2);
  EXPECT_STREQ(self.get(), "cdabcdcd");

  String a("one"), b("two");
  a = b;
  b.copy("changed");
  EXPECT_STREQ(a.get(), "two");
  String moved(std::move(a));
  EXPECT_STREQ(moved.get(), "two");
  a.copy("reused");
  EXPECT_STREQ(a.get(), "reused");
}

TEST(StringTest, PositionsAndCuts)
{
  String s("hello");
  EXPECT_EQ(s.getChar(1), 'e');
  EXPECT_EQ(s.getChar(-1), 'o');
  EXPECT_EQ(s.getChar(-5), 'h');
  EXPECT_EQ(s.getChar(-9), 'h');
  EXPECT_EQ(s.getChar(9), 'o');
  EXPECT_STREQ(s.get(2), "llo");
  EXPECT_STREQ(s.get(-2), "lo");
  EXPECT_EQ(String("").getChar(3), 0);

  s.trunc(10);
  EXPECT_STREQ(s.get(), "hello");
  s.trunc(-2);
  EXPECT_STREQ(s.get(), "hel");
  s.trunc(1);
  EXPECT_STREQ(s.get(), "h");
  s.trunc(-5);
  EXPECT_STREQ(s.get(), "");
  EXPECT_EQ(s.length(), 0);

  // Edits in place keep the length right.
  String w(" \ta b\tc \n");
  w.trimWS();
  EXPECT_EQ(w.length(), 7);
  w.stripWS();
  EXPECT_STREQ(w.get(), "abc");
  EXPECT_EQ(w.length(), 3);
  EXPECT_EQ(w.chop(), 1);
  EXPECT_EQ(w.length(), 2);
  w.trunc(0);
  EXPECT_EQ(w.chop(), 0);

  // Writing through get() needs reset() to update the length.
  String r(10);
  std::strcpy(r.get(), "abc");
  r.reset();
  EXPECT_EQ(r.length(), 3);
  r.append('d');
  EXPECT_STREQ(r.get(), "abcd");
}

TEST(StringTest, Comparisons)
{
  String six("600"), sixty("60");
  EXPECT_FALSE(six.equal("60", 2));
  EXPECT_TRUE(sixty.equal("60", 2));
  EXPECT_TRUE(sixty.equal("6", 0));
  EXPECT_TRUE(sixty.equal("6xyz", -1));
  EXPECT_TRUE(String("6").equal("6", 4));
  EXPECT_TRUE(String("Kmkc").iequal("KMKC", 4));
  EXPECT_FALSE(String("Kmkcx").iequal("KMKC", 4));
  EXPECT_TRUE(String("abc").iequal("ABC"));
  EXPECT_FALSE(String("abc").equal("ABC"));
  EXPECT_FALSE(String("abc").equal(nullptr));

  EXPECT_TRUE(String("a-b").isAlphaNum());
  EXPECT_FALSE(String("--").isAlphaNum());
}

TEST(StringTest, CursorScan)
{
  String s("  12.5 abc -3 TAIL");
  float a = 0, b = 0;
  char word[16] = "";
  EXPECT_EQ(s.scanp("%f%s", &a, word), 2);
  EXPECT_FLOAT_EQ(a, 12.5f);
  EXPECT_STREQ(word, "abc");
  EXPECT_EQ(s.scanp("%f", &b), 1);
  EXPECT_FLOAT_EQ(b, -3.0f);
  EXPECT_EQ(s.scanp(" %2s", word), 1);
  EXPECT_STREQ(word, "TA");
  EXPECT_EQ(s.scanp("%s", word), 1);
  EXPECT_STREQ(word, "IL");
  // Only the end of the text is left.
  EXPECT_EQ(s.scanp("%s", word), 0);

  s.rewind();
  EXPECT_EQ(s.scanp("%f", &a), 1);
  EXPECT_FLOAT_EQ(a, 12.5f);

  // Literal characters and other conversions must match the text; widths count digits and '.'.
  String m("T=12345.75/x");
  EXPECT_EQ(m.scanp("T=%3f%f/%d", &a, &b), 2);
  EXPECT_FLOAT_EQ(a, 123.0f);
  EXPECT_FLOAT_EQ(b, 45.75f);
  m.rewind();
  EXPECT_EQ(m.scanp("X=%f", &a), 0);
  m.copy("-1.5,2");
  EXPECT_EQ(m.scanp("%4f,%f", &a, &b), 2);
  EXPECT_FLOAT_EQ(a, -1.5f);
  EXPECT_FLOAT_EQ(b, 2.0f);
  m.copy("abc");
  EXPECT_EQ(m.scanp("%f", &a), 0);

  int x = 0, y = 0;
  String f("10 20");
  EXPECT_EQ(f.scanf("%d %d", &x, &y), 2);
  EXPECT_EQ(x + y, 30);
}

}  // namespace
