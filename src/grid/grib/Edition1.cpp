// Edition 1 product and grid description sections.
#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Message.h"

namespace KOL::grib {

namespace {

// Time units 10, 11 and 12 (3, 6 and 12 hours) become hours.
void normaliseTimeUnit(Field& f)
{
  int factor = f.timeUnit == 10 ? 3 : f.timeUnit == 11 ? 6 : f.timeUnit == 12 ? 12 : 0;
  if (factor == 0) return;
  f.p1 *= factor;
  f.p2 *= factor;
  f.timeUnit = 1;
}

// The ensemble and probability extension of centre 7, sub-centre 2 (octets 41-55).
void readEnsembleExtension(const Octets& s, Field& f)
{
  if (!s.has(41, 4)) return;
  int type = static_cast<int>(s.u1(42)), id = static_cast<int>(s.u1(43));
  if (type == 1) f.perturbation = 0;
  if (type == 2) f.perturbation = -id;
  if (type == 3) f.perturbation = id;
  if (type >= 1 && type <= 3) f.ensType = type;
  if (type == 5 && s.has(44)) f.derived = static_cast<int>(s.u1(44));
  if ((f.parameter == 191 || f.parameter == 192) && s.has(46, 10)) {
    f.probType = static_cast<int>(s.u1(47));
    f.probLower = s.ibm(48);
    f.probUpper = s.ibm(52);
    f.probLowerSet = f.probType == 1 || f.probType == 3;
    f.probUpperSet = f.probType == 2 || f.probType == 3;
    f.percentile = -1;
  }
}

}  // namespace

bool readProductEd1(const Octets& s, Field& f)
{
  f.tableVersion = static_cast<int>(s.u1(4));
  f.centre = static_cast<int>(s.u1(5));
  f.process = static_cast<int>(s.u1(6));
  f.gridNumber = static_cast<int>(s.u1(7));
  f.flags = static_cast<int>(s.u1(8));
  f.category = f.tableVersion;
  f.parameter = static_cast<int>(s.u1(9));
  f.levelType1 = static_cast<int>(s.u1(10));
  f.level1 = s.u1(11);
  f.level2 = s.u1(12);
  f.level1Missing = f.level2Missing = false;
  int yy = static_cast<int>(s.u1(13)), century = static_cast<int>(s.u1(25));
  f.year = (century >= 1 && century <= 30) ? (century - 1) * 100 + yy
                                           : (yy < 50    ? 2000 + yy
                                              : yy < 200 ? 1900 + yy
                                                         : yy);
  f.month = static_cast<int>(s.u1(14));
  f.day = static_cast<int>(s.u1(15));
  f.hour = static_cast<int>(s.u1(16));
  f.minute = static_cast<int>(s.u1(17));
  f.timeUnit = static_cast<int>(s.u1(18));
  f.p1 = s.u1(19);
  f.p2 = s.u1(20);
  f.timeRange = static_cast<int>(s.u1(21));
  if (f.timeRange == 10) {
    f.p1 = s.u2(19);
    f.p2 = 0;
  }
  normaliseTimeUnit(f);
  f.subCentre = static_cast<int>(s.u1(26));
  f.pack.d = static_cast<int>(s.s(27, 2));
  if (f.centre == 7 && f.subCentre == 2) readEnsembleExtension(s, f);
  return true;
}

bool readGridEd1(const Octets& s, Field& f)
{
  int type = static_cast<int>(s.u1(6));
  const GridKind* kind = findGridKindEd1(type);
  if (!kind) {
    Kol::outWarning("GribFile: ************* Unknown GDS Temp: %d *************\n", type);
    return false;
  }
  f.grid.templ = kind->templ;
  f.grid.radius = 6367470.0;
  return kind->fromEd1(s, f.grid);
}

}  // namespace KOL::grib
