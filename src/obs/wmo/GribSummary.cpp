#include "obs/wmo/GribSummary.h"

#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/ForeTime.h"

namespace KOL::wmo {

namespace {

constexpr int MISS = Const::MISS;

// Big-endian unsigned octets [at, at + len) when all are present, else MISS.
long octets(const unsigned char* p, int n, int at, int len)
{
  if (at < 0 || at + len > n) return MISS;
  long v = 0;
  for (int i = 0; i < len; i++) v = (v << 8) | p[at + i];
  return v;
}

// Sign-and-magnitude value of len octets.
long signedOctets(const unsigned char* p, int n, int at, int len)
{
  long v = octets(p, n, at, len);
  if (v == MISS) return MISS;
  long sign = 1L << (8 * len - 1);
  return (v & sign) ? -(v & (sign - 1)) : v;
}

// Forecast hours from a time unit code and a value; MISS for units of months and longer.
long hours(long unit, long value)
{
  if (unit == MISS || value == MISS) return MISS;
  switch (unit) {
    case 0:
      return value / 60;
    case 1:
      return value;
    case 2:
      return value * 24;
    case 10:
      return value * 3;
    case 11:
      return value * 6;
    case 12:
      return value * 12;
    default:
      return MISS;
  }
}

int foreCode(int type, long fore, long end)
{
  if (fore == MISS) return MISS;
  return ForeTime(type, static_cast<int>(fore), static_cast<int>(end == MISS ? 0 : end)).toCode();
}

struct Summary {
  long edition = MISS, centre = MISS, model = MISS, grid = MISS;
  long fore = MISS, level_type = MISS, level = MISS, var = MISS;
};

// Edition 1: the product definition section follows the 8 octets of section 0.
void edition1(const unsigned char* p, int n, Summary& s)
{
  constexpr int PDS = 8;
  long table = octets(p, n, PDS + 3, 1), sub = octets(p, n, PDS + 25, 1);
  s.centre = octets(p, n, PDS + 4, 1);
  s.model = octets(p, n, PDS + 5, 1);
  s.grid = octets(p, n, PDS + 6, 1);
  long param = octets(p, n, PDS + 8, 1);
  if (param != MISS && table != MISS)
    s.var = table * 1000000 + (sub == MISS ? 0 : sub) * 1000 + param;
  s.level_type = octets(p, n, PDS + 9, 1);
  s.level = octets(p, n, PDS + 10, 2);
  long unit = octets(p, n, PDS + 17, 1), p1 = octets(p, n, PDS + 18, 1),
       p2 = octets(p, n, PDS + 19, 1), range = octets(p, n, PDS + 20, 1);
  if (range == 0 || range == 1) s.fore = foreCode(range == 1 ? 1 : 0, hours(unit, p1), MISS);
  if (range == 10 && p1 != MISS && p2 != MISS)
    s.fore = foreCode(0, hours(unit, p1 * 256 + p2), MISS);
  if (range == 4) s.fore = foreCode(ForeTime::ACCUMULATION, hours(unit, p1), hours(unit, p2));
  if (range == 3) s.fore = foreCode(ForeTime::AVERAGE, hours(unit, p1), hours(unit, p2));
}

// Edition 2: sections after the 16 octets of section 0, as far as the bytes at hand reach.
void edition2(const unsigned char* p, int n, Summary& s)
{
  long discipline = octets(p, n, 6, 1);
  for (int at = 16; at + 5 <= n;) {
    long len = octets(p, n, at, 4), num = octets(p, n, at + 4, 1);
    if (len < 5 || num == MISS) break;
    if (num == 1) s.centre = octets(p, n, at + 5, 2);
    if (num == 3) s.grid = octets(p, n, at + 12, 2);
    if (num == 4) {
      long cat = octets(p, n, at + 9, 1), par = octets(p, n, at + 10, 1);
      if (discipline != MISS && cat != MISS && par != MISS)
        s.var = discipline * 1000000 + cat * 1000 + par;
      s.model = octets(p, n, at + 13, 1);
      s.fore = foreCode(0, hours(octets(p, n, at + 17, 1), octets(p, n, at + 18, 4)), MISS);
      s.level_type = octets(p, n, at + 22, 1);
      long scale = signedOctets(p, n, at + 23, 1), value = signedOctets(p, n, at + 24, 4);
      if (value != MISS && scale != MISS) {
        double v = static_cast<double>(value);
        for (long i = 0; i < scale; i++) v /= 10;
        for (long i = 0; i > scale; i--) v *= 10;
        if (s.level_type == 100 || s.level_type == 108) v /= 100;
        s.level = static_cast<long>(v);
      }
      break;
    }
    at += static_cast<int>(len);
  }
}

}  // namespace

int gribBytesNeeded(const unsigned char* p, int n)
{
  if (n < 8) return 8;
  if (p[7] < 2) return 45;
  // A small message that is whole within the bytes at hand needs no more.
  if (n < 200 && n >= 7 && std::memcmp(p + n - 7, "777", 3) == 0) return n;
  return 200;
}

long messageLength(const unsigned char* p, int n)
{
  if (n >= 8 && std::memcmp(p, "BUFR", 4) == 0) return octets(p, n, 4, 3);
  if (n < 8 || std::memcmp(p, "GRIB", 4) != 0) return -1;
  if (p[7] < 2) return octets(p, n, 4, 3);
  long len = octets(p, n, 8, 8);
  return len == MISS ? -1 : len;
}

std::string gribSummary(const unsigned char* p, int n)
{
  Summary s;
  if (n >= 8) {
    s.edition = p[7] < 2 ? 1 : p[7];
    if (s.edition == 1)
      edition1(p, n, s);
    else
      edition2(p, n, s);
  }
  char text[160];
  std::snprintf(text, sizeof text, "GRIB%ld S%ld M%ld G%ld T%ld L%ld H%ld V%ld", s.edition,
                s.centre, s.model, s.grid, s.fore, s.level_type, s.level, s.var);
  return text;
}

}  // namespace KOL::wmo
