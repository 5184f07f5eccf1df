#include "core/Timezone.h"

#include <cmath>
#include <cstdio>

#include "core/Const.h"
#include "core/Kol.h"

namespace KOL {

Timezone::Timezone(const char* text)
{
  init();
  set(text);
}

void Timezone::init()
{
  name[0] = 0;
  pm = 0;
  offset = Const::MISS;
}

int Timezone::set(const char* text)
{
  init();
  if (!text || !*text) return 0;
  int flag = 0;
  if (*text == '+' || *text == '-') flag = *text++ == '+' ? 1 : -1;
  char zone[NAME_SIZE] = "";
  float hours = 0;
  // A zone is at most a day away from UTC.
  if (std::sscanf(text, "%4[^:]:%f", zone, &hours) != 2 || !(std::fabs(hours) <= 24)) {
    Kol::outWarning("Timezone: cannot read a time zone from: %.40s\n", text);
    return 0;
  }
  std::snprintf(name, sizeof name, "%s", zone);
  pm = flag;
  offset = (int)(hours * 3600);
  return 1;
}

bool Timezone::isSet() const { return offset != Const::MISS; }

void Timezone::print() const { std::printf("%s %d %d\n", name, pm, offset); }

}  // namespace KOL
