// Band colours of colour fills: from a colour table's palette, from colour lists, from explicit
// band values; every value gets a colour, and an enhancement table shades its ranges.
#include <gtest/gtest.h>

#include "common/TestData.h"
#include "core/Const.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/Enhance.h"

using namespace KOL;

namespace {

class ColorFillTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    for (const char* n : {"black", "white", "red", "green", "blue", "yellow"}) map.add(n, 0, 0, 0);
    map.setNumFill(4);
  }
  ColorMap map;
};

TEST_F(ColorFillTest, PaletteListsAndValues)
{
  ColorFill f;
  ASSERT_EQ(f.set(map, ""), 1);
  EXPECT_EQ(f.getNum(), 4) << "the fill palette of the table";
  EXPECT_FALSE(f.isValues());

  ASSERT_EQ(f.set(map, "blue;red/yellow,nosuchcolour"), 1);
  EXPECT_EQ(f.getNum(), 3) << "an unknown name is skipped";
  EXPECT_EQ(f.getColor(0), 4);
  EXPECT_EQ(f.getColor(2), 5);

  ASSERT_EQ(f.set(map, "0=blue;10=green=ten;20=red:w2"), 1);
  EXPECT_TRUE(f.isValues());
  EXPECT_EQ(f.getNumValues(), 3);
  EXPECT_FLOAT_EQ(f.getMinValue(), 0);
  EXPECT_STREQ(f.getLabel(1), "ten");
  EXPECT_EQ(f.getLabel(0), nullptr);
  EXPECT_EQ(f.getColor(20.0f), 2) << "attributes after a colour are ignored here";
  EXPECT_EQ(f.set(map, "zz;yy"), 0);
  ASSERT_EQ(f.set(map, "red;none"), 1);
  EXPECT_EQ(f.getColor(1), -1) << "a band left unfilled";
}

TEST_F(ColorFillTest, EveryValueGetsABandColour)
{
  ColorFill f;
  f.set(map, "red;green;blue");
  f.setInterval(10);
  f.setBase(0);
  const struct {
    float v;
    int colour;
  } cases[] = {{-50, 2},   {0, 2},  {9.99f, 2}, {10, 3},
               {19.9f, 3}, {20, 4}, {1000, 4},  {29.9999f, 4}};
  for (const auto& c : cases) EXPECT_EQ(f.getColor(c.v), c.colour) << c.v;
  EXPECT_FLOAT_EQ(f.getValue(2), 20);
  EXPECT_FLOAT_EQ(f.getValue(3), Const::FMISS);

  ColorFill values;
  values.set(map, "0=blue;5=green;10=red");
  EXPECT_EQ(values.getIndex(-1), 0);
  EXPECT_EQ(values.getIndex(5), 1);
  EXPECT_EQ(values.getIndex(7), 1);
  EXPECT_EQ(values.getIndex(99), 2);
  ColorFill empty;
  EXPECT_EQ(empty.getColor(5.0f), -1);
}

TEST(EnhanceTest, ShadesWithinItsRanges)
{
  KOL::Enhance e;
  EXPECT_EQ(e.add(10, 0, KOL::RGB(), KOL::RGB()), 0);
  ASSERT_EQ(e.add(-80, -40, KOL::RGB(1, 1, 1), KOL::RGB(0, 0, 0)), 1);
  ASSERT_EQ(e.add(-40, 20, KOL::RGB(0, 0, 1), KOL::RGB(0, 0, 1)), 1);
  float lo, hi;
  ASSERT_EQ(e.getRange(lo, hi), 1);
  EXPECT_FLOAT_EQ(lo, -80);
  EXPECT_FLOAT_EQ(hi, 20);
  KOL::RGB c;
  ASSERT_EQ(e.getColor(-60, c), 1);
  EXPECT_FLOAT_EQ(c.red, 0.5f);
  EXPECT_EQ(e.getColor(50, c), 0);
}

}  // namespace
