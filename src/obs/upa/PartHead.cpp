#include "obs/upa/PartHead.h"

#include <cstdio>

#include "core/Const.h"
#include "core/Kol.h"
#include "obs/UpaWmoData.h"

namespace KOL {
namespace upa {

namespace {

bool allDigits(std::string_view w)
{
  for (char c : w)
    if (c < '0' || c > '9') return false;
  return !w.empty();
}

}  // namespace

PartHead::PartHead() : lat(Const::FMISS), lon(Const::FMISS) {}

bool PartHead::read(Groups& g)
{
  type = UpaWmoData::typeOf(g.next());
  if (type == UpaWmoData::NONE) return false;
  part = UpaWmoData::partOf(type);
  const bool mobile = UpaWmoData::isMobile(type);
  const bool moving = mobile || UpaWmoData::isShip(type);
  ship = UpaWmoData::isShip(type);
  if (moving && !isGroup(g.peek()) && !g.atEnd()) {
    std::string_view sign = g.next();
    station.assign(sign.substr(0, 10));
    if (Kol::isDebug(4)) Kol::outDebug(4, "   ID: %5.5s\n", station.c_str());
  }
  std::string_view yyggi = g.next();
  int yy = field(yyggi, 0, 2), gg = field(yyggi, 2, 2);
  if (!isGroup(yyggi) || yy < 0 || gg < 0) return false;
  if (Kol::isDebug(4)) Kol::outDebug(4, "YYGGI: %.5s\n", std::string(yyggi).c_str());
  knots = yy > 50;
  day = yy % 50;
  hour = gg % 50;
  if (gg > 50) ship = true;
  indicator = field(yyggi, 4, 1);
  if (day < 1 || day > 31 || hour > 24) return false;
  if (moving) {
    wmo = "99999";
    return readPosition(g) || !station.empty();
  }
  std::string_view number = g.peek();
  if (number.size() != 5 || !allDigits(number)) return false;
  g.next();
  wmo.assign(number);
  station = wmo;
  return true;
}

bool PartHead::readPosition(Groups& g)
{
  std::string_view latitude = g.peek();
  if (!isGroup(latitude) || field(latitude, 0, 2) != 99) return false;
  g.next();
  std::string_view longitude = g.next();
  if (Kol::isDebug(4))
    Kol::outDebug(4, "99LLL QLLLL: %s %s\n", std::string(latitude).c_str(),
                  std::string(longitude).c_str());
  int la = field(latitude, 2, 3), qc = field(longitude, 0, 1), lo = field(longitude, 1, 4);
  if (!isGroup(longitude) || la < 0 || lo < 0 || qc < 0) return false;
  lat = la / 10.0f;
  lon = lo / 10.0f;
  if (qc == 3 || qc == 5) lat = -lat;
  if (qc == 5 || qc == 7) lon = -lon;
  if (lat > 90 || lon > 180 || lon < -180) lat = lon = Const::FMISS;
  // MMMULaULo, and a mobile station's height group.
  g.next();
  if (UpaWmoData::isMobile(type)) g.next();
  return true;
}

std::string PartHead::key() const
{
  char time[16];
  std::snprintf(time, sizeof time, " %02d%02d", day, hour);
  return station + time;
}

}  // namespace upa
}  // namespace KOL
