#include "geo/DomainVal.h"

#include <cstdio>

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

int DomainVal::format(char* buf, int size) const
{
  if (!buf || size <= 0) return 0;
  int n = std::snprintf(buf, size, "%s%s", Domain::getProjName(proj), ellipsoid ? ":e" : "");
  for (int i = 0; i < 5; i++) {
    if (n >= size) break;
    if (Const::isMiss(param[i]))
      n += std::snprintf(buf + n, size - n, ":");
    else
      n += std::snprintf(buf + n, size - n, ":%f", param[i]);
  }
  if (n < size)
    n += std::snprintf(buf + n, size - n, ",%f,%f,%d,%d,%f,%f", clat, clon, nx, ny, dx, dy);
  return n < size ? n : size - 1;
}

void DomainVal::print() const
{
  char buf[200];
  format(buf, sizeof buf);
  std::printf("%s\n", buf);
}

}  // namespace KOL
