#include "core/ReportDateTool.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/Kol.h"
#include "core/nameconv/FileSpec.h"

namespace KOL {

namespace {

constexpr long DAY = 86400;
constexpr int FIRST_YEAR = 1900;
constexpr int LAST_YEAR = 2100;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int number(std::string_view s, size_t at, size_t n)
{
  int v = 0;
  for (size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// Seconds since 1970 of a day and time in a month numbered year * 12 + month - 1, or -1 when
// the month has no such day.
long secondsOf(long months, int day, int hour, int minute)
{
  int y = static_cast<int>(months / 12);
  int m = static_cast<int>(months % 12) + 1;
  if (day > DateVal::daysInMonth(y, m)) return -1;
  return DateVal::daysFromCivil(y, m, day) * DAY + hour * 3600L + minute * 60L;
}

bool validFields(int day, int hour, int minute)
{
  return day >= 1 && day <= 31 && hour >= 0 && hour <= 23 &&
         (minute == Const::MISS || (minute >= 0 && minute <= 59));
}

// The hour (and minute) after a day at s[end]: "_1200", "-12", "T12Z"; false when none.
bool hourAfter(std::string_view s, size_t end, int& h, int& mi)
{
  if (end + 3 > s.size() || !std::strchr("_-T", s[end])) return false;
  size_t k = end + 1;
  while (k < s.size() && isDigit(s[k])) ++k;
  const size_t n = k - end - 1;
  if (n != 2 && n != 4) return false;
  int hh = number(s, end + 1, 2), mm = n == 4 ? number(s, end + 3, 2) : 0;
  if (hh > 23 || mm > 59) return false;
  h = hh;
  mi = mm;
  return true;
}

// A date of figures at s[at, at + n): yyyymmdd[hh[mm[ss]]]; a day alone is its start.
bool readDate(std::string_view s, size_t at, size_t n, Date& d)
{
  int y = number(s, at, 4), mo = number(s, at + 4, 2), day = number(s, at + 6, 2);
  int h = n >= 10 ? number(s, at + 8, 2) : 0;
  int mi = n >= 12 ? number(s, at + 10, 2) : 0;
  int sec = n >= 14 ? number(s, at + 12, 2) : 0;
  if (y < FIRST_YEAR || y > LAST_YEAR || mo < 1 || mo > 12 || day < 1 ||
      day > DateVal::daysInMonth(y, mo) || h > 23 || mi > 59 || sec > 59)
    return false;
  if (n == 8) hourAfter(s, at + n, h, mi);
  return d.set(y, mo, day, h, mi, static_cast<float>(sec)) != 0;
}

}  // namespace

long ReportDateTool::now()
{
  if (Kol::init_time != Const::MISS) return Kol::init_time;
  Date d;
  if (nameconv::readCurTime(std::getenv("kolcurtime"), d)) return d.getSeconds();
  return Date::getCurrentSeconds();
}

int ReportDateTool::fromName(const char* name, Date& d)
{
  if (!name) return 0;
  std::string_view s(name);
  // The last date wins: a file's own name says more than the directories above it.
  for (size_t end = s.size(); end > 0;) {
    size_t stop = end;
    while (stop > 0 && !isDigit(s[stop - 1])) --stop;
    size_t start = stop;
    while (start > 0 && isDigit(s[start - 1])) --start;
    size_t n = stop - start;
    if ((n == 8 || n == 10 || n == 12 || n == 14) && readDate(s, start, n, d)) return 1;
    end = start;
  }
  return 0;
}

int ReportDateTool::complete(const Date& reference, int day, int hour, int minute, Date& out)
{
  if (reference.isSet()) return nearest(reference, day, hour, minute, out);
  return latest(now(), day, hour, minute, out);
}

int ReportDateTool::nearest(const Date& ref, int day, int hour, int minute, Date& out)
{
  if (!validFields(day, hour, minute) || !ref.isSet()) return 0;
  if (minute == Const::MISS) minute = 0;
  const long at = ref.getSeconds();
  Date r(at);
  const long month = r.getYear() * 12L + r.getMonth() - 1;
  long best = -1;
  for (long m = month - 1; m <= month + 1; ++m) {
    long s = secondsOf(m, day, hour, minute);
    if (s >= 0 && (best < 0 || std::labs(s - at) < std::labs(best - at))) best = s;
  }
  return best >= 0 && out.set(best);
}

int ReportDateTool::latest(long now, int day, int hour, int minute, Date& out)
{
  if (!validFields(day, hour, minute)) return 0;
  if (minute == Const::MISS) minute = 0;
  const long limit = now + DAY;
  Date r(limit);
  if (!r.isSet()) return 0;
  // Every day of month comes round within four months going back.
  for (long m = r.getYear() * 12L + r.getMonth() - 1, k = 0; k < 4; --m, ++k) {
    long s = secondsOf(m, day, hour, minute);
    if (s >= 0 && s <= limit) return out.set(s);
  }
  return 0;
}

}  // namespace KOL
