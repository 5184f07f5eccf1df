#include "graphics/plot/LabelFormat.h"

#include <cstdio>

#include "core/Const.h"
#include "core/Date.h"
#include "core/DateTool.h"
#include "core/ForeTime.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Timezone.h"

namespace KOL::LabelFormat {

namespace {

std::string twoDigits(int v)
{
  if (v == Const::MISS) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2.2d", v);
  return buf;
}

std::string dateLabel(const Context& c)
{
  String s;
  DateTool::createLabel(c.date, c.tz, s);
  return s.get();
}

std::string validLabel(const Context& c)
{
  if (!c.date.isSet()) return "";
  Date d = c.date;
  d.setSecond(0);
  String s;
  DateTool::createLabel(d, c.tz, c.source.c_str(), c.fore_hour, s);
  return s.get();
}

std::string code(const Context& c, char k)
{
  const Date& d = c.date;
  char buf[32];
  switch (k) {
    case '%':
      return "%";
    case 'D':
      return dateLabel(c);
    case 'F': {
      String s;
      ForeTime::toTimeLabel(c.fore_hour, s);
      return s.get();
    }
    case 'S':
      return c.source;
    case 'V':
      return validLabel(c);
    case 'Y':
      return twoDigits(d.getYear());
    case 'y':
      return twoDigits(d.getYear00());
    case 'm':
      return twoDigits(d.getMonth());
    case 'd':
      return twoDigits(d.getDay());
    case 'h':
      return twoDigits(d.getHour());
    case 'n':
      return twoDigits(d.getMinute());
    case 'b':
      std::snprintf(buf, sizeof buf, "%3.3s",
                    d.getMonth() == Const::MISS ? "" : DateTool::getMonth(d.getMonth()));
      return buf;
    case 'a':
      std::snprintf(buf, sizeof buf, "%3.3s",
                    d.isSet() ? DateTool::getDayWeek(d.getDayOfWeek()) : "");
      return buf;
    case 'f':
      if (Const::isMiss(c.fore_hour)) return "";
      std::snprintf(buf, sizeof buf, "%d", static_cast<int>(c.fore_hour));
      return buf;
    default:
      return std::string("%") + k;
  }
}

}  // namespace

int format(const Context& c, const char* fmt, char* out, int size)
{
  if (!out || size <= 0) return 0;
  std::string s;
  for (const char* p = fmt ? fmt : ""; *p; ++p) {
    if (*p == '_')
      s += ' ';
    else if (*p == '%' && p[1])
      s += code(c, *++p);
    else
      s += *p;
  }
  StrLib::copy(out, size, s.c_str());
  return StrLib::length(out);
}

}  // namespace KOL::LabelFormat
