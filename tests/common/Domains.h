// Domains the tests draw on and grid: a lattice of any projection, and a Lambert cone like NAM's.
#pragma once

#include "geo/Domain.h"

namespace KOLTest {

inline KOL::Domain makeDomain(int proj, float p0, float p1, float clat, float clon, int nx, int ny,
                              float d)
{
  KOL::DomainVal v;
  v.proj = proj;
  v.param[0] = p0;
  v.param[1] = p1;
  v.clat = clat;
  v.clon = clon;
  v.nx = nx;
  v.ny = ny;
  v.dx = v.dy = d;
  return KOL::Domain(v);
}

// A Lambert cone true at 25 N around 95 W, as NAM's grid 211, centred on 38 N 95 W; d in units
// of 100 km.
inline KOL::Domain lambert(int nx, int ny, float d)
{
  KOL::DomainVal v = makeDomain(4, 25, -95, 38, -95, nx, ny, d).get();
  v.param[2] = v.param[3] = 25;
  return KOL::Domain(v);
}

}  // namespace KOLTest
