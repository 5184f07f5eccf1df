#include "geo/DomainVal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geo/Domain.h"

namespace KOL {

void DomainVal::init()
{
  proj = Const::MISS;
  for (float& p : param) p = Const::FMISS;
  clat = clon = dx = dy = Const::FMISS;
  nx = ny = Const::MISS;
  ellipsoid = false;
}

float DomainVal::getAspect() const
{
  if (Const::isMiss(nx) || Const::isMiss(ny) || ny == 1) return Const::FMISS;
  return static_cast<float>((nx - 1.0) / (ny - 1.0));
}

bool DomainVal::compare(const DomainVal& a, const DomainVal& b)
{
  return compareProj(a, b) && a.clat == b.clat && a.clon == b.clon && a.dx == b.dx &&
         a.dy == b.dy && a.nx == b.nx && a.ny == b.ny;
}

bool DomainVal::compareProj(const DomainVal& a, const DomainVal& b)
{
  if (a.proj != b.proj || a.ellipsoid != b.ellipsoid) return false;
  for (int i = 0; i < NPARAM; i++)
    if (a.param[i] != b.param[i]) return false;
  return true;
}

namespace {

// A number of the domain text: "%f" when that reads back as the same float and is not long,
// else the fewest significant digits that do, so that small spacings and large extents survive.
int number(char* buf, int size, char lead, float v)
{
  char text[64];
  if (std::fabs(v) < 1e9f) {
    std::snprintf(text, sizeof text, "%f", v);
    if (std::strtof(text, nullptr) == v) return std::snprintf(buf, size, "%c%s", lead, text);
  }
  for (int digits = 1; digits < 9; digits++) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (std::strtof(text, nullptr) == v) return std::snprintf(buf, size, "%c%s", lead, text);
  }
  return std::snprintf(buf, size, "%c%.9g", lead, v);
}

}  // namespace

int DomainVal::format(char* buf, int size) const
{
  if (!buf || size <= 0) return 0;
  const char* name = Domain::getProjName(proj);
  int n = *name ? std::snprintf(buf, size, "%s", name) : std::snprintf(buf, size, "%d", proj);
  if (ellipsoid && n < size) n += std::snprintf(buf + n, size - n, ":e");
  // param[5] and param[6] follow only when set, so that the usual text keeps its five fields.
  int last = 4;
  for (int i = 5; i < NPARAM; i++)
    if (!Const::isMiss(param[i])) last = i;
  for (int i = 0; i <= last && n < size; i++) {
    if (Const::isMiss(param[i]))
      n += std::snprintf(buf + n, size - n, ":");
    else
      n += number(buf + n, size - n, ':', param[i]);
  }
  for (float v : {clat, clon})
    if (n < size) n += number(buf + n, size - n, ',', v);
  if (n < size) n += std::snprintf(buf + n, size - n, ",%d,%d", nx, ny);
  for (float v : {dx, dy})
    if (n < size) n += number(buf + n, size - n, ',', v);
  return n < size ? n : size - 1;
}

void DomainVal::print() const
{
  char buf[200];
  format(buf, sizeof buf);
  std::printf("%s\n", buf);
}

}  // namespace KOL
