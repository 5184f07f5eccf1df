#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/DateTool.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/Timezone.h"

using namespace KOL;

namespace {

constexpr int M = Const::MISS;
constexpr float FM = Const::FMISS;

class DateToolTest : public KOLTest::QuietTest {};

std::string label(const Date& d, const char* zone, int flags = 0, const char* prefix = nullptr)
{
  String out;
  DateTool::createLabel(prefix, d, Timezone(zone), flags, out);
  return out.get();
}

}  // namespace

TEST_F(DateToolTest, LabelTextsReadBack)
{
  struct {
    const char* text;
    const char* expect;  // "%Y-%m-%d %H:%M:%S" of the result
  } rows[] = {{"12Z 15 JAN 2024", "2024-01-15 12:XX:XX"},
              {"1230Z 15 JAN 2024", "2024-01-15 12:30:XX"},
              {"Valid 930Z 15 JAN 2024", "2024-01-15 09:30:XX"},
              {"1230Z 15 jan 98", "1998-01-15 12:30:XX"},
              {"12:30:15Z 15 JAN 2024", "2024-01-15 12:30:15"},
              {"Surface 12Z MON 15 JAN 2024", "2024-01-15 12:XX:XX"},
              {"12 15 01 24", "2024-01-15 12:XX:XX"},
              {"15 JAN 24", "2024-01-15 XX:XX:XX"},
              {"Plot for 15 FEB 2024", "2024-02-15 XX:XX:XX"}};
  for (auto& r : rows) {
    Date d;
    ASSERT_TRUE(DateTool::decode(r.text, d)) << r.text;
    EXPECT_EQ(d.format("%Y-%m-%d %H:%M:%S"), r.expect) << r.text;
  }
  for (const char* bad : {"hello", "12Z 15 XYZ 2024", "99 99 99 99", "12Z 15", "12Z 30 FEB 2024"}) {
    Date d;
    EXPECT_FALSE(DateTool::decode(bad, d)) << bad;
    EXPECT_FALSE(d.isSet()) << bad;
  }
}

TEST_F(DateToolTest, SecondsAndMinutesFromText)
{
  EXPECT_EQ(DateTool::getSeconds("#202401151230"), 1705321800L);
  EXPECT_EQ(DateTool::getSeconds("-60"), -60L);
  EXPECT_EQ(DateTool::getSeconds("#"), (long)M);

  struct {
    const char* text;
    int minutes;
  } rows[] = {{"-1:30", -90}, {"-0:30", -30}, {"2", 120}, {"x", 0}, {"99999999999", 0}};
  for (auto& r : rows) EXPECT_EQ(DateTool::getMinutes(r.text), r.minutes) << r.text;
}

TEST_F(DateToolTest, PlotLabelsByFieldsAndZone)
{
  Date noon(2024, 1, 15, 12, M, FM);
  EXPECT_EQ(label(noon, nullptr), "12Z 15 JAN 24");
  EXPECT_EQ(label(noon, nullptr, 1), "12Z MON 15 JAN 24");
  EXPECT_EQ(label(noon, nullptr, 0, "GFS"), "GFS 12Z 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, 12, 30, 14.6f), nullptr), "12:30:15Z 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, M, M, FM), nullptr, 1), "MON 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, M, M, M, FM), nullptr), "JAN 24");
  EXPECT_EQ(label(Date(2024, M, M, M, M, FM), nullptr), "24");

  EXPECT_EQ(label(noon, "EST:-5"), "07EST 15 JAN 24");
  EXPECT_EQ(label(noon, "-EST:-5"), "7 AM EST [12Z] 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, 3, 5, FM), "+EST:-5"), "10:05 PM EST 14 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, 17, 0, FM), "+CET:1"), "6:00 PM CET 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, 5, 0, 0), "-EST:-5"), "12:00:00 AM EST [050000Z] 15 JAN 24");
  EXPECT_EQ(label(Date(2024, 1, 15, 17, 0, FM), "IST:5.5"), "2230 IST 15 JAN 24");

  String out;
  EXPECT_FALSE(DateTool::createLabel(Date(), out));
  EXPECT_STREQ(out.get(), "");
}

TEST_F(DateToolTest, ForecastLabels)
{
  Date run(2024, 1, 15, 0, M, FM);
  Timezone utc;
  String out;
  DateTool::createLabel(run, utc, "GFS", 12.0f, out);
  EXPECT_STREQ(out.get(), "GFS 12 hour valid 12Z MON 15 JAN 24");
  DateTool::createLabel(run, utc, "", 0.0f, out);
  EXPECT_STREQ(out.get(), "Analysis for 00Z 15 JAN 24");
  DateTool::createLabel(run, utc, "GFS", FM, out);
  EXPECT_STREQ(out.get(), "GFS data for 00Z 15 JAN 24");
  DateTool::createLabel(run, utc, nullptr, FM, out);
  EXPECT_STREQ(out.get(), "Data for 00Z 15 JAN 24");
  DateTool::createLabel(run, utc, "NAM", ForeTime("h24"), out);
  EXPECT_STREQ(out.get(), "NAM 24 hour valid 00Z TUE 16 JAN 24");
  DateTool::createLabel(run, utc, 36.0f, out);
  EXPECT_STREQ(out.get(), "12Z 16 JAN 24");

  struct {
    float hours;
    int days;
    const char* text;
  } rows[] = {{12, 1, "0.5 day"}, {24, 1, "1 day"},   {60, 1, "2.5 day"}, {18, 1, "18 hour"},
              {66, 1, "66 hour"}, {12, 0, "12 hour"}, {0, 1, ""},         {6.4f, 0, "6 hour"}};
  for (auto& r : rows) {
    DateTool::createHourLabel(r.hours, r.days, out);
    EXPECT_STREQ(out.get(), r.text) << r.hours << " " << r.days;
  }
}
