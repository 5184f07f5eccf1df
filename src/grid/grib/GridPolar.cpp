// Polar stereographic grids on a sphere (edition 2 template 3.20, edition 1 type 5), true at the
// latitude LaD (60 degrees in edition 1).
// Their descriptions; their points come from the library projection (GridProjection.cpp).
#include "grid/grib/GridDefs.h"

namespace KOL::grib {

bool polarFromEd2(const Octets& s, GridGeom& g)
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
  return true;
}

bool polarFromEd1(const Octets& s, GridGeom& g)
{
  if (!setSizeEd1(g, s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.lov = milliDegrees(s, 18);
  g.di = s.u3(21);
  g.dj = s.u3(24);
  g.projCentre = static_cast<int>(s.u1(27));
  g.scan = static_cast<int>(s.u1(28));
  g.lad = (g.projCentre & 0x80) ? -60 : 60;
  return true;
}

}  // namespace KOL::grib
