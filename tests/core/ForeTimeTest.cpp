#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"

using namespace KOL;

namespace {

constexpr int M = Const::MISS;
constexpr float FM = Const::FMISS;

class ForeTimeTest : public KOLTest::QuietTest {};

}  // namespace

TEST_F(ForeTimeTest, TextsGiveTypeTimesAndCode)
{
  struct {
    const char* text;
    int result, type;
    float fore, end;
    int code;
    const char* back;  // toString
  } rows[] = {{"h12", 1, 0, 12, FM, 12, "12hr"},
              {"12", 1, 9, 12, FM, 9000012, "12"},
              {"12hr-6acc", 1, 4, 6, 12, 4006012, "12hr-6acc"},
              {"24-12avg", 1, 3, 12, 24, 3012024, "24hr-12avg"},
              {"h48-24max", 1, 6, 24, 48, 6024048, "48hr-24max"},
              {"36-12", 1, 2, 24, 36, 2024036, "36hr-12rng"},
              {"anal", 1, 1, 0, FM, 0, "anal"},
              {"init", 1, 1, 0, FM, 0, "anal"},
              {"anal-6acc", 1, 4, -6, 0, 4006000, "anal-6acc"},
              {"anal-6dif", 1, 5, -6, 0, 5006000, "anal-6dif"},
              {"anal-6max", 1, 1, 0, FM, 0, "anal"},
              {"d2", 1, 0, 48, FM, 48, "48hr"},
              {"3day", 1, 0, 72, FM, 72, "72hr"},
              {"2d", 1, 0, 48, FM, 48, "48hr"},
              {"2e", 1, 0, 60, FM, 60, "60hr"},
              {"miss", 1, M, FM, FM, M, "miss"},
              {"", 0, M, FM, FM, M, "miss"},
              {"h", 0, M, FM, FM, M, "miss"},
              {"h1x", 0, M, FM, FM, M, "miss"},
              {"-6", 0, M, FM, FM, M, "miss"}};
  for (auto& r : rows) {
    ForeTime ft;
    EXPECT_EQ(ft.decode(r.text), r.result) << r.text;
    EXPECT_EQ(ft.getType(), r.type) << r.text;
    EXPECT_FLOAT_EQ(ft.getStart(), r.fore) << r.text;
    EXPECT_FLOAT_EQ(ft.getEnd(), r.end) << r.text;
    EXPECT_EQ(ft.toCode(), r.code) << r.text;
    String s;
    ft.toString(s);
    EXPECT_STREQ(s.get(), r.back) << r.text;
  }
}

TEST_F(ForeTimeTest, TimeForms)
{
  struct {
    const char* text;
    int type;
    float offset, length;
    int code;
    const char* back;
  } rows[] = {{"time-6", 0, 6, FM, 1060799799, "hr-6"},
              {"time-6-12acc", 4, 6, 12, 1064799012, "hr-6-12acc"},
              {"time-acc", 4, 0, FM, 1004799799, "hr-0acc"},
              {"time-6-acc", 4, 6, FM, 1064799799, "hr-6acc"},
              {"time-6-12max", 6, 6, 12, 1066799012, "hr-6-12max"}};
  for (auto& r : rows) {
    ForeTime ft;
    EXPECT_EQ(ft.decode(r.text), 0) << r.text;
    EXPECT_EQ(ft.getType(), r.type) << r.text;
    EXPECT_FLOAT_EQ(ft.getOffset(), r.offset) << r.text;
    EXPECT_FLOAT_EQ(ft.getLength(), r.length) << r.text;
    EXPECT_EQ(ft.toCode(), r.code) << r.text;
    EXPECT_EQ(ft.text(), r.back) << r.text;
    ForeTime back(ft.toCode());
    EXPECT_FLOAT_EQ(back.getOffset(), r.offset) << r.text;
    EXPECT_FLOAT_EQ(back.getLength(), r.length) << r.text;
  }
}

// Every forecast time the library writes must come back from its code unchanged.
TEST_F(ForeTimeTest, CodesRoundTrip)
{
  std::vector<ForeTime> times;
  for (int h = 0; h <= 799; h += 7) times.emplace_back(0, h, M);
  for (int u : {ForeTime::DAYS, ForeTime::MONTHS})
    for (int n = 1; n < 100; n += 3) {
      ForeTime ft;
      ft.set(0, u, (float)n, FM);
      times.push_back(ft);
    }
  for (int h = 0; h < 799; h += 13) times.emplace_back(ForeTime::ANY, h, M);
  for (int type = 2; type <= 7; type++)
    for (int end = 0; end < 799; end += 37)
      for (int len : {1, 3, 6, 12, 24}) {
        times.emplace_back(type, end - len, end);
        ForeTime days;
        days.set(type, ForeTime::DAYS, (float)std::max(0, end / 10 - len), (float)(end / 10));
        times.push_back(days);
      }
  int checked = 0;
  std::set<int> seen;
  for (const ForeTime& ft : times) {
    int code = ft.toCode();
    ASSERT_NE(code, M) << ft.text();
    ForeTime back(code);
    EXPECT_EQ(back.toCode(), code) << ft.text();
    EXPECT_EQ(back.text(), ft.text()) << code;
    EXPECT_FLOAT_EQ(back.getHours(), ft.getHours()) << ft.text();
    seen.insert(code);
    checked++;
  }
  EXPECT_GT(checked, 1000);
  // Distinct forecast times never share a code.
  std::set<std::string> texts;
  for (const ForeTime& ft : times) texts.insert(ft.text());
  EXPECT_EQ(seen.size(), texts.size());

  // Codes that no forecast time writes are refused without harm.
  for (int bad : {-1, M, 8000000, 1999999999, 2147483647}) {
    ForeTime ft(bad);
    EXPECT_EQ(ft.getType() == ForeTime::MISSING, bad < 0 || bad == 8000000) << bad;
  }
}

TEST_F(ForeTimeTest, HoursSecondsAndLabels)
{
  struct {
    const char* text;
    float fore, hours;
    long secs;
    const char* label;
    const char* day_label;
    const char* var_label;
  } rows[] = {{"h12", 12, 12, 43200, "12 hour", "0.5 day", ""},
              {"anal", 0, 0, 0, "analysis", "analysis", ""},
              {"h84", 84, 84, 302400, "3.5 day", "3.5 day", ""},
              {"h66", 66, 66, 237600, "66 hour", "66 hour", ""},
              {"12hr-6acc", 12, 12, 43200, "12 hour", "0.5 day", "6 hour acc"},
              {"anal-6acc", 0, 0, 0, "analysis", "analysis", "6 hour acc"},
              {"48-24max", 24, 24, 86400, "24 hour", "1 day", "24 hour max"},
              {"miss", FM, FM, M, "", "", ""}};
  for (auto& r : rows) {
    ForeTime ft(r.text);
    EXPECT_FLOAT_EQ(ft.getFore(), r.fore) << r.text;
    EXPECT_FLOAT_EQ(ft.getHours(), r.hours) << r.text;
    EXPECT_EQ(ft.getSeconds(), r.secs) << r.text;
    String s;
    ft.toTimeLabel(s);
    EXPECT_STREQ(s.get(), r.label) << r.text;
    ft.toTimeLabelDay(s);
    EXPECT_STREQ(s.get(), r.day_label) << r.text;
    ft.toVarLabel(s);
    EXPECT_STREQ(s.get(), r.var_label) << r.text;
  }
  ForeTime minutes;
  String s;
  minutes.set(0, ForeTime::MINUTES, 90, FM);
  minutes.toTimeLabel(s);
  EXPECT_STREQ(s.get(), "1.50 hour");
  ForeTime months;
  months.set(0, ForeTime::MONTHS, 2, FM);
  months.toTimeLabel(s);
  EXPECT_STREQ(s.get(), "2 month");
  EXPECT_EQ(months.getSeconds(), 5184000L);
}
