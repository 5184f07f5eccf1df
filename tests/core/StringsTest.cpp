#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/Strings.h"

using KOL::Const;
using KOL::Strings;

namespace {

// The items of a list, with "<none>" for an empty slot.
std::vector<std::string> items(const Strings& list)
{
  std::vector<std::string> out;
  for (int i = 0; i < list.getNum(); i++) {
    const char* s = list.getString(i);
    out.push_back(s ? s : "<none>");
  }
  return out;
}

using V = std::vector<std::string>;

TEST(StringsTest, SplitAtWhiteSpace)
{
  struct Case {
    const char* text;
    V expect;
  } cases[] = {{"  ab   cd  ", {"ab", "cd"}},
               {"a\tb\nc\rd\ve\ff", {"a", "b", "c", "d", "e", "f"}},
               {"single", {"single"}},
               {" \t\n ", {}}};
  for (const Case& c : cases) {
    Strings list;
    EXPECT_EQ(list.set(c.text), static_cast<int>(c.expect.size())) << c.text;
    EXPECT_EQ(items(list), c.expect) << c.text;
  }
  Strings list("x y");
  EXPECT_EQ(list.set(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(list.getNum(), 0);
}

TEST(StringsTest, SplitAtASeparatorWithQuoting)
{
  struct Case {
    const char* text;
    int max;
    V expect;
  } cases[] = {{"a,,b", -1, {"a", "", "b"}},
               {",a,", -1, {"", "a", ""}},
               {",", -1, {"", ""}},
               {"\"x,y\",z", -1, {"x,y", "z"}},
               {"\"x,y", -1, {"\"x,y"}},
               {"a,\"x,y", -1, {"a", "\"x,y"}},
               {"a,b,c,d", 2, {"a", "b,c,d"}},
               {"a,b,c,d", 1, {"a,b,c,d"}},
               {"a,\"b,c\"", 2, {"a", "b,c"}},
               {"\"a\",\"\",b", -1, {"a", "", "b"}},
               // A quote is closing only before a separator or at the end.
               {"\"a\"b,c\",d", -1, {"a\"b,c", "d"}},
               {"x\"a,b\"", -1, {"x\"a", "b\""}},
               {"a,b,", 3, {"a", "b", ""}}};
  for (const Case& c : cases) {
    Strings list;
    SCOPED_TRACE(std::string(c.text) + " max " + std::to_string(c.max));
    EXPECT_EQ(list.set(c.text, ',', c.max), static_cast<int>(c.expect.size()));
    EXPECT_EQ(items(list), c.expect);
  }
  Strings list("a b|c", '|');
  EXPECT_EQ(items(list), (V{"a b", "c"}));
}

TEST(StringsTest, ZeroItemLimitIsRefused)
{
  testing::internal::CaptureStderr();
  Strings list("a,b", ',', 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(list.getNum(), 0);
  EXPECT_EQ(err.rfind("Strings: ", 0), 0u) << err;
}

TEST(StringsTest, SplitWithGroups)
{
  struct Case {
    const char* text;
    const char* groups;
    int max;
    V expect;
  } cases[] = {{"f(a,b),[c,d],{e,f}", "([{", -1, {"f(a,b)", "[c,d]", "{e,f}"}},
               {"\"a,b\",c", "\"", -1, {"a,b", "c"}},
               {"x\"a,b\"y,c", "\"", -1, {"x\"a,b\"y", "c"}},
               {"\"a,b\"y,c", "\"", -1, {"\"a,b\"y", "c"}},
               {"(a,[b),c],d", "([", -1, {"(a,[b)", "c]", "d"}},
               {"(a,b),c,d", "(", 2, {"(a,b)", "c,d"}},
               // Other group characters close with themselves.
               {"<a,b<,c", "<", -1, {"<a,b<", "c"}},
               {"<a,b>,c", "<", -1, {"<a,b>,c"}},
               {"|a,b|,c", "|", -1, {"|a,b|", "c"}},
               {"\"\"", "\"", -1, {""}},
               // Without '"' in the group set a leading quote still encloses the field.
               {"\"a,b\",(c,d)", "(", -1, {"a,b", "(c,d)"}}};
  for (const Case& c : cases) {
    Strings list;
    SCOPED_TRACE(std::string(c.text) + " groups " + c.groups);
    EXPECT_EQ(list.set(c.text, ',', c.max, c.groups), static_cast<int>(c.expect.size()));
    EXPECT_EQ(items(list), c.expect);
  }
  // A separator that is also a group character separates.
  Strings odd("\"ab", '"', -1, "\"");
  EXPECT_EQ(items(odd), (V{"", "ab"}));
}

TEST(StringsTest, SplitByFieldFormat)
{
  struct Case {
    const char* text;
    const char* fmt;
    V expect;
  } cases[] = {{"12 -3.5x", "%d %fx", {"12", "-3.5", "<none>"}},
               {"A  42", "%c%D", {"A", "  42", "<none>"}},
               {"+7/-8", "%2d/%3d", {"+7", "-8", "<none>"}},
               {"1.5.", "%f", {"1.5", "<none>"}},
               {"7.", "%f.", {"7", "<none>"}},
               {"-x", "%d", {"<none>", "<none>"}},
               {"12,ab", "%d,%d", {"12", "<none>", "<none>"}},
               {"1", "%d %d", {"1", "<none>", "<none>"}},
               {"", "%c", {"<none>", "<none>"}},
               {"Z1", "%c%c%c", {"Z", "1", "<none>", "<none>"}},
               {"5q", "%d%q", {"5", "<none>", "<none>"}}};
  for (const Case& c : cases) {
    Strings list;
    SCOPED_TRACE(std::string(c.text) + " fmt " + c.fmt);
    EXPECT_EQ(list.set(c.text, c.fmt), static_cast<int>(c.expect.size()));
    EXPECT_EQ(items(list), c.expect);
  }
}

TEST(StringsTest, SlotsAndCopies)
{
  Strings list;
  EXPECT_EQ(list.add(""), 0);
  EXPECT_EQ(list.add(nullptr), 0);
  for (int i = 0; i < 11; i++) EXPECT_EQ(list.add(std::to_string(i).c_str()), 1);
  EXPECT_EQ(list.getNum(), 11);
  list.expand(5);  // never below the items in use
  EXPECT_STREQ(list.getString(10), "10");

  // set(i, s) grows the slots but leaves the number in use alone; "" empties a slot.
  EXPECT_EQ(list.set(40, "far"), 1);
  EXPECT_EQ(list.getNum(), 11);
  EXPECT_EQ(list.getString(40), nullptr);
  EXPECT_EQ(list.set(3, ""), 0);
  EXPECT_FALSE(list.valid(3));
  EXPECT_EQ(list.set(-1, "x"), 0);

  const char* a[] = {"x", nullptr, "z"};
  EXPECT_EQ(items(Strings(3, a)), (V{"x", "<none>", "z"}));

  // Copies are deep, moves leave an empty list.
  Strings copy(list);
  list.set(0, "changed");
  EXPECT_STREQ(copy.getString(0), "0");
  Strings assigned;
  assigned = copy;
  copy.clear();
  const Strings& same = assigned;
  assigned = same;
  EXPECT_EQ(assigned.getNum(), 11);
  Strings moved(std::move(assigned));
  EXPECT_STREQ(moved.getString(1), "1");
  EXPECT_EQ(assigned.getNum(), 0);
  EXPECT_EQ(assigned.getString(0), nullptr);
}

TEST(StringsTest, ResplittingAnOwnItem)
{
  Strings list("a:b c:d", ' ');
  list.set(list.getString(1), ':');
  EXPECT_EQ(items(list), (V{"c", "d"}));
  list.set(list.getString(0));
  EXPECT_EQ(items(list), (V{"c"}));
  list.set(list.getString(0), "%c");
  EXPECT_EQ(items(list), (V{"c", "<none>"}));
  list.set(0, list.getString(0));
  EXPECT_STREQ(list.getString(0), "c");
}

TEST(StringsTest, ItemAccessors)
{
  Strings list("T=-12.5 ws:15 KMKC x  ", ' ');
  ASSERT_EQ(list.getNum(), 6);
  EXPECT_STREQ(list.getString(0, '='), "=-12.5");
  EXPECT_STREQ(list.getStringAfter(1, ':'), "15");
  EXPECT_EQ(list.getStringAfter(2, ':'), nullptr);
  EXPECT_STREQ(list.getString(2, 1), "MKC");
  EXPECT_EQ(list.getString(2, 4), nullptr);
  EXPECT_EQ(list.getChar(2, 9), 0);
  EXPECT_EQ(list.getString(6), nullptr);
  EXPECT_EQ(list.getString(-1), nullptr);
  EXPECT_FALSE(list.valid(4));

  EXPECT_TRUE(list.equal(2, "KMKC"));
  EXPECT_TRUE(list.iequal(2, 2, "kc"));
  EXPECT_FALSE(list.equal(2, 7, ""));
  EXPECT_TRUE(list.equal(2, "KMxx", 2));
  EXPECT_TRUE(list.iequal(2, "kc", -2));
  EXPECT_FALSE(list.equal(9, "KMKC"));
  EXPECT_EQ(list.find("x"), 3);
  EXPECT_EQ(list.getLength(9), 0);

  float v = 0;
  EXPECT_EQ(list.scanf(0, "T=%f", &v), 1);
  EXPECT_FLOAT_EQ(v, -12.5f);
  int n = 0;
  EXPECT_EQ(list.scanf(1, 3, "%d", &n), 1);
  EXPECT_EQ(n, 15);
  EXPECT_EQ(list.scanf(8, "%d", &n), 0);
}

}  // namespace
