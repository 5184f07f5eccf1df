// Lambert conformal conic grids on a sphere (edition 2 template 3.30, edition 1 type 3).
// Their descriptions; their points come from the library projection (GridProjection.cpp).
#include "grid/grib/GridDefs.h"

namespace KOL::grib {

bool lambertFromEd2(const Octets& s, GridGeom& g)
{
  g.radius = earthRadiusEd2(s);
  if (!setSize(g, long(s.u4(31)), long(s.u4(35)))) return false;
  g.la1 = microDegrees(s, 39);
  g.lo1 = microDegrees(s, 43);
  g.lad = microDegrees(s, 48);
  g.lov = microDegrees(s, 52);
  g.di = s.u4(56) * 1e-3;
  g.dj = s.u4(60) * 1e-3;
  g.projCentre = static_cast<int>(s.u1(64));
  g.scan = static_cast<int>(s.u1(65));
  g.latin1 = microDegrees(s, 66);
  g.latin2 = microDegrees(s, 70);
  g.spLat = microDegrees(s, 74);
  g.spLon = microDegrees(s, 78);
  return g.latin1 != 0 || g.latin2 != 0;
}

bool lambertFromEd1(const Octets& s, GridGeom& g)
{
  if (!setSizeEd1(g, s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.lov = milliDegrees(s, 18);
  g.di = s.u3(21);
  g.dj = s.u3(24);
  g.projCentre = static_cast<int>(s.u1(27));
  g.scan = static_cast<int>(s.u1(28));
  g.latin1 = milliDegrees(s, 29);
  g.latin2 = milliDegrees(s, 32);
  g.lad = g.latin1;
  g.spLat = milliDegrees(s, 35);
  g.spLon = milliDegrees(s, 38);
  return g.latin1 != 0 || g.latin2 != 0;
}

}  // namespace KOL::grib
