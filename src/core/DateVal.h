// The six calendar fields of a UTC date, any of which may be missing, with the repair rules
// and the second count shared by every date in the library; also the proleptic Gregorian
// calendar arithmetic that Date and DateTool build on.
#pragma once

#include "core/Const.h"

namespace KOL {

class DateVal {
 public:
  // Days before each month and the year length, for ordinary and leap years.
  static const int num_day[13];
  static const int num_day_leap[13];

  DateVal() { init(); }
  DateVal(int y, int mo, int d, int h, int mi, float s);

  void init();
  // Stores the fields as given and repairs them; 0 when all six are missing.
  int set(int y, int mo, int d, int h, int mi, float s);
  // Repairs out-of-range fields; missing fields stay missing; 0 when all six are missing.
  int validate();
  // Seconds since 1970-01-01 00:00 (missing month, day, hour, minute, second count as their
  // first value; a missing year leaves the count within 1970); Const::MISS when all are missing.
  long computeSecs();
  void print() const;

  int getYear() const { return year; }
  int getMonth() const { return month; }
  int getDay() const { return day; }
  int getHour() const { return hour; }
  int getMinute() const { return minute; }
  float getSecond() const { return second; }
  bool hasSecond() const { return second != Const::FMISS; }

  // Calendar arithmetic (proleptic Gregorian, any year); days counted from 1970-01-01 = 0.
  static bool isYearLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
  static long daysFromCivil(int y, int m, int d);
  static void civilFromDays(long days, int& y, int& m, int& d);
  static int daysInMonth(int y, int m);
  // False only when year, month and day are all present and name no day of the calendar
  // (30 February); two-digit years count as validate() completes them.
  bool isPossible() const;

 protected:
  int year;
  int month;
  int day;
  int hour;
  int minute;
  float second;
};

}  // namespace KOL
