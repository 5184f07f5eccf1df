#include "obs/SfcWmoData.h"

#include <cstdio>

#include "core/Const.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

const char* const FORMAT_NAMES[] = {"METAR", "SPECI", "SA",    "SP",    "SYNOP",
                                    "SHIP",  "BUOY",  "DRIBU", "MOBIL", "CMAN"};
const char* const FORMAT_TAGS[] = {
    "ME:", "SP:", "sa:", "sp:", "SY:", "SH:", "BU:", "DR:", "MO:", "CM:"};
const char* const LOCATION_NAMES[] = {"USA", "CANADA", "MEXICO"};
const char* const LOCATION_TAGS[] = {"US:", "CN:", "MX:"};

const char* lookup(const char* const* table, int n, int code)
{
  return code >= 1 && code <= n ? table[code - 1] : nullptr;
}

}  // namespace

void SfcWmoData::init()
{
  id[0] = data[0] = wmo[0] = '\0';
  date.init();
  day = hour = minute = Const::MISS;
  format = Const::MISS;
  location = Const::MISS;
}

int SfcWmoData::setId(const char* s) { return StrLib::copy(id, ID_SIZE, s); }
int SfcWmoData::setData(const char* s) { return StrLib::copy(data, DATA_SIZE, s); }
int SfcWmoData::setWmo(const char* s) { return StrLib::copy(wmo, WMO_SIZE, s); }

void SfcWmoData::setDate(const Date& d)
{
  date = d;
  day = d.getDay();
  hour = d.getHour();
  minute = d.getMinute();
}

void SfcWmoData::print() const
{
  std::printf("ID: %s\n", id);
  std::printf("WMO: %s\n", wmo);
  std::printf("Data: %s\n", data);
  std::printf("Date: %d/%d -- ", day, hour);
  date.print();
  const char* f = lookup(FORMAT_NAMES, 10, format);
  if (f)
    std::printf("Format: %s\n", f);
  else
    std::printf("Format: %d\n", format);
  const char* l = lookup(LOCATION_NAMES, 3, location);
  if (l)
    std::printf("Location: %s\n", l);
  else
    std::printf("Location: %d\n", location);
}

void SfcWmoData::printData() const
{
  const char* f = lookup(FORMAT_TAGS, 10, format);
  const char* l = lookup(LOCATION_TAGS, 3, location);
  std::printf("%-6s %s%s %s\n", id, f ? f : "XX:", l ? l : "XX:", data);
}

}  // namespace KOL
