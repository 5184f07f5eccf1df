#include "core/nameconv/FileSpec.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"

namespace KOL::nameconv {

namespace {

constexpr int MISS = Const::MISS;
// Spans and counts longer than this many digits are not meant.
constexpr int MAX_DIGITS = 6;

bool digits(const char* p, int n)
{
  for (int i = 0; i < n; i++)
    if (!std::isdigit((unsigned char)p[i])) return false;
  return true;
}

int value(const char* p, int n)
{
  int v = 0;
  for (int i = 0; i < n; i++) v = v * 10 + (p[i] - '0');
  return v;
}

// Reads exactly n digits when they are there.
bool field(const char*& p, int n, int& out)
{
  if (!digits(p, n)) return false;
  out = value(p, n);
  p += n;
  return true;
}

// A whole number of at most MAX_DIGITS digits.
bool number(const char*& p, int& out)
{
  int n = 0;
  while (std::isdigit((unsigned char)p[n])) n++;
  if (n == 0 || n > MAX_DIGITS) return false;
  out = value(p, n);
  p += n;
  return true;
}

// Seconds written as digits with an optional fraction.
bool seconds(const char*& p, float& out)
{
  if (!std::isdigit((unsigned char)*p)) return false;
  char* end = nullptr;
  double v = std::strtod(p, &end);
  if (end == p || v >= 60 || v < 0) return false;
  // strtod would also take an exponent or a hexadecimal form; only digits and '.' belong here.
  for (const char* q = p; q < end; q++)
    if (!std::isdigit((unsigned char)*q) && *q != '.') return false;
  out = (float)v;
  p = end;
  return true;
}

bool readIso(const char*& p, int& mo, int& d, int& h, int& mi, float& s)
{
  const char* q = p;
  if (!(*q++ == '-' && field(q, 2, mo) && *q++ == '-' && field(q, 2, d))) return false;
  p = q;
  if (*q == 'T' && field(++q, 2, h) && *q == ':' && field(++q, 2, mi)) {
    p = q;
    if (*q == ':' && seconds(++q, s)) p = q;
  }
  return true;
}

bool readCompact(const char*& p, int& mo, int& d, int& h, int& mi, float& s)
{
  if (!field(p, 2, mo) || !field(p, 2, d)) return false;
  const char* q = p;
  if (*q == '_') q++;
  if (!field(q, 2, h)) return true;
  p = q;
  if (field(p, 2, mi)) seconds(p, s);
  return true;
}

}  // namespace

bool FixDate::isSet() const
{
  return year != MISS || month != MISS || day != MISS || hour != MISS || minute != MISS;
}

bool readSpecDate(const char*& p, Date& date)
{
  const char* q = p;
  if (*q == '#') q++;
  int y = 1980, mo = 1, d = 1, h = 0, mi = 0;
  float s = 0;
  if (!field(q, 4, y)) return false;
  bool ok = *q == '-' ? readIso(q, mo, d, h, mi, s) : readCompact(q, mo, d, h, mi, s);
  if (!ok || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59) return false;
  if (!DateVal(y, mo, d, h, mi, s).isPossible() || !date.set(y, mo, d, h, mi, s)) return false;
  p = q;
  return true;
}

bool readCurTime(const char* text, Date& date)
{
  if (!text) return false;
  const char* p = text;
  if (*p == '#') p++;
  int y = 1980, mo = 1, d = 1, h = 0, mi = 0;
  if (!field(p, 4, y)) return false;
  if (field(p, 2, mo) && field(p, 2, d) && field(p, 2, h)) field(p, 2, mi);
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59) return false;
  if (!DateVal(y, mo, d, h, mi, 0.0f).isPossible()) return false;
  return date.set(y, mo, d, h, mi, 0.0f) != 0;
}

bool readShift(const char*& p, char& sign, long& secs)
{
  sign = 0;
  secs = 0;
  const char* q = p;
  if (*q == '+' || *q == '-') sign = *q++;
  int days = 0, hours = 0, minutes = 0, a = 0;
  if (std::isdigit((unsigned char)*q)) {
    if (!number(q, a)) return false;
    if (*q == 'd') {
      days = a;
      q++;
      if (std::isdigit((unsigned char)*q) && !number(q, hours)) return false;
    } else {
      hours = a;
    }
  }
  if (*q == ':' && std::isdigit((unsigned char)q[1])) {
    q++;
    if (!number(q, minutes)) return false;
  }
  secs = days * 86400L + hours * 3600L + minutes * 60L;
  p = q;
  return true;
}

namespace {

bool fixedDigits(const char* text, FixDate& fix)
{
  size_t n = std::strlen(text);
  if (!digits(text, (int)n) || n < 3 || n > 6 || n == 5) return false;
  const char* p = text;
  if (n == 6) field(p, 2, fix.month);
  if (n >= 4) field(p, 2, fix.day);
  if (n == 3) field(p, 1, fix.day);
  field(p, 2, fix.hour);
  return true;
}

bool fixedHash(const char* p, FixDate& fix)
{
  if (!field(p, 4, fix.year)) return false;
  if (field(p, 2, fix.month) && field(p, 2, fix.day) && field(p, 2, fix.hour))
    field(p, 2, fix.minute);
  return *p == 0;
}

// "[-]H[:M]", "Dd[H][:M]", ":M" and "-:M".
bool fixedTime(const char* p, FixDate& fix)
{
  bool negative = *p == '-';
  if (negative) p++;
  int a = 0;
  if (std::strchr(p, 'd')) {
    if (!number(p, fix.day) || *p++ != 'd') return false;
    if (std::isdigit((unsigned char)*p) && number(p, a)) fix.hour = a;
  } else if (std::isdigit((unsigned char)*p)) {
    if (!number(p, a)) return false;
    fix.hour = negative ? -a : a;
  }
  if (*p == ':') {
    p++;
    if (!number(p, a)) return false;
    fix.minute = negative ? -a : a;
  }
  return *p == 0;
}

bool validFix(const FixDate& f)
{
  auto in = [](int v, int lo, int hi) { return v == MISS || (v >= lo && v <= hi); };
  return in(f.month, 1, 12) && in(f.day, 1, 31) && in(f.hour, -23, 23) && in(f.minute, -59, 59) &&
         in(f.year, 1, 9999);
}

}  // namespace

bool readFixDate(const char* text, FixDate& fix)
{
  fix = FixDate();
  if (!text || !*text) return false;
  bool ok =
      *text == '#' ? fixedHash(text + 1, fix) : fixedDigits(text, fix) || fixedTime(text, fix);
  if (!ok || !validFix(fix)) {
    Kol::outWarning("NameConv: invalid fixed date: %.40s\n", text);
    fix = FixDate();
    return false;
  }
  return true;
}

// The fixed fields replace the date's; when that lands after the date, the unit above the
// coarsest fixed field steps back once, so the result is the latest such date at or before it.
void applyFix(const FixDate& fix, Date& d)
{
  if (!fix.isSet() || !d.isSet()) return;
  auto pick = [](int fixed, int v) {
    if (fixed == MISS || v == MISS) return v;
    return fixed >= 0 ? fixed : v - v % -fixed;
  };
  Date out(pick(fix.year, d.getYear()), pick(fix.month, d.getMonth()), pick(fix.day, d.getDay()),
           pick(fix.hour, d.getHour()), pick(fix.minute, d.getMinute()), d.getSecond());
  if (out > d) {
    auto fixed = [](int v) { return v != MISS && v >= 0; };
    if (fixed(fix.month))
      out.addYears(-1);
    else if (fixed(fix.day))
      out.addMonths(-1);
    else if (fixed(fix.hour))
      out.addDays(-1);
    else if (fixed(fix.minute))
      out.addHours(-1);
  }
  d = out;
}

}  // namespace KOL::nameconv
