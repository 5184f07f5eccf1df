#include "graphics/ColorMap.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

void ColorMap::init(int n)
{
  capacity = n > 0 ? n : DEFAULT_SIZE;
  entries.clear();
  entries.reserve(capacity);
  numFill = 0;
}

int ColorMap::setNumFill(int n)
{
  if (n < 0 || n > getNum()) return 0;
  numFill = n;
  return 1;
}

int ColorMap::find(const char* name) const
{
  for (int i = 0; i < getNum(); ++i)
    if (StrLib::iequal(entries[i].name, name)) return i;
  return -1;
}

int ColorMap::add(const char* name, float r, float g, float b)
{
  if (!name) return -1;
  int i = find(name);
  if (i < 0) {
    if (getNum() >= capacity) {
      Kol::outWarning("Color map size exceeded %d > %d\n", getNum() + 1, capacity);
      return -1;
    }
    entries.push_back(Entry{});
    i = getNum() - 1;
    std::snprintf(entries[i].name, NAME_SIZE, "%s", name);
    entries[i].value = Const::MISS;
  }
  Entry& e = entries[i];
  e.r = r, e.g = g, e.b = b;
  return i;
}

namespace {

struct Special {
  const char* name;
  int index;
};

constexpr Special SPECIALS[] = {
    {"end", -2},    {"none", -1},   {"off", -1},    {"back", -1},   {"pblk", 500},
    {"pbblk", 501}, {"ptblk", 502}, {"pwht", 503},  {"pbwht", 504}, {"ptwht", 505},
    {"pgry", 506},  {"pbgry", 507}, {"ptgry", 508},
};

bool allHex(const char* s, int n)
{
  for (int i = 0; i < n; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

}  // namespace

int ColorMap::getInd(const char* name)
{
  if (!name || !name[0]) return Const::MISS;
  for (const Special& s : SPECIALS)
    if (StrLib::iequal(name, s.name)) return s.index;
  int i = find(name);
  if (i >= 0) return i;
  const int len = StrLib::length(name);
  unsigned r, g, b;
  if (name[0] == '#' && len == 7 && allHex(name + 1, 6) &&
      std::sscanf(name + 1, "%2x%2x%2x", &r, &g, &b) == 3)
    return add(name, r / 255.0f, g / 255.0f, b / 255.0f);
  if (name[0] == '#' && len == 10 && std::sscanf(name + 1, "%3u%3u%3u", &r, &g, &b) == 3)
    return add(name, r / 255.0f, g / 255.0f, b / 255.0f);
  if (StrLib::isDigit(name[0])) return StrLib::toInt(name);
  return -1;
}

int ColorMap::clampIndex(int i) const
{
  if (i < 0 || entries.empty()) return -1;
  return i >= getNum() ? getNum() - 1 : i;
}

const char* ColorMap::getName(int i) const
{
  i = clampIndex(i);
  return i < 0 ? nullptr : entries[i].name;
}

int ColorMap::get(int i, RGB& c) const { return getRGB(i, c.red, c.green, c.blue); }

int ColorMap::getRGB(int i, float& r, float& g, float& b) const
{
  i = clampIndex(i);
  if (i < 0) {
    r = g = b = -1;
    return 0;
  }
  r = entries[i].r, g = entries[i].g, b = entries[i].b;
  return 1;
}

int ColorMap::getIRGB(int i, int& r, int& g, int& b) const
{
  float fr, fg, fb;
  int ok = getRGB(i, fr, fg, fb);
  if (!ok) {
    r = g = b = -1;
    return 0;
  }
  r = static_cast<int>(fr * 255), g = static_cast<int>(fg * 255), b = static_cast<int>(fb * 255);
  return 1;
}

int ColorMap::setValue(int i, int v)
{
  if (i < 0 || i >= getNum()) return 0;
  entries[i].value = v;
  return 1;
}

int ColorMap::getValue(int i) const
{
  i = clampIndex(i);
  return i < 0 ? -1 : entries[i].value;
}

int ColorMap::getValue(const char* name)
{
  const int i = getInd(name);
  return i < 0 || i == Const::MISS ? -1 : getValue(i);
}

bool ColorMap::isColorNear(int i, float r, float g, float b) const
{
  float er, eg, eb;
  if (!getRGB(i, er, eg, eb)) return false;
  return std::fabs(er - r) + std::fabs(eg - g) + std::fabs(eb - b) < 0.01f;
}

int ColorMap::findNear(float r, float g, float b) const
{
  for (int i = 0; i < getNum(); ++i)
    if (isColorNear(i, r, g, b)) return i;
  return -1;
}

void ColorMap::print() const
{
  std::printf("Fill: %d\n", numFill);
  for (int i = 0; i < getNum(); ++i) {
    const Entry& e = entries[i];
    std::printf("%3d - %8d (%4.2f,%4.2f,%4.2f) %s\n", i, e.value, e.r, e.g, e.b, e.name);
  }
}

}  // namespace KOL
