#include "core/DateRange.h"

#include <cstdio>

#include "core/Const.h"
#include "core/Date.h"
#include "core/DateTool.h"

namespace KOL {

DateRange::DateRange(const Date& d, int b, int a)
{
  init();
  set(d, b, a);
}

void DateRange::init()
{
  base = Const::MISS;
  before = after = 0;
}

int DateRange::set(const Date& d, int b, int a)
{
  set(d);
  return set(b, a);
}

int DateRange::set(const Date& d)
{
  base = d.isSet() ? d.getSeconds() : Const::MISS;
  return d.isSet();
}

int DateRange::set(int b, int a)
{
  before = b;
  after = a;
  return 1;
}

bool DateRange::valid(const Date& d) const { return d.isSet() && valid(d.getSeconds()); }

bool DateRange::valid(long secs) const
{
  if (base == Const::MISS) return false;
  return base - 60L * before <= secs && secs <= base + 60L * after;
}

void DateRange::print() const
{
  std::printf("Start: ");
  DateTool::print(base == Const::MISS ? Const::MISS : base - 60L * before);
  std::printf("End:   ");
  DateTool::print(base == Const::MISS ? Const::MISS : base + 60L * after);
}

}  // namespace KOL
