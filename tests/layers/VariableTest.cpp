// Variable names with their modifiers, their texts and integer codes, and the name table.
#include <gtest/gtest.h>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "layers/VarName.h"
#include "layers/Variable.h"

using KOL::Const;
using KOL::String;
using KOL::Variable;

namespace {

constexpr float M = Const::FMISS;

struct DecodeCase {
  const char* text;
  int type;
  float lower;
  float upper;
  const char* abbr;
  const char* code;  // toAbbrCode
};

TEST(Variable, DecodesEveryModifier)
{
  const DecodeCase cases[] = {
      {"temp", Variable::PLAIN, M, M, "temp", "temp"},
      {"accum_pcp", Variable::ACCUM, M, M, "pcp", "accum_pcp"},
      {"mean_temp", Variable::MEAN, M, M, "temp", "mean_temp"},
      {"max_temp", Variable::MAX, M, M, "temp", "max_temp"},
      {"min_temp", Variable::MIN, M, M, "temp", "min_temp"},
      {"maxt", Variable::PLAIN, M, M, "maxt", "maxt"},
      {"prob[<0.25]pcp", Variable::PROB_BELOW, 0.25f, M, "pcp", "prob[<0.25]pcp"},
      {"prob[>0.5]pcp", Variable::PROB_ABOVE, M, 0.5f, "pcp", "prob[>0.5]pcp"},
      {"prob[10-20]x", Variable::PROB_BETWEEN, 10, 20, "x", "prob[10-20]x"},
      {"prob[^5]x", Variable::PROB_BETWEEN, 5, M, "x", "prob[^5]x"},
      {"ens[-2]t", Variable::ENS_MEMBER, -2, M, "t", "ens[-2]t"},
      {"ens[12]t", Variable::ENS_MEMBER, 12, M, "t", "ens[+12]t"},
      {"ens[+3]t", Variable::ENS_MEMBER, 3, M, "t", "ens[+3]t"},
      {"ens[0]t", Variable::ENS_MEMBER, 0, M, "t", "ens[0]t"},
      {"ensmean[]hght", Variable::ENS_MEAN, M, M, "hght", "ensmean[]hght"},
      {"ensdev[]hght", Variable::ENS_DEV, M, M, "hght", "ensdev[]hght"},
      {"ensprob[<-5]temp", Variable::ENS_PROB_BELOW, -5, M, "temp", "ensprob[<-5]temp"},
      {"ensprob[>30]temp", Variable::ENS_PROB_ABOVE, M, 30, "temp", "ensprob[>30]temp"},
      {"ensprob[=3]temp", Variable::PLAIN, M, M, "temp", "temp"},
      {"perc[90]wspd", Variable::PERCENTILE, 90, M, "wspd", "perc[90]wspd"},
  };
  for (const auto& c : cases) {
    Variable v;
    ASSERT_EQ(v.decode(c.text), 1) << c.text;
    EXPECT_EQ(v.getType(), c.type) << c.text;
    EXPECT_FLOAT_EQ(v.getLower(), c.lower) << c.text;
    EXPECT_FLOAT_EQ(v.getUpper(), c.upper) << c.text;
    EXPECT_STREQ(v.getAbbr(), c.abbr) << c.text;
    String code;
    v.toAbbrCode(code);
    EXPECT_STREQ(code.get(), c.code) << c.text;
  }
}

TEST(Variable, RefusesEmptyAndUnclosedNames)
{
  Variable v;
  for (const char* bad : {"", "prob[>0.5", "ens[3", "mean_", "perc[50]", "ensmean[x"}) {
    EXPECT_EQ(v.decode(bad), 0) << bad;
    EXPECT_FALSE(v.isSet()) << bad;
    EXPECT_EQ(v.getType(), Variable::PLAIN) << bad;
  }
  EXPECT_EQ(v.decode(nullptr), 0);
  // A name longer than the field is cut, never overrun.
  std::string longName(200, 'x');
  ASSERT_EQ(v.decode(longName.c_str()), 1);
  EXPECT_EQ(std::string(v.getAbbr()), std::string(Variable::ABBR_SIZE - 1, 'x'));
  // Bounds far outside any member number still give a code (found by the fuzzer).
  String out(4);
  for (const char* huge : {"ensprob[<-1e30]t", "prob[1e40-1e41]x", "ens[99999999999]t"}) {
    Variable h(huge);
    EXPECT_EQ(h.toAbbrCode(out), 1) << huge;
  }
}

TEST(Variable, FoldsModifiersIntoIndexCodes)
{
  struct {
    const char* text;
    int code;
  } cases[] = {
      {"t", 11},
      {"accum_t", 2011},
      {"mean_t", 1011},
      {"max_t", 3011},
      {"min_t", 4011},
      {"prob[<2]t", 11 * 10000 + 2 + 1940001000},
      {"prob[>3]t", 11 * 10000 + 3 + 1940002000},
      {"prob[4-9]t", 11 * 10000 + 4 + 1940003000},
      {"ens[0]t", 11 + 19300000},
      {"ens[+2]t", 2000 + 11 + 19340000},
      {"ens[-2]t", 2000 + 11 + 19320000},
      {"ensmean[]t", 11 + 19000000},
      {"ensdev[]t", 11 + 19001000},
      {"ensprob[<-5]t", 11 * 10000 + 5005 + 1910001000},
      {"ensprob[>5]t", 11 * 10000 + 5 + 1910002000},
      {"perc[90]t", 90 * 10000 + 11 + 1950000000},
  };
  for (const auto& c : cases) {
    Variable v(c.text);
    v.setInd(11);
    EXPECT_EQ(v.toIndCode(), c.code) << c.text;
  }
  Variable unknown("t");
  EXPECT_EQ(unknown.toIndCode(), Const::MISS);
  Variable huge("prob[>3]t");
  huge.setInd(900000);  // does not fit an int
  EXPECT_EQ(huge.toIndCode(), Const::MISS);
}

TEST(Variable, WritesLabelsAndLongForms)
{
  struct {
    const char* text;
    const char* label;
    const char* longForm;
  } cases[] = {
      {"temp", "Temperature", "temp"},
      {"max_temp", "Max Temperature", "max_temp"},
      {"ens[-2]temp", "Ens[-2] Temperature", "ens[-2]_temp"},
      {"ens[4]temp", "Ens[+4] Temperature", "ens[+4]_temp"},
      {"ensdev[]temp", "Ens std dev Temperature", "ens_sdev_temp"},
      {"prob[>0.5]temp", "Prob [%] Temperature above 0.5", "prob[%]_temp[_above_0.5]"},
      {"prob[1-2]temp", "Prob [%] Temperature between 1 and 2", "prob[%]_temp[_between_1_and_2]"},
      {"perc[10]temp", "10 Perc Temperature", "perc[10]_temp"},
      {"accum_temp", "Accum Temperature", "accum_temp"},
      {"prob[<0.25]temp", "Prob [%] Temperature below 0.25", "prob[%]_temp[_below_0.25]"},
      {"prob[^5]temp", "Prob [%] Temperature between 5", "prob[%]_temp[_between_5]"},
      {"ensmean[]temp", "Ens mean Temperature", "ens_mean_temp"},
      {"ensprob[<-5]temp", "Ens prob [%] Temperature below -5", "ens prob[%]_temp[_below_-5]"},
      {"ensprob[>30]temp", "Ens prob [%] Temperature above 30", "ens prob[%]_temp[_above_30]"},
  };
  for (const auto& c : cases) {
    Variable v(c.text);
    v.setName("Temperature");
    String label, longForm;
    v.toLabel(label);
    v.toString(longForm);
    EXPECT_STREQ(label.get(), c.label) << c.text;
    EXPECT_STREQ(longForm.get(), c.longForm) << c.text;
  }
  // Ensemble probabilities between two values are never read, only set.
  Variable between("temp");
  between.setType(Variable::ENS_PROB_BETWEEN, 1, 2);
  String abbr, longForm;
  between.toAbbrCode(abbr);
  between.toString(longForm);
  EXPECT_STREQ(abbr.get(), "ensprob[1-2]temp");
  EXPECT_STREQ(longForm.get(), "ens prob[%]_temp[_between_1_and_2]");
  Variable noName("wspd");
  String label;
  noName.toLabel(label);
  EXPECT_STREQ(label.get(), "wspd");  // falls back on the abbreviation
}

class VarNameTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
};

TEST_F(VarNameTest, ResolvesNamesAndIndicesFromTheTable)
{
  KOL::VarName names;
  Variable v("hght");
  ASSERT_EQ(names.get(v.getAbbr(), v), 1);
  EXPECT_EQ(v.getInd(), 7);
  EXPECT_STREQ(v.getName(), "Geopotential height");

  KOL::VarNameItem item;
  ASSERT_EQ(names.get("rvort", item), 1);
  EXPECT_STREQ(item.units, "10^-5 /s");
  EXPECT_EQ(item.codes[1], 2000043);
  EXPECT_EQ(item.codes[2], 2012);
  EXPECT_EQ(item.codes[3], Const::MISS);

  EXPECT_STREQ(names.get(52), "rhum");
  EXPECT_STREQ(names.get(-5), "");
  Variable byIndex;
  ASSERT_EQ(names.get(11, byIndex), 1);
  EXPECT_STREQ(byIndex.getAbbr(), "temp");
  EXPECT_EQ(names.get("nosuchname", v), 0);
  // Modifier brackets are skipped when looking a name up.
  ASSERT_EQ(names.get("prob[>1]pcp", item), 1);
  EXPECT_STREQ(item.abbr, "pcp");
}

TEST_F(VarNameTest, EveryLineOfTheTableIsReadable)
{
  std::string text = KOLTest::readFile(KOLTest::databaseDir() + "/variable.lup");
  ASSERT_FALSE(text.empty());
  size_t start = 0;
  int lines = 0;
  KOL::VarName names;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (line.empty() || line[0] == '#') continue;
    ASSERT_LE(line.size(), 120u) << line;
    KOL::VarNameItem item;
    ASSERT_EQ(item.decode(line.c_str()), 1) << line;
    EXPECT_LT(item.codes[0], 1000) << line;  // room for the modifier codes
    KOL::VarNameItem found;
    ASSERT_EQ(names.get(item.abbr, found), 1) << line;
    lines++;
  }
  EXPECT_GT(lines, 140);
}

TEST_F(VarNameTest, CacheKeepsTheMostRecentlyUsedNames)
{
  KOLTest::TempDir dir;
  std::string table = "# test table\n";
  for (int i = 1; i <= 45; ++i)
    table += std::to_string(i) + " v" + std::to_string(i) + " Name " + std::to_string(i) + " [u" +
             std::to_string(i) + "]\n";
  KOLTest::writeFile(dir.file("variable.lup"), table);
  KOL::Kol::setDatabasePath(dir.path().c_str());
  KOL::VarName names;
  KOL::VarNameItem item;
  for (int i = 1; i <= 45; ++i) ASSERT_EQ(names.get(("v" + std::to_string(i)).c_str(), item), 1);
  // The table was read once: a fresh VarName finds its names with the file gone.
  std::remove(dir.file("variable.lup").c_str());
  ASSERT_EQ(KOL::VarName().get("v7", item), 1);
  EXPECT_STREQ(item.units, "u7");
  // Only the last 40 are cached: in a directory without a table, v1 is lost and v45 still known.
  KOLTest::TempDir empty;
  KOL::Kol::setDatabasePath(empty.path().c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(names.get("v1", item), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("VarName: Unable to open file"), std::string::npos);
  ASSERT_EQ(names.get("v45", item), 1);
  EXPECT_STREQ(item.name, "Name 45");
  EXPECT_STREQ(item.units, "u45");
  // A copy starts with an empty cache.
  KOL::VarName copy(names);
  testing::internal::CaptureStderr();
  EXPECT_EQ(copy.get("v45", item), 0);
  testing::internal::GetCapturedStderr();
}

}  // namespace
