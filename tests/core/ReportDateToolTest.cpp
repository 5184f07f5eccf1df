// Completing a report's day, hour and minute into a date: by a date known from the data (file
// name, filed bulletin, user), and without one by now, across month, year and leap-day ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/ReportDateTool.h"

using namespace KOL;

namespace {

std::string when(const Date& d) { return d.isSet() ? d.format("%Y-%m-%d %H:%M") : "unset"; }

long at(const char* iso) { return Date(iso).getSeconds(); }

}  // namespace

TEST(ReportDateTool, FileNamesTellTheirDate)
{
  const struct {
    const char* name;
    const char* date;
  } cases[] = {{"metpy_metar_20190701_1200.txt", "2019-07-01 12:00"},
               {"ENCODED_72201_KEY_20180630_12Z.txt", "2018-06-30 12:00"},
               {"A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt", "2023-01-17 12:05"},
               {"archive/20190630/metar_201907010055.txt", "2019-07-01 00:55"},
               // Figures that are no date: a heading's ddhhmm, station numbers, a 31 June.
               {"real_USUS01_KWBC_061200_72403_72440.txt", "unset"},
               {"metar_20190631.txt", "unset"}};
  for (const auto& c : cases) {
    Date d;
    EXPECT_EQ(ReportDateTool::fromName(c.name, d), std::string(c.date) != "unset") << c.name;
    EXPECT_EQ(when(d), c.date) << c.name;
  }
}

// With a reference, year and month are the reference's unless the day lies nearer in the
// month before or after.
TEST(ReportDateTool, NearTheReferenceAcrossMonthAndYearEnds)
{
  const struct {
    const char* ref;
    int day, hour, minute;
    const char* date;
  } cases[] = {{"2019-07-01T12:00:00", 30, 23, 55, "2019-06-30 23:55"},
               {"2019-07-31T22:00:00", 1, 0, 10, "2019-08-01 00:10"},
               {"2020-01-01T00:00:00", 31, 23, 50, "2019-12-31 23:50"},
               {"2024-03-01T00:10:00", 29, 23, 0, "2024-02-29 23:00"},
               // No 30 February: the nearest 30th is in March.
               {"2023-03-01T00:00:00", 30, 12, 0, "2023-03-30 12:00"},
               {"2019-07-01T12:00:00", 1, 6, KOL::Const::MISS, "2019-07-01 06:00"}};
  for (const auto& c : cases) {
    Date d;
    ASSERT_TRUE(ReportDateTool::nearest(Date(c.ref), c.day, c.hour, c.minute, d)) << c.ref;
    EXPECT_EQ(when(d), c.date) << c.ref << " day " << c.day;
  }
}

// Without one, the latest such day not more than a day ahead of now.
TEST(ReportDateTool, RecentWithoutAReference)
{
  const struct {
    const char* now;
    int day, hour, minute;
    const char* date;
  } cases[] = {{"2026-12-07T22:40:00", 1, 12, 0, "2026-12-01 12:00"},
               {"2026-12-07T22:40:00", 31, 6, 0, "2026-10-31 06:00"},
               {"2027-01-01T00:30:00", 31, 23, 50, "2026-12-31 23:50"},
               {"2024-03-01T06:00:00", 29, 12, 0, "2024-02-29 12:00"},
               {"2023-03-01T06:00:00", 29, 12, 0, "2023-01-29 12:00"}};
  for (const auto& c : cases) {
    Date d;
    ASSERT_TRUE(ReportDateTool::latest(at(c.now), c.day, c.hour, c.minute, d)) << c.now;
    EXPECT_EQ(when(d), c.date) << c.now << " day " << c.day;
  }
}

// Now is the fixed current time, else "kolcurtime", else the clock; an unset reference
// completes by it.
TEST(ReportDateTool, NowHonoursTheFixedTimeAndKolcurtime)
{
  const long saved = Kol::init_time;
  setenv("kolcurtime", "#201907011200", 1);
  Kol::init_time = at("2020-01-01T00:30:00");
  EXPECT_EQ(ReportDateTool::now(), Kol::init_time);
  Date d;
  ASSERT_TRUE(ReportDateTool::complete(Date(), 31, 23, 50, d));
  EXPECT_EQ(when(d), "2019-12-31 23:50");
  Kol::init_time = KOL::Const::MISS;
  EXPECT_EQ(ReportDateTool::now(), at("2019-07-01T12:00:00"));
  ASSERT_TRUE(ReportDateTool::complete(Date(), 30, 23, 50, d));
  EXPECT_EQ(when(d), "2019-06-30 23:50");
  unsetenv("kolcurtime");
  EXPECT_NEAR(double(ReportDateTool::now()), double(Date::getCurrentSeconds()), 2.0);
  Kol::init_time = saved;
}
