#include "grid/Level.h"

#include <gtest/gtest.h>

#include <string>

#include "core/String.h"
#include "obs/VCoord.h"

using namespace KOL;

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;

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
  // A bare first number takes the second's unit; 'p' and 'h' without a number are keywords.
  const int N = MISS;
  const float F = FMISS;
  const struct {
    const char* text;
    int t1;
    float v1;
    int t2;
    float v2;
  } table[] = {{"500", 100, 500, N, F},
               {"  500 ", 100, 500, N, F},
               {"850-700mb", 100, 850, 100, 700},
               {"850-700", 100, 850, 100, 700},
               {"p850-700", 100, 850, 100, 700},
               {"a10-2", 103, 2, 103, 10},
               {"h1500", 102, 1500, N, F},
               {"k330-300", 107, 330, 107, 300},
               {"s0.9-0.5", 104, 0.5f, 104, 0.9f},
               {"sfc", 1, 0, N, F},
               {"sea", 1, 0, N, F},
               {"sfc[3]", 1, 3, N, F},
               {"sl", 101, 0, N, F},
               {"snd", 0, 0, N, F},
               {"-", 199, 0, N, F},
               {"10ft_ag", 103, 3.048f, N, F},
               {"-10m", 102, -10, N, F},
               {"30mb_ag", 108, 30, N, F},
               {"320K", 107, 320, N, F},
               {"0.5SIG", 104, 0.5f, N, F},
               {"1eta", 111, 1, N, F},
               {"2pv", 109, 2, N, F},
               {"10hyb", 105, 10, N, F},
               {"10cm_bg", 106, 10, N, F},
               {"500xyz", 100, 500, N, F},
               {"850-", 100, 850, N, F},
               {"1000-500m_ag", 103, 500, 103, 1000},
               {"1000-3000ft", 102, 304.8f, 102, 914.4f},
               {"sfc-500mb", 1, 0, 100, 500},
               {"trop", 7, 0, N, F},
               {"pbl", 220, 0, N, F},
               {"hcld_top", 233, 0, N, F},
               {"lcl-trop", 5, 0, 7, 0},
               {"", N, F, N, F},
               {"NONE", N, F, N, F},
               {"garbage", N, F, N, F},
               {"500-garbage", N, F, N, F},
               {"ainf", N, F, N, F},
               {"p1e40", N, F, N, F}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    Level l;
    EXPECT_EQ(l.decode(row.text), row.t1 != N);
    expectLevel(l, row.t1, row.v1, row.t2, row.v2);
  }
  Level l(100, 500.0f);
  EXPECT_FALSE(l.decode(nullptr) || l.isSet());
}

TEST(LevelTest, EncodesTextAndLabel)
{
  const struct {
    Level level;
    int result;
    const char* text;
    const char* label;
  } table[] = {{Level(100, 500.0f), 1, "500mb", "500 mb"},
               {Level("850-700mb"), 1, "850-700mb", "850-700 mb"},
               {Level(104, 0.85f), 1, "0.85sig", "0.850 sigma"},
               {Level(104, 0.9f, 104, 0.5f), 1, "0.900-0.50sig", "0.900-0.500 sigma"},
               {Level(1, 0.0f), 1, "sfc", "Surface"},
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
               {Level(107, 320.0f), 1, "320K", "320 K"},
               {Level(109, 1.5f), 1, "1.50*10^-6 Km2/kgs", "1.50*10^-6 Km2/kgs"},
               {Level(1, 0.0f, 100, 500.0f), 1, "sfc-500mb", "Surface-500 mb"},
               {Level(7, 0.0f), 1, "trop", "Tropopause"},
               {Level(0, 0.0f), 1, "snd", ""},
               {Level(245, 0.0f), 1, "wbzero", "Wet bulb zero lvl"},
               {Level(199, 0.0f), 1, "", ""},
               {Level(111, 0.5f), 0, "", ""},
               {Level(50, 0.0f), 0, "", ""},
               {Level(300, 0.0f), 0, "", "Unknown lvl: 300"},
               {Level(), 0, "", ""}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    String s("previous text");
    EXPECT_EQ(row.level.toString(s), row.result);
    EXPECT_STREQ(s.get(), row.text);
    EXPECT_EQ(label(row.level), row.label);
  }
}

TEST(LevelTest, SetOrdersLayers)
{
  expectLevel(Level(), MISS, FMISS, MISS, FMISS);
  expectLevel(Level(100, 700.0f, 100, 850.0f), 100, 850, 100, 700);
  expectLevel(Level(104, 0.5f, 104, 0.9f), 104, 0.9f, 104, 0.5f);
  expectLevel(Level(102, 3000.0f, 102, 1000.0f), 102, 1000, 102, 3000);
  expectLevel(Level(100, 500.0f, 1, 0.0f), 100, 500, 1, 0);  // different types stay as given
  expectLevel(Level(100, 500.0f, MISS, 3.0f), 100, 500, MISS, FMISS);
  const Level l(100, 850.0f, 700.0f);
  expectLevel(l, 100, 700, 100, 850);
  EXPECT_TRUE(l.isLayer() && l.isPres() && !Level("500").isLayer());
  EXPECT_TRUE(Level("2m_ag").isHght() && Level("h100").isHght() && Level("320K").isPot());
  EXPECT_FALSE(Level("sfc").isPres());
}

TEST(LevelTest, GribTypeAndLevelCodes)
{
  // Type codes come back through decoding in GribCodesRoundTrip.
  EXPECT_EQ(Level("850-700mb").toTypeCode(), 101);
  const struct {
    Level level;
    int code;
  } codes[] = {{Level("850-700mb"), 70085},
               {Level(104, 0.995f), 9950},
               {Level(100, 499.6f), 500},
               {Level(101, 0.0f), 0},
               {Level(102, 1000.0f, 102, 3000.0f), 30010},
               {Level(104, 0.9f, 104, 0.5f), 50090},
               {Level(105, 10.0f, 105, 20.0f), 20010},
               {Level(111, 0.5f), 5000},
               {Level(111, 0.9f, 111, 0.5f), 90050},
               {Level(245, 0.0f), 0},
               {Level(50, 0.0f), MISS},
               {Level(110, 3.0f), MISS},
               {Level(100, 3.0e30f), MISS},
               {Level(), MISS},
               {Level(MISS, 0.0f, 100, 500.0f), 0}};
  for (const auto& c : codes) EXPECT_EQ(c.level.toLevelCode(), c.code) << text(c.level);
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

// Every type and level code comes back unchanged through a Level.
TEST(LevelTest, GribCodesRoundTripAndSoundingCoordinates)
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
  EXPECT_TRUE(layer == Level("850-700mb") && text(layer) == "850-700mb");

  VCoord c;
  EXPECT_TRUE(Level("500").getLower(c) && c.kind == VCoord::PRESSURE && c.value == 500);
  EXPECT_TRUE(Level("trop").getLower(c) && c.kind == VCoord::TROPOPAUSE);
  EXPECT_TRUE(Level("sfc").getLower(c) && c.kind == VCoord::SURFACE);
  EXPECT_TRUE(Level("lcl").getLower(c) && c.kind == VCoord::LCL);
  EXPECT_TRUE(Level("h1000-3000").getUpper(c) && c.kind == VCoord::HEIGHT && c.value == 3000);
  EXPECT_TRUE(Level("sfc-500mb").getUpper(c) && c.kind == VCoord::PRESSURE && c.value == 500);
  c.init();
  EXPECT_TRUE(!Level("2m_ag").getLower(c) && !Level("500").getUpper(c) && !c.isSet());
}

}  // namespace
