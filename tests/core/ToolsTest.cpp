#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/String.h"
#include "core/Tools.h"

using KOL::Const;
using KOL::String;
using KOL::Tools;

namespace {

TEST(ToolsTest, NumberRecognition)
{
  struct Case {
    const char* s;
    bool isInt;
    bool isFloat;
  } cases[] = {
      {"12", true, true},      {"-3x", true, true},  {"-.5", false, true}, {".5", false, true},
      {"+5", false, false},    {" 5", false, false}, {"-", false, false},  {"-.", false, false},
      {".", false, false},     {"", false, false},   {"x1", false, false}, {"0", true, true},
      {nullptr, false, false},
  };
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
  } cases[] = {
      {0.0f, "0"},
      {1.5f, "1.5"},
      {2.0f, "2"},
      {123.456f, "123.46"},
      {123456.0f, "123456"},
      {1234567.0f, "1.234567e+06"},
      {-0.5f, "-0.5"},
      {10.0f, "10"},
      {0.001f, "0.001"},
      {1e-6f, "0.000001"},
      {1.25e-7f, "1.250000e-07"},
      {-42.125f, "-42.125"},
  };
  String out;
  for (const Case& c : cases) {
    EXPECT_EQ(Tools::toString(c.v, out), 1);
    EXPECT_STREQ(out.get(), c.text) << c.v;
  }

  struct Digits {
    float v;
    int digits;
    const char* text;
  } withDigits[] = {
      {123.456f, 3, "123"}, {123.456f, 5, "123.46"},     {1.5f, 3, "1.5"}, {0.5f, 2, "0.5"},
      {10.0f, 3, "10"},     {1234567.0f, 3, "1.23e+06"}, {0.0f, 3, "0"},   {99.99f, 2, "100"},
  };
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
  } cases[] = {
      {123.0f, 212}, {12.5f, 112},   {5.5f, 55},    {0.25f, 950}, {-123.0f, -212}, {0.0f, 0},
      {1.0f, 10},    {1000.0f, 310}, {500.0f, 250}, {0.05f, 800}, {850.0f, 285},   {-5.5f, -55},
  };
  for (const Case& c : cases) EXPECT_EQ(Tools::toInt(c.v), c.code) << c.v;
}

TEST(ToolsTest, ContourIntervals)
{
  struct Case {
    float max;
    float min;
    int n;
    float interval;
  } cases[] = {
      {4321, 0, 10, 500},
      {1, 0, 3, 0.4f},
      {5, 5, 4, 1.0f},
      {2500, 0, 1, 3000},
      {3, 0, 10, 0.3f},
      {20, 0, 2, 10},
      {7, 0, 0, 7},
      {7, 0, -3, 7},
      {0.05f, 0, 2, 0.03f},
      {0.0012f, 0, 1, 0.002f},
      {0.00005f, 0, 1, 0.00005f},
      {0, 10, 5, -2},
      {15000, 0, 1, 15000},
      {101, 0, 1, 200},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(Tools::calcInterval(c.max, c.min, c.n), c.interval, std::fabs(c.interval) * 1e-5)
        << c.max << " " << c.min << " " << c.n;
}

TEST(ToolsTest, ByteDumps)
{
  const char bytes[] = "Hi\n\x01\x7f\xff!";
  const int n = sizeof bytes - 1;

  testing::internal::CaptureStdout();
  Tools::printClean(bytes, n);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hi\n!");

  testing::internal::CaptureStdout();
  Tools::printControl(bytes, n);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hi[0A]\n[01][7F][FF]!");

  std::string text = "0123456789ABCDEF\x01xyz";
  testing::internal::CaptureStdout();
  Tools::dumpHex(text.data(), static_cast<int>(text.size()));
  std::string expect =
      "       0: 30 31 32 33 34 35 36 37|38 39 41 42 43 44 45 46 0123456789ABCDEF\n"
      "      16: 01 78 79 7A " +
      std::string(12 * 3, ' ') + "~xyz\n";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), expect);
}

}  // namespace
