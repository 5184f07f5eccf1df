#include "grid/GridFile.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/Const.h"
#include "core/File.h"
#include "core/FileTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "grid/Grid.h"
#include "grid/GridMath.h"
#include "grid/GridSpec.h"
#include "grid/Grids.h"

namespace KOL {

namespace {

bool iequalWord(std::string_view w, std::string_view key)
{
  if (w.size() != key.size()) return false;
  for (size_t i = 0; i < w.size(); i++)
    if (std::tolower((unsigned char)w[i]) != key[i]) return false;
  return true;
}

// Puts a grid into every empty slot whose key it answers, in the slot's units.
int fillSlots(const Grid& g, Grids& grids)
{
  int filled = 0;
  for (int k = 0; k < grids.getNum(); k++) {
    if (grids.isSet(k) || !GridSpec::equal(grids.getSpec(k), g.getSpec())) continue;
    Grid copy(g);
    if (grids.getSpecUnits(k)[0]) GridMath::units(copy, grids.getSpecUnits(k));
    grids.setGrid(k, copy);
    filled++;
  }
  return filled;
}

}  // namespace

GridFile::GridFile(const char* name)
{
  init();
  open(name);
}

GridFile::GridFile(const char* name, int mode, int type)
{
  init();
  open(name, mode, type);
}

GridFile::GridFile(Filename& name)
{
  init();
  open(name);
}

GridFile::GridFile(Filename& name, int mode, int type)
{
  init();
  open(name, mode, type);
}

void GridFile::init()
{
  type_ = UNKNOWN;
  mode_ = READ;
  open_ = false;
  useHdr_ = true;
  missValue_ = Const::FMISS;
  valueBits_ = Const::MISS;
}

int GridFile::checkType(const char* name)
{
  if (!name || !*name) return UNKNOWN;
  if (FileTool::isStdio(name)) return NATIVE_TEXT;
  File f;
  if (!f.open(name, "r")) return UNKNOWN;
  char head[PROBE_SIZE];
  int n = f.read(head, 1, PROBE_SIZE);
  if (n <= 0) return UNKNOWN;
  std::string_view bytes(head, n);
  if (bytes.substr(0, 7) == "KOLGRID") return NATIVE_TEXT;
  if (bytes.substr(0, 3) == "CDF") return NETCDF;
  if (bytes.find("GRIB") != std::string_view::npos) return GRIB;
  return UNKNOWN;
}

int GridFile::openNative(const char* name, int mode, int type)
{
  const int format = mode == READ            ? GridKolFile::TEXT
                     : type == NATIVE_BINARY ? GridKolFile::BINARY
                                             : GridKolFile::TEXT;
  return kol_.open(name, mode, format);
}

int GridFile::open(const char* name, int mode, int type)
{
  close();
  if (!name || !*name || mode < READ || mode > APPEND) return 0;
  if (type == UNKNOWN && mode == READ) type = checkType(name);
  int ok = 0;
  if (type == NATIVE_TEXT || type == NATIVE_BINARY) {
    ok = openNative(name, mode, type);
  } else if (type == GRIB && mode != APPEND) {
    // Only a naming convention knows a header file; a plain name is read without one.
    ok = mode == READ ? grib_.open(name) : grib_.open(name, 1);
  } else if (type == NETCDF) {
    Kol::outWarning("GridFile: netCDF grids are not read here: %s\n", name);
  }
  if (!ok) return 0;
  type_ = type;
  mode_ = mode;
  open_ = true;
  return 1;
}

int GridFile::open(Filename& name, int mode, int type)
{
  const char* path = name.getName();
  if (mode == READ && type == UNKNOWN) type = checkType(path);
  if (type != GRIB || mode != READ) return open(path, mode, type);
  close();
  grib_.useHdrFile(useHdr_);
  if (!grib_.open(name)) return 0;
  type_ = GRIB;
  mode_ = READ;
  open_ = true;
  return 1;
}

int GridFile::close()
{
  kol_.close();
  grib_.close();
  open_ = false;
  type_ = UNKNOWN;
  return 1;
}

void GridFile::rewind()
{
  if (!reading()) return;
  if (native())
    kol_.seek(0, SEEK_SET);
  else
    grib_.rewind();
}

void GridFile::useHdrFile(int on) { useHdr_ = on != 0; }

int GridFile::setParam(const char* text)
{
  if (!text) return 0;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view word = rest.substr(0, comma);
    if (iequalWord(word, "nohdr")) useHdr_ = false;
    if (iequalWord(word, "usehdr")) useHdr_ = true;
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return grib_.setParam(text);
}

int GridFile::read(Grid& g)
{
  if (!reading()) return 0;
  return native() ? kol_.read(g) : grib_.read(g);
}

int GridFile::peek(Grid& g)
{
  if (!reading()) return 0;
  if (!native()) return grib_.peek(g);
  long here = kol_.tell();
  int ok = kol_.read(g);
  kol_.seek(here, SEEK_SET);
  return ok;
}

int GridFile::readHdr(Grid& g)
{
  if (!reading()) return 0;
  return native() ? kol_.readHdr(g) : grib_.peek(g);
}

int GridFile::readData(Grid& g)
{
  if (!reading()) return 0;
  return native() ? kol_.readData(g) : grib_.read(g);
}

int GridFile::read(Grid& g, const char* text)
{
  if (!reading()) return 0;
  if (!native()) return grib_.read(text, g);
  GridSpec spec;
  if (text && *text) spec.decode(text);
  int ok;
  if (spec.getIndex() != Const::MISS) {
    rewind();
    ok = 1;
    for (int k = 0; k <= spec.getIndex() && ok; k++) ok = kol_.read(g);
  } else {
    ok = read(spec, g);
  }
  if (ok && spec.getUnits()[0]) GridMath::units(g, spec.getUnits());
  return ok;
}

int GridFile::read(const GridSpec& spec, Grid& g)
{
  if (!reading()) return 0;
  if (!native()) return grib_.read(spec, g);
  while (kol_.read(g))
    if (!spec.isSet() || GridSpec::equal(spec, g.getSpec())) return 1;
  return 0;
}

int GridFile::read(Grids& grids)
{
  if (!reading()) return 0;
  if (!native()) return grib_.read(grids);
  int filled = 0;
  Grid g;
  while (grids.getNumSet() < grids.getNum() && kol_.read(g)) filled += fillSlots(g, grids);
  return filled;
}

int GridFile::read(const char* name, int type, Grid& g)
{
  return open(name, READ, type) && read(g);
}

int GridFile::write(const Grid& g)
{
  if (!open_ || mode_ == READ) return 0;
  return native() ? kol_.write(g) : grib_.write(g);
}

int GridFile::write(const char* name, int type, const Grid& g)
{
  int ok = open(name, WRITE, type) && write(g);
  close();
  return ok;
}

}  // namespace KOL
