// Variable lists: groups, functions, parameter blocks and suffix brackets, syntax errors, and
// the expansion of macros from a macro file.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "layers/VarFile.h"
#include "layers/VarList.h"

using KOL::VarList;
using KOL::VarSpec;

namespace {

// The list as one line per entry: depth, type, name, units and format.
std::string describe(const VarList& list)
{
  std::string s;
  for (int i = 0; i < list.getNum(); ++i) {
    s += std::to_string(list.getLayer(i)) + " " + std::to_string(list.getType(i)) + " " +
         list.getName(i) + " [" + list.getUnits(i) + "," + list.getFormat(i) + "]\n";
  }
  return s;
}

class VarListTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    for (const char* table : {"variable.lup", "units.lup"})
      KOLTest::writeFile(dir_.file(table), KOLTest::readFile(KOLTest::databaseDir() + "/" + table));
    KOL::Kol::setDatabasePath(dir_.path().c_str());
  }
  void writeMacros(const std::string& text) { KOLTest::writeFile(dir_.file("test.var"), text); }
  KOLTest::TempDir dir_;
};

TEST_F(VarListTest, DecodesGroupsFunctionsAndSuffixBrackets)
{
  struct {
    const char* text;
    const char* entries;
  } cases[] = {
      {"a,{b,c}[K,cf],d", "0 1 a [,]\n0 3  [K,cf]\n1 1 b [,cf]\n1 1 c [,cf]\n0 1 d [,]\n"},
      {"temp[C,cf],hght[m,ln]", "0 1 temp [C,cf]\n0 1 hght [m,ln]\n"},
      {"add(temp,#273.15)[K,cf]", "0 4 add [K,cf]\n1 1 temp [,]\n1 1 #273.15 [,]\n"},
      {"grad-x(hght),vdiff(u,v)",
       "0 5 grad-x [,]\n1 1 hght [,]\n0 5 vdiff [,]\n1 1 u [,]\n1 1 v [,]\n"},
      {"contour<ci=4>", "0 2 contour [,]\n1 1 ci=4 [,]\n"},
      {"{t[,ln],{u,v}[,vect]}[C,cf]",
       "0 3  [C,cf]\n1 1 t [,cf,ln]\n1 3  [,cf,vect]\n2 1 u [,cf,vect]\n2 1 v [,cf,vect]\n"},
      {"prob[>0.5]pcp[in,cf],x", "0 1 pcp [in,cf]\n0 1 x [,]\n"},
      {"a\\,b", "0 1 a [,]\n0 1 b [,]\n"},
      {"mul(a,b", "0 4 mul [,]\n1 1 a [,]\n"},  // unterminated: the entries so far
      {"", ""},
  };
  for (const auto& c : cases) {
    VarList list;
    EXPECT_EQ(list.decode(c.text), 1) << c.text;
    EXPECT_EQ(describe(list), c.entries) << c.text;
  }
  VarList list("a,{b,c}[K,cf],d");
  EXPECT_TRUE(list.isGroup(1));
  EXPECT_TRUE(list.isFillContour(1));
  EXPECT_TRUE(list.isContour(2));
  EXPECT_FALSE(list.isContour(0));
  EXPECT_FALSE(list.isGroup(99));
  KOL::String text;
  list.getString(0, text);
  EXPECT_STREQ(text.get(), "::a[,]");
}

TEST_F(VarListTest, ReportsSyntaxErrors)
{
  struct {
    const char* text;
    const char* warning;
    int kept;
  } cases[] = {
      {"a)", "VarList::decode error, unexpected ) at )\n", 0},
      {"a,b}", "VarList::decode error, unexpected } at }\n", 1},
      {"f(a>", "VarList::decode error, unexpected > at >\n", 1},
      {"a]x", "VarList::decode error, unexpected ] at ]x\n", 0},
      {"{(<{(<{(<{(<", "VarList::decode error, too deeply nested at <\n", 11},
  };
  for (const auto& c : cases) {
    VarList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(list.decode(c.text), 0) << c.text;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning) << c.text;
    EXPECT_EQ(list.getNum(), c.kept) << c.text;
  }
}

TEST_F(VarListTest, ReadsMacroFiles)
{
  writeMacros(
      "# macros\n"
      "\n"
      "tc     Temp_in_C   x   temp[C,cf]\n"
      "pair   Height_and  x   {hght[m,ln],\\\n"
      "                         temp[C,ln]}\n"
      "  spaced  Label  x  a , b\n"
      "short  only_two\n");
  KOL::VarFile file;
  ASSERT_EQ(file.open("test.var"), 1);
  KOL::VarFileData d;
  ASSERT_EQ(file.read(d), 1);
  EXPECT_STREQ(d.name, "tc");
  EXPECT_STREQ(d.label, "Temp in C");
  EXPECT_STREQ(d.definition.get(), "temp[C,cf]");
  ASSERT_EQ(file.read(d), 1);
  EXPECT_STREQ(d.definition.get(), "{hght[m,ln],temp[C,ln]}");
  ASSERT_EQ(file.read(d), 1);
  EXPECT_STREQ(d.name, "spaced");
  EXPECT_STREQ(d.definition.get(), "a,b");
  EXPECT_EQ(file.read(d), 0);
  EXPECT_EQ(file.search("pair", d), 1);
  EXPECT_EQ(file.search("pai", d), 0);
  EXPECT_EQ(file.search("tc", d), 1);
  EXPECT_EQ(file.open("missing.var"), 0);
  EXPECT_EQ(file.read(d), 0);
}

TEST_F(VarListTest, ExpandsMacros)
{
  writeMacros(
      "tc     l  x  temp[C,cf]\n"
      "kelvin l  x  temp[K]\n"
      "pair   l  x  hght[m,ln],temp[C,ln]\n"
      "self   l  x  self[m]\n"
      "ping   l  x  pong\n"
      "pong   l  x  ping\n"
      "whole  l  x  tc,hght\n");
  struct {
    const char* text;
    const char* entries;
  } cases[] = {
      // One-item definitions: the entry's units win when convertible, its format is appended.
      {"tc", "0 1 temp [C,cf]\n"},
      {"tc[F,ln]", "0 1 temp [F,cf,ln]\n"},
      {"tc[m]", "0 1 temp [C,cf]\n"},
      {"kelvin[C]", "0 1 temp [C,]\n"},
      // Several items take the entry's place, units and format going to the top-level items.
      {"a,pair[ft,dash],b", "0 1 a [,]\n0 1 hght [ft,ln,dash]\n0 1 temp [C,ln,dash]\n0 1 b [,]\n"},
      {"{pair}[,cf]", "0 3  [,cf]\n1 1 hght [m,ln,cf]\n1 1 temp [C,ln,cf]\n"},
      {"avg(pair)[,cf]", "0 4 avg [,cf]\n1 1 hght [m,ln]\n1 1 temp [C,ln]\n"},
      // A macro defined as itself expands once; a loop stops after the last pass.
      {"self", "0 1 self [m,]\n"},
      {"x,ping", "0 1 x [,]\n0 1 ping [,]\n"},
      // The whole text may be a macro, whose items are expanded in turn.
      {"whole", "0 1 temp [C,cf]\n0 1 hght [,]\n"},
      {"+tc", "0 1 tc [,]\n"},
  };
  for (const auto& c : cases) {
    VarList list, scratch;
    list.setFile("test.var");
    EXPECT_EQ(list.process(c.text, scratch), 1) << c.text;
    EXPECT_EQ(describe(list), c.entries) << c.text;
  }
  VarList noFile, scratch;
  noFile.setFile("nothing.var");
  EXPECT_EQ(noFile.process("tc,b", scratch), 1);
  EXPECT_EQ(describe(noFile), "0 1 tc [,]\n0 1 b [,]\n");
}

}  // namespace
