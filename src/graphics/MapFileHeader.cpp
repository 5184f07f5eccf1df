#include "graphics/MapFileHeader.h"

#include <algorithm>
#include <cstdio>

#include "core/Const.h"
#include "core/StrLib.h"

namespace KOL {

void MapFileHeader::init()
{
  count = 0;
  lat1 = lat2 = lon1 = lon2 = Const::FMISS;
  id = Const::MISS;
  name[0] = '\0';
}

void MapFileHeader::setName(const char* text) { StrLib::copy(name, NAME_SIZE, text ? text : ""); }

void MapFileHeader::setRange(const EarthPoints& pts)
{
  count = pts.getNum();
  lat1 = lon1 = Const::FMISS;
  EarthPoint e;
  for (int i = 0; i < count; ++i) {
    pts.get(i, e);
    if (i == 0) {
      lat1 = lat2 = e.lat;
      lon1 = lon2 = e.lon;
      continue;
    }
    lat1 = std::min(lat1, e.lat), lat2 = std::max(lat2, e.lat);
    lon1 = std::min(lon1, e.lon), lon2 = std::max(lon2, e.lon);
  }
  if (count == 0) lat2 = lon2 = Const::FMISS;
}

void MapFileHeader::print() const
{
  std::printf("%d - %.2f %.2f - %.2f %.2f - %d %s\n", count, lat1, lat2, lon1, lon2, id, name);
}

}  // namespace KOL
