// kolgrib: lists the fields of a GRIB file, prints the points of one field, or writes one
// Lambert field back out as edition 1.
//   kolgrib FILE                               inventory, one line per field
//   kolgrib -msg=N -out=values FILE            latitude longitude value of every point
//   kolgrib -msg=N -out=grib1 -outfile=F FILE  the field as an edition 1 message
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Writer.h"

using namespace KOL;

namespace {

struct Options {
  int msg = 0;
  std::string out = "inventory";
  std::string outfile;
  std::string file;
  bool help = false;
};

void usage()
{
  std::printf(
      "usage: kolgrib [-msg=N] [-out=inventory|values|grib1] [-outfile=F] FILE\n"
      "  (no options)   one line per field: number, byte offset, reference date, forecast\n"
      "                 time, variable, level, grid (projection nx ny), packing\n"
      "  -msg=N         the N-th field (from 1) for -out=values and -out=grib1\n"
      "  -out=values    every point of field N as latitude longitude value (-9999: missing)\n"
      "  -out=grib1     write field N (a Lambert grid) as edition 1 to -outfile\n"
      "  -help          this text\n");
}

bool parse(int argc, char** argv, Options& o)
{
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    auto value = [&](const char* key) -> const char* {
      size_t n = std::strlen(key);
      return a.compare(0, n, key) == 0 ? a.c_str() + n : nullptr;
    };
    if (a == "-help" || a == "-h" || a == "--help")
      o.help = true;
    else if (const char* v = value("-msg="))
      o.msg = std::atoi(v);
    else if (const char* v = value("-out="))
      o.out = v;
    else if (const char* v = value("-outfile="))
      o.outfile = v;
    else if (a[0] == '-') {
      Kol::outError("kolgrib: unknown option %s\n", a.c_str());
      return false;
    } else
      o.file = a;
  }
  return true;
}

bool readAll(const std::string& path, std::vector<uint8_t>& bytes)
{
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return false;
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(fp);
  return true;
}

void printInventoryLine(int number, const grib::Field& f)
{
  std::printf("%d %zu %04d-%02d-%02d_%02d:%02d %s %d.%d.%d %s %s %d %d %s\n", number, f.offset,
              f.year, f.month, f.day, f.hour, f.minute, grib::foreTimeText(f).c_str(),
              f.edition == 2 ? f.discipline : f.tableVersion, f.edition == 2 ? f.category : 0,
              f.parameter, grib::levelText(f).c_str(), grib::gridName(f).c_str(), f.grid.nx,
              f.grid.ny, grib::packingName(f).c_str());
}

int printValues(const grib::Field& f)
{
  const grib::GridKind* kind = grib::findGridKind(f.grid.templ);
  std::vector<double> lat, lon;
  if (!kind || !kind->coords(f.grid, lat, lon) || f.values.size() != lat.size()) {
    Kol::outError("kolgrib: field has no values or no coordinates\n");
    return 1;
  }
  for (size_t k = 0; k < lat.size(); k++) {
    double lo = lon[k];
    if (lo < 0) lo += 360;
    if (lo >= 360) lo -= 360;
    std::printf("%.5f %.5f %.8g\n", lat[k], lo, static_cast<double>(f.values[k]));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  Kol::setProgramName("kolgrib");
  Options o;
  if (!parse(argc, argv, o)) return 2;
  if (o.help || o.file.empty()) {
    usage();
    return o.help ? 0 : 2;
  }
  std::vector<uint8_t> bytes;
  if (!readAll(o.file, bytes)) {
    Kol::outError("kolgrib: Unable to open file: %s\n", o.file.c_str());
    return 1;
  }
  grib::FieldWalker walker(bytes.data(), bytes.size());
  grib::Field f;
  const bool inventory = o.out == "inventory" || o.out == "inv";
  for (int number = 1; walker.next(f, !inventory && number == o.msg); number++) {
    if (inventory) {
      printInventoryLine(number, f);
      continue;
    }
    if (number != o.msg) continue;
    if (o.out == "values") return printValues(f);
    if (o.out == "grib1") return grib::writeEd1File(f, o.outfile) ? 0 : 1;
    Kol::outError("kolgrib: unknown output kind %s\n", o.out.c_str());
    return 2;
  }
  if (!inventory) {
    Kol::outError("kolgrib: no field %d in %s\n", o.msg, o.file.c_str());
    return 1;
  }
  return 0;
}
