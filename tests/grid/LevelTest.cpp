#include "grid/Level.h"

#include <gtest/gtest.h>

#include <string>

#include "core/String.h"
#include "obs/VCoord.h"

using KOL::Level;
using KOL::String;
using KOL::VCoord;

namespace {

constexpr int MISS = KOL::Const::MISS;
constexpr float FMISS = KOL::Const::FMISS;

void expectLevel(const Level& l, int t1, float v1, int t2, float v2)
{
  EXPECT_EQ(l.lower_type, t1);
  EXPECT_FLOAT_EQ(l.lower_value, v1);
  EXPECT_EQ(l.upper_type, t2);
  EXPECT_FLOAT_EQ(l.upper_value, v2);
}

std::string text(const Level& l)
{
  String s;
  l.toString(s);
  return s.get();
}

std::string label(const Level& l)
{
  String s;
  l.toLabel(s);
  return s.get();
}

TEST(LevelTest, DecodesTextForms)
{
  const struct {
    const char* text;
    int result, t1;
    float v1;
    int t2;
    float v2;
  } table[] = {
      {"500", 1, 100, 500, MISS, FMISS},
      {"  500 ", 1, 100, 500, MISS, FMISS},
      {"850-700mb", 1, 100, 850, 100, 700},
      {"700-850mb", 1, 100, 850, 100, 700},
      {"850-700", 1, 100, 850, 100, 700},
      {"p850-700", 1, 100, 850, 100, 700},
      {"p700-850", 1, 100, 850, 100, 700},
      {"P500", 1, 100, 500, MISS, FMISS},
      {"a2", 1, 103, 2, MISS, FMISS},
      {"a10-2", 1, 103, 2, 103, 10},
      {"h1500", 1, 102, 1500, MISS, FMISS},
      {"k330-300", 1, 107, 330, 107, 300},
      {"k300-330", 1, 107, 330, 107, 300},
      {"s0.995", 1, 104, 0.995f, MISS, FMISS},
      {"s0.9-0.5", 1, 104, 0.5f, 104, 0.9f},
      {"sfc", 1, 1, 0, MISS, FMISS},
      {"SFC", 1, 1, 0, MISS, FMISS},
      {"sea", 1, 1, 0, MISS, FMISS},
      {"sfc[3]", 1, 1, 3, MISS, FMISS},
      {"sl", 1, 101, 0, MISS, FMISS},
      {"snd", 1, 0, 0, MISS, FMISS},
      {"-", 1, 199, 0, MISS, FMISS},
      {"10ft_ag", 1, 103, 3.048f, MISS, FMISS},
      {"2m_ag", 1, 103, 2, MISS, FMISS},
      {"100ft", 1, 102, 30.48f, MISS, FMISS},
      {"1500m", 1, 102, 1500, MISS, FMISS},
      {"-10m", 1, 102, -10, MISS, FMISS},
      {"30mb_ag", 1, 108, 30, MISS, FMISS},
      {"320K", 1, 107, 320, MISS, FMISS},
      {"0.5SIG", 1, 104, 0.5f, MISS, FMISS},
      {"1eta", 1, 111, 1, MISS, FMISS},
      {"2pv", 1, 109, 2, MISS, FMISS},
      {"10hyb", 1, 105, 10, MISS, FMISS},
      {"10cm_bg", 1, 106, 10, MISS, FMISS},
      {"500xyz", 1, 100, 500, MISS, FMISS},
      {"850-", 1, 100, 850, MISS, FMISS},
      // A bare first number takes the unit of the second, factor included.
      {"1000-500m_ag", 1, 103, 500, 103, 1000},
      {"1000-3000ft", 1, 102, 304.8f, 102, 914.4f},
      {"sfc-500mb", 1, 1, 0, 100, 500},
      {"sfc-500", 1, 1, 0, 100, 500},
      {"trop", 1, 7, 0, MISS, FMISS},
      {"Frz", 1, 4, 0, MISS, FMISS},
      {"pbl", 1, 220, 0, MISS, FMISS},       // 'p' without a number is a keyword
      {"hcld_top", 1, 233, 0, MISS, FMISS},  // and so is 'h'
      {"top", 1, 8, 0, MISS, FMISS},
      {"top_frz", 1, 204, 0, MISS, FMISS},
      {"wholel", 1, 200, 0, MISS, FMISS},
      {"cb_base", 1, 11, 0, MISS, FMISS},
      {"sclw_top", 1, 254, 0, MISS, FMISS},
      {"lcl-trop", 1, 5, 0, 7, 0},
      {"", 0, MISS, FMISS, MISS, FMISS},
      {"level", 0, MISS, FMISS, MISS, FMISS},
      {"NONE", 0, MISS, FMISS, MISS, FMISS},
      {"miss", 0, MISS, FMISS, MISS, FMISS},
      {"garbage", 0, MISS, FMISS, MISS, FMISS},
      {"500-garbage", 0, MISS, FMISS, MISS, FMISS},
      {"ainf", 0, MISS, FMISS, MISS, FMISS},
      {"p1e40", 0, MISS, FMISS, MISS, FMISS},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    Level l;
    EXPECT_EQ(l.decode(row.text), row.result);
    expectLevel(l, row.t1, row.v1, row.t2, row.v2);
  }
  Level l(100, 500.0f);
  EXPECT_EQ(l.decode(nullptr), 0);
  EXPECT_FALSE(l.isSet());
}

TEST(LevelTest, EncodesTextAndLabel)
{
  const struct {
    Level level;
    int result;
    const char* text;
    const char* label;
  } table[] = {
      {Level(100, 500.0f), 1, "500mb", "500 mb"},
      {Level("850-700mb"), 1, "850-700mb", "850-700 mb"},
      {Level(104, 0.85f), 1, "0.85sig", "0.850 sigma"},
      {Level(104, 0.9f, 104, 0.5f), 1, "0.900-0.50sig", "0.900-0.500 sigma"},
      {Level(1, 0.0f), 1, "sfc", "Surface"},
      {Level(1, 3.0f), 1, "sfc[3]", "Surface[3]"},
      {Level(1, 2003.0f), 1, "sfc[3]", "Surface[3]"},
      {Level(100, 2000.0f), 1, "sfc", "Surface"},
      {Level(100, 1900.0f), 1, "sfc", "Surface"},
      {Level(100, 1950.0f), 1, "trop", "Tropopause"},
      {Level(100, 2005.0f), 1, "sfc[5]", "Surface[5]"},
      {Level(100, 2000.0f, 100, 500.0f), 1, "sfc-500mb", "Surface-500 mb"},
      {Level(102, 1000.0f, 102, 99500.0f), 1, "1000-trop", "1000-Tropopause"},
      {Level(102, 99500.0f), 1, "99500m", "99500 m"},
      {Level(103, 2.0f), 1, "2m_ag", "2 m AG"},
      {Level(103, 0.0f, 103, 10.0f), 1, "0-10m_ag", "0-10 m AG"},
      {Level(105, 20.0f), 1, "20hyb", "20 hyb"},
      {Level(106, 10.0f), 1, "10cm_bg", "10 cm BG"},
      {Level(107, 320.0f), 1, "320K", "320 K"},
      {Level(108, 30.0f), 1, "30mb_ag", "30 mb AG"},
      {Level(109, 1.5f), 1, "1.50*10^-6 Km2/kgs", "1.50*10^-6 Km2/kgs"},
      {Level(1, 0.0f, 100, 500.0f), 1, "sfc-500mb", "Surface-500 mb"},
      {Level(7, 0.0f), 1, "trop", "Tropopause"},
      {Level(0, 0.0f), 1, "snd", ""},
      {Level(245, 0.0f), 1, "wbzero", "Wet bulb zero lvl"},
      {Level(246, 0.0f), 1, "maxepot", "Max eq pot temp lvl"},
      {Level(199, 0.0f), 1, "", ""},
      {Level(111, 0.5f), 0, "", ""},
      {Level(50, 0.0f), 0, "", ""},
      {Level(300, 0.0f), 0, "", "Unknown lvl: 300"},
      {Level(), 0, "", ""},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    String s("previous text");
    EXPECT_EQ(row.level.toString(s), row.result);
    EXPECT_STREQ(s.get(), row.text);
    EXPECT_EQ(label(row.level), row.label);
  }
}

TEST(LevelTest, TextFormsSurviveARoundTrip)
{
  for (const char* t :
       {"500",      "850-700mb", "2m_ag",   "1000-500m_ag", "sfc[3]", "320K", "330-300K",
        "0.5sig",   "10hyb",     "10cm_bg", "30mb_ag",      "trop",   "lcl",  "pbl",
        "hcld_lyr", "sfc-500mb", "1500m",   "wholel",       "sl",     "snd"}) {
    SCOPED_TRACE(t);
    Level a(t), b(text(a).c_str());
    EXPECT_TRUE(a.isSet());
    EXPECT_EQ(a, b) << text(a);
  }
}

TEST(LevelTest, SetOrdersLayers)
{
  Level l;
  expectLevel(l, MISS, FMISS, MISS, FMISS);
  l.set(100, 700.0f, 100, 850.0f);
  expectLevel(l, 100, 850, 100, 700);
  l.set(104, 0.5f, 104, 0.9f);
  expectLevel(l, 104, 0.9f, 104, 0.5f);
  l.set(102, 3000.0f, 102, 1000.0f);
  expectLevel(l, 102, 1000, 102, 3000);
  l.set(100, 500.0f, 1, 0.0f);  // different types stay as given
  expectLevel(l, 100, 500, 1, 0);
  l.set(100, 500.0f, MISS, 3.0f);
  expectLevel(l, 100, 500, MISS, FMISS);
  EXPECT_FALSE(l.isLayer());
  l.set(100, 850.0f, 700.0f);
  expectLevel(l, 100, 700, 100, 850);
  EXPECT_TRUE(l.isLayer());
  EXPECT_TRUE(l.isPres());
  EXPECT_TRUE(Level("2m_ag").isHght());
  EXPECT_TRUE(Level("h100").isHght());
  EXPECT_TRUE(Level("320K").isPot());
  EXPECT_FALSE(Level("sfc").isPres());
}

TEST(LevelTest, GribTypeAndLevelCodes)
{
  const struct {
    int type, single, layer;
  } types[] = {{100, 100, 101}, {101, 102, 102}, {102, 103, 104}, {103, 105, 106}, {104, 107, 108},
               {105, 109, 110}, {106, 111, 112}, {107, 113, 114}, {108, 115, 116}, {109, 130, 130},
               {111, 119, 120}, {1, 1, 1},       {245, 245, 245}};
  for (const auto& t : types) {
    SCOPED_TRACE(t.type);
    EXPECT_EQ(Level::toTypeCode(t.type), t.single);
    EXPECT_EQ(Level::toTypeCode(t.type, t.type), t.layer);
  }
  EXPECT_EQ(Level("850-700mb").toTypeCode(), 101);

  const struct {
    Level level;
    int code;
  } codes[] = {{Level("850-700mb"), 70085},
               {Level(104, 0.995f), 9950},
               {Level(100, 500.0f), 500},
               {Level(100, 499.6f), 500},
               {Level(101, 0.0f), 0},
               {Level(102, 1000.0f, 102, 3000.0f), 30010},
               {Level(103, 2.0f), 2},
               {Level(104, 0.9f, 104, 0.5f), 50090},
               {Level(105, 10.0f, 105, 20.0f), 20010},
               {Level(107, 320.0f), 320},
               {Level(109, 2.0f), 2},
               {Level(111, 0.5f), 5000},
               {Level(111, 0.9f, 111, 0.5f), 90050},
               {Level(1, 0.0f), 0},
               {Level(245, 0.0f), 0},
               {Level(50, 0.0f), MISS},
               {Level(110, 3.0f), MISS},
               {Level(100, 3.0e30f), MISS},
               {Level(), MISS},
               {Level(MISS, 0.0f, 100, 500.0f), 0}};
  for (const auto& c : codes) {
    SCOPED_TRACE(text(c.level));
    EXPECT_EQ(c.level.toLevelCode(), c.code);
  }
}

TEST(LevelTest, DecodesGribCodes)
{
  const struct {
    int typeCode, levelCode, t1;
    float v1;
    int t2;
    float v2;
  } table[] = {{100, 500, 100, 500, MISS, FMISS},  {101, 70085, 100, 850, 100, 700},
               {102, 0, 101, 0, MISS, FMISS},      {103, 1500, 102, 1500, MISS, FMISS},
               {104, 30010, 102, 1000, 102, 3000}, {105, 2, 103, 2, MISS, FMISS},
               {106, 30010, 103, 1000, 103, 3000}, {107, 9950, 104, 0.995f, MISS, FMISS},
               {108, 50090, 104, 0.9f, 104, 0.5f}, {109, 10, 105, 10, MISS, FMISS},
               {110, 20010, 105, 10, 105, 20},     {111, 10, 106, 10, MISS, FMISS},
               {112, 10040, 106, 40, 106, 10},     {113, 320, 107, 320, MISS, FMISS},
               {114, 330300, 107, 300, 107, 330},  {115, 30, 108, 30, MISS, FMISS},
               {116, 30000, 108, 0, 108, 30},      {119, 5000, 111, 0.5f, MISS, FMISS},
               {120, 50090, 111, 0.9f, 111, 0.5f}, {130, 2, 109, 2, MISS, FMISS},
               {117, 5, 117, 5, MISS, FMISS},      {1, 0, 1, 0, MISS, FMISS},
               {200, 0, 200, 0, MISS, FMISS}};
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.typeCode << " " << row.levelCode);
    Level l;
    EXPECT_EQ(l.decode(row.typeCode, row.levelCode), 1);
    expectLevel(l, row.t1, row.v1, row.t2, row.v2);
  }
}

// Every type and level code the class knows comes back unchanged through a Level: the layer codes
// over every pair of one-octet parts (first part the upper level), the single codes over every
// two-octet value, the keyword types with their code 0.
TEST(LevelTest, GribCodesRoundTrip)
{
  auto expectRoundTrip = [](int type, int code) {
    Level l;
    l.decode(type, code);
    if (l.toTypeCode() == type && l.toLevelCode() == code) return true;
    ADD_FAILURE() << "type " << type << " code " << code << " came back as " << l.toTypeCode()
                  << " " << l.toLevelCode() << " (" << text(l) << ")";
    return false;
  };
  for (int type : {101, 104, 106, 108, 110, 112, 114, 116, 120})
    for (int hi = 0; hi < 256; hi++)
      for (int lo = 0; lo < 256; lo++)
        if (!expectRoundTrip(type, hi * 1000 + lo)) break;
  for (int type : {100, 103, 105, 107, 109, 111, 113, 115, 119, 130})
    for (int code = 0; code < 65536; code++)
      if (!expectRoundTrip(type, code)) break;
  for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 20, 102, 199, 200, 204, 215, 245, 254})
    expectRoundTrip(type, 0);

  // A layer keeps its first part above: the 850-700 hPa layer as written in text.
  Level layer;
  layer.decode(101, 70085);
  EXPECT_EQ(layer, Level("850-700mb"));
  EXPECT_EQ(text(layer), "850-700mb");
}

TEST(LevelTest, SoundingCoordinates)
{
  VCoord c;
  ASSERT_EQ(Level(100, 500.0f).getLower(c), 1);
  EXPECT_EQ(c.kind, VCoord::PRESSURE);
  EXPECT_EQ(c.value, 500.0f);
  ASSERT_EQ(Level("trop").getLower(c), 1);
  EXPECT_EQ(c.kind, VCoord::TROPOPAUSE);
  ASSERT_EQ(Level("sfc").getLower(c), 1);
  EXPECT_EQ(c.kind, VCoord::SURFACE);
  ASSERT_EQ(Level("lcl").getLower(c), 1);
  EXPECT_EQ(c.kind, VCoord::LCL);
  ASSERT_EQ(Level("h1000-3000").getUpper(c), 1);
  EXPECT_EQ(c.kind, VCoord::HEIGHT);
  EXPECT_EQ(c.value, 3000.0f);
  ASSERT_EQ(Level("sfc-500mb").getUpper(c), 1);
  EXPECT_EQ(c.kind, VCoord::PRESSURE);
  EXPECT_EQ(c.value, 500.0f);
  c.init();
  EXPECT_EQ(Level("2m_ag").getLower(c), 0);
  EXPECT_EQ(Level(100, 500.0f).getUpper(c), 0);
  EXPECT_FALSE(c.isSet());
}

}  // namespace
