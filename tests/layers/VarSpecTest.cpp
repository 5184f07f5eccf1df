// Variable specs: the colon fields, the bracket of units and format, the drawing type,
// and the merging of forecast times and levels.
#include <gtest/gtest.h>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/GridSpec.h"
#include "layers/VarSpec.h"

using KOL::Const;
using KOL::ForeTime;
using KOL::Level;
using KOL::String;
using KOL::Variable;
using KOL::VarSpec;

namespace {

class VarSpecTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
};

struct SpecCase {
  const char* text;
  float fore;  // ForeTime::getFore, missing when unset
  int levelType;
  float level;
  const char* abbr;
  int literal;
  const char* units;
  const char* format;
  int plot;
};

TEST_F(VarSpecTest, DecodesFieldsBracketsAndDrawingTypes)
{
  const int P = Level::PRES;
  const int M = Const::MISS;
  const float FM = Const::FMISS;
  const SpecCase cases[] = {
      {"temp", FM, M, FM, "temp", 0, "", "", VarSpec::NONE},
      {"850:temp", FM, P, 850, "temp", 0, "", "", VarSpec::NONE},
      {"f12:500:+hght[m,cf]", 12, P, 500, "hght", 1, "m", "cf", VarSpec::CONTOUR},
      {"h24:700mb:rhum:%", 24, P, 700, "rhum", 0, "%", "", VarSpec::NONE},
      {":500:hght", FM, P, 500, "hght", 0, "", "", VarSpec::NONE},
      {"prob[>0.5]pcp[in]", FM, M, FM, "pcp", 0, "in", "", VarSpec::NONE},
      {"f12:sfc:prob[>0.5]pcp[in,cf]", 12, Level::SURFACE, 0, "pcp", 0, "in", "cf",
       VarSpec::CONTOUR},
      {"prob[>0.5]pcp", FM, M, FM, "pcp", 0, "", "", VarSpec::NONE},
      {"temp[C]", FM, M, FM, "temp", 0, "C", "", VarSpec::NONE},
      {"temp[ C , ln , plot ]", FM, M, FM, "temp", 0, "C", "ln,plot", VarSpec::PLOT},
      {"wind[knt,vect]", FM, M, FM, "wind", 0, "knt", "vect", VarSpec::VECTOR},
      {"temp[,value]", FM, M, FM, "temp", 0, "", "value", VarSpec::DATA},
      {"temp[,color=red]", FM, M, FM, "temp", 0, "", "color=red", VarSpec::NONE},
      {"map[default,under]", FM, M, FM, "map", 0, "", "default,under", VarSpec::MAP},
      {"panel[2x2]", FM, M, FM, "panel", 0, "", "2x2", VarSpec::PANEL},
  };
  for (const auto& c : cases) {
    VarSpec s;
    EXPECT_EQ(s.decode(c.text), 1) << c.text;
    EXPECT_FLOAT_EQ(s.getForeTime().getFore(), c.fore) << c.text;
    EXPECT_EQ(s.getLevel().lower_type, c.levelType) << c.text;
    if (c.levelType != M) {
      EXPECT_FLOAT_EQ(s.getLevel().lower_value, c.level) << c.text;
    }
    EXPECT_STREQ(s.getName(), c.abbr) << c.text;
    EXPECT_EQ(s.getLiteral(), c.literal) << c.text;
    EXPECT_STREQ(s.getUnits(), c.units) << c.text;
    EXPECT_STREQ(s.getFormat(), c.format) << c.text;
    EXPECT_EQ(s.getPlot(), c.plot) << c.text;
  }
  VarSpec pseudo("map[lalo]");
  EXPECT_EQ(pseudo.getKind(), VarSpec::PSEUDO);
  VarSpec plain("temp");
  EXPECT_EQ(plain.getKind(), VarSpec::DECODED);
}

TEST_F(VarSpecTest, ResolvesNamesThroughTheTable)
{
  VarSpec s("500:hght");
  EXPECT_EQ(s.getVar().getInd(), 7);
  EXPECT_STREQ(s.getVar().getName(), "Geopotential height");
  VarSpec unknown("zzz");
  EXPECT_EQ(unknown.getVar().getInd(), Const::MISS);
  EXPECT_STREQ(unknown.getVar().getName(), "");  // decode leaves the long name empty

  VarSpec set;
  set.setVar("zzz", "K");
  EXPECT_STREQ(set.getVar().getName(), "zzz");  // setVar uses the abbreviation instead
  EXPECT_STREQ(set.getUnits(), "K");
  set.setVar("52", "%");  // a leading digit is an index
  EXPECT_STREQ(set.getName(), "rhum");
  set.setVar(999, "");
  EXPECT_STREQ(set.getName(), "999");
  set.setVar("max_temp");
  EXPECT_EQ(set.getVar().getType(), Variable::MAX);
  EXPECT_EQ(set.getVar().toIndCode(), 3011);
}

TEST_F(VarSpecTest, WarnsOnMalformedSpecs)
{
  struct {
    const char* text;
    const char* warning;
    int result;
  } cases[] = {
      {"a:b:c:d:temp", "VarSpec: invalid, wrong number of colons\n", 0},
      {"temp[K,cf", "VarSpec: missing ]\n", 1},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    VarSpec s;
    EXPECT_EQ(s.decode(c.text), c.result) << c.text;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning) << c.text;
  }
  VarSpec open("temp[K,cf");
  EXPECT_STREQ(open.getUnits(), "K");
  EXPECT_EQ(open.getPlot(), VarSpec::CONTOUR);
  // Over-long texts are cut at the field sizes.
  std::string huge = "h12:500:" + std::string(300, 'x') + "[" + std::string(300, 'u') + "]";
  VarSpec cut(huge.c_str());
  EXPECT_EQ(std::string(cut.getName()).size(), static_cast<size_t>(Variable::ABBR_SIZE - 1));
  EXPECT_EQ(std::string(cut.getUnits()).size(), static_cast<size_t>(Variable::UNITS_SIZE - 1));
}

TEST_F(VarSpecTest, WritesTextAndLabels)
{
  VarSpec s("h12:500:max_hght[m,cf]");
  String text;
  s.toString(text);
  EXPECT_STREQ(text.get(), "12hr:500mb:max_hght");
  s.toInfoLabel(text);
  EXPECT_STREQ(text.get(), "500 mb Max Geopotential height [m]");
  VarSpec acc("h12-6acc:sfc:pcp[in]");
  acc.toInfoLabel(text);
  EXPECT_STREQ(text.get(), "Surface Total precipitation [in] 6 hour acc");
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
  ForeTime offset("time-3");
  ForeTime b = abs;
  VarSpec::mergeForeTime(b, offset);
  EXPECT_EQ(b.getType(), ForeTime::FORECAST);
  EXPECT_FLOAT_EQ(b.getFore(), 15);
  ForeTime unset;
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
  EXPECT_FALSE(KOL::GridSpec::sameVar(11, 2000011));

  KOL::GridSpec byIndex("#3:K");
  EXPECT_EQ(byIndex.getIndex(), 3);
  EXPECT_STREQ(byIndex.getUnits(), "K");
  EXPECT_TRUE(byIndex.isSet());
  EXPECT_FALSE(byIndex.isVarSet());
  KOL::GridSpec nothing("#");
  EXPECT_FALSE(nothing.isSet());
  KOL::GridSpec ens("ens[+2]temp[K]");  // the first bracket is the variable's
  EXPECT_EQ(ens.getVar(), 2000 + 11 + 19340000);
  EXPECT_STREQ(ens.getUnits(), "K");
}

}  // namespace
