// Colour maps and colour table files.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorMap.h"

using namespace KOL;

namespace {

class ColorMapTest : public KOLTest::DatabaseTest {};

TEST_F(ColorMapTest, NamesResolveToIndicesPatternsOrNothing)
{
  ColorMap m(8);
  m.add("black", 0, 0, 0);
  m.add("Sky", 0.5f, 0.7f, 1);
  struct Case {
    const char* name;
    int index;
  };
  const Case cases[] = {
      {nullptr, Const::MISS}, {"", Const::MISS}, {"END", -2},    {"none", -1},   {"Off", -1},
      {"back", -1},           {"pblk", 500},     {"ptwht", 505}, {"pbgry", 507}, {"sky", 1},
      {"BLACK", 0},           {"42", 42},        {"purple", -1}, {"#12345", -1}, {"#zz0000", -1}};
  for (const Case& c : cases) EXPECT_EQ(m.getInd(c.name), c.index) << (c.name ? c.name : "null");
  // hexadecimal and three-digit decimal forms add an entry once
  EXPECT_EQ(m.getInd("#ff0000"), 2);
  EXPECT_EQ(m.getInd("#ff0000"), 2);
  EXPECT_EQ(m.getInd("#000128255"), 3);
  float r, g, b;
  m.getRGB(2, r, g, b);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(g, 0);
  m.getRGB(3, r, g, b);
  EXPECT_NEAR(g, 128 / 255.0, 1e-6);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(m.getNum(), 4);
}

TEST_F(ColorMapTest, FullMapRefusesAndLookupsClamp)
{
  ColorMap m(2);
  EXPECT_EQ(m.add("a", 0, 0, 0), 0);
  EXPECT_EQ(m.add("b", 1, 1, 1), 1);
  EXPECT_EQ(m.add("c", 1, 0, 0), -1);
  EXPECT_EQ(m.add("A", 0.5f, 0.5f, 0.5f), 0);  // an existing name is updated in place
  int r, g, b;
  m.getIRGB(0, r, g, b);
  EXPECT_EQ(r, 127);
  m.getIRGB(9, r, g, b);  // past the end: the last entry
  EXPECT_EQ(r, 255);
  m.getIRGB(-1, r, g, b);
  EXPECT_EQ(r, -1);
  EXPECT_STREQ(m.getName(5), "b");
  EXPECT_EQ(m.setNumFill(3), 0);
  EXPECT_EQ(m.setNumFill(2), 1);
  EXPECT_TRUE(m.isColorNear(1, 0.999f, 1, 1));
  EXPECT_FALSE(m.isColorNear(1, 0.98f, 1, 1));
  ColorMap copy = m;
  copy.add("a", 0, 0, 1);
  m.getIRGB(0, r, g, b);
  EXPECT_EQ(b, 127) << "copies are deep";
}

TEST_F(ColorMapTest, TableFilesReadBothFormsSkipBadLinesAndCloseThePalette)
{
  KOLTest::TempDir dir;
  const std::string good = dir.file("a.clr");
  KOLTest::writeFile(good,
                     "# comment\n  0 white 1 1 1\n  1 black #000000\nsea 0 0 0.5\nEND\n"
                     "land #80FF40\nthis is not a colour\n17\nend\n");
  ColorMap m;
  ASSERT_EQ(ColorFile::read(good.c_str(), m), 1);
  EXPECT_EQ(m.getNum(), 4);
  EXPECT_EQ(m.getNumFill(), 3);
  EXPECT_EQ(m.getInd("land"), 3);
  int r, g, b;
  m.getIRGB(3, r, g, b);
  EXPECT_EQ(r, 128);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 64);

  const std::string noEnd = dir.file("b.clr");
  KOLTest::writeFile(noEnd, "red 1 0 0\ngreen 0 1 0\n");
  ColorMap all;
  ASSERT_EQ(ColorFile::read((noEnd + ",").c_str(), all), 1);
  EXPECT_EQ(all.getNumFill(), 2) << "without END every entry is a fill colour";

  ColorMap none;
  EXPECT_EQ(ColorFile::read(dir.file("missing.clr").c_str(), none), 0);
  EXPECT_EQ(none.getNum(), 0);
}

TEST_F(ColorMapTest, ShippedTableHasThePaletteAndTheBasicNames)
{
  ColorMap m(512);
  ASSERT_EQ(ColorFile::read("kol.clr", m), 1);
  EXPECT_GT(m.getNumFill(), 30);
  EXPECT_LT(m.getNumFill(), m.getNum());
  EXPECT_EQ(m.getInd("white"), 0);
  EXPECT_EQ(m.getInd("black"), 1);
  for (const char* name : {"red", "green", "blue", "yellow", "cyan", "magenta", "orange", "grey",
                           "gray", "brown", "navy", "darkgreen"})
    EXPECT_GE(m.getInd(name), m.getNumFill()) << name;
}

}  // namespace
