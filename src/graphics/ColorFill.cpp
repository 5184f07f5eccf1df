#include "graphics/ColorFill.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/StrLib.h"
#include "graphics/ColorMap.h"

namespace KOL {

void ColorFill::init()
{
  entries.clear();
  explicitValues = false;
  interval = base = Const::FMISS;
}

void ColorFill::add(int color, float value, const char* label)
{
  entries.push_back({color, value, label ? label : ""});
  if (!Const::isMiss(value)) explicitValues = true;
}

int ColorFill::set(ColorMap& map, const char* text)
{
  entries.clear();
  explicitValues = false;
  if (!text || !*text) {
    const int n = map.getNumFill() > 0 ? map.getNumFill() : map.getNum();
    for (int i = 0; i < n; ++i) add(i);
    return getNum() > 0;
  }
  const std::string s(text);
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find_first_of(";/,", start);
    if (end == std::string::npos) end = s.size();
    if (end > start) addEntry(map, s.substr(start, end - start));
    start = end + 1;
  }
  return getNum() > 0;
}

int ColorFill::addEntry(ColorMap& map, const std::string& entry)
{
  std::string value, colour = entry, label;
  const size_t eq = entry.find('=');
  if (eq != std::string::npos) {
    value = entry.substr(0, eq);
    colour = entry.substr(eq + 1);
    const size_t eq2 = colour.find('=');
    if (eq2 != std::string::npos) {
      label = colour.substr(eq2 + 1);
      colour.resize(eq2);
    }
  }
  // a colour may carry attributes ("red:w2"); only the name counts here
  const size_t colon = colour.find(':');
  if (colon != std::string::npos) colour.resize(colon);
  const int c = map.getInd(colour.c_str());
  // "none" leaves a band unfilled; an unknown name is no colour at all
  const bool blank =
      StrLib::iequal(colour.c_str(), "none") || StrLib::iequal(colour.c_str(), "off");
  if (c == Const::MISS || c < -1 || (c == -1 && !blank)) return 0;
  char* endp = nullptr;
  const float v = value.empty() ? Const::FMISS : std::strtof(value.c_str(), &endp);
  if (!value.empty() && endp == value.c_str()) return 0;
  add(c, v, label.empty() ? nullptr : label.c_str());
  return 1;
}

float ColorFill::getValue(int k) const
{
  if (k < 0 || k >= getNum()) return Const::FMISS;
  if (explicitValues) return entries[k].value;
  if (Const::isMiss(interval) || Const::isMiss(base)) return Const::FMISS;
  return base + k * interval;
}

int ColorFill::getIndex(float v) const
{
  if (entries.empty()) return -1;
  int k = 0;
  if (explicitValues) {
    for (int i = 0; i < getNum(); ++i)
      if (!Const::isMiss(entries[i].value) && entries[i].value <= v) k = i;
  } else if (!Const::isMiss(interval) && interval > 0.0f && !Const::isMiss(base)) {
    // a value on a level belongs to the band above it, rounding aside
    const double f = std::floor((static_cast<double>(v) - base) / interval + 1e-4);
    k = f < 0.0 ? 0 : f >= getNum() ? getNum() - 1 : static_cast<int>(f);
  }
  return k;
}

int ColorFill::getColor(int k) const
{
  if (entries.empty()) return -1;
  if (k < 0) k = 0;
  if (k >= getNum()) k = getNum() - 1;
  return entries[k].color;
}

const char* ColorFill::getLabel(int k) const
{
  if (k < 0 || k >= getNum() || entries[k].label.empty()) return nullptr;
  return entries[k].label.c_str();
}

void ColorFill::print() const
{
  std::printf("ColorFill: %d int: %g base: %g values: %d\n", getNum(), interval, base,
              explicitValues ? 1 : 0);
  for (int i = 0; i < getNum(); ++i)
    std::printf("%3d %4d %g %s\n", i, entries[i].color, entries[i].value, entries[i].label.c_str());
}

}  // namespace KOL
