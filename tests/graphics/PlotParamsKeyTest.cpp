// Telling a layer key with a value from a word and from a longer key that starts alike.
#include <gtest/gtest.h>

#include "graphics/plot/PlotParams.h"

TEST(PlotParamsKey, KeysAndWordsInAnyCase)
{
  const struct {
    const char* field;
    bool ct, cof, bar;
  } cases[] = {
      {"ct=radar.tbl", true, false, false}, {"CT=radar.tbl", true, false, false},
      {"cof=red;blue", false, true, false}, {"ct=", true, false, false},
      {"ct", false, false, false},          {"ctx=1", false, false, false},
      {"bar", false, false, true},          {"BAR", false, false, true},
      {"bar=1", false, false, false},       {"nobar", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KOL::PlotParams::isKey(c.field, "ct"), c.ct) << c.field;
    EXPECT_EQ(KOL::PlotParams::isKey(c.field, "cof"), c.cof) << c.field;
    EXPECT_EQ(KOL::PlotParams::isWord(c.field, "bar"), c.bar) << c.field;
  }
}
