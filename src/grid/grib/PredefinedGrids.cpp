// Grids that edition 1 messages may name by number instead of describing: the NCEP Lambert
// grids over North America.
#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Message.h"

namespace KOL::grib {

namespace {

struct LambertGrid {
  int number, nx, ny;
  double la1, lo1, dx;
};

const LambertGrid kLambert[] = {
    {211, 93, 65, 12.190, -133.459, 81270.5},
    {212, 185, 129, 12.190, -133.459, 40635.0},
    {215, 369, 257, 12.190, -133.459, 20317.625},
    {218, 614, 428, 12.190, -133.459, 12190.58},
};

}  // namespace

bool predefinedGridEd1(int number, GridGeom& g)
{
  for (const auto& l : kLambert) {
    if (l.number != number) continue;
    g = GridGeom();
    g.templ = 30;
    g.nx = l.nx;
    g.ny = l.ny;
    g.la1 = l.la1;
    g.lo1 = l.lo1;
    g.di = g.dj = l.dx;
    g.lov = -95.0;
    g.latin1 = g.latin2 = g.lad = 25.0;
    g.scan = 0x40;
    g.radius = 6367470.0;
    return true;
  }
  Kol::outWarning("GribFile: predefined grid %d not supported\n", number);
  return false;
}

}  // namespace KOL::grib
