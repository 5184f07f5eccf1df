#include "layers/image/ImageKeys.h"

#include <cstdlib>

#include "graphics/plot/PlotParams.h"

namespace KOL::imageplot {

bool ImageKeys::take(const std::string& f)
{
  using PlotParams::isKey;
  using PlotParams::isWord;
  const std::string v = PlotParams::valueOf(f, f.size());
  if (isWord(f, "bar") || isWord(f, "nobar"))
    bar = isWord(f, "bar");
  else if (isWord(f, "map") || isWord(f, "nomap"))
    map = isWord(f, "map");
  else if (isKey(f, "ct"))
    colorTable = v;
  else if (isKey(f, "cof"))
    colorFill = v;
  else if (isKey(f, "ho"))
    hoursBack = std::abs(std::atoi(v.c_str()));
  else if (isKey(f, "tz"))
    zone = v;
  else
    return false;
  return true;
}

std::string ImageKeys::latest() const
{
  return hoursBack > 0 ? "la-" + std::to_string(hoursBack) : "la";
}

}  // namespace KOL::imageplot
