// Variable names, specs, lists and macros, and the pipeline that reads and evaluates them.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/GridSpec.h"
#include "layers/VarFile.h"
#include "layers/VarList.h"
#include "layers/VarName.h"
#include "layers/VarSpec.h"
#include "layers/Variable.h"
#include "layers/varplot/VarPlot.h"

namespace {

using KOL::Const;
using KOL::ForeTime;
using KOL::Grid;
using KOL::Grids;
using KOL::Level;
using KOL::String;
using KOL::Variable;
using KOL::VarList;
using KOL::VarPlot;
using KOL::VarSpec;

constexpr float M = Const::FMISS;

TEST(Variable, DecodesEveryModifier)
{
  // the text, its type, bounds, abbreviation and its code again
  const std::vector<std::tuple<const char*, int, float, float, const char*, const char*>> cases = {
      {"temp", Variable::PLAIN, M, M, "temp", "temp"},
      {"accum_pcp", Variable::ACCUM, M, M, "pcp", "accum_pcp"},
      {"max_temp", Variable::MAX, M, M, "temp", "max_temp"},
      {"maxt", Variable::PLAIN, M, M, "maxt", "maxt"},
      {"prob[<0.25]pcp", Variable::PROB_BELOW, 0.25f, M, "pcp", "prob[<0.25]pcp"},
      {"prob[10-20]x", Variable::PROB_BETWEEN, 10, 20, "x", "prob[10-20]x"},
      {"prob[^5]x", Variable::PROB_BETWEEN, 5, M, "x", "prob[^5]x"},
      {"ens[-2]t", Variable::ENS_MEMBER, -2, M, "t", "ens[-2]t"},
      {"ens[12]t", Variable::ENS_MEMBER, 12, M, "t", "ens[+12]t"},
      {"ensmean[]hght", Variable::ENS_MEAN, M, M, "hght", "ensmean[]hght"},
      {"ensprob[<-5]temp", Variable::ENS_PROB_BELOW, -5, M, "temp", "ensprob[<-5]temp"},
      {"ensprob[=3]temp", Variable::PLAIN, M, M, "temp", "temp"},
      {"perc[90]wspd", Variable::PERCENTILE, 90, M, "wspd", "perc[90]wspd"},
  };
  for (const auto& [text, type, lower, upper, abbr, code] : cases) {
    SCOPED_TRACE(text);
    Variable v;
    ASSERT_EQ(v.decode(text), 1);
    EXPECT_EQ(v.getType(), type);
    EXPECT_FLOAT_EQ(v.getLower(), lower);
    EXPECT_FLOAT_EQ(v.getUpper(), upper);
    EXPECT_STREQ(v.getAbbr(), abbr);
    String again;
    v.toAbbrCode(again);
    EXPECT_STREQ(again.get(), code);
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
  ASSERT_EQ(v.decode(std::string(200, 'x').c_str()), 1);  // cut, never overrun
  EXPECT_EQ(std::string(v.getAbbr()), std::string(Variable::ABBR_SIZE - 1, 'x'));
  String out(4);  // bounds far outside any member number still give a code
  for (const char* huge : {"ensprob[<-1e30]t", "prob[1e40-1e41]x", "ens[99999999999]t"}) {
    Variable h(huge);
    EXPECT_EQ(h.toAbbrCode(out), 1) << huge;
  }
}

TEST(Variable, FoldsModifiersIntoIndexCodes)
{
  const std::vector<std::pair<const char*, int>> cases = {
      {"t", 11},
      {"accum_t", 2011},
      {"max_t", 3011},
      {"prob[<2]t", 11 * 10000 + 2 + 1940001000},
      {"prob[4-9]t", 11 * 10000 + 4 + 1940003000},
      {"ens[+2]t", 2000 + 11 + 19340000},
      {"ens[-2]t", 2000 + 11 + 19320000},
      {"ensmean[]t", 11 + 19000000},
      {"ensprob[<-5]t", 11 * 10000 + 5005 + 1910001000},
      {"perc[90]t", 90 * 10000 + 11 + 1950000000},
  };
  for (const auto& [text, code] : cases) {
    Variable v(text);
    v.setInd(11);
    EXPECT_EQ(v.toIndCode(), code) << text;
  }
  Variable unknown("t");
  EXPECT_EQ(unknown.toIndCode(), Const::MISS);
  Variable huge("prob[>3]t");
  huge.setInd(900000);  // does not fit an int
  EXPECT_EQ(huge.toIndCode(), Const::MISS);
}

TEST(Variable, WritesLabelsAndLongForms)
{
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"temp", "Temperature", "temp"},
      {"max_temp", "Max Temperature", "max_temp"},
      {"ens[-2]temp", "Ens[-2] Temperature", "ens[-2]_temp"},
      {"ensdev[]temp", "Ens std dev Temperature", "ens_sdev_temp"},
      {"prob[>0.5]temp", "Prob [%] Temperature above 0.5", "prob[%]_temp[_above_0.5]"},
      {"prob[1-2]temp", "Prob [%] Temperature between 1 and 2", "prob[%]_temp[_between_1_and_2]"},
      {"perc[10]temp", "10 Perc Temperature", "perc[10]_temp"},
      {"prob[^5]temp", "Prob [%] Temperature between 5", "prob[%]_temp[_between_5]"},
      {"ensmean[]temp", "Ens mean Temperature", "ens_mean_temp"},
      {"ensprob[<-5]temp", "Ens prob [%] Temperature below -5", "ens prob[%]_temp[_below_-5]"},
  };
  for (const auto& [text, wantLabel, wantLong] : cases) {
    Variable v(text);
    v.setName("Temperature");
    String label, longForm;
    v.toLabel(label);
    v.toString(longForm);
    EXPECT_STREQ(label.get(), wantLabel) << text;
    EXPECT_STREQ(longForm.get(), wantLong) << text;
  }
  // Ensemble probabilities between two values are never read, only set.
  Variable between("temp");
  between.setType(Variable::ENS_PROB_BETWEEN, 1, 2);
  String abbr, longForm;
  between.toAbbrCode(abbr);
  between.toString(longForm);
  EXPECT_STREQ(abbr.get(), "ensprob[1-2]temp");
  EXPECT_STREQ(longForm.get(), "ens prob[%]_temp[_between_1_and_2]");
  String label;
  Variable("wspd").toLabel(label);
  EXPECT_STREQ(label.get(), "wspd");  // falls back on the abbreviation
}

class VarNameTest : public KOLTest::DatabaseTest {};

TEST_F(VarNameTest, EveryLineReadableNamesAndIndicesResolved)
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
  EXPECT_EQ(names.get("nosuchname", v), 0);
  ASSERT_EQ(names.get("prob[>1]pcp", item), 1);  // modifier brackets skipped
  EXPECT_STREQ(item.abbr, "pcp");
  // every line of the table readable
  std::istringstream text(KOLTest::readFile(KOLTest::databaseDir() + "/variable.lup"));
  int lines = 0;
  for (std::string line; std::getline(text, line);) {
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
  // only the last 40 are cached: without a table v1 is lost, v45 still known, not to a copy
  KOLTest::TempDir empty;
  KOL::Kol::setDatabasePath(empty.path().c_str());
  KOLTest::QuietScope quiet;
  EXPECT_EQ(names.get("v1", item), 0);
  ASSERT_EQ(names.get("v45", item), 1);
  EXPECT_STREQ(item.name, "Name 45");
  EXPECT_STREQ(item.units, "u45");
  EXPECT_EQ(KOL::VarName(names).get("v45", item), 0);
}

class VarSpecTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
};

TEST_F(VarSpecTest, DecodesFieldsBracketsAndDrawingTypes)
{
  const int P = Level::PRES;
  const int M = Const::MISS;
  const float FM = Const::FMISS;
  // the text, its forecast hour, level type and value, name, literal flag, units, format, plot
  const std::vector<
      std::tuple<const char*, float, int, float, const char*, int, const char*, const char*, int>>
      cases = {
          {"temp", FM, M, FM, "temp", 0, "", "", VarSpec::NONE},
          {"850:temp", FM, P, 850, "temp", 0, "", "", VarSpec::NONE},
          {"f12:500:+hght[m,cf]", 12, P, 500, "hght", 1, "m", "cf", VarSpec::CONTOUR},
          {"h24:700mb:rhum:%", 24, P, 700, "rhum", 0, "%", "", VarSpec::NONE},
          {"f12:sfc:prob[>0.5]pcp[in,cf]", 12, Level::SURFACE, 0, "pcp", 0, "in", "cf",
           VarSpec::CONTOUR},
          {"temp[ C , ln , plot ]", FM, M, FM, "temp", 0, "C", "ln,plot", VarSpec::PLOT},
          {"wind[knt,vect]", FM, M, FM, "wind", 0, "knt", "vect", VarSpec::VECTOR},
          {"temp[,value]", FM, M, FM, "temp", 0, "", "value", VarSpec::DATA},
          {"temp[,color=red]", FM, M, FM, "temp", 0, "", "color=red", VarSpec::NONE},
          {"map[default,under]", FM, M, FM, "map", 0, "", "default,under", VarSpec::MAP},
          {"panel[2x2]", FM, M, FM, "panel", 0, "", "2x2", VarSpec::PANEL},
      };
  for (const auto& [text, fore, levelType, level, abbr, literal, units, format, plot] : cases) {
    SCOPED_TRACE(text);
    VarSpec s;
    EXPECT_EQ(s.decode(text), 1);
    EXPECT_FLOAT_EQ(s.getForeTime().getFore(), fore);
    EXPECT_EQ(s.getLevel().lower_type, levelType);
    EXPECT_FLOAT_EQ(levelType != M ? s.getLevel().lower_value : level, level);
    EXPECT_STREQ(s.getName(), abbr);
    EXPECT_EQ(s.getLiteral(), literal);
    EXPECT_STREQ(s.getUnits(), units);
    EXPECT_STREQ(s.getFormat(), format);
    EXPECT_EQ(s.getPlot(), plot);
  }
  EXPECT_EQ(VarSpec("map[lalo]").getKind(), VarSpec::PSEUDO);
  EXPECT_EQ(VarSpec("temp").getKind(), VarSpec::DECODED);
}

TEST_F(VarSpecTest, ResolvesNamesThroughTheTableAndWritesThem)
{
  VarSpec s("500:hght");
  EXPECT_EQ(s.getVar().getInd(), 7);
  EXPECT_STREQ(s.getVar().getName(), "Geopotential height");
  EXPECT_STREQ(VarSpec("zzz").getVar().getName(), "");  // decode leaves the long name empty
  VarSpec set;
  set.setVar("zzz", "K");
  EXPECT_STREQ(set.getVar().getName(), "zzz");  // setVar uses the abbreviation instead
  EXPECT_STREQ(set.getUnits(), "K");
  set.setVar("52", "%");  // a leading digit is an index
  EXPECT_STREQ(set.getName(), "rhum");
  set.setVar("max_temp");
  EXPECT_EQ(set.getVar().getType(), Variable::MAX);
  EXPECT_EQ(set.getVar().toIndCode(), 3011);
  // as text and as labels
  VarSpec written("h12:500:max_hght[m,cf]");
  String text;
  written.toString(text);
  EXPECT_STREQ(text.get(), "12hr:500mb:max_hght");
  written.toInfoLabel(text);
  EXPECT_STREQ(text.get(), "500 mb Max Geopotential height [m]");
  VarSpec acc("h12-6acc:sfc:pcp[in]");
  acc.toInfoLabel(text);
  EXPECT_STREQ(text.get(), "Surface Total precipitation [in] 6 hour acc");
}

TEST_F(VarSpecTest, WarnsOnMalformedSpecs)
{
  const std::vector<std::tuple<const char*, const char*, int>> cases = {
      {"a:b:c:d:temp", "VarSpec: invalid, wrong number of colons\n", 0},
      {"temp[K,cf", "VarSpec: missing ]\n", 1},
  };
  for (const auto& [text, warning, result] : cases) {
    testing::internal::CaptureStderr();
    VarSpec s;
    EXPECT_EQ(s.decode(text), result) << text;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), warning) << text;
  }
  EXPECT_EQ(VarSpec("temp[K,cf").getPlot(), VarSpec::CONTOUR);
  std::string huge = "h12:500:" + std::string(300, 'x') + "[" + std::string(300, 'u') + "]";
  VarSpec cut(huge.c_str());
  EXPECT_EQ(std::string(cut.getName()).size(), static_cast<size_t>(Variable::ABBR_SIZE - 1));
  EXPECT_EQ(std::string(cut.getUnits()).size(), static_cast<size_t>(Variable::UNITS_SIZE - 1));
}

TEST_F(VarSpecTest, UpdateMergesForecastTimesLevelsAndFormats)
{
  VarSpec entry("temp[C,cf]");
  VarSpec layer("h12:850:hght");
  VarSpec merged = entry;
  merged.update(layer, VarSpec::FORE_TIME | VarSpec::LEVEL);
  EXPECT_FLOAT_EQ(merged.getForeTime().getFore(), 12);
  EXPECT_FLOAT_EQ(merged.getLevel().lower_value, 850);
  EXPECT_STREQ(merged.getName(), "temp");  // variable not in the mask
  EXPECT_STREQ(merged.getFormat(), "cf");

  merged.update(VarSpec("500:hght[m,ln]"), VarSpec::ALL);
  EXPECT_FLOAT_EQ(merged.getForeTime().getFore(), 12);  // unset side keeps the other
  EXPECT_FLOAT_EQ(merged.getLevel().lower_value, 500);
  EXPECT_STREQ(merged.getName(), "hght");
  EXPECT_STREQ(merged.getFormat(), "ln");

  // A relative forecast time is applied to an absolute one, in either order.
  ForeTime rel("time-6-6acc");
  ForeTime abs("h12");
  ForeTime a = abs;
  VarSpec::mergeForeTime(a, rel);
  EXPECT_EQ(a.getType(), ForeTime::ACCUMULATION);
  EXPECT_FLOAT_EQ(a.getStart(), 12);
  EXPECT_FLOAT_EQ(a.getEnd(), 18);
  ForeTime r = rel;
  VarSpec::mergeForeTime(r, abs);
  EXPECT_EQ(r.toCode(), a.toCode());
  ForeTime b = abs, unset;
  VarSpec::mergeForeTime(b, ForeTime("time-3"));
  EXPECT_EQ(b.getType(), ForeTime::FORECAST);
  VarSpec::mergeForeTime(b, unset);
  EXPECT_FLOAT_EQ(b.getFore(), 15);
}

TEST_F(VarSpecTest, GridSpecKeysAndMatching)
{
  KOL::GridSpec req("h12:500:hght[m]");
  EXPECT_EQ(req.getForeTime(), 12);
  EXPECT_EQ(req.getLevelType(), 100);
  EXPECT_EQ(req.getLevelCode(), 500);
  EXPECT_EQ(req.getVar(), 7);
  EXPECT_STREQ(req.getUnits(), "m");

  KOL::GridSpec grid;
  grid.set(7, 211, 12, 100, 500, 7);
  EXPECT_TRUE(KOL::GridSpec::equal(req, grid));
  grid.setLevel(100, 850);
  EXPECT_FALSE(KOL::GridSpec::equal(req, grid));
  grid.setLevel(Const::MISS, Const::MISS);  // unset keys match anything
  EXPECT_TRUE(KOL::GridSpec::equal(req, grid));
  // The grid's variable code may be any of the request's five.
  grid.setVar(0, 3005);
  EXPECT_FALSE(KOL::GridSpec::equal(req, grid));
  req.setVar(3, 3005);
  EXPECT_TRUE(KOL::GridSpec::equal(req, grid));
  EXPECT_EQ(req.setVar(5, 1), 0);
  // Edition 1 codes of table versions 1 to 3 name the same common parameters.
  EXPECT_TRUE(KOL::GridSpec::sameVar(2000011, 3000011));
  EXPECT_FALSE(KOL::GridSpec::sameVar(2000011, 2000012));
  EXPECT_FALSE(KOL::GridSpec::sameVar(2000200, 3000200));
  KOL::GridSpec byIndex("#3:K");
  EXPECT_EQ(byIndex.getIndex(), 3);
  EXPECT_STREQ(byIndex.getUnits(), "K");
  EXPECT_FALSE(byIndex.isVarSet());
  EXPECT_FALSE(KOL::GridSpec("#").isSet());
  KOL::GridSpec ens("ens[+2]temp[K]");  // the first bracket is the variable's
  EXPECT_EQ(ens.getVar(), 2000 + 11 + 19340000);
  EXPECT_STREQ(ens.getUnits(), "K");
}

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
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"a,{b,c}[K,cf],d", "0 1 a [,]\n0 3  [K,cf]\n1 1 b [,cf]\n1 1 c [,cf]\n0 1 d [,]\n"},
      {"add(temp,#273.15)[K,cf]", "0 4 add [K,cf]\n1 1 temp [,]\n1 1 #273.15 [,]\n"},
      {"grad-x(hght),vdiff(u,v)",
       "0 5 grad-x [,]\n1 1 hght [,]\n0 5 vdiff [,]\n1 1 u [,]\n1 1 v [,]\n"},
      {"contour<ci=4>", "0 2 contour [,]\n1 1 ci=4 [,]\n"},
      {"{t[,ln],{u,v}[,vect]}[C,cf]",
       "0 3  [C,cf]\n1 1 t [,cf,ln]\n1 3  [,cf,vect]\n2 1 u [,cf,vect]\n2 1 v [,cf,vect]\n"},
      {"a\\,b", "0 1 a [,]\n0 1 b [,]\n"},
      {"mul(a,b", "0 4 mul [,]\n1 1 a [,]\n"},  // unterminated: the entries so far
      {"", ""},
  };
  for (const auto& [text, entries] : cases) {
    VarList list;
    EXPECT_EQ(list.decode(text), 1) << text;
    EXPECT_EQ(describe(list), entries) << text;
  }
  VarList list("a,{b,c}[K,cf],d");
  EXPECT_TRUE(list.isFillContour(1));
  EXPECT_FALSE(list.isContour(0));
  EXPECT_FALSE(list.isGroup(99));
  KOL::String text;
  list.getString(0, text);
  EXPECT_STREQ(text.get(), "::a[,]");
}

TEST_F(VarListTest, ReportsSyntaxErrors)
{
  const std::vector<std::tuple<const char*, const char*, int>> cases = {
      {"a)", "VarList::decode error, unexpected ) at )\n", 0},
      {"f(a>", "VarList::decode error, unexpected > at >\n", 1},
      {"a]x", "VarList::decode error, unexpected ] at ]x\n", 0},
      {"{(<{(<{(<{(<", "VarList::decode error, too deeply nested at <\n", 11},
  };
  for (const auto& [text, warning, kept] : cases) {
    VarList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(list.decode(text), 0) << text;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), warning) << text;
    EXPECT_EQ(list.getNum(), kept) << text;
  }
}

TEST_F(VarListTest, ReadsAndExpandsMacros)
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
  EXPECT_EQ(file.search("pai", d), 0);
  EXPECT_EQ(file.open("missing.var"), 0);
  // expanded
  writeMacros(
      "tc     l  x  temp[C,cf]\n"
      "kelvin l  x  temp[K]\n"
      "pair   l  x  hght[m,ln],temp[C,ln]\n"
      "self   l  x  self[m]\n"
      "ping   l  x  pong\n"
      "pong   l  x  ping\n"
      "whole  l  x  tc,hght\n");
  const std::vector<std::pair<const char*, const char*>> cases = {
      // One-item definitions: the entry's units win when convertible, its format is appended.
      {"tc", "0 1 temp [C,cf]\n"},
      {"tc[F,ln]", "0 1 temp [F,cf,ln]\n"},
      {"kelvin[C]", "0 1 temp [C,]\n"},
      // Several items take the entry's place, units and format going to the top-level items.
      {"a,pair[ft,dash],b", "0 1 a [,]\n0 1 hght [ft,ln,dash]\n0 1 temp [C,ln,dash]\n0 1 b [,]\n"},
      {"{pair}[,cf]", "0 3  [,cf]\n1 1 hght [m,ln,cf]\n1 1 temp [C,ln,cf]\n"},
      // A macro defined as itself expands once; a loop stops after the last pass.
      {"self", "0 1 self [m,]\n"},
      {"x,ping", "0 1 x [,]\n0 1 ping [,]\n"},
      // The whole text may be a macro, whose items are expanded in turn.
      {"whole", "0 1 temp [C,cf]\n0 1 hght [,]\n"},
      {"+tc", "0 1 tc [,]\n"},
  };
  for (const auto& [text, entries] : cases) {
    VarList list, scratch;
    list.setFile("test.var");
    EXPECT_EQ(list.process(text, scratch), 1) << text;
    EXPECT_EQ(describe(list), entries) << text;
  }
  VarList noFile, scratch;
  noFile.setFile("nothing.var");
  EXPECT_EQ(noFile.process("tc,b", scratch), 1);
  EXPECT_EQ(describe(noFile), "0 1 tc [,]\n0 1 b [,]\n");
}

// Every macro has a plain name and a definition that decodes as a variable list.
TEST(ShippedMacros, EveryMacroIsAVariableList)
{
  KOLTest::DatabaseScope database;
  for (const char* file : {"sfcplot.var", "gridplot.var", "upaplot.var"}) {
    KOL::VarFile vf;
    ASSERT_EQ(vf.open(file), 1) << file;
    KOL::VarFileData d;
    int macros = 0;
    while (vf.read(d)) {
      macros++;
      EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(d.name[0]))) << file << " " << d.name;
      EXPECT_GT(KOL::VarList(d.definition.get()).getNum(), 0) << file << " " << d.name;
    }
    EXPECT_GE(macros, 5) << file;
  }
}

// A layer whose data are fields of one value per variable (or, with ramp, increasing to the
// east by 1 per grid point), counting how often it is asked to read.
class FakeSource : public KOL::VarPlotSource {
 public:
  explicit FakeSource(bool grid = true) : grid_(grid) {}
  bool gridded() const override { return grid_; }
  void dataSpec(const VarList& list, int i, KOL::GridSpec& spec) override
  {
    spec.set(*list.getSpec(i));
  }
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override
  {
    int filled = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
      const std::string name = list.getName(entries[k]);
      if (!values.count(name)) continue;
      Grid g;
      g.setDomain(KOLTest::lambert(5, 4, 0.4f));
      g.allocData();
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 5; ++i) g.setValue(i, j, values[name] + (ramp.count(name) ? i : 0));
      g.setVar(name.c_str());
      grids.setGrid(static_cast<int>(k), g);
      ++filled;
    }
    return filled;
  }

  std::map<std::string, float> values;
  std::map<std::string, bool> ramp;

 private:
  bool grid_;
};

VarList decoded(const char* text)
{
  VarList list;
  EXPECT_EQ(list.decode(text), 1) << text;
  return list;
}

// The list's slots given, its data read and its functions evaluated; the number of functions.
int evaluated(VarPlot& p, VarList& list, FakeSource& src)
{
  p.assignSlots(list, src);
  p.readData(list, src);
  return p.evaluate(list);
}

std::vector<int> indices(const VarList& list)
{
  std::vector<int> out;
  for (int i = 0; i < list.getNum(); ++i) out.push_back(list.getDataIndex(i));
  return out;
}

class VarPlotTest : public KOLTest::DatabaseTest {};

TEST_F(VarPlotTest, SlotsFollowTheListsEntries)
{
  // the list, gridded or not, the data index of every entry in order, the entries the layer
  // reads, the slots
  const std::vector<std::tuple<const char*, bool, std::vector<int>, std::vector<int>, int>> cases =
      {
          // a plain field of a grid layer is contoured
          {"500:hght", true, {0}, {0}, 1},
          // a function, then its arguments; the constant is made, not read
          {"add(500:temp,#273.15)", true, {0, 1, 2}, {1}, 3},
          // nested: every function its own slot, arguments after their function
          {"sub(add(a,b),c)", true, {0, 1, 2, 3, 4}, {2, 3, 4}, 5},
          // a vector function takes two slots
          {"grad(500:hght)[,vect]", true, {0, 2}, {1}, 3},
          // a vector entry has its components' slots
          {"wnd<10m_ag:uwnd,10m_ag:vwnd>[kt,vect]", true, {0, 0, 1}, {1, 2}, 2},
          // groups hold slots only for their members
          {"{500:hght,500:temp}[,ln]", true, {-1, 0, 1}, {1, 2}, 2},
          // at the stations: only contour entries and function arguments are gridded
          {"temp,dewp,pmsl[,cf]", false, {-1, -1, 0}, {2}, 1},
          {"temp,add(dewp,#2)", false, {-1, 0, 1, 2}, {2}, 3},
          // maps and panels take none
          {"map[us.map],panel[2x1+0+0],500:hght", true, {-1, -1, 0}, {2}, 1},
      };
  for (const auto& [text, gridded, slotOf, read, slots] : cases) {
    SCOPED_TRACE(text);
    VarList list = decoded(text);
    FakeSource src(gridded);
    VarPlot p;
    EXPECT_EQ(p.assignSlots(list, src), slots);
    EXPECT_EQ(indices(list), slotOf);
    EXPECT_EQ(p.getDataEntries(), read);
  }
}

TEST_F(VarPlotTest, FunctionsAreEvaluatedDeepestFirst)
{
  // (a + b) - c with the inner sum needed before the difference
  VarList list = decoded("sub(add(a,b),c),mul(a,#2)");
  FakeSource src;
  src.values = {{"a", 10.0f}, {"b", 5.0f}, {"c", 1.0f}};
  VarPlot p;
  EXPECT_EQ(evaluated(p, list, src), 3);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(1)).getValue(1, 1), 15.0f);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(0)).getValue(1, 1), 14.0f);
  EXPECT_FLOAT_EQ(p.slotGrid(list.getDataIndex(5)).getValue(4, 3), 20.0f);
}

TEST_F(VarPlotTest, VectorFunctionFillsTwoSlots)
{
  // a field rising by 1 per 40 km to the east: its gradient points east, nothing north
  VarList list = decoded("grad(h)[,vect]");
  FakeSource src;
  src.values["h"] = 0.0f;
  src.ramp["h"] = true;
  VarPlot p;
  evaluated(p, list, src);
  const Grid& dx = p.slotGrid(list.getDataIndex(0));
  const Grid& dy = p.slotGrid(list.getDataIndex(0) + 1);
  ASSERT_TRUE(dx.isData());
  ASSERT_TRUE(dy.isData());
  EXPECT_NEAR(dx.getValue(2, 2), 2.5f, 0.05f);  // per 100 km
  EXPECT_NEAR(dy.getValue(2, 2), 0.0f, 1e-3);
}

TEST_F(VarPlotTest, MapsGoOverFillsAndYieldToMapEntries)
{
  // the list, the choice, whether maps are drawn of themselves, the map lists under and over
  const std::vector<std::tuple<const char*, VarPlot::MapChoice, bool, const char*, const char*>>
      cases = {
          {"500:hght", {true, -1, 0}, true, "default,under", "over"},
          {"500:hght,500:avort[,cf]",
           {true, -1, 0},
           true,
           "default,under,nodefault",
           "over,default"},
          {"temp", {true, -1, 3}, true, "default,under,nodefault", "over,default"},
          {"temp", {true, 1, 0}, true, "default,under,nodefault", "over,default"},
          {"500:avort[,cf]", {true, 0, 0}, true, "default,under", "over"},
          {"map[us.map],500:avort[,cf]", {true, -1, 0}, false, nullptr, nullptr},
          {"500:hght", {false, -1, 0}, false, nullptr, nullptr},
      };
  for (const auto& [text, choice, automatic, under, over] : cases) {
    SCOPED_TRACE(text);
    VarList list = decoded(text);
    VarPlot p;
    EXPECT_EQ(p.chooseMaps(list, choice), automatic);
    if (under) {
      EXPECT_EQ(p.getUnderMap(), under);
      EXPECT_EQ(p.getOverMap(), over);
    }
  }
}

}  // namespace
