#include "obs/CityData.h"

#include <cstdio>

#include "core/StrLib.h"
#include "core/String.h"

namespace KOL {

namespace {

constexpr float HIGHEST_ELEV = 9000.0f;

// "--" stands for an empty state or country in the table.
void copyCode(char* dst, int size, const char* src)
{
  StrLib::copy(dst, size, StrLib::equal(src, "--") ? "" : src);
}

int priorityOf(const char* word)
{
  const char* p = word[0] == '*' ? word + 1 : word;
  return StrLib::isDigit(*p) ? *p - '0' : CityData::DEFAULT_PRIORITY;
}

}  // namespace

void CityData::init()
{
  name[0] = state[0] = country[0] = id[0] = wmo[0] = '\0';
  priority = DEFAULT_PRIORITY;
  lat = lon = elev = Const::FMISS;
  seq = 0;
}

int CityData::decode(const char* line)
{
  init();
  if (!line) return 0;
  while (StrLib::isSpace(*line)) line++;
  if (*line == '#' || *line == '\0') return 0;
  char nm[NAME_SIZE], st[STATE_SIZE], co[COUNTRY_SIZE], ident[ID_SIZE], prio[16], wm[16];
  float la = Const::FMISS, lo = Const::FMISS, el = Const::FMISS;
  int sq = 0;
  int n = std::sscanf(line, "%20s %2s %2s %9s %15s %f %f %f %15s %d", nm, st, co, ident, prio, &la,
                      &lo, &el, wm, &sq);
  if (n < 7) return 0;
  StrLib::copy(name, NAME_SIZE, nm);
  copyCode(state, STATE_SIZE, st);
  copyCode(country, COUNTRY_SIZE, co);
  StrLib::copy(id, ID_SIZE, ident);
  priority = priorityOf(prio);
  lat = la;
  lon = lo;
  elev = n >= 8 && el <= HIGHEST_ELEV ? el : Const::FMISS;
  if (n >= 9 && !StrLib::equal(wm, "99999")) StrLib::copy(wmo, WMO_SIZE, wm);
  seq = n >= 10 ? sq : 0;
  return 1;
}

int CityData::encode(String& out) const
{
  out.init(120);
  return out.printf("%-20s %-2s %-2s %-9s %d %8.4f %9.4f %6.0f %5s %d", name[0] ? name : "-",
                    state[0] ? state : "--", country[0] ? country : "--", id[0] ? id : "-",
                    priority, lat, lon, elev, wmo[0] ? wmo : "99999", seq);
}

void CityData::print() const
{
  std::printf("%-20s %-2s %-2s %-9s %d %8.4f %9.4f %6.0f %-5s %d\n", name, state, country, id,
              priority, lat, lon, elev, wmo, seq);
}

}  // namespace KOL
