#include "obs/Scanp.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Const.h"

using KOL::Scanp;

namespace {

constexpr int MISS = KOL::Const::MISS;

TEST(ScanpTest, ExactAndMaximumWidths)
{
  Scanp s("12 RA");
  int v = 0;
  EXPECT_EQ(s.scan("%3d ", &v), 0);
  EXPECT_FALSE(s.isComplete());
  EXPECT_EQ(s.getCount(), 0);

  EXPECT_EQ(s.scan("%<3d ", &v), 1);
  EXPECT_TRUE(s.isComplete());
  EXPECT_EQ(v, 12);
  EXPECT_EQ(s.getCount(), 3);
  EXPECT_EQ(s.getOffset(), 0) << "scanning never moves the offset";
  s.inc();
  EXPECT_STREQ(s.string(), "RA");

  // Exact widths split runs of digits; a lone minus sign is no number.
  Scanp t("041851Z -X");
  int d = 0, h = 0, m = 0;
  EXPECT_EQ(t.scan("%2d%2d%2d%*(Z|UTC) ", &d, &h, &m), 4);
  EXPECT_EQ(d * 10000 + h * 100 + m, 41851);
  t.inc();
  EXPECT_EQ(t.scan("%d", &v), 0);
  EXPECT_EQ(t.getCount(), 0);
}

TEST(ScanpTest, MissingMarkers)
{
  int a = 7, b = 7;
  Scanp s("//KT");
  char u1[8];
  EXPECT_EQ(s.scan("%2!//!d%(KT|MPS)", &a, u1), 2);
  EXPECT_EQ(a, MISS);

  // Letters where a number with a missing text stands: nothing assigned, nothing consumed, the
  // scan goes on with the rest of the pattern.
  char unit[8] = "";
  a = 7;
  Scanp t("KT");
  EXPECT_EQ(t.scan("%2!//!d%(KT|MPS)", &a, unit), 1);
  EXPECT_EQ(a, 7);
  EXPECT_STREQ(unit, "KT");
  EXPECT_TRUE(t.isComplete());
  EXPECT_EQ(t.getCount(), 2);

  // Reals and the empty missing text, which makes a field optional.
  float x = 0, y = 0;
  Scanp u("XX/M05 ");
  char sign[4];
  EXPECT_EQ(u.scan("%<3!XX!f/%!!(M)%<3!XX!f ", &x, sign, &y), 3);
  EXPECT_FLOAT_EQ(x, KOL::Const::FMISS);
  EXPECT_STREQ(sign, "M");
  EXPECT_FLOAT_EQ(y, 5);
  int g = 0;
  Scanp w("27015KT ");
  EXPECT_EQ(w.scan("%*!!(E)%3d%2!//!d%*(/|G)%2d", &a, &b, &g), 3);
  EXPECT_EQ(a, 270);
  EXPECT_EQ(b, 15);
  EXPECT_EQ(w.getAssigned(), 2);
  EXPECT_EQ(w.getCount(), 5);
}

TEST(ScanpTest, Alternatives)
{
  char unit[8];
  Scanp s("MPSX");
  EXPECT_EQ(s.scan("%(KT|MPS|KMH)", unit), 1);
  EXPECT_STREQ(unit, "MPS");
  EXPECT_EQ(s.getCount(), 3);

  // The first alternative that fits wins, so longer ones are written first.
  Scanp t("KTS ");
  EXPECT_EQ(t.scan("%(KTS|KT) ", unit), 1);
  EXPECT_STREQ(unit, "KTS");
  EXPECT_EQ(t.scan("%(KT|KTS) ", unit), 1);
  EXPECT_FALSE(t.isComplete());

  // An empty alternative always fits; "<" without a width makes the field optional.
  Scanp u("10SM");
  int v = 0;
  EXPECT_EQ(u.scan("%*(M|)%<3d%(SM|KM)", &v, unit), 3);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(u.scan("%<(P)%<3d", unit, &v), 2);
  EXPECT_STREQ(unit, "");

  // No alternative fits: a missing text consumes the part of the input that agrees with it.
  Scanp w("/X");
  EXPECT_EQ(w.scan("%2!//!(AB|CD)X", unit), 1);
  EXPECT_STREQ(unit, "");
  EXPECT_TRUE(w.isComplete());
  Scanp z("QQ");
  EXPECT_EQ(z.scan("%(AB|CD)", unit), 0);
}

TEST(ScanpTest, TextDirectives)
{
  char buf[100];
  Scanp s("12/3A rest");
  EXPECT_EQ(s.scan("%[/N//]", buf), 1);
  EXPECT_STREQ(buf, "12/3");
  EXPECT_EQ(s.scan("%[^ ]", buf), 1);
  EXPECT_STREQ(buf, "12/3A");
  EXPECT_EQ(s.scan("%N%c", buf, buf + 10), 2);
  EXPECT_STREQ(buf, "12");
  EXPECT_EQ(buf[10], '/');

  const struct {
    const char* text;
    const char* pattern;
    int matched;
    const char* out;
    int count;
  } table[] = {
      {"-RA BR", "%[/A-+] ", 1, "-RA", 4},
      {"KORDX ", "%4s ", 1, "KORD", 4},
      {"RMK AO2", "%S", 1, "RMK AO2", 7},
      {"ABC12", "%A", 1, "ABC", 3},
      {"ab12", "%N", 0, "", 0},
      {" \t\rX", "%W", 1, " \t\r", 3},
      {"\n \nX", "%w", 1, "\n \n", 3},
      {"BKN035CB ", "%3[/A]%3d%*[/A] ", 3, "BKN", 9},
  };
  for (const auto& c : table) {
    Scanp t(c.text);
    buf[0] = '\0';
    int v = 0;
    EXPECT_EQ(t.scan(c.pattern, buf, &v), c.matched) << c.text << " " << c.pattern;
    EXPECT_STREQ(buf, c.out) << c.text << " " << c.pattern;
    EXPECT_EQ(t.getCount(), c.count) << c.text << " " << c.pattern;
  }

  // A word is cut at 79 characters.
  std::string longWord(120, 'A');
  Scanp l(longWord.c_str());
  EXPECT_EQ(l.scan("%s", buf), 1);
  EXPECT_EQ(std::string(buf).size(), 79u);
}

TEST(ScanpTest, BlanksNumbersAndCounts)
{
  int a = 0, pos = 0;
  float f = 0;
  Scanp s("SLP132");
  EXPECT_EQ(s.scan("SLP %d", &a), 0) << "a blank needs at least one white-space character";
  EXPECT_EQ(s.getCount(), 3);
  EXPECT_FALSE(s.isComplete());

  Scanp t("  12   -3.5e2 x");
  EXPECT_EQ(t.scan("%D%n%F", &a, &pos, &f), 3);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(pos, 7);
  EXPECT_FLOAT_EQ(f, -350);
  EXPECT_EQ(t.getAssigned(), 3);
  EXPECT_EQ(t.getCount(), 14);

  // Reals stop at a second point and take an exponent only when digits follow it.
  Scanp u("1.2.3 4E 5e3");
  EXPECT_EQ(u.scan("%f", &f), 1);
  EXPECT_FLOAT_EQ(f, 1.2f);
  EXPECT_EQ(u.getCount(), 3);
  u.offset(6);
  EXPECT_EQ(u.scan("%f", &f), 1);
  EXPECT_EQ(u.getCount(), 1);
  u.inc(3);
  EXPECT_EQ(u.scan("%f", &f), 1);
  EXPECT_FLOAT_EQ(f, 5000);
}

TEST(ScanpTest, EndsAndNavigation)
{
  int v = 0;
  Scanp s("AB CD");
  EXPECT_EQ(s.scan(""), -1);
  s.offset(5);
  EXPECT_EQ(s.scan("%d", &v), -1) << "at the end of the text";
  s.offset(0);
  EXPECT_EQ(s.getChar(5), '\0');
  EXPECT_EQ(s.search("CD"), 1);
  EXPECT_EQ(s.getCount(), 3);
  s.inc();
  EXPECT_STREQ(s.string(), "CD");
  EXPECT_EQ(s.search("AB"), 0);
  s.inc(10);
  EXPECT_STREQ(s.string(), "");
  EXPECT_EQ(s.scan("%s", nullptr), -1);

  // A pattern that ends inside a field or set is refused, not overrun.
  Scanp t("1234");
  EXPECT_EQ(t.scan("%[/N", nullptr), 0);
  EXPECT_EQ(t.scan("%2!//", nullptr), 0);
  EXPECT_EQ(t.scan("%", nullptr), 0);
  // A text of known length is not read past its end.
  Scanp u;
  u.set("1234", 2);
  EXPECT_EQ(u.scan("%d", &v), 1);
  EXPECT_EQ(v, 12);
  Scanp n(nullptr);
  EXPECT_EQ(n.scan("%d", &v), -1);
}

}  // namespace
