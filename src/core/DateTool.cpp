#include "core/DateTool.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Const.h"
#include "core/Date.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "core/text/Format.h"

namespace KOL {

const char* const DateTool::months[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const DateTool::months_lc[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                             "jul", "aug", "sep", "oct", "nov", "dec"};
const char* const DateTool::months_long[12] = {"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
const char* const DateTool::day_of_week[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

namespace {

constexpr int MISS = Const::MISS;

using text::format;

int fullYear(int y)
{
  if (y < 50) y += 2000;
  if (y < 200) y += 1900;
  return y;
}

// The fields one reading of a label gives; the month comes as a name or a number.
struct LabelFields {
  int hour = MISS, minute = MISS, day = MISS, month = MISS, year = MISS;
  float second = Const::FMISS;
  char name[4] = "";
};

// Start of the text l characters before its end, or null when it is shorter.
const char* fromEnd(const char* text, size_t len, size_t l)
{
  return len >= l ? text + len - l : nullptr;
}

bool finish(LabelFields& f, Date& date)
{
  if (f.month == MISS) f.month = DateTool::decodeMonth(f.name);
  if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.year < 0) return false;
  if (f.hour != MISS && (f.hour < 0 || f.hour > 23)) return false;
  if (f.minute != MISS && (f.minute < 0 || f.minute > 59)) return false;
  if (f.second != Const::FMISS && !(f.second >= 0 && f.second < 61)) return false;
  if (!DateVal(fullYear(f.year), f.month, f.day, MISS, MISS, Const::FMISS).isPossible())
    return false;
  return date.set(fullYear(f.year), f.month, f.day, f.hour, f.minute, f.second) != 0;
}

bool hourDayMonthYear(const char* p, const char* form, Date& date)
{
  LabelFields f;
  if (!p || std::sscanf(p, form, &f.hour, &f.day, f.name, &f.year) != 4) return false;
  return finish(f, date);
}

// hhmmZ forms; a blank where the hour starts means a one-digit hour one place later.
bool hourMinuteForm(const char* text, size_t len, size_t l, const char* form, Date& date)
{
  const char* p = fromEnd(text, len, l);
  LabelFields f;
  if (!p || std::sscanf(p, form, &f.hour, &f.minute, &f.day, f.name, &f.year) != 5) return false;
  if (*p == ' ' && std::sscanf(p + 1, "%1d%2d", &f.hour, &f.minute) != 2) return false;
  return finish(f, date);
}

bool secondsForm(const char* p, const char* form, Date& date)
{
  LabelFields f;
  if (!p || std::sscanf(p, form, &f.hour, &f.minute, &f.second, &f.day, f.name, &f.year) != 6)
    return false;
  return finish(f, date);
}

bool decodeLabel(const char* text, Date& date)
{
  size_t len = std::strlen(text);
  if (hourDayMonthYear(text, "%2dZ %2d %3s %4d", date)) return true;
  if (hourDayMonthYear(text, "%2dZ %2d %3s %2d", date)) return true;
  if (hourMinuteForm(text, len, 17, "%2d%2dZ %2d %3s %4d", date)) return true;
  if (hourMinuteForm(text, len, 15, "%2d%2dZ %2d %3s %2d", date)) return true;
  if (secondsForm(fromEnd(text, len, 21), "%2d:%2d:%2fZ %2d %3s %4d", date)) return true;
  if (secondsForm(fromEnd(text, len, 19), "%2d:%2d:%2fZ %2d %3s %2d", date)) return true;
  if (hourDayMonthYear(fromEnd(text, len, 19), "%2dZ %*3s %2d %3s %4d", date)) return true;
  if (hourDayMonthYear(fromEnd(text, len, 17), "%2dZ %*3s %2d %3s %2d", date)) return true;
  if (hourDayMonthYear(fromEnd(text, len, 15), "%2dZ %2d %3s %4d", date)) return true;
  if (hourDayMonthYear(fromEnd(text, len, 13), "%2dZ %2d %3s %2d", date)) return true;
  LabelFields f;
  if (std::sscanf(text, "%2d %2d %2d %2d", &f.hour, &f.day, &f.month, &f.year) == 4 &&
      finish(f, date))
    return true;
  f = LabelFields();
  if (std::sscanf(text, "%2d %3s %2d", &f.day, f.name, &f.year) == 3 && finish(f, date))
    return true;
  f = LabelFields();
  const char* p = fromEnd(text, len, 11);
  return p && std::sscanf(p, "%2d %3s %4d", &f.day, f.name, &f.year) == 3 && finish(f, date);
}

std::string yearText(const Date& d)
{
  return d.getYear() == MISS ? std::string("XX") : format("%2.2d", d.getYear00());
}

// The time of day of a label: hour alone, hour and minute, or with seconds.
std::string timeText(int h, int m, int s, const Timezone& tz)
{
  bool zone = tz.isSet();
  const char* name = tz.getName();
  if (zone && tz.getPM() != 0) {
    int h12 = h % 12 == 0 ? 12 : h % 12;
    const char* half = h < 12 ? "AM" : "PM";
    if (m == MISS) return format("%d %s %s", h12, half, name);
    if (s == MISS) return format("%d:%2.2d %s %s", h12, m, half, name);
    return format("%d:%2.2d:%2.2d %s %s", h12, m, s, half, name);
  }
  if (m == MISS) return zone ? format("%2.2d%s", h, name) : format("%2.2dZ", h);
  if (s == MISS) return zone ? format("%2.2d%2.2d %s", h, m, name) : format("%2.2d%2.2dZ", h, m);
  return zone ? format("%2.2d:%2.2d:%2.2d %s", h, m, s, name)
              : format("%2.2d:%2.2d:%2.2dZ", h, m, s);
}

std::string utcText(int h, int m, int s)
{
  if (m == MISS) return format(" [%2.2dZ]", h);
  if (s == MISS) return format(" [%2.2d%2.2dZ]", h, m);
  return format(" [%2.2d%2.2d%2.2dZ]", h, m, s);
}

int roundedSecond(const Date& d) { return d.hasSecond() ? (int)std::lround(d.getSecond()) : MISS; }

int put(const std::string& text, String& out)
{
  out.copy(text.c_str());
  return 1;
}

}  // namespace

long DateTool::getSeconds(const char* text)
{
  if (!text) return MISS;
  if (text[0] == '#') {
    int y = MISS, mo = MISS, d = MISS, h = MISS, mi = MISS;
    if (std::sscanf(text + 1, "%4d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi) >= 1) {
      Date date(y, mo, d, h, mi, Const::FMISS);
      if (date.isSet()) return date.getSeconds();
    }
  } else {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (end != text && errno == 0) return v;
  }
  Kol::outWarning("DateTool: cannot read a time from: %.40s\n", text);
  return MISS;
}

int DateTool::getMinutes(const char* text)
{
  if (!text) return 0;
  while (std::isspace((unsigned char)*text)) text++;
  // The sign belongs to the whole span, also when the hour is 0 ("-0:30").
  bool negative = *text == '-';
  int h = 0, m = 0;
  int n = std::sscanf(text, "%9d:%9d", &h, &m);
  if (n < 1 || std::abs(h) > 1000000 || m < 0 || m > 1000000) return 0;
  if (n == 1) return 60 * h;
  return negative ? 60 * h - m : 60 * h + m;
}

int DateTool::getCurrent(String& out) { return getCurrent(nullptr, out); }

int DateTool::getCurrent(const char* f, String& out)
{
  Date now;
  now.set();
  const char* form = "%y %b %d  %H:%M:%SZ";
  if (f && std::strcmp(f, "RFC1123") == 0) form = "%d %b %Y %H:%M:%S GMT";
  if (f && std::strcmp(f, "ISO8601") == 0) form = "%Y-%m-%dT%H:%M:%SZ";
  return put(now.format(form), out);
}

int DateTool::decodeMonth(const char* text)
{
  if (!text || !text[0]) return 0;
  char a = (char)std::toupper((unsigned char)text[0]);
  char b = text[1] ? (char)std::toupper((unsigned char)text[1]) : 0;
  char c = b && text[2] ? (char)std::toupper((unsigned char)text[2]) : 0;
  switch (a) {
    case 'D':
      return 12;
    case 'F':
      return 2;
    case 'N':
      return 11;
    case 'O':
      return 10;
    case 'S':
      return 9;
    case 'J':
      return b == 'A' ? 1 : (c == 'N' ? 6 : (c == 'L' ? 7 : 0));
    case 'M':
      return c == 'R' ? 3 : (c == 'Y' ? 5 : 0);
    case 'A':
      return c == 'R' ? 4 : (c == 'G' ? 8 : 0);
    default:
      return 0;
  }
}

int DateTool::decode(const char* text, Date& date)
{
  if (text && decodeLabel(text, date)) return 1;
  Kol::outWarning("DateTool::decode: cannot read a date from: %.40s\n", text ? text : "");
  return 0;
}

const char* DateTool::getMonth(int m) { return m >= 1 && m <= 12 ? months[m - 1] : ""; }
const char* DateTool::getMonthLower(int m) { return m >= 1 && m <= 12 ? months_lc[m - 1] : ""; }
const char* DateTool::getMonthLong(int m) { return m >= 1 && m <= 12 ? months_long[m - 1] : ""; }
const char* DateTool::getDayWeek(int d) { return d >= 0 && d <= 6 ? day_of_week[d] : ""; }

std::string DateTool::label(const char* prefix, const Date& date, const Timezone& tz, int flags)
{
  if (!date.isSet()) return "";
  std::string out;
  if (prefix && *prefix) out = std::string(prefix) + " ";
  Date d = date;
  if (tz.isSet()) d.changeTimezone(tz.getOffset(), tz.getName());
  const char* mon = getMonth(d.getMonth());
  if (d.getMonth() == MISS) return out + yearText(d);
  if (d.getDay() == MISS) return out + format("%3s ", mon) + yearText(d);
  std::string day = format("%2d %3s ", d.getDay(), mon) + yearText(d);
  if (flags & 1) day = std::string(getDayWeek(d.getDayOfWeek())) + " " + day;
  if (d.getHour() == MISS) return out + day;
  int m = d.getMinute();
  int s = m == MISS ? MISS : roundedSecond(d);
  std::string time = timeText(d.getHour(), m, s, tz).substr(0, 24);
  if (tz.isSet() && tz.getPM() == -1)
    time += utcText(date.getHour(), m, s == MISS ? MISS : roundedSecond(date));
  return out + time + " " + day;
}

int DateTool::createLabel(const char* prefix, const Date& date, const Timezone& tz, int flags,
                          String& out)
{
  put(label(prefix, date, tz, flags), out);
  return date.isSet();
}

int DateTool::createLabel(const Date& date, const Timezone& tz, String& out)
{
  return createLabel(nullptr, date, tz, 0, out);
}

int DateTool::createLabel(const Date& date, String& out)
{
  return createLabel(nullptr, date, Timezone(), 0, out);
}

int DateTool::createLabel(const Date& date, const Timezone& tz, float hours, String& out)
{
  Date d = date;
  if (hours != Const::FMISS) d.addSeconds(hours * 3600.0f);
  return createLabel(nullptr, d, tz, 0, out);
}

namespace {

// "<prefix> <what> valid|for <date label>", the forecast hours added to the date.
std::string forecastLabel(const Date& date, const Timezone& tz, const char* prefix,
                          const std::string& what, float hours)
{
  std::string out;
  if (prefix && *prefix) out = std::string(prefix) + " ";
  out += what;
  out += hours != Const::FMISS && hours > 0 ? " valid " : " for ";
  Date d = date;
  bool shifted = hours != Const::FMISS && hours != 0;
  if (shifted) d.addSeconds(hours * 3600.0f);
  return out + DateTool::label(nullptr, d, tz, shifted ? 1 : 0);
}

}  // namespace

int DateTool::createLabel(const Date& date, const Timezone& tz, const char* prefix, float fhour,
                          String& out)
{
  bool has_prefix = prefix && *prefix;
  std::string what;
  if (fhour == Const::FMISS)
    what = has_prefix ? "data" : "Data";
  else if (fhour == 0)
    what = has_prefix ? "analysis" : "Analysis";
  else
    what = hourLabel(fhour, 0);
  put(forecastLabel(date, tz, prefix, what, fhour), out);
  return date.isSet();
}

int DateTool::createLabel(const Date& date, const Timezone& tz, const char* prefix,
                          const ForeTime& ft, String& out)
{
  String what;
  ft.toTimeLabel(what);
  put(forecastLabel(date, tz, prefix, what.get(), ft.getHours()), out);
  return date.isSet();
}

std::string DateTool::hourLabel(float h, int days)
{
  if (h == Const::FMISS || h == 0 || !std::isfinite(h)) return "";
  if (days && h > 0 && h < 1e6f) {
    float half_days = h / 12;
    if (half_days == std::floor(half_days) && h >= 12) {
      int n = (int)half_days;
      return n % 2 ? format("%d.5 day", n / 2) : format("%d day", n / 2);
    }
  }
  return format("%.0f hour", h);
}

int DateTool::createHourLabel(float h, int days, String& out)
{
  return put(hourLabel(h, days), out);
}

void DateTool::print(long secs)
{
  Date d;
  if (secs != MISS) d.set(secs);
  d.print();
}

}  // namespace KOL
