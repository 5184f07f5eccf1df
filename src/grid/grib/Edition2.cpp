// Edition 2 identification, grid definition, product definition and data representation
// sections.
#include <cmath>
#include <cstdlib>

#include "core/DateVal.h"
#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Message.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

// A fixed surface: type, scale factor and scaled value starting at octet `at`.
void readSurface(const Octets& s, size_t at, int& type, double& value, bool& missing)
{
  type = static_cast<int>(s.u1(at));
  missing = type == 255 || s.u1(at + 1) == 255 || s.allOnes(at + 2, 4);
  if (missing) {
    value = 0;
    return;
  }
  long scale = s.s(at + 1, 1);
  value = static_cast<double>(s.s(at + 2, 4)) * std::pow(10.0, -scale);
}

// Seconds in one step of a time unit of code table 4.4; 0 for months, years and unknown codes.
long unitSeconds(unsigned unit)
{
  switch (unit) {
    case 0:
      return 60;
    case 1:
      return 3600;
    case 2:
      return 86400;
    case 10:
      return 3 * 3600;
    case 11:
      return 6 * 3600;
    case 12:
      return 12 * 3600;
    case 13:
      return 1;
    default:
      return 0;
  }
}

long secondsOf(long year, long month, long day, long hour, long minute, long second)
{
  return ((DateVal::daysFromCivil(int(year), int(month), int(day)) * 24 + hour) * 60 + minute) *
             60 +
         second;
}

// The end of the overall time interval (year, month, day, hour, minute, second from octet
// `at`) in seconds after the reference time; false when it is not a date.
bool endAfterReference(const Octets& s, size_t at, const Field& f, long& seconds)
{
  const long year = s.u2(at), month = s.u1(at + 2), day = s.u1(at + 3), hour = s.u1(at + 4),
             minute = s.u1(at + 5), second = s.u1(at + 6);
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59)
    return false;
  seconds = secondsOf(year, month, day, hour, minute, second) -
            secondsOf(f.year, f.month, f.day, f.hour, f.minute, f.second);
  return true;
}

// The end of a statistical period and its process: octet `end` starts the end time, followed by
// the number of ranges, the missing count and the first range description.
void readStatistics(const Octets& s, size_t end, Field& f)
{
  f.statProcess = static_cast<int>(s.u1(end + 12));
  // Some producers write a period counted backwards from the forecast time as a negative
  // two's-complement length.
  f.statLength = static_cast<long>(static_cast<int32_t>(s.u4(end + 15)));
  const unsigned lengthUnit = s.u1(end + 14);
  // A period in another unit than the forecast time is left out: p2 stays p1.
  if (lengthUnit == unsigned(f.timeUnit)) f.p2 = f.p1 + f.statLength;
  // The end of the interval is what the period means; producers differ in what the forecast
  // time is (its start, its end, or the start of a period counted backwards).
  const long per = unitSeconds(unsigned(f.timeUnit)), lengthPer = unitSeconds(lengthUnit);
  long endSeconds = 0;
  if (per == 0 || lengthPer == 0 || !endAfterReference(s, end, f, endSeconds) ||
      endSeconds % per != 0 || (std::labs(f.statLength) * lengthPer) % per != 0)
    return;
  f.p2 = endSeconds / per;
  f.p1 = f.p2 - std::labs(f.statLength) * lengthPer / per;
}

void readEnsemble(const Octets& s, size_t at, Field& f)
{
  f.ensType = static_cast<int>(s.u1(at));
  f.perturbation = static_cast<int>(s.u1(at + 1));
  f.ensSize = static_cast<int>(s.u1(at + 2));
}

void readDerived(const Octets& s, size_t at, Field& f)
{
  f.derived = static_cast<int>(s.u1(at));
  f.ensSize = static_cast<int>(s.u1(at + 1));
}

void readProbability(const Octets& s, size_t at, Field& f)
{
  f.probType = static_cast<int>(s.u1(at + 2));
  f.probLowerSet = !(s.u1(at + 3) == 255 && s.allOnes(at + 4, 4));
  f.probUpperSet = !(s.u1(at + 8) == 255 && s.allOnes(at + 9, 4));
  f.probLower = s.s(at + 4, 4) * std::pow(10.0, -s.s(at + 3, 1));
  f.probUpper = s.s(at + 9, 4) * std::pow(10.0, -s.s(at + 8, 1));
}

}  // namespace

void readIdentificationEd2(const Octets& s, Field& f)
{
  f.centre = static_cast<int>(s.u2(6));
  f.subCentre = static_cast<int>(s.u2(8));
  f.tableVersion = static_cast<int>(s.u1(10));
  f.localTable = static_cast<int>(s.u1(11));
  f.year = static_cast<int>(s.u2(13));
  f.month = static_cast<int>(s.u1(15));
  f.day = static_cast<int>(s.u1(16));
  f.hour = static_cast<int>(s.u1(17));
  f.minute = static_cast<int>(s.u1(18));
  f.second = static_cast<int>(s.u1(19));
}

bool readGridEd2(const Octets& s, Field& f)
{
  int templ = static_cast<int>(s.u2(13));
  const GridKind* kind = findGridKind(templ);
  f.grid.templ = templ;
  if (!kind) {
    Kol::outWarning("GribFile: ************* Unknown GDS Temp: %d *************\n", templ);
    return false;
  }
  return kind->fromEd2(s, f.grid);
}

bool readProductEd2(const Octets& s, Field& f)
{
  int templ = static_cast<int>(s.u2(8));
  f.productTemplate = templ;
  static const int known[] = {0, 1, 2, 5, 8, 9, 10, 11, 12, 15, 50008};
  bool ok = false;
  for (int k : known) ok = ok || k == templ;
  f.category = static_cast<int>(s.u1(10));
  f.parameter = static_cast<int>(s.u1(11));
  if (!ok) {
    Kol::outWarning("GribFile: ************* Unknown PDS Temp: %d *************\n", templ);
    return false;
  }
  f.process = static_cast<int>(s.u1(14));
  f.timeUnit = static_cast<int>(s.u1(18));
  f.p1 = static_cast<long>(s.u4(19));
  f.p2 = f.p1;
  readSurface(s, 23, f.levelType1, f.level1, f.level1Missing);
  readSurface(s, 29, f.levelType2, f.level2, f.level2Missing);
  switch (templ) {
    case 1:
      readEnsemble(s, 35, f);
      break;
    case 2:
      readDerived(s, 35, f);
      break;
    case 5:
      readProbability(s, 35, f);
      break;
    case 8:
      readStatistics(s, 35, f);
      break;
    case 9:
      readProbability(s, 35, f);
      readStatistics(s, 48, f);
      break;
    case 10:
      f.percentile = static_cast<int>(s.u1(35));
      readStatistics(s, 36, f);
      break;
    case 11:
      readEnsemble(s, 35, f);
      readStatistics(s, 38, f);
      break;
    case 12:
      readDerived(s, 35, f);
      readStatistics(s, 37, f);
      break;
    case 15:
      f.statProcess = static_cast<int>(s.u1(35));
      break;
    default:
      break;
  }
  return true;
}

bool readPackingEd2(const Octets& s, Field& f)
{
  f.pack.drs = s;
  f.pack.templ = static_cast<int>(s.u2(10));
  if (!findUnpacker(f.pack.templ)) {
    Kol::outWarning("GribFile: ************ Unknown DRS Temp: %d ************\n", f.pack.templ);
    return false;
  }
  // IEEE values carry no scaling: octet 12 is their precision.
  if (f.pack.templ == 4) {
    f.pack.ref = 0;
    f.pack.e = f.pack.d = f.pack.bits = 0;
    if (s.size() >= 12) return true;
    Kol::outWarning("GribFile: data representation section of %zu bytes is too short\n", s.size());
    return false;
  }
  f.pack.ref = s.u1(12) == 0 ? 0.0f : s.ieee(12);
  f.pack.e = static_cast<int>(s.s(16, 2));
  f.pack.d = static_cast<int>(s.s(18, 2));
  f.pack.bits = static_cast<int>(s.u1(20));
  const size_t least = f.pack.templ == 3 ? 49 : f.pack.templ == 42 ? 25 : 21;
  if (s.size() < least) {
    Kol::outWarning("GribFile: data representation section of %zu bytes is too short\n", s.size());
    return false;
  }
  return true;
}

}  // namespace KOL::grib
