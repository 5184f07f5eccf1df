#include "core/ForeTime.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/text/Format.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;

// Field value that marks a missing start or end inside a code, and the bases that mark day and
// month units.
constexpr long CODE_MISS = 799;
constexpr long DAY_BASE = 800;
constexpr long MONTH_BASE = 900;
// Beyond this a value no longer fits the three-digit fields of a code.
constexpr float LIMIT = 1e6f;

const char* const type_words[] = {"rng", "avg", "acc", "dif", "max", "min"};

using text::format;

int suffixType(const char* word)
{
  for (int i = 1; i < 6; i++)
    if (std::strncmp(word, type_words[i], 3) == 0) return ForeTime::RANGE + i;
  return ForeTime::RANGE;
}

// A non-negative decimal number at the start of p ("12", "1.5"); the characters used, 0 when
// there is none or it is out of range.
int readNumber(const char* p, float& value)
{
  int i = 0;
  double v = 0;
  while (std::isdigit((unsigned char)p[i])) v = v * 10 + (p[i++] - '0');
  if (i == 0) return 0;
  if (p[i] == '.') {
    double scale = 0.1;
    for (i++; std::isdigit((unsigned char)p[i]); i++, scale /= 10) v += (p[i] - '0') * scale;
  }
  if (v >= LIMIT) return 0;
  value = (float)v;
  return i;
}

// True when p is a number and nothing else.
bool wholeNumber(const char* p, float& value)
{
  int used = readNumber(p, value);
  return used && !p[used];
}

long unitBase(int units)
{
  return units == ForeTime::DAYS ? DAY_BASE : units == ForeTime::MONTHS ? MONTH_BASE : 0;
}

// A start or end as stored in a code: the missing mark, or the value with its unit base.
long codeField(float v, long base)
{
  if (v == FMISS) return CODE_MISS;
  long n = std::lround(v);
  return n > 0 ? n + base : n;
}

const char* unitWord(int units, bool period)
{
  switch (units) {
    case ForeTime::MINUTES:
      return "min";
    case ForeTime::DAYS:
      return "day";
    case ForeTime::MONTHS:
      return period ? "mon" : "month";
    default:
      return "hr";
  }
}

}  // namespace

ForeTime::ForeTime(const char* text)
{
  init();
  decode(text);
}

ForeTime::ForeTime(int code)
{
  init();
  set(code);
}

ForeTime::ForeTime(int t, int f, int e)
{
  init();
  set(t, (float)f, (float)e);
}

void ForeTime::init()
{
  type = MISSING;
  units = HOURS;
  fore = end = length = offset = FMISS;
  end_date.init();
}

int ForeTime::decode(const char* text)
{
  init();
  if (!text || !*text) return 0;
  char head[10] = "", suffix[10] = "";
  float len = FMISS;
  int n = std::sscanf(text, "%9[^-]-%f%9s", head, &len, suffix);
  if (n >= 1 && std::strcmp(head, "time") == 0) return decodeTimeForm(text + 4);
  bool period = n >= 2 && std::isfinite(len) && std::fabs(len) < LIMIT;
  int period_type = suffixType(suffix);
  float v = 0;
  const char* h = head;
  if (n < 1) {
    // nothing readable
  } else if (std::strncmp(h, "miss", 4) == 0) {
    return 1;
  } else if (std::strncmp(h, "anal", 4) == 0 || std::strncmp(h, "obs", 3) == 0) {
    type = ANALYSIS;
    fore = 0;
    if (period && period_type >= AVERAGE && period_type <= DIFFERENCE) {
      type = period_type;
      fore = -len;
      end = 0;
    }
    return 1;
  } else if (std::strncmp(h, "in", 2) == 0) {
    type = ANALYSIS;
    fore = 0;
    return 1;
  } else if (h[0] && std::strchr("hde", h[0]) && wholeNumber(h + 1, v)) {
    type = FORECAST;
    fore = h[0] == 'h' ? v : 24 * v + (h[0] == 'e' ? 12 : 0);
  } else if (int used = readNumber(h, v)) {
    const char* unit = h + used;
    type = *unit ? FORECAST : ANY;
    fore = v;
    if (std::strcmp(unit, "day") == 0 || std::strcmp(unit, "d") == 0) fore = 24 * v;
    if (std::strcmp(unit, "e") == 0) fore = 24 * v + 12;
  }
  if (type == MISSING) {
    Kol::outWarning("ForeTime: unknown forecast time: %.40s\n", text);
    return 0;
  }
  if (period) {
    end = fore;
    fore = end - len;
    type = period_type;
  }
  return 1;
}

// The forms after "time": -A, -A-B<word>, -<word>, -A<word> and -A-<word>.
int ForeTime::decodeTimeForm(const char* rest)
{
  type = FORECAST;
  if (*rest != '-') return 0;
  rest++;
  float a = 0, b = 0;
  int used = readNumber(rest, a);
  if (!used) {
    if (std::isalpha((unsigned char)*rest)) type = suffixType(rest), offset = 0;
    return 0;
  }
  rest += used;
  if (!*rest) {
    offset = a;
  } else if (*rest == '-' && (used = readNumber(rest + 1, b))) {
    offset = a;
    length = b;
    type = suffixType(rest + 1 + used);
  } else if (*rest == '-') {
    offset = a;
    type = suffixType(rest + 1);
  } else {
    offset = 0;
    length = a;
    type = suffixType(rest);
  }
  return 0;
}

int ForeTime::set(int code)
{
  init();
  if (code < 0) return 0;
  long off = code / 10000000L;
  long rest = code % 10000000L;
  long t = rest / 1000 % 1000, u = rest % 1000;
  int ty = (int)(rest / 1000000);
  if (off > 0) offset = (float)(off - 100);
  if (off > 0 && t == CODE_MISS) {
    // Only an offset and a period length: the "time" forms.
    type = ty;
    length = u == CODE_MISS ? FMISS : (float)u;
    return 1;
  }
  if (ty == 0 || ty == ANY) {
    long v = ty == ANY ? rest - 9000000L : rest;
    type = ty;
    if (v == CODE_MISS) return 1;
    if (v > MONTH_BASE && v < 1000)
      units = MONTHS, v -= MONTH_BASE;
    else if (v > DAY_BASE && v < MONTH_BASE)
      units = DAYS, v -= DAY_BASE;
    fore = (float)v;
    return 1;
  }
  if (ty < RANGE || ty > MINIMUM) {
    offset = FMISS;
    return 0;
  }
  type = ty;
  long base = 0;
  if (t >= MONTH_BASE || (u >= MONTH_BASE && u < 1000))
    base = MONTH_BASE, units = MONTHS;
  else if (t >= DAY_BASE || u >= DAY_BASE)
    base = DAY_BASE, units = DAYS;
  if (base && t > base) t -= base;
  if (base && u > base) u -= base;
  end = u == CODE_MISS ? FMISS : (float)u;
  if (t == CODE_MISS) return 1;
  // A start before the run is stored as the period length.
  fore = t > u && u != CODE_MISS ? (float)(u - t) : (float)t;
  return 1;
}

int ForeTime::set(int t, float f, float e) { return set(t, HOURS, f, e); }

int ForeTime::set(int t, int u, float f, float e)
{
  init();
  if (u < MINUTES || u > MONTHS) return 0;
  type = t;
  units = u;
  fore = f;
  end = e;
  return 1;
}

int ForeTime::toCode() const
{
  if (type == MISSING) return MISS;
  long off = 0;
  if (offset != FMISS) {
    if (!(std::fabs(offset) < 100)) return MISS;
    off = (std::lround(offset) + 100) * 10000000L;
  }
  long code;
  if (fore == FMISS && end == FMISS) {
    if (offset == FMISS) return MISS;
    code = off + (long)type * 1000000L + CODE_MISS * 1000 +
           (length == FMISS ? CODE_MISS : std::lround(length));
  } else {
    if (!(std::fabs(fore) < LIMIT) && fore != FMISS) return MISS;
    if (!(std::fabs(end) < LIMIT) && end != FMISS) return MISS;
    long base = unitBase(units);
    long s = fore != FMISS && fore < 0 ? codeField((end == FMISS ? 0 : end) - fore, base)
                                       : codeField(fore, base);
    long e = codeField(end, base);
    if (isPeriod())
      code = type * 1000000L + s * 1000 + e + off;
    else if (type == ANY)
      code = 9000000L + s + off;
    else
      code = s + off;
  }
  return code > 2147483647L || code < 0 ? MISS : (int)code;
}

std::string ForeTime::text() const
{
  if (type == MISSING) return "miss";
  if (fore == FMISS && end == FMISS) {
    if (offset == FMISS && length == FMISS) return "miss";
    std::string out = unitWord(units, true);
    if (offset != FMISS) out += format("-%.0f", offset);
    if (length != FMISS) out += format("-%.0f", length);
    if (isPeriod()) out += type_words[type - RANGE];
    return out;
  }
  if (type == ANY) return format("%.0f", fore);
  if (!isPeriod()) return fore == 0 ? "anal" : format("%.0f", fore) + unitWord(units, false);
  float e = end == FMISS ? fore : end;
  float len = fore == FMISS ? 0 : e - fore;
  std::string head = e == 0 ? "anal" : format("%.0f", e) + unitWord(units, true);
  return head + format("-%.0f", len) + type_words[type - RANGE];
}

int ForeTime::toString(String& out) const
{
  out.copy(text().c_str());
  return type != MISSING;
}

float ForeTime::reported() const
{
  if (type >= RANGE && type <= DIFFERENCE) {
    if (end != FMISS) return end;
    return fore == 0 ? 0 : FMISS;
  }
  return fore;
}

float ForeTime::getFore() const { return reported(); }

float ForeTime::getHours() const
{
  float v = reported();
  if (v == FMISS) return FMISS;
  switch (units) {
    case MINUTES:
      return v / 60;
    case DAYS:
      return v * 24;
    case MONTHS:
      return v * 720;
    default:
      return v;
  }
}

long ForeTime::getSeconds() const
{
  float v = reported();
  if (v == FMISS) return MISS;
  static const long per_unit[] = {60, 3600, 86400, 2592000};
  return std::lround((double)v * per_unit[units]);
}

std::string ForeTime::timeLabel(float hours, bool days_below_61)
{
  if (hours == FMISS || !std::isfinite(hours) || std::fabs(hours) >= LIMIT) return "";
  if (hours == 0) return "analysis";
  if ((hours >= 61 || days_below_61) && hours > 0 && std::fmod(hours, 12.0f) == 0) {
    int half_days = (int)(hours / 12);
    return half_days % 2 ? format("%d.5 day", half_days / 2) : format("%d day", half_days / 2);
  }
  return format("%d hour", (int)hours);
}

std::string ForeTime::timeLabel(bool days_below_61) const
{
  float v = reported();
  if (v == FMISS || !std::isfinite(v) || std::fabs(v) >= LIMIT) return "";
  switch (units) {
    case MINUTES:
      return v < 60 ? format("%d min", (int)v) : format("%.2f hour", v / 60);
    case DAYS:
      return format("%d day", (int)v);
    case MONTHS:
      return format("%d month", (int)v);
    default:
      return timeLabel(v, days_below_61);
  }
}

int ForeTime::toTimeLabel(String& out) const
{
  out.copy(timeLabel(false).c_str());
  return 1;
}

int ForeTime::toTimeLabel(float hours, String& out)
{
  out.copy(timeLabel(hours, false).c_str());
  return 1;
}

int ForeTime::toTimeLabelDay(String& out) const
{
  out.copy(timeLabel(true).c_str());
  return 1;
}

std::string ForeTime::varLabel() const
{
  if (!isPeriod()) return "";
  float len = fore != FMISS && end != FMISS ? end - fore : length;
  if (len == FMISS) return type_words[type - RANGE];
  static const char* const words[] = {"min", "hour", "day", "month"};
  return format("%.0f %s ", len, words[units]) + type_words[type - RANGE];
}

int ForeTime::toVarLabel(String& out) const
{
  out.copy(varLabel().c_str());
  return isPeriod();
}

void ForeTime::print() const
{
  std::printf("ForeTime: %s type %d units %d fore %g end %g length %g offset %g code %d\n",
              text().c_str(), type, units, fore, end, length, offset, toCode());
}

}  // namespace KOL
