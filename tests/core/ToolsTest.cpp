#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/String.h"
#include "core/Tools.h"

using namespace KOL;

namespace {

TEST(ToolsTest, NumberRecognition)
{
  struct Case {
    const char* s;
    bool isInt;
    bool isFloat;
  } cases[] = {{"-3x", true, true},  {"-.5", false, true},   {"+5", false, false},
               {" 5", false, false}, {"-.", false, false},   {".", false, false},
               {"x1", false, false}, {nullptr, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s ? c.s : "(null)");
    EXPECT_EQ(Tools::isInt(c.s), c.isInt);
    EXPECT_EQ(Tools::isFloat(c.s), c.isFloat);
  }
}

TEST(ToolsTest, CompactNumberTexts)
{
  struct Case {
    float v;
    const char* text;
  } cases[] = {{0.0f, "0"},           {123.456f, "123.46"},
               {123456.0f, "123456"}, {1234567.0f, "1.234567e+06"},
               {-0.5f, "-0.5"},       {10.0f, "10"},
               {1e-6f, "0.000001"},   {1.25e-7f, "1.250000e-07"},
               {-42.125f, "-42.125"}};
  String out;
  for (const Case& c : cases) {
    EXPECT_EQ(Tools::toString(c.v, out), 1);
    EXPECT_STREQ(out.get(), c.text) << c.v;
  }

  struct Digits {
    float v;
    int digits;
    const char* text;
  } withDigits[] = {{123.456f, 3, "123"}, {123.456f, 5, "123.46"},     {0.5f, 2, "0.5"},
                    {10.0f, 3, "10"},     {1234567.0f, 3, "1.23e+06"}, {99.99f, 2, "100"}};
  for (const Digits& c : withDigits) {
    Tools::toString(c.v, c.digits, out);
    EXPECT_STREQ(out.get(), c.text) << c.v << " " << c.digits;
  }
}

TEST(ToolsTest, LevelCodes)
{
  struct Case {
    float v;
    int code;
  } cases[] = {{123.0f, 212}, {12.5f, 112},   {0.25f, 950}, {-123.0f, -212}, {0.0f, 0},
               {1.0f, 10},    {1000.0f, 310}, {0.05f, 800}, {850.0f, 285},   {-5.5f, -55}};
  for (const Case& c : cases) EXPECT_EQ(Tools::toInt(c.v), c.code) << c.v;
}

TEST(ToolsTest, ContourIntervals)
{
  struct Case {
    float max;
    float min;
    int n;
    float interval;
  } cases[] = {{4321, 0, 10, 500},      {1, 0, 3, 0.4f}, {5, 5, 4, 1.0f},      {2500, 0, 1, 3000},
               {3, 0, 10, 0.3f},        {7, 0, 0, 7},    {7, 0, -3, 7},        {0.05f, 0, 2, 0.03f},
               {0.0012f, 0, 1, 0.002f}, {0, 10, 5, -2},  {15000, 0, 1, 15000}, {101, 0, 1, 200}};
  for (const Case& c : cases)
    EXPECT_NEAR(Tools::calcInterval(c.max, c.min, c.n), c.interval, std::fabs(c.interval) * 1e-5)
        << c.max << " " << c.min << " " << c.n;
}

}  // namespace
