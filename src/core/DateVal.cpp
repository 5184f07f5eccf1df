#include "core/DateVal.h"

#include <cstdio>

namespace KOL {

const int DateVal::num_day[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const int DateVal::num_day_leap[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;

long floorDiv(long a, long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

DateVal::DateVal(int y, int mo, int d, int h, int mi, float s)
{
  init();
  set(y, mo, d, h, mi, s);
}

void DateVal::init()
{
  year = month = day = hour = minute = MISS;
  second = FMISS;
}

int DateVal::set(int y, int mo, int d, int h, int mi, float s)
{
  year = y;
  month = mo;
  day = d;
  hour = h;
  minute = mi;
  second = s;
  return validate();
}

int DateVal::validate()
{
  if (year != MISS) {
    if (year < 0)
      year = 1980;
    else if (year < 50)
      year += 2000;
    else if (year < 200)
      year += 1900;
  }
  if (month != MISS && (month < 1 || month > 12)) month = 1;
  if (day != MISS && (day < 1 || day > 31)) day = 1;
  if (hour != MISS && (hour < 0 || hour > 23)) hour = 0;
  if (minute != MISS && (minute < 0 || minute > 60)) minute = 0;
  if (second != FMISS && !(second >= 0 && second <= 60)) second = 0;
  return !(year == MISS && month == MISS && day == MISS && hour == MISS && minute == MISS &&
           second == FMISS);
}

long DateVal::computeSecs()
{
  if (!validate()) return MISS;
  int mo = month == MISS ? 1 : month;
  int d = day == MISS ? 1 : day;
  long secs = second == FMISS ? 0 : (long)second;
  if (minute != MISS) secs += 60L * minute;
  if (hour != MISS) secs += 3600L * hour;
  // A day beyond the month's end (31 February) runs on into the next month.
  long days = d - 1;
  if (year == MISS)
    days += num_day[mo - 1];
  else
    days += daysFromCivil(year, mo, 1);
  return secs + 86400L * days;
}

void DateVal::print() const
{
  auto part = [](int v) {
    if (v == MISS)
      std::printf("M/");
    else
      std::printf("%d/", v);
  };
  part(year);
  part(month);
  part(day);
  part(hour);
  part(minute);
  if (second == FMISS)
    std::printf("M\n");
  else
    std::printf("%.3f\n", second);
}

// Days from 1970-01-01 of a Gregorian date, counting in 400-year eras that begin on 1 March so
// that the leap day falls at the end of each year.
long DateVal::daysFromCivil(int y, int m, int d)
{
  long yy = (long)y - (m <= 2);
  long era = floorDiv(yy, 400);
  long yoe = yy - era * 400;
  long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void DateVal::civilFromDays(long days, int& y, int& m, int& d)
{
  days += 719468;
  long era = floorDiv(days, 146097);
  long doe = days - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  d = (int)(doy - (153 * mp + 2) / 5 + 1);
  m = (int)(mp < 10 ? mp + 3 : mp - 9);
  y = (int)(yoe + era * 400 + (m <= 2));
}

bool DateVal::isPossible() const
{
  DateVal v = *this;
  v.validate();
  if (v.year == MISS || v.month == MISS || v.day == MISS) return true;
  return v.day <= daysInMonth(v.year, v.month);
}

int DateVal::daysInMonth(int y, int m)
{
  if (m < 1 || m > 12) return 0;
  const int* table = isYearLeap(y) ? num_day_leap : num_day;
  return table[m] - table[m - 1];
}

}  // namespace KOL
