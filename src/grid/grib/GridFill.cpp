#include "grid/grib/GridFill.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "core/Date.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "geo/DomainVal.h"
#include "grid/GribPDB.h"
#include "grid/Grid.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/PageReleaser.h"

namespace KOL::grib {

namespace {

bool isLatLon(const GridGeom& g)
{
  return g.templ == 0 || g.templ == 1 || g.templ == 40 || g.templ == 41;
}

// Longitudes of the first and last columns, the last raised past the first.
void lonSpan(const GridGeom& g, double& lo1, double& lo2)
{
  lo1 = g.lo1 > 180 ? g.lo1 - 360 : g.lo1;
  lo2 = g.lo2 > 180 ? g.lo2 - 360 : g.lo2;
  if (g.scan & 0x80) std::swap(lo1, lo2);
  if (lo2 <= lo1) lo2 += 360;
}

bool isGlobal(const GridGeom& g, double dx)
{
  double lo1, lo2;
  lonSpan(g, lo1, lo2);
  return std::fabs(lo2 - lo1 + dx - 360.0) < 0.5 * dx;
}

int latLonDomain(const Field& f, bool wrap, DomainVal& dv)
{
  const GridGeom& g = f.grid;
  double lo1, lo2;
  lonSpan(g, lo1, lo2);
  dv.proj = 2;
  dv.nx = g.nx;
  dv.ny = g.ny;
  double dx = g.nx > 1 ? (lo2 - lo1) / (g.nx - 1) : g.di;
  if (g.thinned() && isGlobal(g, 360.0 / g.nx)) dx = 360.0 / g.nx;
  dv.dx = static_cast<float>(dx);
  dv.dy = static_cast<float>(g.ny > 1 ? std::fabs(g.la2 - g.la1) / (g.ny - 1) : g.dj);
  dv.clat = static_cast<float>((g.la1 + g.la2) / 2);
  double clon = lo1 + dx * (g.nx - 1) / 2.0;
  if ((wrap && isGlobal(g, dx)) || g.wrapped) {
    dv.nx = g.nx + 1;
    clon += dx / 2;
  }
  if (clon > 180) clon -= 360;
  dv.clon = static_cast<float>(clon);
  if (g.templ == 1 || g.templ == 41) {
    dv.param[0] = static_cast<float>(g.spLat);
    dv.param[1] = static_cast<float>(g.spLon);
  }
  return 1;
}

int projectedDomain(const Field& f, DomainVal& dv)
{
  const GridGeom& g = f.grid;
  dv.nx = g.nx;
  dv.ny = g.ny;
  dv.param[4] = static_cast<float>(g.radius / 1e5);
  dv.dx = static_cast<float>(g.di / 1e5);
  dv.dy = static_cast<float>(g.dj / 1e5);
  switch (g.templ) {
    case 20:
    case 30:
      projectionOf(g, dv);
      break;
    case 10: {
      // The sphere's Mercator is true at the equator: spacing there is Di / cos(LaD).
      dv.proj = 3;
      double lo1 = g.lo1, lo2 = g.lo2;
      if (lo1 > lo2) lo2 += 360;
      double mid = (lo1 + lo2) / 2;
      dv.param[1] = static_cast<float>(mid > 180 ? mid - 360 : mid);
      double k = std::cos(g.lad * M_PI / 180.0);
      if (!(std::fabs(k) > 1e-6)) return 0;
      dv.dx = static_cast<float>(g.di / k / 1e5);
      dv.dy = static_cast<float>(g.dj / k / 1e5);
      break;
    }
    default:
      return 0;
  }
  // The centre: the first point projected, moved half the grid along the scanning directions,
  // projected back.
  dv.clat = static_cast<float>(g.la1);
  dv.clon = static_cast<float>(g.lo1 > 180 ? g.lo1 - 360 : g.lo1);
  Domain d(dv);
  double x0, y0, clat, clon;
  if (!d.project(g.la1, dv.clon, x0, y0)) return 0;
  double xc = x0 + ((g.scan & 0x80) ? -1 : 1) * dv.dx * (g.nx - 1) / 2.0;
  double yc = y0 + ((g.scan & 0x40) ? 1 : -1) * dv.dy * (g.ny - 1) / 2.0;
  if (!d.unproject(xc, yc, clat, clon)) return 0;
  dv.clat = static_cast<float>(clat);
  dv.clon = static_cast<float>(clon > 180 ? clon - 360 : clon);
  return 1;
}

// One thinned row of n values stretched over nx columns by linear interpolation, or centred on
// them with missing values either side when the grid pads its rows.
void expandRow(const float* in, int n, int nx, bool padded, float missing, float* out)
{
  if (n == nx) {
    std::copy(in, in + n, out);
    return;
  }
  if (padded) {
    const int pad = (nx - n) / 2;
    std::fill(out, out + nx, missing);
    std::copy(in, in + n, out + pad);
    return;
  }
  for (int i = 0; i < nx; i++) {
    if (n < 2) {
      out[i] = n == 1 ? in[0] : missing;
      continue;
    }
    double x = double(i) * (n - 1) / (nx > 1 ? nx - 1 : 1);
    int k = static_cast<int>(x);
    if (k >= n - 1) k = n - 2;
    double t = x - k;
    float a = in[k], b = in[k + 1];
    out[i] = (a == MISSING || b == MISSING) ? missing : static_cast<float>(a + t * (b - a));
  }
}

// Thinned rows expanded into grid order: row 0 north, column 0 west.
void storeValues(const Field& f, const FillOptions& opt, Grid& grid)
{
  const GridGeom& g = f.grid;
  const int nx = g.nx, ny = g.ny, gnx = grid.getNx();
  float* out = grid.getData();
  std::vector<float> row(static_cast<size_t>(nx));
  size_t at = 0;
  for (int j = 0; j < ny; j++) {
    const int n = g.pl[j];
    expandRow(f.values.data() + at, n, nx, g.padded, opt.missing, row.data());
    at += static_cast<size_t>(n);
    const int gj = (g.scan & 0x40) ? ny - 1 - j : j;
    for (int i = 0; i < nx; i++) {
      float v = row[static_cast<size_t>(i)];
      out[size_t(gj) * gnx + ((g.scan & 0x80) ? nx - 1 - i : i)] = v == MISSING ? opt.missing : v;
    }
    if (gnx > nx) out[size_t(gj) * gnx + nx] = out[size_t(gj) * gnx];
  }
}

// Columns stored one after the other.
void storeColumns(const Field& f, const FillOptions& opt, Grid& grid)
{
  const GridGeom& g = f.grid;
  const int nx = g.nx, ny = g.ny, gnx = grid.getNx();
  float* out = grid.getData();
  for (int i = 0; i < nx; i++)
    for (int j = 0; j < ny; j++) {
      float v = f.values[size_t(i) * ny + j];
      int gj = (g.scan & 0x40) ? ny - 1 - j : j, gi = (g.scan & 0x80) ? nx - 1 - i : i;
      out[size_t(gj) * gnx + gi] = v == MISSING ? opt.missing : v;
    }
}

// One row in the grid's direction, masked points at the chosen missing value.
void orientRow(float* row, size_t n, bool reversed, float missing)
{
  if (reversed) std::reverse(row, row + n);
  if (missing != MISSING) std::replace(row, row + n, MISSING, missing);
}

// The scanning flags still to apply to the decoded values.
int scanLeft(const Field& f) { return f.northFirst ? f.grid.scan & ~0x40 : f.grid.scan; }

// The decoded vector turned into the grid's values where it lies.
std::vector<float> orientInPlace(const Field& f, float missing, std::vector<float> v)
{
  const size_t nx = static_cast<size_t>(f.grid.nx), ny = static_cast<size_t>(f.grid.ny);
  const int scan = scanLeft(f);
  if (!(scan & 0xC0) && missing == MISSING) return v;
  float* p = v.data();
  for (size_t j = 0; j < (ny + 1) / 2; j++) {
    float *a = p + j * nx, *b = p + (ny - 1 - j) * nx;
    if ((scan & 0x40) && a != b) std::swap_ranges(a, a + nx, b);
    orientRow(a, nx, scan & 0x80, missing);
    if (a != b) orientRow(b, nx, scan & 0x80, missing);
  }
  return v;
}

// The grid's values copied row by row out of the decoded ones, with gnx - nx repeated columns;
// the source's pages are given back as they are used up, so that only about one copy is resident.
std::vector<float> orientCopy(const Field& f, float missing, int gnx, const float* src)
{
  const size_t nx = static_cast<size_t>(f.grid.nx), ny = static_cast<size_t>(f.grid.ny);
  const int scan = scanLeft(f);
  const bool up = scan & 0x40;
  std::vector<float> out;
  out.reserve(static_cast<size_t>(gnx) * ny);
  PageReleaser pages(src, nx * ny * sizeof *src);
  for (size_t gj = 0; gj < ny; gj++) {
    const float* row = src + (up ? ny - 1 - gj : gj) * nx;
    const size_t at = out.size();
    out.insert(out.end(), row, row + nx);
    orientRow(out.data() + at, nx, scan & 0x80, missing);
    if (static_cast<size_t>(gnx) > nx) out.push_back(out[at]);
    if (up)
      pages.usedFrom(row);
    else
      pages.usedBefore(row + nx);
  }
  return out;
}

// Edition 1 quality check: a jump between neighbours of a row larger than half the packing range
// (the whole range with wideLimit) marks its place in a ring of the last 20 values; once more than
// maxBad of them are marked, the rest of the field becomes missing.
void dropBadValues(const Field& f, const FillOptions& opt, Grid& grid)
{
  if (opt.maxBad <= 0 || f.edition != 1 || f.pack.bits < 1) return;
  const double limit = std::ldexp(1.0, f.pack.bits - (opt.wideLimit ? 0 : 1)) * f.pack.precision();
  float* v = grid.getData();
  const size_t n = grid.getCount(), nx = static_cast<size_t>(grid.getNx());
  bool ring[20] = {};
  int marked = 0;
  for (size_t k = 0; k < n; k++) {
    const bool bad = k % nx != 0 && v[k] != opt.missing && v[k - 1] != opt.missing &&
                     std::fabs(v[k] - v[k - 1]) > limit;
    bool& slot = ring[k % 20];
    marked += int(bad) - int(slot);
    slot = bad;
    if (marked > opt.maxBad) {
      for (size_t r = k; r < n; r++) v[r] = opt.missing;
      return;
    }
  }
}

// Seconds after the reference time that the date text names: the end of any period (a maximum
// or minimum reports its start as its forecast time), else the forecast time.
long labelOffset(const ForeTime& t, long fore)
{
  if (t.isPeriod() && t.getEnd() != Const::FMISS) {
    ForeTime end;
    end.set(ForeTime::FORECAST, t.getUnits(), t.getEnd(), Const::FMISS);
    if (end.getSeconds() != Const::MISS) return end.getSeconds();
  }
  return fore == Const::MISS ? 0 : fore;
}

}  // namespace

struct GridValues {
  static void set(Grid& g, std::vector<float> values) { g.data_ = std::move(values); }
  static std::vector<float> take(Grid& g) { return std::exchange(g.data_, {}); }
};

std::vector<float> takeValues(Grid& g) { return GridValues::take(g); }

void restoreValues(Grid& g, std::vector<float> values) { GridValues::set(g, std::move(values)); }

std::string makeDatim(const GribPDB& pdb, const char* model, long validSeconds)
{
  Date valid(validSeconds);
  const std::string when =
      valid.format(valid.getDateVal().getMinute() > 0 ? "%H%M%Z %a %e %b %y" : "%H%Z %a %e %b %y");
  const ForeTime& t = pdb.foreTime;
  const int type = t.getType();
  if (type == ForeTime::ANALYSIS || (type == ForeTime::FORECAST && t.getStart() == 0)) {
    if (model && *model) return std::string(model) + " analysis for " + when;
    return "Analysis for " + when;
  }
  if (type == ForeTime::FORECAST) return t.timeLabel(false) + " fcst valid " + when;
  if (type == ForeTime::MISSING) return when;
  std::string label = t.varLabel();
  return (label.empty() ? t.timeLabel(false) : label) + " ending " + when;
}

std::string makeInfo(const GribPDB& pdb, const char* model)
{
  std::string info = model ? model : "";
  String level, var;
  if (pdb.level.toLabel(level) && level.get()[0])
    info += (info.empty() ? "" : " ") + std::string(level.get());
  pdb.variable.toLabel(var);
  if (var.get()[0]) info += (info.empty() ? "" : " ") + std::string(var.get());
  return info;
}

int domainOf(const Field& f, bool wrap, DomainVal& dv)
{
  dv.init();
  if (f.grid.nx < 1 || f.grid.ny < 1) return 0;
  return isLatLon(f.grid) ? latLonDomain(f, wrap, dv) : projectedDomain(f, dv);
}

int fillGrid(Field& f, const GribPDB& pdb, const FillOptions& opt, bool values, Grid& g)
{
  g.init();
  DomainVal dv;
  if (!domainOf(f, opt.wrap, dv)) return 0;
  g.setDomain(dv);
  g.setVersion(f.edition);
  g.setModel(pdb.model);
  g.setGridNum(pdb.gridType);
  g.setForeTime(pdb.foreTime);
  g.setLevel(pdb.level);
  g.setVar(pdb.variable);
  if (pdb.variable.getUnits()[0]) g.setUnits(pdb.variable.getUnits());
  Date ref(pdb.year, pdb.month, pdb.day, pdb.hour, pdb.minute, float(pdb.second));
  long fore = pdb.foreTime.getSeconds();
  const long valid = ref.getSeconds() + (fore == Const::MISS ? 0 : fore);
  g.setDate(Date(valid));
  g.setGenName(opt.modelName);
  g.setDatim(
      makeDatim(pdb, opt.modelName, ref.getSeconds() + labelOffset(pdb.foreTime, fore)).c_str());
  g.setInfo(makeInfo(pdb, opt.modelName).c_str());
  if (!values) return 1;
  if (f.values.size() != f.grid.points() || g.getCount() == 0) return 0;
  if (f.grid.thinned() || (f.grid.scan & 0x20)) {
    g.allocData();
    ((f.grid.scan & 0x20) ? storeColumns : storeValues)(f, opt, g);
  } else if (!f.values.isBlock() && g.getNx() == f.grid.nx) {
    GridValues::set(g, orientInPlace(f, opt.missing, f.values.moveOut()));
  } else {
    GridValues::set(g, orientCopy(f, opt.missing, g.getNx(), f.values.data()));
    f.values.clear();
  }
  dropBadValues(f, opt, g);
  return 1;
}

}  // namespace KOL::grib
