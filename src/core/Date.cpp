#include "core/Date.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/String.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;

// The second counts of 0001-01-01 00:00:00 and 9999-12-31 23:59:59: beyond them the calendar
// fields would not fit their four-digit formats.
constexpr long FIRST_SECS = -62135596800L;
constexpr long LAST_SECS = 253402300799L;

long floorDiv(long a, long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void copyZone(char* dst, const char* src, size_t max)
{
  size_t n = src ? strnlen(src, max) : 0;
  std::memcpy(dst, src ? src : "", n);
  dst[n] = 0;
}

}  // namespace

Date::Date(long s)
{
  init();
  set(s);
}

Date::Date(const char* text)
{
  init();
  set(text);
}

Date::Date(int y, int mo, int d, int h, int mi, float s)
{
  init();
  set(y, mo, d, h, mi, s);
}

Date::Date(const DateVal& v)
{
  init();
  set(v);
}

void Date::init()
{
  DateVal::init();
  dow = julian = MISS;
  secs = MISS;
  offset = 0;
  daylight = ' ';
  copyZone(zone, "Z", ZONE_SIZE - 1);
}

int Date::set(long s)
{
  if (s < FIRST_SECS || s > LAST_SECS) {
    Kol::outWarning("Date: second count out of range: %ld\n", s);
    return 0;
  }
  long days = floorDiv(s, 86400);
  long rest = s - days * 86400;
  civilFromDays(days, year, month, day);
  hour = (int)(rest / 3600);
  minute = (int)(rest / 60 % 60);
  second = (float)(rest % 60);
  secs = s;
  dow = (int)((days % 7 + 11) % 7);
  julian = (int)(days - daysFromCivil(year, 1, 1) + 1);
  return 1;
}

int Date::set() { return set(getCurrentSeconds()); }

long Date::getCurrentSeconds() { return (long)std::time(nullptr); }

int Date::set(const char* text)
{
  DateVal::init();
  secs = MISS;
  dow = julian = MISS;
  if (!text) return 0;
  if (text[0] == 'c' && text[1] == 'u') return set();
  if (text[0] == '#') text++;
  int y = MISS, mo = MISS, d = MISS, h = MISS, mi = MISS;
  float s = FMISS;
  // The first form that fills enough fields: three for the ISO form, four with '_'.
  const struct {
    const char* form;
    int least;
  } forms[] = {{"%4d-%2d-%2dT%2d:%2d:%f", 3}, {"%4d%2d%2d_%2d%2d%f", 4}, {"%4d%2d%2d%2d%2d%f", 1}};
  int n = 0;
  for (const auto& f : forms) {
    y = mo = d = h = mi = MISS;
    s = FMISS;
    n = std::sscanf(text, f.form, &y, &mo, &d, &h, &mi, &s);
    if (n >= f.least) break;
  }
  if (n < 1) {
    Kol::outWarning("Date: cannot read a date from: %.40s\n", text);
    return 0;
  }
  if (!DateVal(y, mo, d, h, mi, s).isPossible()) {
    Kol::outWarning("Date: no such day: %.40s\n", text);
    return 0;
  }
  return set(y, mo, d, h, mi, s);
}

int Date::set(int y, int mo, int d, int h, int mi, float s)
{
  if (mo == MISS && y != MISS && d != MISS) {
    DateVal probe(y, MISS, MISS, MISS, MISS, FMISS);
    int m2 = 0, d2 = 0;
    if (setJulian(probe.getYear(), d, m2, d2)) {
      y = probe.getYear();
      mo = m2;
      d = d2;
    }
  }
  DateVal::set(y, mo, d, h, mi, s);
  return update();
}

int Date::set(const DateVal& v)
{
  return set(v.getYear(), v.getMonth(), v.getDay(), v.getHour(), v.getMinute(), v.getSecond());
}

int Date::set(const DateVal& v, int zone_offset, const char* name)
{
  int ok = set(v);
  offset = zone_offset;
  daylight = ' ';
  copyZone(zone, name, 3);
  return ok;
}

int Date::set(const DateVal& v, const char* offset_text, const char* name)
{
  int ok = set(v);
  int hours = 0;
  char rule = ' ';
  if (offset_text && std::sscanf(offset_text, "%4d%c", &hours, &rule) >= 1 && std::abs(hours) <= 24)
    offset = hours * 3600;
  daylight = rule;
  copyZone(zone, name, ZONE_SIZE - 1);
  return ok;
}

int Date::setTime(int h, int m, float s)
{
  DateVal::set(MISS, MISS, MISS, h, m, s);
  return update();
}

int Date::setTime(float s)
{
  if (!(s >= 0 && s < 86400)) return 0;
  int whole = (int)s;
  return setTime(whole / 3600, whole / 60 % 60, s - 60.0f * (whole / 60));
}

int Date::setField(int& field, int value, int lo, int hi)
{
  if (value != MISS && (value < lo || value > hi)) return 0;
  field = value;
  update();
  return 1;
}

int Date::setYear(int y)
{
  if (y == MISS) return setField(year, y, 0, 0);
  if (y < 0) return 0;
  if (y < 50)
    y += 2000;
  else if (y < 200)
    y += 1900;
  return setField(year, y, 200, 9999);
}

int Date::setMonth(int m) { return setField(month, m, 1, 12); }
int Date::setDay(int d) { return setField(day, d, 1, 31); }
int Date::setHour(int h) { return setField(hour, h, 0, 23); }
int Date::setMinute(int m) { return setField(minute, m, 0, 59); }

int Date::setSecond(float s)
{
  if (s != FMISS && !(s >= 0 && s < 60)) return 0;
  second = s;
  update();
  return 1;
}

int Date::setFractionalSecond(float f)
{
  if (!(f >= 0 && f < 1)) return 0;
  second = (second == FMISS ? 0 : std::floor(second)) + f;
  return 1;
}

int Date::setDays(int n)
{
  int y, m, d;
  civilFromDays((long)n - 1, y, m, d);
  if (y < 1 || y > 9999) return 0;
  DateVal::set(y, m, d, hour, minute, second);
  return update();
}

int Date::getDays() const { return isSet() ? (int)floorDiv(secs, 86400) + 1 : MISS; }

int Date::setJulian(int doy)
{
  if (year == MISS) return 0;
  int m, d;
  if (!setJulian(year, doy, m, d)) return 0;
  month = m;
  day = d;
  return update();
}

int Date::getJulian(int y, int m, int d)
{
  m = m < 1 ? 1 : (m > 12 ? 12 : m);
  const int* table = isYearLeap(y) ? num_day_leap : num_day;
  return table[m - 1] + d;
}

int Date::setJulian(int y, int doy, int& month, int& day)
{
  const int* table = isYearLeap(y) ? num_day_leap : num_day;
  if (doy < 1 || doy > table[12]) return 0;
  int m = 1;
  while (doy > table[m]) m++;
  month = m;
  day = doy - table[m - 1];
  return 1;
}

int Date::update()
{
  secs = computeSecs();
  if (secs == MISS) {
    dow = julian = MISS;
    return 0;
  }
  // A day beyond the month's end (31 February after addMonths) names the day it runs on to.
  if (year != MISS && month != MISS && day != MISS && day > daysInMonth(year, month)) {
    rebuild(secs);
    return isSet();
  }
  long days = floorDiv(secs, 86400);
  int y, m, d;
  civilFromDays(days, y, m, d);
  dow = (int)((days % 7 + 11) % 7);
  julian = (int)(days - daysFromCivil(y, 1, 1) + 1);
  return 1;
}

void Date::rebuild(long new_secs)
{
  DateVal before = *this;
  float fraction = hasSecond() ? second - std::floor(second) : 0;
  if (!set(new_secs)) return;
  second += fraction;
  if (before.getYear() == MISS) year = MISS;
  if (before.getMonth() == MISS) month = MISS;
  if (before.getDay() == MISS) day = MISS;
  if (before.getHour() == MISS) hour = MISS;
  if (before.getMinute() == MISS) minute = MISS;
  if (!before.hasSecond()) second = FMISS;
}

int Date::shift(long delta)
{
  if (!isSet()) return 0;
  if (delta > LAST_SECS - secs || delta < FIRST_SECS - secs) return 0;
  rebuild(secs + delta);
  return 1;
}

int Date::addSeconds(float s)
{
  if (!(std::fabs(s) < 1e12f)) return 0;
  return shift((long)s);
}

int Date::addYears(int n)
{
  if (year == MISS || !isSet()) return 0;
  long y = (long)year + n;
  if (y < 1 || y > 9999) return 0;
  year = (int)y;
  return update();
}

int Date::addMonths(int n)
{
  if (month == MISS || !isSet()) return 0;
  long total = (long)month - 1 + n;
  long carry = floorDiv(total, 12);
  if (year != MISS) {
    long y = year + carry;
    if (y < 1 || y > 9999) return 0;
    year = (int)y;
  }
  month = (int)(total - carry * 12) + 1;
  return update();
}

int Date::changeTimezone(int new_offset, const char* name)
{
  if (!isSet()) return 0;
  shift((long)new_offset - offset);
  offset = new_offset;
  copyZone(zone, name, 3);
  return 1;
}

int Date::adjustHour(int h)
{
  if (hour == MISS || h < 0 || h > 23) return 0;
  int diff = h - hour;
  hour = h;
  update();
  if (diff > 12) return addDays(-1);
  if (diff < -12) return addDays(1);
  return 1;
}

int Date::adjustHour(int d, int h)
{
  if (day == MISS || d < 1 || d > 31 || h < 0 || h > 23) return 0;
  hour = h;
  update();
  int diff = d - day;
  if (diff > 5 || diff < -5) {
    day = d;
    update();
    return addMonths(diff > 5 ? -1 : 1);
  }
  return addDays(diff);
}

// A report month far from the current one belongs to the neighbouring year (a December
// report read in January).
int Date::adjustHour(int mo, int d, int h)
{
  if (mo == MISS || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23) return 0;
  if (year != MISS && month != MISS) {
    if (mo - month > 6) year--;
    if (month - mo > 6) year++;
  }
  month = mo;
  day = d;
  hour = h;
  return update();
}

int Date::adjustMinute(int h, int mi) { return adjustHour(h) && setMinute(mi); }

int Date::adjustMinute(int d, int h, int mi) { return adjustHour(d, h) && setMinute(mi); }

int Date::adjustMinute(int mo, int d, int h, int mi)
{
  return adjustHour(mo, d, h) && setMinute(mi);
}

int Date::adjustSecond(int h, int mi, float s) { return adjustMinute(h, mi) && setSecond(s); }

int Date::adjustSecond(int d, int h, int mi, float s)
{
  return adjustMinute(d, h, mi) && setSecond(s);
}

int Date::adjustSecond(int mo, int d, int h, int mi, float s)
{
  return adjustMinute(mo, d, h, mi) && setSecond(s);
}

namespace {

// The day of month of the first and last Sunday, from a known day and its day of week.
int firstSunday(int day, int dow)
{
  int dow_first = ((dow - (day - 1)) % 7 + 7) % 7;
  return 1 + (7 - dow_first) % 7;
}

int lastSunday(int day, int dow, int month_len)
{
  int dow_last = ((dow + (month_len - day)) % 7 + 7) % 7;
  return month_len - dow_last;
}

// True from 02:00 on the given day of the month on.
bool onOrAfter(int day, int hour, int change_day) { return day * 24 + hour >= change_day * 24 + 2; }

}  // namespace

int Date::isDaylight() const
{
  if (year == MISS || month == MISS || day == MISS || dow == MISS) return 0;
  int h = hour == MISS ? 0 : hour;
  int len = daysInMonth(year, month);
  int first = firstSunday(day, dow);
  int last = lastSunday(day, dow, len);
  switch (daylight) {
    case 'U':
      if (year > 2006) {
        if (month > 3 && month < 11) return 1;
        if (month == 3) return onOrAfter(day, h, first + 7);
        if (month == 11) return !onOrAfter(day, h, first);
        return 0;
      }
      if (month > 4 && month < 10) return 1;
      if (month == 4) return onOrAfter(day, h, first);
      if (month == 10) return !onOrAfter(day, h, last);
      return 0;
    case 'E':
      if (month > 3 && month < 10) return 1;
      if (month == 3) return onOrAfter(day, h, last);
      if (month == 10) return !onOrAfter(day, h, last);
      return 0;
    case 'a':
      if (month > 9 || month < 4) return 1;
      if (month == 9) return onOrAfter(day, h, last);
      if (month == 4) return !onOrAfter(day, h, first);
      return 0;
    default:
      return 0;
  }
}

void Date::fix()
{
  if (second == FMISS) second = 0;
  if (minute == MISS) minute = 0;
  if (hour == MISS) hour = 0;
  if (day == MISS) day = 1;
  if (month == MISS) month = 1;
  if (year == MISS) year = 1970;
  update();
}

namespace {

// The numeric conversions of Date::format: printf form, text of a missing field, the value.
struct NumberField {
  char letter;
  const char* form;
  const char* missing;
  int (*value)(const Date&);
};

const NumberField NUMBER_FIELDS[] = {
    {'Y', "%4d", "XXXX", [](const Date& d) { return d.getYear(); }},
    {'y', "%2.2d", "XX", [](const Date& d) { return d.getYear00(); }},
    {'m', "%2.2d", "XX", [](const Date& d) { return d.getMonth(); }},
    {'d', "%2.2d", "XX", [](const Date& d) { return d.getDay(); }},
    {'e', "%2d", "XX", [](const Date& d) { return d.getDay(); }},
    {'j', "%3d", "XXX", [](const Date& d) { return d.getJulian(); }},
    {'u', "%d", "X", [](const Date& d) { return d.getDayOfWeek(); }},
    {'H', "%2.2d", "XX", [](const Date& d) { return d.getHour(); }},
    {'l', "%2.2d", "XX",
     [](const Date& d) {
       int h = d.getHour();
       return h == MISS ? MISS : (h % 12 == 0 ? 12 : h % 12);
     }},
    {'M', "%2.2d", "XX", [](const Date& d) { return d.getMinute(); }},
    {'S', "%2.2d", "XX",
     [](const Date& d) { return d.hasSecond() ? (int)std::lround(d.getSecond()) : MISS; }},
};

// Appends the conversion %c of d to out.
void appendField(const Date& d, char c, std::string& out)
{
  char buf[32];
  for (const NumberField& f : NUMBER_FIELDS) {
    if (f.letter != c) continue;
    int v = f.value(d);
    if (v == MISS) {
      out += f.missing;
    } else {
      std::snprintf(buf, sizeof buf, f.form, v);
      out += buf;
    }
    return;
  }
  switch (c) {
    case 'b':
      out += d.getMonth() == MISS ? "XXX" : DateTool::getMonth(d.getMonth());
      break;
    case 'a':
      out += d.getDayOfWeek() == MISS ? "XXX" : DateTool::getDayWeek(d.getDayOfWeek());
      break;
    case 'p':
      out += d.getHour() == MISS ? "XX" : (d.getHour() < 12 ? "AM" : "PM");
      break;
    case 's':
      if (!d.hasSecond()) {
        out += "XX.XXXX";
      } else {
        std::snprintf(buf, sizeof buf, d.getSecond() < 10 ? "0%6.4f" : "%7.4f", d.getSecond());
        out += buf;
      }
      break;
    case 'Z':
      out += d.getZone();
      break;
    default:  // "%%" and unknown conversions give the letter itself
      out += c;
      break;
  }
}

}  // namespace

std::string Date::format(const char* fmt) const
{
  std::string out;
  if (!fmt) return out;
  if (std::strcmp(fmt, "RFC1123") == 0) fmt = "%d %b %Y %H:%M:%S %Z";
  if (std::strcmp(fmt, "ISO8601") == 0) fmt = "%Y-%m-%dT%H:%M:%S%Z";
  for (const char* p = fmt; *p; p++) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    char c = *++p;
    if (!c) break;
    appendField(*this, c, out);
  }
  return out;
}

std::string Date::format() const
{
  if (hour == MISS && minute == MISS && second == FMISS) return format("%e %b %Y");
  if (minute == MISS && second == FMISS) return format("%H%Z %e %b %Y");
  if (second == FMISS) return format("%H:%M%Z %e %b %Y");
  return format("%H:%M:%S%Z %e %b %Y");
}

int Date::toText(const char* fmt, String& out) const
{
  out.copy(format(fmt).c_str());
  return isSet();
}

int Date::toText(String& out) const
{
  out.copy(format().c_str());
  return isSet();
}

int Date::toString(String& out) const { return toText("%Y%m%d%H%M%s", out); }

void Date::print() const
{
  auto part = [](int v, const char* f, const char* missing) {
    if (v == MISS)
      std::printf("%s", missing);
    else
      std::printf(f, v);
  };
  part(year, "%4.4d/", "MMMM/");
  part(month, "%2.2d/", "MM/");
  part(day, "%2.2d ", "MM ");
  part(hour, "%2.2d:", "MM:");
  part(minute, "%2.2d:", "MM:");
  if (second == FMISS)
    std::printf("MM");
  else
    std::printf(second < 10 ? "0%5.3f" : "%6.3f", second);
  std::printf("\n");
}

void Date::printSeconds() const { std::printf("%ld\n", secs); }

}  // namespace KOL
