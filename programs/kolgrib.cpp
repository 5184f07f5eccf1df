// kolgrib: lists the fields of a GRIB file, prints the points of one field, or writes one
// Lambert field back out as edition 1.
//   kolgrib FILE                               inventory, one line per field
//   kolgrib -msg=N -out=values FILE            latitude longitude value of every point
//   kolgrib -msg=N -out=grib1 -outfile=F FILE  the field as an edition 1 message
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "grid/GribPDB.h"
#include "grid/GribParam.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Product.h"
#include "grid/grib/Writer.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("msg", "kolgribmsg", "ms",
            "-ms N        The N-th field (from 1) for -out=values and grib1");
  keyed.add("out", "kolgribout", "ou",
            "-ou kind     inventory (default), values (latitude longitude value of every\n"
            "             point, -9999 where missing) or grib1 (a Lambert field as edition 1)");
  keyed.add("outfile", "kolgriboutfile", "outf", "-outf name   File written by -out=grib1");
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool readAll(const char* path, std::vector<uint8_t>& bytes)
{
  FILE* fp = std::fopen(path, "rb");
  if (!fp) return false;
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(fp);
  return true;
}

// number offset date forecast variable level grid nx ny packing
void printInventoryLine(int number, const grib::Field& f, std::vector<GribParam>& params)
{
  // One table entry per parameter, so that a missing one is reported once.
  const int a = f.edition == 1 ? f.tableVersion : f.discipline;
  const int b = f.edition == 1 ? f.subCentre : f.category;
  GribParam* param = nullptr;
  for (GribParam& p : params)
    if (p.matches(f.edition, f.centre, a, b, f.parameter)) param = &p;
  if (!param) param = &params.emplace_back();
  GribPDB pdb;
  grib::fillPDB(f, pdb, *param);
  String level;
  pdb.level.toString(level);
  const char* abbr = pdb.variable.getAbbr();
  std::string var = abbr[0] ? abbr : "var" + std::to_string(pdb.variable.getInd());
  std::printf("%d %zu %04d-%02d-%02d_%02d:%02d %s %s %s %s %d %d %s\n", number, f.offset, f.year,
              f.month, f.day, f.hour, f.minute, grib::foreTimeText(f).c_str(), var.c_str(),
              level.get()[0] ? level.get() : "-", grib::gridName(f).c_str(), f.grid.nx, f.grid.ny,
              grib::packingName(f).c_str());
}

int printValues(const grib::Field& f)
{
  const grib::GridKind* kind = grib::findGridKind(f.grid.templ);
  std::vector<double> lat, lon;
  if (!kind || f.values.empty() || !kind->coords(f.grid, lat, lon) ||
      f.values.size() != lat.size()) {
    Kol::outError("kolgrib: field has no values or no point coordinates\n");
    return Kol::FAILURE;
  }
  for (size_t k = 0; k < lat.size(); k++) {
    double lo = lon[k] < 0 ? lon[k] + 360 : lon[k] >= 360 ? lon[k] - 360 : lon[k];
    std::printf("%.5f %.5f %.8g\n", lat[k], lo, static_cast<double>(f.values[k]));
  }
  return Kol::SUCCESS;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  const char* file = r.get("filename");
  const std::string out = r.get("out", "inventory");
  const int msg = std::atoi(r.get("msg", "0"));
  const bool inventory = out.rfind("inv", 0) == 0;
  if (!inventory && out != "values" && out != "grib1") {
    Kol::outError("kolgrib: unknown output kind %s\n", out.c_str());
    return Kol::USAGE;
  }
  std::vector<uint8_t> bytes;
  if (!readAll(file, bytes)) {
    Kol::outError("kolgrib: Unable to open file: %s\n", file);
    return Kol::FAILURE;
  }
  grib::FieldWalker walker(bytes.data(), bytes.size());
  grib::Field f;
  std::vector<GribParam> params;
  int found = 0;
  for (int number = 1; walker.next(f, !inventory && number == msg); number++) {
    found = number;
    if (inventory) {
      printInventoryLine(number, f, params);
      continue;
    }
    if (number != msg) continue;
    if (out == "values") return printValues(f);
    const char* outfile = r.get("outfile");
    if (!outfile || !*outfile) {
      Kol::outError("kolgrib: -out=grib1 needs -outfile\n");
      return Kol::USAGE;
    }
    return grib::writeEd1File(f, outfile) ? Kol::SUCCESS : Kol::FAILURE;
  }
  if (!found) {
    Kol::outError("kolgrib: no GRIB message in %s\n", file);
    return Kol::FAILURE;
  }
  if (!inventory) {
    Kol::outError("kolgrib: no field %d in %s\n", msg, file);
    return Kol::FAILURE;
  }
  return std::fflush(stdout) == 0 ? Kol::SUCCESS : Kol::FAILURE;
}
