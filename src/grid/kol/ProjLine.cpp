#include "grid/kol/ProjLine.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "geo/DomainVal.h"

namespace KOL::kol {

namespace {

struct Prefix {
  const char* letters;
  int proj;
};
constexpr Prefix PREFIXES[] = {{"PS", 1}, {"LL", 2}, {"ME", 3}, {"LC", 4}};

// The prefix's parameters after its colon: one number is the standard longitude; a Lambert
// prefix may give the first five parameters.
bool prefixParams(const char* text, int proj, DomainVal& dv)
{
  if (*text != ':') return true;
  float p[5];
  if (proj == 4 && std::sscanf(text, ":%f:%f:%f:%f:%f", &p[0], &p[1], &p[2], &p[3], &p[4]) == 5) {
    std::memcpy(dv.param, p, sizeof p);
    return true;
  }
  if (proj == 3 || std::sscanf(text, ":%f", &p[0]) != 1) return false;
  dv.param[1] = p[0];
  return true;
}

}  // namespace

int decodeProjLine(const char* line, int version, DomainVal& dv)
{
  dv.init();
  if (!line) return 0;
  while (std::isspace((unsigned char)*line)) line++;
  const char* numbers = line;
  int proj = 1;
  if (std::isalpha((unsigned char)line[0])) {
    const Prefix* hit = nullptr;
    for (const Prefix& p : PREFIXES)
      if (std::strncmp(line, p.letters, 2) == 0) hit = &p;
    if (!hit) return 0;
    proj = hit->proj;
    if (!prefixParams(line + 2, proj, dv)) return 0;
    numbers = std::strchr(line, ' ');
    if (!numbers) return 0;
  }
  float lat, lon, dx, dy;
  int nx, ny;
  if (std::sscanf(numbers, "%f %f %f %f %d %d", &lat, &lon, &dx, &dy, &nx, &ny) != 6) return 0;
  // Without a prefix the line holds one spacing for both directions.
  if (numbers == line) dy = dx;
  if (proj == 1 || proj == 2 || proj == 4)
    if (Const::isMiss(dv.param[1])) dv.param[1] = lon;
  if (version == 1) lon = -lon;
  dv.proj = proj;
  dv.clat = lat;
  dv.clon = lon;
  dv.dx = dx;
  dv.dy = dy;
  dv.nx = nx;
  dv.ny = ny;
  return 1;
}

std::string encodeProjLine(const DomainVal& dv)
{
  char prefix[200] = "";
  const float* p = dv.param;
  if (dv.proj == 2)
    std::snprintf(prefix, sizeof prefix, "LL ");
  else if (dv.proj == 3)
    std::snprintf(prefix, sizeof prefix, "ME ");
  else if (dv.proj == 1 && !Const::isMiss(p[1]) && p[1] != dv.clon)
    std::snprintf(prefix, sizeof prefix, "PS:%f ", p[1]);
  else if (dv.proj == 1)
    std::snprintf(prefix, sizeof prefix, "PS ");
  else if (dv.proj == 4 && !Const::isMiss(p[2]))
    std::snprintf(prefix, sizeof prefix, "LC:%f:%f:%f:%f:%f ", p[0], p[1], p[2], p[3], p[4]);
  else if (dv.proj == 4 && !Const::isMiss(p[1]))
    std::snprintf(prefix, sizeof prefix, "LC:%f ", p[1]);
  else if (dv.proj == 4)
    std::snprintf(prefix, sizeof prefix, "LC ");
  char numbers[200];
  std::snprintf(numbers, sizeof numbers, "%f %f %f %f %d %d", dv.clat, dv.clon, dv.dx, dv.dy, dv.nx,
                dv.ny);
  return std::string(prefix) + numbers;
}

}  // namespace KOL::kol
