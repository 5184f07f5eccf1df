#include "obs/wmo/GribSummary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/ForeTime.h"
#include "grid/Level.h"
#include "grid/grib/Field.h"
#include "grid/grib/Message.h"
#include "grid/grib/Product.h"

namespace KOL::wmo {

namespace {

constexpr int MISS = Const::MISS;

// Big-endian unsigned octets [at, at + len) when all are present and the number is below 2^48
// (no real length comes near), else MISS.
long octets(const unsigned char* p, int n, int at, int len)
{
  if (at < 0 || at + len > n) return MISS;
  uint64_t v = 0;
  for (int i = 0; i < len; i++) v = (v << 8) | p[at + i];
  return v < (uint64_t{1} << 48) ? static_cast<long>(v) : MISS;
}

// The section of the stated length at byte at, as far as the bytes at hand reach.
grib::Octets sectionAt(const unsigned char* p, int n, int at, long len)
{
  if (at >= n || len < 5) return {};
  return grib::Octets(p + at, static_cast<size_t>(std::min<long>(len, n - at)));
}

// Edition 1: the product definition section follows the 8 octets of section 0.
bool edition1(const unsigned char* p, int n, grib::Field& f)
{
  grib::Octets pds = sectionAt(p, n, 8, octets(p, n, 8, 3));
  return pds.size() >= 28 && grib::readProductEd1(pds, f);
}

// Edition 2: identification, grid and product sections, as far as the bytes at hand reach.
bool edition2(const unsigned char* p, int n, grib::Field& f)
{
  f.discipline = p[6];
  bool product = false;
  for (int at = 16; at + 5 <= n && !product;) {
    long len = octets(p, n, at, 4), number = p[at + 4];
    // A section reaching past the bytes at hand ends the walk (a huge length must not wrap).
    if (len < 5 || len > n - at) break;
    grib::Octets s(p + at, static_cast<size_t>(len));
    if (number == 1) grib::readIdentificationEd2(s, f);
    if (number == 3) grib::readGridEd2(s, f);
    if (number == 4) product = grib::readProductEd2(s, f);
    at += static_cast<int>(len);
  }
  return product;
}

}  // namespace

int gribBytesNeeded(const unsigned char* p, int n)
{
  if (n < 8) return 8;
  if (p[7] < 2) return 45;
  // A small message that is whole within the bytes at hand needs no more.
  if (n < 200 && n >= 7 && std::memcmp(p + n - 7, "777", 3) == 0) return n;
  return 200;
}

long messageLength(const unsigned char* p, int n)
{
  if (n >= 8 && std::memcmp(p, "BUFR", 4) == 0) return octets(p, n, 4, 3);
  if (n < 8 || std::memcmp(p, "GRIB", 4) != 0) return -1;
  if (p[7] < 2) return octets(p, n, 4, 3);
  long len = octets(p, n, 8, 8);
  return len == MISS ? -1 : len;
}

std::string gribSummary(const unsigned char* p, int n)
{
  long values[8] = {MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS};
  grib::Field f;
  if (n >= 16 && std::memcmp(p, "GRIB", 4) == 0) {
    f.edition = p[7] < 2 ? 1 : p[7];
    values[0] = f.edition;
    bool known = f.edition == 1 ? edition1(p, n, f) : f.edition == 2 && edition2(p, n, f);
    if (known) {
      Level level = grib::levelOf(f);
      values[1] = f.centre;
      values[2] = f.process;
      values[3] = f.edition == 1 ? f.gridNumber : grib::syntheticGridNumber(f.grid);
      values[4] = grib::foreTimeOf(f).toCode();
      values[5] = level.toTypeCode();
      values[6] = level.toLevelCode();
      // The numeric variable code of a parameter no table names: no table is read per bulletin.
      long a = f.edition == 1 ? f.tableVersion : f.discipline;
      long b = f.edition == 1 ? f.subCentre : f.category;
      values[7] = a * 1000000 + b * 1000 + f.parameter;
    }
  }
  char text[160];
  std::snprintf(text, sizeof text, "GRIB%ld S%ld M%ld G%ld T%ld L%ld H%ld V%ld", values[0],
                values[1], values[2], values[3], values[4], values[5], values[6], values[7]);
  return text;
}

}  // namespace KOL::wmo
