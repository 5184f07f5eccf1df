#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/DateRange.h"
#include "core/Kol.h"
#include "core/String.h"

using namespace KOL;

namespace {

constexpr int M = Const::MISS;
constexpr float FM = Const::FMISS;

// Instants spread over 1901-2099, plus the last and first second of every month of a few
// leap and ordinary years, where off-by-one calendar faults show.
std::vector<long> sampleInstants(int n)
{
  std::mt19937_64 rng(20240115);
  std::uniform_int_distribution<long> any(-2177452800L, 4102444799L);
  std::vector<long> out;
  for (int i = 0; i < n; i++) out.push_back(any(rng));
  for (int y : {1904, 1969, 1970, 1999, 2000, 2023, 2024, 2038, 2096, 2099}) {
    for (int m = 1; m <= 12; m++) {
      long first = KOL::DateVal::daysFromCivil(y, m, 1) * 86400L;
      out.push_back(first);
      out.push_back(first - 1);
    }
  }
  return out;
}

// Runs the system's date once over all lines and returns one output line per input line.
std::vector<std::string> gnuDate(const std::vector<std::string>& lines, const std::string& fmt)
{
  KOLTest::TempDir dir;
  std::string input = dir.file("in.txt");
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  KOLTest::writeFile(input, text);
  int status = -1;
  std::string out = KOLTest::run("date -u -f " + input + " '+" + fmt + "'", &status);
  std::vector<std::string> result;
  std::istringstream in(out);
  for (std::string l; std::getline(in, l);) result.push_back(l);
  EXPECT_EQ(status, 0);
  return result;
}

std::string isoOf(long secs) { return Date(secs).format("%Y-%m-%d %H:%M:%S"); }

}  // namespace

TEST(DateTest, BreakdownAndSecondCountAgreeWithSystemDate)
{
  std::vector<long> instants = sampleInstants(3000);
  std::vector<std::string> lines;
  for (long s : instants) lines.push_back("@" + std::to_string(s));
  // %w is 0 for Sunday, as the day of week here; %j has leading zeros where %j here pads blanks.
  auto expected = gnuDate(lines, "%Y %m %d %H %M %S %j %w %b %y");
  ASSERT_EQ(expected.size(), instants.size());
  int failures = 0;
  for (size_t i = 0; i < instants.size() && failures < 10; i++) {
    Date d(instants[i]);
    char j[8];
    std::snprintf(j, sizeof j, "%03d", d.getJulian());
    std::string ours = d.format("%Y %m %d %H %M %S ") + j + d.format(" %u %b %y");
    std::string want = expected[i];
    for (size_t k = want.size() - 6; k < want.size() - 3; k++) want[k] = (char)toupper(want[k]);
    if (ours != want) {
      ADD_FAILURE() << instants[i] << ": " << ours << " != " << want;
      failures++;
    }
    Date back(d.getYear(), d.getMonth(), d.getDay(), d.getHour(), d.getMinute(), d.getSecond());
    Date parsed(d.format("%Y-%m-%dT%H:%M:%S").c_str());
    Date compact(d.format("%Y%m%d_%H%M%S").c_str());
    if (back.getSeconds() != instants[i] || parsed.getSeconds() != instants[i] ||
        compact.getSeconds() != instants[i]) {
      ADD_FAILURE() << instants[i] << ": fields give " << back.getSeconds() << ", texts "
                    << parsed.getSeconds() << " " << compact.getSeconds();
      failures++;
    }
  }
}

TEST(DateTest, ArithmeticAgreesWithSystemDate)
{
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> days(-800, 800), hours(-5000, 5000), months(-30, 30);
  std::vector<long> bases = sampleInstants(600);
  std::vector<std::string> lines;
  std::vector<std::string> ours;
  for (size_t i = 0; i < bases.size(); i++) {
    Date d(bases[i]);
    std::string base = isoOf(bases[i]) + " UTC ";
    int kind = (int)(i % 3);
    if (kind == 0) {
      int n = days(rng);
      d.addDays(n);
      lines.push_back(base + std::to_string(n) + " days");
    } else if (kind == 1) {
      int n = hours(rng);
      d.addHours(n);
      lines.push_back(base + std::to_string(n) + " hours");
    } else {
      // The system's date carries a day past the month end just as addMonths does.
      int n = months(rng);
      d.addMonths(n);
      lines.push_back(base + std::to_string(n) + " months");
    }
    ours.push_back(d.format("%Y-%m-%d %H:%M:%S"));
  }
  auto expected = gnuDate(lines, "%Y-%m-%d %H:%M:%S");
  ASSERT_EQ(expected.size(), ours.size());
  int failures = 0;
  for (size_t i = 0; i < ours.size() && failures < 10; i++)
    if (ours[i] != expected[i]) {
      ADD_FAILURE() << lines[i] << ": " << ours[i] << " != " << expected[i];
      failures++;
    }
}

TEST(DateTest, TextFormsGiveTheSameInstant)
{
  for (const char* text :
       {"20240115_1230", "202401151230", "#202401151230", "2024-01-15T12:30:00.000"})
    EXPECT_EQ(Date(text).getSeconds(), 1705321800L) << text;
  // Fields the text does not give stay missing.
  Date day("20240115");
  EXPECT_EQ(day.getHour(), M);
  EXPECT_EQ(day.getSeconds(), 1705276800L);
  EXPECT_EQ(Date("2024-01-15").format("%Y-%m-%d %H"), "2024-01-15 XX");
  EXPECT_EQ(Date("20240115_12").getMinute(), M);
  // Two-digit and out-of-range fields are repaired rather than refused.
  Date repaired("0024-13-40T25:61:99");
  EXPECT_EQ(repaired.format("%Y %m %d %H %M %S"), "2024 01 01 00 00 00");
}

TEST(DateTest, UnreadableTextsLeaveTheDateUnset)
{
  KOLTest::QuietScope quiet;
  for (const char* text :
       std::vector<const char*>{"", "abc", "-", "T12:30", "#", "x2024-01-15", "2024-02-30",
                                "20230229", "19000229_12", nullptr}) {
    Date d("20240115");
    d.set(text);
    EXPECT_FALSE(d.isSet()) << (text ? text : "(null)");
    EXPECT_EQ(d.getYear(), M);
  }
  // "cu" is now.
  Date now("cu");
  EXPECT_NEAR((double)now.getSeconds(), (double)Date::getCurrentSeconds(), 2.0);
}

TEST(DateTest, SettersRefuseOutOfRangeValues)
{
  Date d(2024, 1, 15, 12, 30, 0);
  for (auto [year, expect] : {std::pair{24, 2024}, {95, 1995}, {1999, 1999}}) {
    ASSERT_TRUE(d.setYear(year));
    EXPECT_EQ(d.getYear(), expect) << year;
  }
  EXPECT_FALSE(d.setYear(-1));
  EXPECT_EQ(d.getYear(), 1999);
  long before = d.getSeconds();
  EXPECT_FALSE(d.setMonth(13));
  EXPECT_FALSE(d.setDay(32));
  EXPECT_FALSE(d.setHour(24));
  EXPECT_FALSE(d.setMinute(60));
  EXPECT_FALSE(d.setSecond(60.0f));
  EXPECT_EQ(d.getSeconds(), before);
  // Missing is accepted and changes the second count.
  EXPECT_TRUE(d.setHour(M));
  EXPECT_EQ(d.getSeconds(), before - 12 * 3600);
}

TEST(DateTest, MissingFieldsSurviveArithmetic)
{
  Date day(2024, 2, 28, M, M, FM);
  ASSERT_TRUE(day.addDays(2));
  EXPECT_EQ(day.format("%Y-%m-%d %H:%M"), "2024-03-01 XX:XX");

  Date hour(2023, 12, 31, 23, M, FM);
  hour.addHours(2);
  EXPECT_EQ(hour.format("%Y-%m-%d %H:%M"), "2024-01-01 01:XX");

  // A day beyond the month end runs on.
  Date leap(2024, 2, 29, 0, 0, 0);
  leap.addYears(1);
  EXPECT_EQ(leap.format("%Y-%m-%d"), "2025-03-01");

  // Fractions of a second are kept through arithmetic; an unset date refuses it.
  Date frac(2024, 1, 1, 0, 0, 1.5f);
  frac += 60;
  EXPECT_FLOAT_EQ(frac.getSecond(), 1.5f);
  Date unset;
  EXPECT_FALSE(unset.addDays(1));
  EXPECT_FALSE(unset.isSet());
}

TEST(DateTest, FieldsFromDayOfYearAndDayNumber)
{
  EXPECT_EQ(Date(2024, M, 60, 0, 0, 0).format("%m-%d"), "02-29");
  EXPECT_EQ(Date(2023, M, 60, 0, 0, 0).format("%m-%d"), "03-01");
  int month = 0, day = 0;
  EXPECT_TRUE(Date::setJulian(2024, 366, month, day));
  EXPECT_EQ(month * 100 + day, 1231);
  EXPECT_FALSE(Date::setJulian(2023, 366, month, day));
  EXPECT_EQ(Date::getJulian(2024, 3, 1), 61);
  EXPECT_EQ(Date::getJulian(2023, 14, 31), 365);  // month clamped to December

  EXPECT_EQ(Date(1970, 1, 1, 0, 0, 0).getDays(), 1);
  Date n;
  ASSERT_TRUE(n.setDays(-365));
  EXPECT_EQ(n.format("%Y-%m-%d"), "1968-12-31");
  EXPECT_FALSE(Date::isYearLeap(2100));
}

TEST(DateTest, FormatDirectives)
{
  Date d(2024, 1, 15, 6, 5, 7.25f);
  struct {
    const char* fmt;
    const char* expect;
  } rows[] = {{"%H:%MZ %e %b %Y", "06:05Z 15 JAN 2024"},
              {"%Y%m%d%H%M%s", "20240115060507.2500"},
              {"%y %j %a %u %l%p %S %%", "24  15 MON 1 06AM 07 %"},
              {"RFC1123", "15 JAN 2024 06:05:07 Z"},
              {"ISO8601", "2024-01-15T06:05:07Z"}};
  for (auto& r : rows) EXPECT_EQ(d.format(r.fmt), r.expect) << r.fmt;
  EXPECT_EQ(Date(2024, 7, 4, 12, 0, 0).format("%l %p|%e|%j"), "12 PM| 4|186");
  EXPECT_EQ(Date(2024, 7, 4, 0, 0, 0).format("%l %p"), "12 AM");

  Date partial(2024, 1, 15, M, 5, FM);
  EXPECT_EQ(partial.format("%H:%MZ %e %b %Y"), "XX:05Z 15 JAN 2024");
  EXPECT_EQ(partial.format("%S %s %l %p"), "XX XX.XXXX XX XX");

  KOL::String s;
  EXPECT_TRUE(Date(2024, 1, 15, 12, M, FM).toText(s));
  EXPECT_STREQ(s.get(), "12Z 15 JAN 2024");
  Date(2024, 1, 15, 12, 30, FM).toText(s);
  EXPECT_STREQ(s.get(), "12:30Z 15 JAN 2024");
  Date(2024, 1, 15, 12, 30, 5).toString(s);
  EXPECT_STREQ(s.get(), "20240115123005.0000");
}

TEST(DateTest, TimezoneChangeAndDaylightRules)
{
  Date d(2024, 1, 15, 3, 0, 0);
  d.changeTimezone(-5 * 3600, "EST_long");
  EXPECT_EQ(d.format("%Y-%m-%d %H%Z"), "2024-01-14 22EST");
  d.changeTimezone(0, "Z");
  EXPECT_EQ(d.format("%d %H%Z"), "15 03Z");

  struct {
    char rule;
    int y, m, d, h, expect;
  } rows[] = {{'U', 2024, 3, 10, 1, 0},  {'U', 2024, 3, 10, 2, 1},  {'U', 2024, 11, 3, 1, 1},
              {'U', 2024, 11, 3, 2, 0},  {'U', 2005, 4, 3, 2, 1},   {'U', 2005, 4, 2, 23, 0},
              {'U', 2005, 10, 30, 2, 0}, {'E', 2024, 3, 31, 2, 1},  {'E', 2024, 3, 30, 12, 0},
              {'E', 2024, 10, 27, 1, 1}, {'E', 2024, 10, 27, 3, 0}, {'a', 2024, 9, 29, 2, 1},
              {'a', 2024, 9, 28, 2, 0},  {'a', 2024, 4, 7, 1, 1},   {'a', 2024, 4, 7, 2, 0},
              {' ', 2024, 7, 1, 0, 0}};
  for (auto& r : rows) {
    Date t(r.y, r.m, r.d, r.h, 0, 0);
    t.setDaylightType(r.rule);
    EXPECT_EQ(t.isDaylight() != 0, r.expect != 0)
        << r.rule << " " << r.y << "-" << r.m << "-" << r.d << " " << r.h;
  }
}

TEST(DateTest, AdjustCompletesPartialReportDates)
{
  Date now(2024, 3, 2, 1, 0, 0);
  Date d = now;
  d.adjustHour(23);  // more than 12 hours ahead: yesterday
  EXPECT_EQ(d.format("%m-%d %H"), "03-01 23");
  d = now;
  d.adjustHour(28, 12);  // day far above today: last month
  EXPECT_EQ(d.format("%m-%d %H"), "02-28 12");
  d = Date(2024, 1, 30, 0, 0, 0);
  d.adjustHour(2, 6);  // day far below today: next month
  EXPECT_EQ(d.format("%m-%d %H"), "02-02 06");

  d = Date(2024, 1, 2, 0, 0, 0);
  d.adjustSecond(12, 31, 18, 30, 15.0f);  // a December report read in January
  EXPECT_EQ(d.format("%Y-%m-%d %H:%M:%S"), "2023-12-31 18:30:15");
  EXPECT_FALSE(d.adjustHour(M, 1, 1));
}

TEST(DateTest, RangeAcceptsItsWindowOnly)
{
  Date base(2024, 1, 15, 12, 0, 0);
  DateRange r(base, 30, 0);
  EXPECT_TRUE(r.valid(base.getSeconds() - 1800));
  EXPECT_FALSE(r.valid(base.getSeconds() - 1801));
  EXPECT_FALSE(r.valid(base.getSeconds() + 1));
  r.set(0, 10);
  EXPECT_TRUE(r.valid(base.getSeconds() + 600));
  EXPECT_FALSE(r.valid(base.getSeconds() - 1));
  DateRange unset;
  EXPECT_FALSE(unset.valid(base));
}
