// A UTC calendar date with its exact second count since 1970, day of week and day of year, and
// an optional display time zone. Fields may be missing: a date without hour is a day, and
// missing fields stay missing through arithmetic.
#pragma once

#include <string>

#include "core/DateVal.h"

namespace KOL {

class String;

class Date : public DateVal {
 public:
  static constexpr int ZONE_SIZE = 14;

  Date() { init(); }
  explicit Date(long secs);
  explicit Date(const char* text);
  Date(int y, int mo, int d, int h, int mi, float s);
  explicit Date(const DateVal& v);

  void init();
  int set(long secs);
  int set();
  int setCurrent() { return set(); }
  int set(const char* text);
  int set(int y, int mo, int d, int h, int mi, float s);
  int set(const DateVal& v);
  int set(const DateVal& v, int offset, const char* name);
  int set(const DateVal& v, const char* offset, const char* name);
  int setTime(int h, int m, float s);
  int setTime(float secs);

  int setYear(int y);
  int setMonth(int m);
  int setDay(int d);
  int setHour(int h);
  int setMinute(int m);
  int setSecond(float s);
  int setFractionalSecond(float f);
  void setDaylightType(char rule) { daylight = rule; }
  int setDays(int n);
  int getDays() const;
  int setJulian(int doy);

  bool isSet() const { return secs != Const::MISS; }
  int getJulian() const { return julian; }
  int getDayOfWeek() const { return dow; }
  long getSeconds() const { return secs; }
  int getYear00() const { return year == Const::MISS ? Const::MISS : year % 100; }
  int getOffset() const { return offset; }
  char getDaylightType() const { return daylight; }
  const char* getZone() const { return zone; }
  bool isLeap() const { return year != Const::MISS && isYearLeap(year); }
  const DateVal& getDateVal() const { return *this; }

  static int getJulian(int y, int m, int d);
  static int setJulian(int y, int doy, int& month, int& day);
  static long getCurrentSeconds();

  int addYears(int n);
  int addMonths(int n);
  // Arithmetic on the second count; 0 for an unset date.
  int addDays(int n) { return shift(86400L * n); }
  int addHours(int n) { return shift(3600L * n); }
  int addMinutes(int n) { return shift(60L * n); }
  int addSeconds(float s);
  Date& operator+=(int s)
  {
    shift(s);
    return *this;
  }
  long operator-(const Date& o) const { return secs - o.secs; }
  bool operator<(const Date& o) const { return secs < o.secs; }
  bool operator>(const Date& o) const { return secs > o.secs; }

  int changeTimezone(int new_offset, const char* name);

  // Complete a date from a report that gives only part of it, relative to this date.
  int adjustHour(int hour);
  int adjustHour(int day, int hour);
  int adjustHour(int month, int day, int hour);
  int adjustMinute(int hour, int minute);
  int adjustMinute(int day, int hour, int minute);
  int adjustMinute(int month, int day, int hour, int minute);
  int adjustSecond(int hour, int minute, float second);
  int adjustSecond(int day, int hour, int minute, float second);
  int adjustSecond(int month, int day, int hour, int minute, float second);

  int isDaylight() const;
  void fix();

  // Text by the directives of format; "RFC1123" and "ISO8601" name two standard formats.
  std::string format(const char* fmt) const;
  // The default label text, chosen by which time fields are present.
  std::string format() const;
  int toText(const char* fmt, String& out) const;
  int toText(String& out) const;
  // "%Y%m%d%H%M%s", a sortable text.
  int toString(String& out) const;
  void print() const;
  void printSeconds() const;

 private:
  int shift(long delta);
  // Rebuilds every field from the second count, keeping missing the fields that were missing.
  void rebuild(long new_secs);
  // Recomputes the second count, day of week and day of year from the fields.
  int update();
  int setField(int& field, int value, int lo, int hi);

  int dow;
  int julian;
  long secs;
  int offset;
  char daylight;
  char zone[ZONE_SIZE];
};

}  // namespace KOL
