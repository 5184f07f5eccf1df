#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/String.h"

using KOL::String;

namespace {

// copy and append grow to the text; printf and aprintf are cut at the size.
TEST(StringTest, GrowingCopiesAndCutFormatting)
{
  String s(4);
  s.copy("abcd");
  s.append("ef");
  s.append('g');
  EXPECT_STREQ(s.get(), "abcdefg");
  EXPECT_EQ(s.maxLength(), 8);
  s.resize(4);
  EXPECT_STREQ(s.get(), "abc");
  EXPECT_EQ(s.length(), 3);

  String f(6);
  EXPECT_EQ(f.printf("%s", "abcdefgh"), 8);
  EXPECT_STREQ(f.get(), "abcde");
  f.printf("%d", 12);
  f.aprintf("-%d", 345);
  EXPECT_STREQ(f.get(), "12-34");
  EXPECT_EQ(f.length(), 5);
}

TEST(StringTest, CopyAndAppendCounts)
{
  const struct {
    const char* src;
    int n;
    const char* expect;
  } copies[] = {{"abcdef", 3, "abc"},
                {"abcdef", -1, "abcdef"},
                {"abcdef", -2, "abcde"},
                {"abcdef", -10, ""},
                {"ab", 10, "ab"}};
  String s;
  for (const auto& c : copies) {
    s.copy(c.src, c.n);
    EXPECT_STREQ(s.get(), c.expect) << c.src << " " << c.n;
  }
  s.copy("ab");
  s.append("xyz", 2);
  s.append("xyz", -2);
  EXPECT_STREQ(s.get(), "abxyxy");
  EXPECT_EQ(s.append(nullptr), 0);
  EXPECT_EQ(s.copy(nullptr), 0);
  EXPECT_FALSE(s.valid());

  // Appending the text to itself must survive the buffer moving.
  String self("abcd");
  self.append(self);
  self.append(self.get() + 6);
  EXPECT_STREQ(self.get(), "abcdabcdcd");
  self.copy(self.get() + 2);
  EXPECT_STREQ(self.get(), "cdabcdcd");

  String a("one"), b("two");
  a = b;
  b.copy("changed");
  String moved(std::move(a));
  EXPECT_STREQ(moved.get(), "two");
}

TEST(StringTest, PositionsCutsAndEdits)
{
  String s("hello");
  const std::pair<int, char> chars[] = {{1, 'e'}, {-1, 'o'}, {-5, 'h'}, {-9, 'h'}, {9, 'o'}};
  for (const auto& [i, c] : chars) EXPECT_EQ(s.getChar(i), c) << i;
  EXPECT_STREQ(s.get(-2), "lo");
  s.trunc(-2);
  EXPECT_STREQ(s.get(), "hel");
  s.trunc(-5);
  EXPECT_EQ(s.length(), 0);

  String w(" \ta b\tc \n");
  w.trimWS();
  EXPECT_EQ(w.length(), 7);
  w.stripWS();
  EXPECT_STREQ(w.get(), "abc");
  EXPECT_EQ(w.chop(), 1);
  EXPECT_EQ(w.length(), 2);

  // Writing through get() needs reset() to update the length.
  String r(10);
  std::strcpy(r.get(), "abc");
  r.reset();
  r.append('d');
  EXPECT_STREQ(r.get(), "abcd");

  String six("600"), sixty("60");
  EXPECT_FALSE(six.equal("60", 2));
  EXPECT_TRUE(sixty.equal("60", 2));
  EXPECT_TRUE(sixty.equal("6xyz", -1));
  EXPECT_TRUE(String("Kmkc").iequal("KMKC", 4));
  EXPECT_FALSE(String("Kmkcx").iequal("KMKC", 4));
  EXPECT_FALSE(String("abc").equal(nullptr));
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
  EXPECT_EQ(s.scanp("%s", word), 0);
  s.rewind();
  EXPECT_EQ(s.scanp("%f", &a), 1);

  // Literal characters must match the text; widths count digits and '.'.
  String m("T=12345.75/x");
  EXPECT_EQ(m.scanp("T=%3f%f/%d", &a, &b), 2);
  EXPECT_FLOAT_EQ(a, 123.0f);
  EXPECT_FLOAT_EQ(b, 45.75f);
  m.rewind();
  EXPECT_EQ(m.scanp("X=%f", &a), 0);
  m.copy("-1.5,2");
  EXPECT_EQ(m.scanp("%4f,%f", &a, &b), 2);
  EXPECT_FLOAT_EQ(a, -1.5f);

  int x = 0, y = 0;
  String f("10 20");
  EXPECT_EQ(f.scanf("%d %d", &x, &y), 2);
  EXPECT_EQ(x + y, 30);
  const char* none = nullptr;
  EXPECT_EQ(f.scanf(none), 0);
}

}  // namespace
