// Static helpers for dates: month and day names, reading date texts and labels, time spans, the
// current time as text, and the date labels drawn on plots.
#pragma once

#include <string>

namespace KOL {

class Date;
class ForeTime;
class String;
class Timezone;

class DateTool {
 public:
  static const char* const months[12];
  static const char* const months_lc[12];
  static const char* const months_long[12];
  static const char* const day_of_week[7];

  // "#YYYYMMDDHHMM" or a plain number of seconds; Const::MISS when unreadable.
  static long getSeconds(const char* text);
  // "h:m" or "h" as minutes; 0 when unreadable.
  static int getMinutes(const char* text);
  static int getCurrent(String& out);
  static int getCurrent(const char* fmt, String& out);
  // 1-12 from a month name (first letters decide, any case); 0 when none.
  static int decodeMonth(const char* text);
  // Reads a plot label such as "12Z 15 JAN 2024" back into a date; 0 when no form fits.
  static int decode(const char* text, Date& date);
  // Names by number (months 1-12, days 0 = Sunday); the empty text out of range.
  static const char* getMonth(int m);
  static const char* getMonthLower(int m);
  static const char* getMonthLong(int m);
  static const char* getDayWeek(int d);

  // Plot labels; flags bit 1 adds the day name. 0 for an unset date.
  static int createLabel(const char* prefix, const Date& date, const Timezone& tz, int flags,
                         String& out);
  static int createLabel(const Date& date, const Timezone& tz, String& out);
  static int createLabel(const Date& date, String& out);
  static int createLabel(const Date& date, const Timezone& tz, float hours, String& out);
  static int createLabel(const Date& date, const Timezone& tz, const char* prefix, float fhour,
                         String& out);
  static int createLabel(const Date& date, const Timezone& tz, const char* prefix,
                         const ForeTime& ft, String& out);
  static int createHourLabel(float h, int days, String& out);
  static void print(long secs);

  // The same labels as plain texts.
  static std::string label(const char* prefix, const Date& date, const Timezone& tz, int flags);
  static std::string hourLabel(float h, int days);
};

}  // namespace KOL
