#include "geo/Domain.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/Kol.h"
#include "core/String.h"
#include "geo/proj/Projection.h"
#include "obs/Calc.h"

namespace KOL {

using proj::DEG;
using proj::RAD;

namespace {

constexpr float MISS = Const::FMISS;
constexpr double KM_PER_DEGREE = 111.195;

bool miss(double v) { return v == Const::FMISS; }
// Finite, and still finite once stored in a float field.
bool finite(double v) { return std::fabs(v) <= std::numeric_limits<float>::max(); }

// Name patterns of the projection codes, tested in order over the pattern's length.
struct ProjName {
  const char* pattern;
  int code;
};
const ProjName PROJ_NAMES[] = {
    {"ll", 2},    {"lat", 2},    {"re", 2},     {"polar", 1}, {"ps", 1},     {"stuve", 41},
    {"st", 1},    {"sat", 10},   {"lambaz", 8}, {"lamb", 4},  {"lc", 4},     {"la", 8},
    {"az", 8},    {"alb", 9},    {"gn", 6},     {"or", 5},    {"mo", 7},     {"me", 3},
    {"rad", 11},  {"pix", 20},   {"xy", 21},    {"xz", 22},   {"xlogy", 24}, {"xlogp", 24},
    {"cat", 26},  {"skewt", 40}, {"ema", 42},   {"teph", 43}, {"rteph", 44}, {"therm", 40},
    {"hodo", 25}, {"vert", 24},  {"xp", 23},    {"zoom", 50}, {"size", 51},
};

// An angle brought into [0, 360] by one turn.
float oneTurn(double a)
{
  if (a < 0.0) a += 360.0;
  if (a > 360.0) a -= 360.0;
  return static_cast<float>(a);
}

}  // namespace

// ---- set-up -------------------------------------------------------------------------------

void Domain::init()
{
  DomainVal::init();
  limits.init();
  view.set(0.0f, 0.0f, 1.0f, 1.0f);
  cst = Constants{};
  cst.scale_x = cst.scale_y = 1.0;
  entry = &proj::find(Const::MISS);
  setParam();
}

int Domain::set(const DomainVal& v)
{
  init();
  static_cast<DomainVal&>(*this) = v;
  return setParam();
}

int Domain::set(int nx_, int ny_)
{
  init();
  proj = 21;
  clat = clon = 0.0f;
  dx = dy = 1.0f;
  nx = nx_;
  ny = ny_;
  return setParam();
}

int Domain::set(EarthPoint& corner1, EarthPoint& corner2, int nx_, int ny_)
{
  if (nx_ < 2 || ny_ < 2 || corner1.isMiss() || corner2.isMiss()) return 0;
  // The hemisphere and the projection longitude may come from the centre: start from the
  // corners' midpoint when there is none.
  if (miss(clat) || miss(clon)) {
    clat = (corner1.lat + corner2.lat) / 2.0f;
    clon = (corner1.lon + corner2.lon) / 2.0f;
  }
  if (!setParam()) return 0;
  Point p1, p2;
  if (!tran(corner1, p1) || !tran(corner2, p2) || p1.isMiss() || p2.isMiss()) return 0;
  EarthPoint centre;
  if (!tran(Point((p1.x + p2.x) / 2.0f, (p1.y + p2.y) / 2.0f), centre) || centre.isMiss()) return 0;
  nx = nx_;
  ny = ny_;
  dx = std::fabs(p2.x - p1.x) / (nx - 1);
  dy = std::fabs(p2.y - p1.y) / (ny - 1);
  clat = centre.lat;
  clon = centre.lon;
  return setParam();
}

int Domain::set(const char* text)
{
  init();
  if (!text) return 0;
  char head[200];
  float lat, lon, sx, sy;
  const int n =
      std::sscanf(text, "%199[^,],%f,%f,%d,%d,%f,%f", head, &lat, &lon, &nx, &ny, &sx, &sy);
  if ((n != 7 && n != 1) || std::strlen(head) >= sizeof head - 1) {
    init();
    return 0;
  }
  if (n == 7) {
    clat = lat, clon = lon, dx = sx, dy = sy;
  } else {
    nx = ny = Const::MISS;
  }
  // The projection part: name, an optional "e" (the ellipsoid), then param[0] .. param[4]; an
  // empty field leaves its parameter missing and an unreadable one ends the list.
  char* fields[8];
  int nfields = 0;
  for (char* s = head; nfields < 8; s++) {
    fields[nfields++] = s;
    s = std::strchr(s, ':');
    if (!s) break;
    *s = '\0';
  }
  proj = getProj(fields[0]);
  if (proj == -1) {
    Kol::outWarning("Domain: unknown projection %s\n", fields[0]);
    init();
    return 0;
  }
  int f = 1;
  if (nfields > 1 && std::strcmp(fields[1], "e") == 0) ellipsoid = true, f = 2;
  for (int i = 0; i < 5 && f < nfields; i++, f++) {
    if (*fields[f] == '\0') continue;
    if (std::sscanf(fields[f], "%f", &param[i]) != 1) break;
  }
  // Infinities and NaNs read as numbers are not a domain.
  for (float value : {param[0], param[1], param[2], param[3], param[4], clat, clon, dx, dy}) {
    if (!std::isfinite(value)) {
      init();
      return 0;
    }
  }
  return setParam();
}

int Domain::setParam()
{
  if (miss(param[1])) param[1] = clon;
  const double sx = cst.scale_x, sy = cst.scale_y;
  cst = Constants{};
  cst.scale_x = sx, cst.scale_y = sy;
  cst.radius = Const::EARTH_MEAN;
  cst.lon0 = miss(param[1]) ? 0.0 : param[1];
  cst.lat0 = MISS;
  cst.sign = 1.0;
  cst.orbit = 421.64;
  cst.orbit2 = cst.orbit * cst.orbit;
  cst.orbit4 = cst.orbit2 * cst.orbit2;
  cst.orbit_gap = cst.orbit2 - cst.radius * cst.radius;
  cst.radius_ratio = cst.radius / cst.orbit;
  cst.axis_ratio = Const::EARTH_MIN / Const::EARTH_MAJ;
  cst.axis_ratio2 = cst.axis_ratio * cst.axis_ratio;
  cst.std_lat1 = 30.0f, cst.std_lat2 = 60.0f;
  for (double& k : cst.cache) k = MISS;
  view.set(0.0f, 0.0f, 1.0f, 1.0f);
  cst.view_x1 = cst.view_y1 = 0.0;
  entry = &proj::find(proj);

  bool usable = true;
  const float values[] = {param[0], param[1], param[2], param[3], param[4], param[5],
                          param[6], clat,     clon,     dx,       dy};
  for (float value : values)
    if (!std::isfinite(value)) usable = false;
  if (!usable) {
    Kol::outWarning("Domain: parameters are not finite numbers\n");
  } else if (!miss(param[4])) {
    if (param[4] > 0.0f)
      cst.radius = param[4];
    else
      Kol::outWarning("Domain: earth radius %g is not positive\n", param[4]), usable = false;
  }
  cst.ready = usable && entry->projection->setup(*this, cst);
  setLimits();
  return cst.ready ? 1 : 0;
}

void Domain::setLimits()
{
  Point c;
  tranCenter(c);
  if (c.isMiss() || miss(dx) || miss(dy) || Const::isMiss(nx) || Const::isMiss(ny)) {
    limits.init();
  } else {
    const double w = 0.5 * (nx - 1.0) * static_cast<double>(dx);
    const double h = 0.5 * (ny - 1.0) * static_cast<double>(dy);
    limits.setu(c.x - w, h >= 0 ? c.y - h : c.y + h, c.x + w, h >= 0 ? c.y + h : c.y - h);
  }
  cst.limit_x1 = limits.x1;
  cst.limit_y1 = limits.y1;
}

void Domain::setScale(double sx, double sy)
{
  cst.scale_x = sx;
  cst.scale_y = sy;
}

void Domain::setView(const Rect& r)
{
  view = r;
  cst.view_x1 = r.x1;
  cst.view_y1 = r.y1;
}

// ---- names and text -----------------------------------------------------------------------

int Domain::getProj(const char* name)
{
  if (!name) return -1;
  if (strcasecmp(name, "miss") == 0) return Const::MISS;
  for (const ProjName& p : PROJ_NAMES)
    if (strncasecmp(name, p.pattern, std::strlen(p.pattern)) == 0) return p.code;
  return -1;
}

const char* Domain::getProjName(int code) { return proj::find(code).name; }

int Domain::toString(String& s) const
{
  char buf[200];
  format(buf, sizeof buf);
  return s.copy(buf);
}

void Domain::printLimits() const
{
  std::printf("(%f,%f)-(%f,%f)\n", limits.x1, limits.y1, limits.x2, limits.y2);
}

// ---- earth and plot -----------------------------------------------------------------------

int Domain::forward(double& lat, double& lon, double& x, double& y) const
{
  if (entry->code >= 1 && entry->code <= 10) {
    if (!(lat >= -90.0 && lat <= 90.0) || !(lon >= -3600.0 && lon <= 3600.0)) {
      x = y = MISS;
      return 0;
    }
    lon = proj::wrap180(lon);
  }
  if (miss(lat) || miss(lon)) {
    x = y = MISS;
    return 1;
  }
  if (!cst.ready || !entry->projection->forward(cst, lat, lon, x, y) || !finite(x) || !finite(y)) {
    x = y = MISS;
    return 0;
  }
  return 1;
}

int Domain::inverse(double x, double y, double& lat, double& lon) const
{
  if (miss(x) || miss(y)) {
    lat = lon = MISS;
    return 1;
  }
  if (!cst.ready || !entry->projection->inverse(cst, x, y, lat, lon) || !finite(lat) ||
      !finite(lon)) {
    lat = lon = MISS;
    return 0;
  }
  if (entry->code >= 1 && entry->code <= 10) {
    if (lon > 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
  }
  return 1;
}

int Domain::project(double lat, double lon, double& x, double& y) const
{
  return forward(lat, lon, x, y);
}

int Domain::unproject(double x, double y, double& lat, double& lon) const
{
  return inverse(x, y, lat, lon);
}

int Domain::tran(EarthPoint& e, Point& p) const
{
  double lat = e.lat, lon = e.lon, x, y;
  const int ok = forward(lat, lon, x, y);
  e.lat = static_cast<float>(lat);
  e.lon = static_cast<float>(lon);
  p.x = static_cast<float>(x);
  p.y = static_cast<float>(y);
  return ok;
}

int Domain::tran(const Point& p, EarthPoint& e) const
{
  double lat, lon;
  const int ok = inverse(p.x, p.y, lat, lon);
  e.lat = static_cast<float>(lat);
  e.lon = static_cast<float>(lon);
  return ok;
}

int Domain::tranCenter(Point& p) const
{
  double x, y;
  const int ok = project(clat, clon, x, y);
  p.x = static_cast<float>(x);
  p.y = static_cast<float>(y);
  return ok;
}

namespace {

// Every point of in through d into out; 0 when any point failed (it is added all the same).
template <class P>
int tranAll(const Domain& d, EarthPoints& in, PointList<P>& out)
{
  out.clear();
  out.reserve(in.getNum());
  int ok = 1;
  for (EarthPoint& e : in) {
    P p;
    if (!d.tran(e, p)) ok = 0;
    out.add(p);
  }
  return ok;
}

}  // namespace

int Domain::tran(EarthPoints& in, Points& out) const { return tranAll(*this, in, out); }

int Domain::tran(EarthPoints& in, GridPoints& out) const { return tranAll(*this, in, out); }

// ---- lattice ------------------------------------------------------------------------------

bool Domain::gridDefined() const
{
  return !limits.isMiss() && !miss(dx) && !miss(dy) && dx != 0.0f && dy != 0.0f;
}

int Domain::tran(const Point& p, GridPoint& g) const
{
  g.init();
  if (p.isMiss() || !gridDefined()) return 0;
  double gx, gy;
  if (entry->code == 11) {
    gx = p.x / static_cast<double>(dx);
    gy = p.y / static_cast<double>(dy);
  } else {
    double d = static_cast<double>(p.x) - limits.x1;
    if (entry->code == 2) {
      if (d > 360.0) d -= 360.0;
      if (d < -360.0) d += 360.0;
    }
    gx = d / dx;
    gy = (static_cast<double>(limits.y2) - p.y) / dy;
  }
  if (!finite(gx) || !finite(gy)) return 0;
  g.set(static_cast<float>(gx), static_cast<float>(gy));
  return 1;
}

int Domain::tran(const GridPoint& g, Point& p) const
{
  p.x = p.y = MISS;
  if (g.isMiss() || !gridDefined()) return 0;
  double x, y;
  if (entry->code == 11) {
    x = static_cast<double>(g.x) * dx;
    y = static_cast<double>(g.y) * dy;
  } else {
    x = limits.x1 + static_cast<double>(g.x) * dx;
    y = limits.y2 - static_cast<double>(g.y) * dy;
  }
  if (!finite(x) || !finite(y)) return 0;
  p.set(static_cast<float>(x), static_cast<float>(y));
  return 1;
}

int Domain::tran(EarthPoint& e, GridPoint& g) const
{
  Point p;
  if (!tran(e, p)) {
    g.init();
    return 0;
  }
  return tran(p, g);
}

int Domain::tran(const GridPoint& g, EarthPoint& e) const
{
  Point p;
  if (!tran(g, p)) {
    e.lat = e.lon = MISS;
    return 0;
  }
  return tran(p, e);
}

int Domain::tran(int corner, Point& p) const
{
  p.x = p.y = MISS;
  if (corner == 4) return tranCenter(p);
  if (corner < 0 || corner > 3 || limits.isMiss()) return 0;
  p.x = (corner == 0 || corner == 2) ? limits.x1 : limits.x2;
  p.y = corner < 2 ? limits.y2 : limits.y1;
  return 1;
}

int Domain::tran(int corner, EarthPoint& e) const
{
  if (corner == 4) {
    e.set(clat, clon);
    return 1;
  }
  Point p;
  if (!tran(corner, p)) {
    e.lat = e.lon = MISS;
    return 0;
  }
  return tran(p, e);
}

int Domain::tran(int corner, GridPoint& g) const
{
  Point p;
  if (!tran(corner, p)) {
    g.init();
    return 0;
  }
  return tran(p, g);
}

// ---- position tests -----------------------------------------------------------------------

bool Domain::within(const Point& p) const { return withinExt(p, 0); }

bool Domain::within(const EarthPoint& e) const { return withinExt(e, 0); }

bool Domain::withinExt(const Point& p, int n) const
{
  if (Const::isMiss(proj)) return true;
  const float ex = n == 0 ? 0.0f : n * std::fabs(dx), ey = n == 0 ? 0.0f : n * std::fabs(dy);
  return p.x >= limits.x1 - ex && p.x <= limits.x2 + ex && p.y >= limits.y1 - ey &&
         p.y <= limits.y2 + ey;
}

bool Domain::withinExt(const EarthPoint& e, int n) const
{
  if (Const::isMiss(proj)) return true;
  EarthPoint c = e;
  Point p;
  return tran(c, p) && !p.isMiss() && withinExt(p, n);
}

int Domain::where(const Point& p) const
{
  if (Const::isMiss(proj)) return 0;
  const bool left = p.x<limits.x1, right = p.x> limits.x2;
  const bool above = p.y > limits.y2, below = p.y < limits.y1;
  if (above) return left ? 1 : right ? 3 : 2;
  if (below) return left ? 7 : right ? 9 : 8;
  return left ? 4 : right ? 6 : 5;
}

int Domain::where(const EarthPoint& e) const
{
  if (Const::isMiss(proj)) return 0;
  EarthPoint c = e;
  Point p;
  if (!tran(c, p) || p.isMiss()) return 0;
  return where(p);
}

int Domain::translate(const Domain& from, const Domain& to, const Point& in, Point& out)
{
  if (compareProj(from, to)) {
    out = in;
    return 1;
  }
  EarthPoint e;
  out.x = out.y = MISS;
  return from.tran(in, e) && to.tran(e, out);
}

int Domain::translate(const Domain& from, const Domain& to, const GridPoint& in, GridPoint& out)
{
  // Grid indices depend on the lattice too: only an equal domain keeps them.
  if (compare(from, to)) {
    out = in;
    return 1;
  }
  Point a, b;
  out.init();
  return from.tran(in, a) && translate(from, to, a, b) && to.tran(b, out);
}

// ---- directions ---------------------------------------------------------------------------

float Domain::rotation(const Point& p) const
{
  if (entry->code == 1) {
    const bool pole = p.x == 0.0f && p.y == 0.0f;
    if (cst.sign < 0) return static_cast<float>(pole ? cst.lon0 : std::atan2(p.x, -p.y) * RAD);
    return static_cast<float>(pole ? -cst.lon0 : -std::atan2(p.x, p.y) * RAD);
  }
  // The southern cone opens upwards from its apex, turning the other way round.
  if (entry->code == 4)
    return static_cast<float>(cst.sign > 0 ? std::atan2(p.x, -p.y) * RAD
                                           : -std::atan2(p.x, p.y) * RAD);
  return 0.0f;
}

float Domain::adjustDir(float dir, const Point& p) const
{
  if (miss(dir)) return MISS;
  if (entry->code == 10) {
    EarthPoint e;
    if (!tran(p, e) || e.isMiss()) return MISS;
    return adjustDir(dir, e);
  }
  if (entry->code != 1 && entry->code != 4) return oneTurn(dir);
  if (p.isMiss()) return MISS;
  return oneTurn(dir - rotation(p));
}

float Domain::adjustDir(float dir, const EarthPoint& e) const
{
  if (miss(dir)) return MISS;
  EarthPoint c = e;
  Point p;
  if (!tran(c, p) || p.isMiss()) return MISS;
  if (entry->code != 10) return adjustDir(dir, p);
  // The satellite view has no closed form: step 1 km along dir and see where it lands.
  const double lat = c.lat, lon = c.lon, d = dir * DEG;
  const double slat = lat + std::cos(d) / KM_PER_DEGREE;
  const double slon = lon + std::sin(d) / (std::cos(lat * DEG) * KM_PER_DEGREE);
  double x0, y0, x1, y1;
  if (!project(lat, lon, x0, y0) || !project(slat, slon, x1, y1) || miss(x1)) return MISS;
  return oneTurn(std::atan2(x1 - x0, y1 - y0) * RAD);
}

float Domain::unadjustDir(float dir, const Point& p) const
{
  if (miss(dir)) return MISS;
  if (entry->code != 1 && entry->code != 4) return dir;
  if (p.isMiss()) return MISS;
  return oneTurn(dir + rotation(p));
}

float Domain::unadjustDir(float dir, const EarthPoint& e) const
{
  if (miss(dir)) return MISS;
  if (entry->code != 1 && entry->code != 4) return dir;
  EarthPoint c = e;
  Point p;
  if (!tran(c, p) || p.isMiss()) return MISS;
  return unadjustDir(dir, p);
}

float Domain::direct(const Point& a, const Point& b) const
{
  if (a.isMiss() || b.isMiss()) return MISS;
  double bearing = std::atan2(b.x - a.x, b.y - a.y) * RAD;
  if (entry->code == 1) {
    if (cst.sign < 0)
      bearing += std::atan2(a.x, -a.y) * RAD;
    else
      bearing -= std::atan2(a.x, a.y) * RAD;
  }
  return static_cast<float>(bearing);
}

float Domain::getMapFactor(const EarthPoint& e) const
{
  const int code = entry->code;
  if (code != 1 && code != 11 && code != 3) return 1.0f;
  if (miss(e.lat) || !cst.ready) return MISS;
  const double lat = std::clamp(static_cast<double>(e.lat), -89.9, 89.9) * DEG;
  if (code == 3) return static_cast<float>(1.0 / std::cos(lat));
  // (1 + sin(true latitude)) / (1 + sin(latitude)), latitudes taken in the projection's hemisphere.
  const double s = cst.sign;
  return static_cast<float>(cst.cache[0] / cst.radius / (1.0 - s * std::sin(lat)));
}

void Domain::offsetLatLon(const EarthPoint& p, float dir, float dist, EarthPoint& out)
{
  out = p;
  if (p.isMiss() || miss(dir) || miss(dist)) {
    out.lat = out.lon = MISS;
    return;
  }
  const double d = dir * DEG, c = std::cos(p.lat * DEG);
  out.lat = static_cast<float>(p.lat + dist * std::cos(d) / KM_PER_DEGREE);
  if (std::fabs(c) > 1e-9)
    out.lon = static_cast<float>(p.lon + dist * std::sin(d) / (c * KM_PER_DEGREE));
}

int Domain::offset(const Point& p, float dir, float dist, Point& out) const
{
  EarthPoint e, moved;
  out.x = out.y = MISS;
  if (!tran(p, e) || e.isMiss()) return 0;
  offsetLatLon(e, dir, dist, moved);
  return tran(moved, out);
}

float Domain::calcEarthDist(const EarthPoint& a, const EarthPoint& b)
{
  return Calc::earthDist(a.lat, a.lon, b.lat, b.lon);
}

// ---- rescaling ----------------------------------------------------------------------------

int Domain::scaleGrid(float f)
{
  if (!(f > 0.0f) || nx < 1 || ny < 1 || miss(dx) || miss(dy)) return 0;
  const double fx = (nx - 1.0) * static_cast<double>(f), fy = (ny - 1.0) * static_cast<double>(f);
  if (!(fx < 1e8 && fy < 1e8)) return 0;
  const int nx2 = std::max(2, static_cast<int>(fx) + 1),
            ny2 = std::max(2, static_cast<int>(fy) + 1);
  dx = static_cast<float>((nx - 1.0) * static_cast<double>(dx) / (nx2 - 1));
  dy = static_cast<float>((ny - 1.0) * static_cast<double>(dy) / (ny2 - 1));
  nx = nx2;
  ny = ny2;
  setLimits();
  return 1;
}

int Domain::scaleSize(int nx2, int ny2)
{
  if (nx2 < 1 || ny2 < 1 || Const::isMiss(nx) || Const::isMiss(ny) || miss(dx) || miss(dy))
    return 0;
  const double ex = (nx - 1.0) * static_cast<double>(dx), ey = (ny - 1.0) * static_cast<double>(dy);
  double cell;
  if (nx2 == 1 && ny2 == 1)
    cell = dx;
  else if (nx2 == 1)
    cell = ey / (ny2 - 1);
  else if (ny2 == 1)
    cell = ex / (nx2 - 1);
  else if (static_cast<double>(ny2 - 1) * ex > static_cast<double>(nx2 - 1) * ey)
    cell = ex / (nx2 - 1);
  else
    cell = ey / (ny2 - 1);
  nx = nx2;
  ny = ny2;
  dx = dy = static_cast<float>(cell);
  setLimits();
  return 1;
}

int Domain::zoom(const Point& c, float f)
{
  if (!(f > 0.0f) || miss(dx) || miss(dy)) return 0;
  if (!pan(c)) return 0;
  dx /= f;
  dy /= f;
  setLimits();
  return 1;
}

int Domain::pan(const Point& c)
{
  EarthPoint e;
  if (!tran(c, e) || e.isMiss()) return 0;
  clat = e.lat;
  clon = e.lon;
  setLimits();
  return 1;
}

// ---- dateline -----------------------------------------------------------------------------

double Domain::wrapWidth(const Point& first) const
{
  switch (entry->code) {
    case 2:
      return OFFSET_LL;
    case 3:
      return OFFSET_MERC;
    case 7:
      return 4.0 * std::sqrt(std::max(0.0, cst.radius * cst.radius - double(first.y) * first.y));
    case 4:
      if (cst.ready && cst.cache[0] <= 0.5)
        return std::fabs(2.0 * first.y * std::tan(cst.cache[0] * proj::PI));
      return 0.0;
    default:
      return 0.0;
  }
}

int Domain::adjust(Point& p) const
{
  double w;
  if (entry->code == 2)
    w = 360.0;
  else if (entry->code == 3)
    w = OFFSET_MERC;
  else
    return 0;
  if (p.x > w / 2.0) {
    p.x = static_cast<float>(p.x - w);
    return -1;
  }
  if (p.x < -w / 2.0) {
    p.x = static_cast<float>(p.x + w);
    return 1;
  }
  return 0;
}

int Domain::adjust(Points& pts) const
{
  int first = 0;
  for (int i = 0; i < pts.getNum(); i++) {
    const int r = adjust(pts[i]);
    if (i == 0) first = r;
  }
  return first;
}

int Domain::wrapLine(Point& a, Point& b) const
{
  if (a.isMiss() || b.isMiss()) return 0;
  const double w = wrapWidth(a);
  if (!(w > 0.0)) return 0;
  const double d = static_cast<double>(a.x) - b.x;
  if (d > w / 4.0) {
    b.x = static_cast<float>(b.x + w);
    return 1;
  }
  if (d < -w / 4.0) {
    b.x = static_cast<float>(b.x - w);
    return -1;
  }
  return 0;
}

int Domain::wrapLine(Points& pts) const
{
  int first = 0;
  for (int i = 1; i < pts.getNum(); i++) {
    const int r = wrapLine(pts[i - 1], pts[i]);
    if (first == 0) first = r;
  }
  return first;
}

int Domain::offsetLine(Point& a, Point& b, int side) const
{
  if (side == 0) return 0;
  const double w = wrapWidth(a);
  if (!(w > 0.0)) return 1;
  const double shift = side == 1 ? -w : w;
  a.x = static_cast<float>(a.x + shift);
  b.x = static_cast<float>(b.x + shift);
  return 1;
}

int Domain::offsetLine(Points& pts, int side) const
{
  if (side == 0) return 0;
  if (pts.getNum() == 0) return 1;
  const double w = wrapWidth(pts[0]);
  if (!(w > 0.0)) return 1;
  const double shift = side == 1 ? -w : w;
  for (Point& p : pts) p.x = static_cast<float>(p.x + shift);
  return 1;
}

}  // namespace KOL
