#include "geo/DomainTool.h"

#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "geo/Domain.h"
#include "geo/Region.h"
#include "obs/CityTool.h"

namespace KOL {

namespace {

// The user forms, tried in order; the first whose length and values fit wins.
constexpr const char* LISTS[] = {"proj,clat,clon,nx,ny,dx,dy",
                                 "proj,id,nx,ny,dx,dy",
                                 "proj,clat,clon,dx,dy",
                                 "proj,clat,clon,nx,ny,dx",
                                 "clat,clon,nx,ny,dx,dy",
                                 "clat,clon,nx,ny,dx",
                                 "proj,id,dx,dy",
                                 "proj,clat,clon,dx",
                                 "clat,clon,nx,ny",
                                 "clat,clon,dx",
                                 "proj,clat,clon",
                                 "clat,clon",
                                 "id,dx",
                                 "id"};
constexpr int NUM_LISTS = sizeof LISTS / sizeof LISTS[0];

// Regions may name other regions; this bounds the chain.
constexpr int MAX_DEPTH = 8;

constexpr int DEF_NX = 25, DEF_NY = 17;
constexpr float DEF_DX = 1.2f;
constexpr int SKEWT = 40, ZOOM = 50, SIZE = 51;
constexpr float SKEWT_DX = 4.5f, SKEWT_DY = 0.1175f;
constexpr int SKEWT_NX = 12, SKEWT_NY = 11;

bool isMiss(float v) { return Const::isMiss(v); }

// A whole number text (blanks around allowed); missing when it is not one.
float readFloat(const char* s)
{
  if (!s) return Const::FMISS;
  char* end = nullptr;
  float v = std::strtof(s, &end);
  if (end == s) return Const::FMISS;
  while (StrLib::isSpace(*end)) end++;
  return *end ? Const::FMISS : v;
}

int readInt(const char* s)
{
  if (!s) return Const::MISS;
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (end == s) return Const::MISS;
  while (StrLib::isSpace(*end)) end++;
  return *end || v < -1000000 || v > 1000000 ? Const::MISS : static_cast<int>(v);
}

int keyCount(const char* keys) { return StrLib::occurs(keys, ',') + 1; }

void setLattice(DomainVal& dv, int nx, int ny, float dx, float dy)
{
  dv.nx = nx;
  dv.ny = ny;
  dv.dx = dx;
  dv.dy = dy;
}

}  // namespace

int DomainTool::proj(const char* name) { return Domain::getProj(name); }

int DomainTool::setProj(DomainVal& dv, const char* value)
{
  Strings parts(value, ':');
  int code = Domain::getProj(parts.getString(0));
  if (code == -1) return 0;
  dv.proj = code;
  int n = parts.getNum();
  if (n == 2) {
    dv.param[1] = readFloat(parts.getString(1));
    return 1;
  }
  int first = 1;
  if (n > 2 && parts.equal(1, "e")) {
    dv.ellipsoid = true;
    first = 2;
  }
  for (int i = first, p = 0; i < n && p < 6; i++, p++) dv.param[p] = readFloat(parts.getString(i));
  return 1;
}

int DomainTool::setStation(DomainVal& dv, const char* value)
{
  const char* file = STATION_FILE;
  const char* id = value;
  char table[TABLE_NAME_SIZE];
  const bool named = StrLib::iequal(value, "id:", 3);
  if (named) {
    id = value + 3;
    int colon = StrLib::index(id, ':');
    if (colon >= 0) {
      if (colon >= TABLE_NAME_SIZE) return 0;
      StrLib::copy(table, sizeof table, id, colon);
      file = table;
      id += colon + 1;
    }
  } else if (StrLib::length(value) != 4 || !StrLib::check(value, "uuuu")) {
    // Identifiers are four letters; a longer word such as CONUS is left to the region lookup
    // instead of being reported as an unknown station.
    return 0;
  }
  float lat = Const::FMISS, lon = Const::FMISS;
  if (!StrLib::valid(id) || !CityTool::locate(file, id, lat, lon)) {
    // A bare word of four capitals may as well be a region (OHIO, PERU): only a text that
    // matches nothing at all is reported, by the decoder.
    if (named) Kol::outWarning("DomainTool::setParam: Unable to find: %s\n", id);
    return 0;
  }
  dv.clat = lat;
  dv.clon = lon;
  return 1;
}

int DomainTool::setParam(DomainVal& dv, const char* value, const char* key)
{
  if (!value || !key) return 0;
  if (StrLib::equal(key, "proj")) return setProj(dv, value);
  if (StrLib::equal(key, "id")) return setStation(dv, value);
  float* f = StrLib::equal(key, "plon")   ? &dv.param[1]
             : StrLib::equal(key, "clat") ? &dv.clat
             : StrLib::equal(key, "clon") ? &dv.clon
             : StrLib::equal(key, "dx")   ? &dv.dx
             : StrLib::equal(key, "dy")   ? &dv.dy
                                          : nullptr;
  if (f) {
    float v = readFloat(value);
    if (isMiss(v)) return 0;
    *f = v;
    return 1;
  }
  int* i = StrLib::equal(key, "nx") ? &dv.nx : StrLib::equal(key, "ny") ? &dv.ny : nullptr;
  if (i) {
    int v = readInt(value);
    if (v == Const::MISS) return 0;
    *i = v;
  }
  return 1;
}

int DomainTool::setParams(DomainVal& dv, const Strings& values, const char* keys)
{
  if (!keys) return 0;
  if (values.iequal(0, "miss") || values.iequal(0, "none")) return 1;
  Strings k(keys, ',');
  if (k.getNum() != values.getNum()) return 0;
  for (int i = 0; i < k.getNum(); i++)
    if (!setParam(dv, values.getString(i), k.getString(i))) return 0;
  return 1;
}

void DomainTool::applyDefaults(DomainVal& dv, int list)
{
  switch (list) {
    case 3:
      dv.nx = DEF_NX, dv.ny = DEF_NY;
      break;
    case 4:
      dv.dy = dv.dx;
      break;
    case 5:
      dv.proj = 1;
      break;
    case 6:
      dv.proj = 1, dv.dy = dv.dx;
      break;
    case 7:
      dv.nx = DEF_NX, dv.ny = DEF_NY;
      break;
    case 8:
      if (dv.proj == SKEWT)
        setLattice(dv, SKEWT_NX, SKEWT_NY, dv.dx, dv.dx * SKEWT_DY / SKEWT_DX);
      else
        setLattice(dv, DEF_NX, DEF_NY, dv.dx, dv.dx);
      break;
    case 9:
      dv.proj = 1, dv.dx = dv.dy = DEF_DX;
      break;
    case 10:
      dv.proj = 1, setLattice(dv, DEF_NX, DEF_NY, dv.dx, dv.dx);
      break;
    case 11:
      if (dv.proj == SIZE) {
        dv.nx = static_cast<int>(dv.clat);
        dv.ny = static_cast<int>(dv.clon);
        dv.clat = dv.clon = Const::FMISS;
      } else if (dv.proj == SKEWT) {
        setLattice(dv, SKEWT_NX, SKEWT_NY, SKEWT_DX, SKEWT_DY);
      } else {
        float d = dv.proj == ZOOM ? 1.0f : DEF_DX;
        setLattice(dv, DEF_NX, DEF_NY, d, d);
      }
      break;
    case 12:
    case 14:
      dv.proj = 1, setLattice(dv, DEF_NX, DEF_NY, DEF_DX, DEF_DX);
      break;
    case 13:
      dv.proj = 1, setLattice(dv, DEF_NX, DEF_NY, dv.dx, dv.dx);
      break;
    default:
      break;
  }
}

int DomainTool::decodeRegion(DomainVal& dv, const char* file, const char* name, int depth)
{
  String text;
  if (!Region::get(file, name, text)) return 0;
  return decode(dv, text.get(), depth + 1);
}

int DomainTool::fallback(DomainVal& dv, const Strings& values, int depth)
{
  const char* v = values.getString(0);
  if (!StrLib::valid(v)) return 0;
  if (StrLib::iequal(v, "fi:", 3)) return decodeRegion(dv, v + 3, nullptr, depth);
  int colons = StrLib::occurs(v, ':');
  if (colons > 1) {
    DomainVal trial = dv;
    if (setProj(trial, v)) {
      trial.clat = trial.param[0];
      trial.clon = trial.param[1];
      setLattice(trial, DEF_NX, DEF_NY, DEF_DX, DEF_DX);
      dv = trial;
      return 1;
    }
  }
  if (colons != 1) return decodeRegion(dv, Region::DEFAULT_FILE, v, depth);
  String file(v);
  file.trunc(StrLib::index(v, ':'));
  return decodeRegion(dv, file.get(), v + file.length() + 1, depth);
}

int DomainTool::decode(DomainVal& dv, const char* text, int depth)
{
  if (!StrLib::valid(text) || depth > MAX_DEPTH) return 0;
  if (StrLib::iequal(text, "miss")) return 1;
  Strings values(text, ',');
  int n = values.getNum();
  for (int i = 0; i < NUM_LISTS; i++) {
    if (keyCount(LISTS[i]) != n && !values.iequal(0, "miss") && !values.iequal(0, "none")) continue;
    DomainVal trial = dv;
    if (!setParams(trial, values, LISTS[i])) continue;
    applyDefaults(trial, i + 1);
    dv = trial;
    return 1;
  }
  if (fallback(dv, values, depth)) return 1;
  if (depth == 0) Kol::outWarning("DomainTool::decode: Invalid plot domain: %s\n", text);
  return 0;
}

int DomainTool::decode(DomainVal& dv, const char* text) { return decode(dv, text, 0); }

int DomainTool::decode(Domain& dom, const char* text)
{
  DomainVal dv;
  int ok = decode(dv, text);
  if (Const::isMiss(dv.proj)) {
    dom.init();
    return ok;
  }
  return dom.set(dv) && ok ? 1 : 0;
}

int DomainTool::set(Domain& dom, const char* def)
{
  const char* text = Kol::resrc.get("plot_domain");
  if (!StrLib::valid(text)) text = def;
  if (!text) return 0;
  return decode(dom, text);
}

}  // namespace KOL
