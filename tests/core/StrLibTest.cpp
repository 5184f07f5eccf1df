#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/StrLib.h"

using KOL::Const;
using KOL::StrLib;

namespace {

// A small destination buffer followed by guard bytes that must never be written.
struct Guarded {
  static constexpr int GUARD = 8;
  char bytes[64];
  int size;
  explicit Guarded(int n, const char* init = "") : size(n)
  {
    std::memset(bytes, '#', sizeof bytes);
    std::strcpy(bytes, init);
  }
  char* get() { return bytes; }
  bool guardIntact() const
  {
    for (int i = size; i < size + GUARD; i++)
      if (bytes[i] != '#') return false;
    return true;
  }
};

TEST(StrLibTest, BoundedCopiesAppendsAndFormatsNeverPassTheSize)
{
  Guarded b(4);
  EXPECT_EQ(StrLib::copy(b.get(), b.size, "abcdef"), 1);
  EXPECT_STREQ(b.get(), "abc");
  EXPECT_TRUE(b.guardIntact());

  Guarded c(8);
  EXPECT_EQ(StrLib::copy(c.get(), c.size, "abcdef", -2), 1);
  EXPECT_STREQ(c.get(), "abcde");
  EXPECT_EQ(StrLib::copy(c.get(), c.size, "abcdefghijk", 20), 1);
  EXPECT_STREQ(c.get(), "abcdefg");
  EXPECT_TRUE(c.guardIntact());

  // A null source empties the destination and fails.
  EXPECT_EQ(StrLib::copy(c.get(), c.size, nullptr), 0);
  EXPECT_STREQ(c.get(), "");

  Guarded d(2, "z");
  EXPECT_EQ(StrLib::copy(d.get(), 1, 'q'), 0);
  EXPECT_EQ(StrLib::copy(d.get(), 2, 'q'), 1);
  EXPECT_TRUE(d.guardIntact());

  Guarded a(8, "abc");
  EXPECT_EQ(StrLib::append(a.get(), a.size, "defghij"), 1);
  EXPECT_STREQ(a.get(), "abcdefg");
  EXPECT_TRUE(a.guardIntact());

  Guarded e(10, "ab");
  StrLib::append(e.get(), e.size, "cdef", 2);
  StrLib::append(e.get(), e.size, "xyz", -2);
  EXPECT_STREQ(e.get(), "abcdxy");

  Guarded f(6);
  EXPECT_EQ(StrLib::printf(f.get(), f.size, "%d-%s", 1234, "abcdef"), 1);
  EXPECT_STREQ(f.get(), "1234-");
  StrLib::printf(f.get(), f.size, "%s", "ab");
  StrLib::aprintf(f.get(), f.size, "%03d", 7);
  EXPECT_STREQ(f.get(), "ab007");
  EXPECT_TRUE(f.guardIntact());

  Guarded raw(4, "");
  EXPECT_EQ(StrLib::bcopy(raw.get(), raw.size, "ABCDEFGH", 8), 1);
  EXPECT_EQ(std::string(raw.get(), 4), "ABCD");
  EXPECT_TRUE(raw.guardIntact());
}

TEST(StrLibTest, ComparisonsWithALength)
{
  struct Case {
    const char* a;
    const char* b;
    int n;
    bool equal;
    bool iequal;
  } cases[] = {{"hello", "llo", -3, true, true},  {"hello", "LLO", -3, false, true},
               {"hello", "ll", -3, false, false}, {"hi", "xhi", -3, false, false},
               {"hello", "", 0, true, true},      {"hello", "o", 0, false, false},
               {"hello", "help", 3, true, true},  {"hello", "help", 4, false, false},
               {"ABC", "abd", 2, false, true},    {"ab", "abc", 5, false, false},
               {"Xyz", "xab", 1, false, true},    {nullptr, "a", 2, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " / " + c.b + " / " + std::to_string(c.n));
    EXPECT_EQ(StrLib::equal(c.a, c.b, c.n), c.equal);
    EXPECT_EQ(StrLib::iequal(c.a, c.b, c.n), c.iequal);
  }

  EXPECT_TRUE(StrLib::equal("KMKC extra", 4, "KMKC"));
  EXPECT_FALSE(StrLib::equal("KM", 4, "KMKC"));
  EXPECT_LT(StrLib::icmp("abc", "ABD"), 0);
  EXPECT_GT(StrLib::icmp("abcd", "ABC"), 0);
  EXPECT_EQ(StrLib::icmp("abX", "ABy", 2), 0);
  EXPECT_NE(StrLib::icmp("xa", "ya", 0), 0);
}

TEST(StrLibTest, SearchingAndFields)
{
  EXPECT_EQ(StrLib::index("a,b,c", ',', 2), 3);
  EXPECT_EQ(StrLib::index("a,b,c", ',', 3), -1);
  EXPECT_TRUE(StrLib::hasToken("ta,td,ws", ',', "td"));
  EXPECT_FALSE(StrLib::hasToken("ta,tdd,ws", ',', "td"));
  EXPECT_TRUE(StrLib::hasToken("ta,,ws", ',', ""));
  EXPECT_FALSE(StrLib::hasToken("ta,ws,", ',', ""));
  // A NUL separator leaves one field and must not read past the text.
  EXPECT_TRUE(StrLib::hasToken("ta,ws", '\0', "ta,ws"));
  EXPECT_FALSE(StrLib::hasToken("ta,ws", '\0', "ta"));

  const char* s = "  one  two three";
  EXPECT_STREQ(StrLib::getField(s, ' ', 0), "one  two three");
  EXPECT_STREQ(StrLib::getField(s, ' ', 1), "two three");
  EXPECT_EQ(StrLib::getField(s, ' ', 3), nullptr);
  EXPECT_EQ(StrLib::getField("   ", ' ', 0), nullptr);

  char dst[5];
  EXPECT_EQ(StrLib::subString("abcdefgh", 2, 10, dst, sizeof dst), 1);
  EXPECT_STREQ(dst, "cdef");
  EXPECT_EQ(StrLib::subString("abc", 4, 1, dst, sizeof dst), 0);
}

TEST(StrLibTest, SpliceMovesTheTail)
{
  char s[17] = "hello world";
  EXPECT_EQ(StrLib::splice(s, sizeof s, 0, 5, "bye"), 1);
  EXPECT_EQ(StrLib::splice(s, sizeof s, 3, 0, ", cruel"), 1);
  EXPECT_STREQ(s, "bye, cruel world");
  // No room for the result: nothing changes.
  EXPECT_EQ(StrLib::splice(s, sizeof s, 0, 0, "x"), 0);
  EXPECT_STREQ(s, "bye, cruel world");
  EXPECT_EQ(StrLib::splice(s, sizeof s, 4, 99, "!"), 1);
  EXPECT_STREQ(s, "bye,!");
  EXPECT_EQ(StrLib::splice(s, sizeof s, 9, 0, "x"), 0);
}

TEST(StrLibTest, NumberReads)
{
  struct Case {
    const char* s;
    int start;
    int len;
    int value;
    float fvalue;
  } fields[] = {{"  12abc", 0, 4, 12, 12.0f},
                {"ab", 5, 2, Const::MISS, Const::FMISS},
                {"99  ", 2, 2, Const::MISS, Const::FMISS},
                {"1  -7.5", 1, 6, -7, -7.5f},
                {"abcd", 0, 4, 0, 0.0f},
                {"1234", 1, 0, Const::MISS, Const::FMISS},
                {"000000000000000000000000000042", 0, 30, 0, 0.0f}};
  for (const Case& c : fields) {
    SCOPED_TRACE(std::string(c.s) + " " + std::to_string(c.start) + " " + std::to_string(c.len));
    EXPECT_EQ(StrLib::toInt(c.s, c.start, c.len), c.value);
    EXPECT_FLOAT_EQ(StrLib::toFloat(c.s, c.start, c.len), c.fvalue);
  }

  EXPECT_EQ(StrLib::toInt("abc42", 3), 42);
  EXPECT_EQ(StrLib::toInt("abc", 9), Const::MISS);
  EXPECT_FLOAT_EQ(StrLib::toFloat("T=-3.25", 2), -3.25f);
  EXPECT_FLOAT_EQ(StrLib::toFloat(nullptr), Const::FMISS);

  EXPECT_EQ(StrLib::getInt("-12"), -12);
  EXPECT_EQ(StrLib::getInt("+7"), Const::MISS);
  EXPECT_EQ(StrLib::getInt(" 7"), Const::MISS);
  EXPECT_FLOAT_EQ(StrLib::getFloat("-.5"), -0.5f);
  EXPECT_FLOAT_EQ(StrLib::getFloat("M5"), Const::FMISS);
}

TEST(StrLibTest, InPlaceEdits)
{
  char s[32] = " \tab c \r\n";
  EXPECT_EQ(StrLib::trimWS(s), 1);
  EXPECT_STREQ(s, " \tab c");
  EXPECT_EQ(StrLib::stripWS(s), 1);
  EXPECT_STREQ(s, "abc");

  char name[] = "NEW YORK cITY\tSTATE";
  EXPECT_EQ(StrLib::upCaseFirst(name), 1);
  EXPECT_STREQ(name, "New York city\tState");

  char c[] = "d\xe9j\x01 vu\x7f\r\n\x03\xff";
  EXPECT_EQ(StrLib::clean(c), 1);
  EXPECT_STREQ(c, "d j  vu\x7f");

  char t[] = "abc";
  EXPECT_EQ(StrLib::getChar(t, -1), 'c');
  EXPECT_EQ(StrLib::getChar(t, -4), 0);
  EXPECT_EQ(StrLib::getChar(t, 3), 0);
  EXPECT_EQ(StrLib::setChar(t, -2, 'X'), 1);
  EXPECT_EQ(StrLib::setChar(t, 3, 'Y'), 0);
  EXPECT_STREQ(t, "aXc");
}

TEST(StrLibTest, TextTests)
{
  EXPECT_FALSE(StrLib::validData(" \t "));
  struct Case {
    const char* s;
    bool num;
  } nums[] = {{"123", true},  {"-123", true}, {"-", false},   {"", false},
              {"12a", false}, {"+1", false},  {"1.5", false}, {nullptr, false}};
  for (const Case& c : nums) EXPECT_EQ(StrLib::isNum(c.s), c.num) << (c.s ? c.s : "(null)");
  EXPECT_TRUE(StrLib::isNum("1215Z", 4));
  EXPECT_FALSE(StrLib::isNum("12a5", 4));
  EXPECT_TRUE(StrLib::isAlphaNum("--a--"));
  EXPECT_FALSE(StrLib::isAlphaNum("-- --"));
}

TEST(StrLibTest, CharacterClassTemplates)
{
  struct Case {
    const char* s;
    const char* tmpl;
    bool ok;
  } cases[] = {{"KMKC", "uuuu", true},
               {"KMK", "uuuu", false},
               {"kMKC", "uuuu", false},
               {"12:30Z", "dd:ddu", true},
               {"12-30Z", "dd:ddu", false},
               {"SAUS80 KWBC 121500", "uuuudd uuuu dddddd", true},
               {"SAUS8A KWBC 121500", "uuuudd uuuu dddddd", false},
               {"KSC123", "uu[CZ]ddd", true},
               {"KSX123", "uu[CZ]ddd", false},
               {"x", "[]", false},
               {"anything", "", true},
               {"", "a", false},
               {"a\t\x01!", "absc", false},
               {"a \x01!", "abcp", true},
               {"a\t\x01!", "ab", true},
               {"\n~ ", "sgb", true},
               {" ", "g", false},
               {"aB9", "luA", true},
               {"Ab", "ll", false}};
  for (const Case& c : cases) EXPECT_EQ(StrLib::check(c.s, c.tmpl), c.ok) << c.s << " ~ " << c.tmpl;
  EXPECT_FALSE(StrLib::check(nullptr, "u"));
}

TEST(StrLibTest, HeaderPatterns)
{
  struct Case {
    const char* s;
    const char* pattern;
    bool ok;
  } cases[] = {{"WTNT21 KNHC 121500", "WTNT2. KNHC", true},
               {"WTNT31 KNHC 121500", "WTNT2. KNHC", false},
               {"WTNT2", "WTNT2. KNHC", false},
               {"WTNT2? KNHC", "WTNT2?_KNHC", true},
               {"WTNT2?XKNHC", "WTNT2?_KNHC", false},
               {"SAUS80", "SA[UC]S", true},
               {"SAXS80", "SA[UC]S", false},
               {"SAXS80", "SA[^UC]S", true},
               {"SAUS80", "SA[^UC]S", false},
               {"SAUS80 KWBC", "SA*K", true},
               {"SAUS80 KWBC", "SA-_KW", true},
               {"SAUS80", "SA*K", false},
               {"SAUS80", "SA-", true},
               {"SPUS70", "(SA|SP)US", true},
               {"SXUS70", "(SA|SP)US", false},
               {"FTUS", "(S[AP]|FT)US", true},
               {"SPUS", "(S.|FT)US", true},
               {"SPUS", "(S.|FT)UX", false},
               {"SPUS", "(SP|SPU)S", false},
               {"SPUS", "(SP", false},
               {"abc", "", true}};
  for (const Case& c : cases)
    EXPECT_EQ(StrLib::match(c.s, c.pattern), c.ok) << c.s << " ~ " << c.pattern;
  EXPECT_FALSE(StrLib::match(nullptr, "x"));
}

}  // namespace

TEST(StrLibTest, ParameterTokenValues)
{
  EXPECT_STREQ(StrLib::valueOf("co=red", 2), "red");
  EXPECT_STREQ(StrLib::valueOf("cof=a=b", 3), "a=b") << "the first '=' ends the key";
  EXPECT_STREQ(StrLib::valueOf("sc2.5", 2), "2.5") << "no '=': after the key";
  EXPECT_STREQ(StrLib::valueOf("co", 3), "") << "a key longer than the token";
  EXPECT_STREQ(StrLib::valueOf(nullptr, 2), "");
}
