// The attribute notation of station values: positions, keys, limits and splitting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Const.h"
#include "graphics/PlotAttr.h"
#include "layers/DatumAttr.h"

using KOL::DatumAttr;

namespace {

constexpr float MISS = KOL::Const::FMISS;

TEST(DatumAttrTest, AColonSplitsAtColonsOnly)
{
  // the comma stays inside its token: a colour "red,blue" and a format with a comma in it
  const DatumAttr a("lr:co=red,blue:%4.1f,x");
  EXPECT_STREQ(a.color, "red,blue");
  EXPECT_STREQ(a.format, "%4.1f,x");
  EXPECT_FLOAT_EQ(a.dx, 0.012f);
  EXPECT_FLOAT_EQ(a.dy, -0.02f);
  EXPECT_EQ(a.halign, 1);
  // without a colon the commas split
  const DatumAttr b("lr,co=red,blue");
  EXPECT_STREQ(b.color, "blue") << "a bare name is a colour and the last one wins";
}

struct PositionCase {
  const char* token;
  float dx, dy;
  int halign;
};

TEST(DatumAttrTest, FifteenPositionsAndXy)
{
  const std::vector<PositionCase> cases = {
      {"ul", -0.012f, 0.02f, 3},      {"UC", 0, 0.02f, 2},       {"ur", 0.012f, 0.02f, 1},
      {"tl", -0.012f, 0.012f, 3},     {"tc", 0, 0.012f, 2},      {"Tr", 0.012f, 0.012f, 1},
      {"cl", -0.012f, 0, 3},          {"cc", 0, 0, 2},           {"cr", 0.012f, 0, 1},
      {"bl", -0.012f, -0.012f, 3},    {"bc", 0, -0.012f, 2},     {"br", 0.012f, -0.012f, 1},
      {"ll", -0.012f, -0.02f, 3},     {"lc", 0, -0.02f, 2},      {"lr", 0.012f, -0.02f, 1},
      {"xy=-1 1", -0.012f, 0.02f, 3}, {"xy=0 -2", 0, -0.04f, 2}, {"XY=2.5 0", 0.03f, 0, 1},
  };
  for (const PositionCase& c : cases) {
    DatumAttr a;
    a.parse("ta=LB");  // a position sets the vertical alignment back to 3
    a.parse(c.token);
    EXPECT_NEAR(a.dx, c.dx, 1e-6) << c.token;
    EXPECT_NEAR(a.dy, c.dy, 1e-6) << c.token;
    EXPECT_EQ(a.halign, c.halign) << c.token;
    EXPECT_EQ(a.valign, 3) << c.token;
  }
  const DatumAttr half("xy=3");
  EXPECT_EQ(half.dx, MISS) << "xy= needs two numbers";
  const DatumAttr huge("xy=1e99 1");
  EXPECT_EQ(huge.dx, MISS) << "and finite ones";
  const DatumAttr inf("we=inf,hi=1e40,mn=nan");
  EXPECT_EQ(inf.weight, MISS);
  EXPECT_EQ(inf.height, MISS);
  EXPECT_EQ(inf.min, MISS);
}

TEST(DatumAttrTest, ScaleOutsideItsLimitsIsOne)
{
  const std::vector<std::pair<const char*, float>> cases = {
      {"sc=0", 1.0f},     {"sc=5000", 1.0f},    {"sc=0.009", 1.0f}, {"sc=abc", 1.0f},
      {"sc=0.01", 0.01f}, {"sc=1000", 1000.0f}, {"sc=2.5", 2.5f},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(DatumAttr(c.first).scale, c.second) << c.first;
}

TEST(DatumAttrTest, TextAlignmentLetters)
{
  const std::vector<std::tuple<const char*, int, int>> cases = {
      {"ta=LB", 1, 5}, {"ta=rc", 3, 2}, {"ta=xs", 2, 4}, {"ta=cT", 2, 1},
      {"ta=L", 1, 3},  {"ta=", 2, 3},   {"ta=Rz", 3, 3},
  };
  for (const auto& [token, h, v] : cases) {
    const DatumAttr a(token);
    EXPECT_EQ(a.halign, h) << token;
    EXPECT_EQ(a.valign, v) << token;
  }
}

TEST(DatumAttrTest, MarkerNamesAndNumbers)
{
  const std::vector<std::pair<const char*, int>> cases = {
      {"mk=dot", 8},    {"mk=pnt", 1},  {"mk=plus", 2},     {"mk=star", 3}, {"mk=crcl", 4},
      {"mk=CIRCLE", 4}, {"mk=x", 5},    {"mk=xx", 5},       {"mk=sqr", 6},  {"mk=square", 6},
      {"mk=tri", 7},    {"mk=itri", 9}, {"mk=triangle", 7}, {"mk=12", 12},  {"mk=Dots", 8},
  };
  for (const auto& c : cases) EXPECT_EQ(DatumAttr(c.first).mark, c.second) << c.first;
}

TEST(DatumAttrTest, TypeKeywords)
{
  const std::vector<std::pair<const char*, int>> cases = {
      {"data", 1},   {"VALUE", 2}, {"text", 3},  {"mark", 4},  {"cloud", 6},
      {"wbarb", 7},  {"cbarb", 8}, {"dbarb", 9}, {"vect", 10}, {"avect", 11},
      {"track", 12}, {"symb", 13}, {"wx", 13},   {"Line", 14},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DatumAttr(c.first).type, c.second) << c.first;
    EXPECT_EQ(DatumAttr::typeCode(c.first), c.second) << c.first;
  }
  EXPECT_EQ(DatumAttr::typeCode("barb"), 0);
  const DatumAttr notAType("barb");
  EXPECT_STREQ(notAType.color, "barb") << "an unknown bare word is a colour name";
}

TEST(DatumAttrTest, KeyedValues)
{
  const DatumAttr a(
      "rs=temp_color:we=2:hi=1.5:wi=3:sh=2:fo=roman.fnt:te=0.8:sf=my.smb:mn=-5:mx=3:sk=4:"
      "fm=%5.1f:zz=9:CO=Blue");
  EXPECT_EQ(a.resrc, "temp_color");
  EXPECT_FLOAT_EQ(a.weight, 2);
  EXPECT_FLOAT_EQ(a.height, 1.5f);
  EXPECT_FLOAT_EQ(a.width, 3);
  EXPECT_EQ(a.shadow, 2);
  EXPECT_STREQ(a.font, "roman.fnt");
  EXPECT_FLOAT_EQ(a.expansion, 0.8f);
  EXPECT_STREQ(a.symbol, "my.smb");
  EXPECT_FLOAT_EQ(a.min, -5);
  EXPECT_FLOAT_EQ(a.max, 3);
  EXPECT_EQ(a.skip, 4);
  EXPECT_STREQ(a.format, "%5.1f");
  EXPECT_STREQ(a.color, "Blue") << "zz=9 matched nothing and changed nothing";
  EXPECT_FLOAT_EQ(DatumAttr("exp=1.25").expansion, 1.25f);
}

TEST(DatumAttrTest, TextFieldsAreCutToTheirSize)
{
  const DatumAttr a("fm=%123456789.0f,co=averyveryverylongcolourname");
  EXPECT_STREQ(a.format, "%12345678");
  EXPECT_EQ(std::string(a.color).size(), 19u);
  DatumAttr b;
  EXPECT_EQ(b.parse(nullptr), 0);
  EXPECT_EQ(b.parse(",,::"), 1) << "empty tokens are passed over";
}

TEST(DatumAttrTest, PlotAttributeCopiesOnlyWhatIsSet)
{
  DatumAttr a("red,hi=2,we=3");
  KOL::PlotAttr p("blue:w2:e1.5");
  a.set(p);
  EXPECT_STREQ(a.color, "blue");
  EXPECT_FLOAT_EQ(a.width, 2);
  EXPECT_FLOAT_EQ(a.expansion, 1.5f);
  EXPECT_FLOAT_EQ(a.height, 2) << "not set in the plot attribute";
  EXPECT_FLOAT_EQ(a.weight, 3);
}

}  // namespace
