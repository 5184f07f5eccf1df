// Attribute texts as layers write them, and the texts of geometry and panel placement.
#include <gtest/gtest.h>

#include <cstring>

#include "core/Const.h"
#include "graphics/Plot.h"
#include "graphics/PlotAttr.h"

using namespace KOL;

namespace {

struct AttrCase {
  const char* text;
  const char* colour;
  float width;
  int style;
  float height;
  int fill;
};

TEST(PlotAttrTest, FieldsOfAttributeTexts)
{
  const AttrCase cases[] = {
      {"blue,w2,st=dsh", "blue", 2, 2, Const::FMISS, Const::MISS},
      {"red:w2:st=dsh", "red", 2, 2, Const::FMISS, Const::MISS},
      {"red:2", "red", Const::FMISS, Const::MISS, Const::FMISS, Const::MISS},
      {"co=green,wi=3.5,hi=0.02", "green", 3.5f, Const::MISS, 0.02f, Const::MISS},
      {"black:s5:h1.5:fi=hat", "black", Const::FMISS, 5, 1.5f, 9},
      {"white,st=llsdsh,f7", "white", Const::FMISS, 4, Const::FMISS, 7},
      {"CO=yellow,ST=dot", "yellow", Const::FMISS, 5, Const::FMISS, Const::MISS},
      {"fi=sol", "", Const::FMISS, Const::MISS, Const::FMISS, 0},
  };
  for (const AttrCase& c : cases) {
    SCOPED_TRACE(c.text);
    PlotAttr a(c.text);
    EXPECT_STREQ(a.color_name, c.colour);
    EXPECT_FLOAT_EQ(a.width, c.width);
    EXPECT_EQ(a.style, c.style);
    EXPECT_FLOAT_EQ(a.height, c.height);
    EXPECT_EQ(a.fill, c.fill);
  }
}

TEST(PlotAttrTest, FontsLabelsAndMissingFill)
{
  PlotAttr a("red:tf=roman.fnt:la=500mb:fM:we=2:e1.5:sh=3");
  EXPECT_STREQ(a.font, "roman.fnt");
  EXPECT_STREQ(a.label, "500mb");
  EXPECT_EQ(a.fill, Const::MISS);
  EXPECT_FLOAT_EQ(a.weight, 2.0f);
  EXPECT_FLOAT_EQ(a.expansion, 1.5f);
  EXPECT_EQ(a.shadow, 3);
  EXPECT_STREQ(PlotAttr("w3").color_name, "w3") << "a first field without '=' is the colour";
  PlotAttr longName("a_colour_name_much_longer_than_nineteen");
  EXPECT_EQ(std::strlen(longName.color_name), 19u);
}

TEST(PlotAttrTest, DefaultsUpdateAndValidColour)
{
  PlotAttr a;
  a.set(":w3", "green:w1:st=dsh");
  EXPECT_STREQ(a.color_name, "green");
  EXPECT_FLOAT_EQ(a.width, 3.0f);
  EXPECT_EQ(a.style, 2);
  EXPECT_TRUE(a.validColor());

  PlotAttr b("off:w5");
  a.update(b);
  EXPECT_STREQ(a.color_name, "off");
  EXPECT_FLOAT_EQ(a.width, 5.0f);
  EXPECT_EQ(a.style, 2) << "fields not set in the other stay";
  EXPECT_FALSE(a.validColor());

  PlotAttr none;
  EXPECT_FALSE(none.validColor());
  none.color = -1;
  EXPECT_FALSE(none.validColor());
}

TEST(PlotAttrTest, FillStyleAndMarkerNames)
{
  const struct {
    const char* name;
    int fill;
  } fills[] = {{"sol", 0}, {"ST", 1},   {"ost", 2}, {"rst", 3}, {"lst", 4}, {"||", 5},
               {"vln", 5}, {"\\\\", 6}, {"//", 7},  {"--", 8},  {"XX", 9},  {"hat", 9},
               {"0%", 10}, {"clr", 10}, {"1%", 11}, {"9%", 19}, {"12", 12}};
  for (const auto& f : fills) EXPECT_EQ(PlotAttr::parseFillStyle(f.name), f.fill) << f.name;
  const struct {
    const char* name;
    int mark;
  } marks[] = {{"pnt", 1}, {".", 1},      {"+", 2},  {"star", 3}, {"circle", 4},
               {"o", 4},   {"x", 5},      {"#", 6},  {"tri", 7},  {"dot", 8},
               {"v", 9},   {"light", 10}, {"z", 10}, {"?", 2},    {"", 2}};
  for (const auto& m : marks) EXPECT_EQ(PlotAttr::parseMarker(m.name), m.mark) << m.name;
}

TEST(PlotGeometryTest, GeometryTexts)
{
  const struct {
    const char* text;
    int kind;
    float w, h, x, y;
  } cases[] = {
      {"800x600+10-20", 2, 800, 600, 10, -20},
      {"800x600", 1, 800, 600, Const::FMISS, Const::FMISS},
      {"-5+7", 3, Const::FMISS, Const::FMISS, -5, 7},
      {"800x600+10", 1, 800, 600, Const::FMISS, Const::FMISS},
      {"big", 0, Const::FMISS, Const::FMISS, Const::FMISS, Const::FMISS},
      {"", 0, Const::FMISS, Const::FMISS, Const::FMISS, Const::FMISS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    GeomBox b;
    EXPECT_EQ(KOL::Plot::decodeGeometryStr(c.text, b), c.kind);
    EXPECT_FLOAT_EQ(b.width, c.w);
    EXPECT_FLOAT_EQ(b.height, c.h);
    EXPECT_FLOAT_EQ(b.x, c.x);
    EXPECT_FLOAT_EQ(b.y, c.y);
  }
}

TEST(PlotGeometryTest, PanelTexts)
{
  const Rect page(0, 0, 1, 0.75f);
  const struct {
    const char* text;
    int ok;
    float x, y, w, h;
  } cases[] = {
      // row 0 is the top row: the upper-right quadrant
      {"2x2+1+0", 1, 0.5f, 0.375f, 0.5f, 0.375f},
      {"2x2+0+1", 1, 0.0f, 0.0f, 0.5f, 0.375f},
      {"3x1", 1, 0.0f, 0.0f, 1.0f / 3, 0.75f},
      {"20x20+19+0", 1, 19.0f / 8, 0.75f - 0.75f / 8, 1.0f / 8, 0.75f / 8},  // limited to 8
      // fractions of the page
      {"0.5x0.5+0.5+0", 1, 0.5f, 0.0f, 0.5f, 0.375f},
      {"2x2+1", 0, 0.5f, 0.375f, 0.5f, 0.375f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    GeomBox b;
    EXPECT_EQ(KOL::Plot::decodePanelStr(page, c.text, b), c.ok);
    EXPECT_NEAR(b.x, c.x, 1e-6);
    EXPECT_NEAR(b.y, c.y, 1e-6);
    EXPECT_NEAR(b.width, c.w, 1e-6);
    EXPECT_NEAR(b.height, c.h, 1e-6);
  }
}

}  // namespace
