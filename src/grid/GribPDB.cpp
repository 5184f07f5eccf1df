#include "grid/GribPDB.h"

#include <cstdio>

#include "core/String.h"

namespace KOL {

void GribPDB::init()
{
  edition = source = subCentre = model = gridType = Const::MISS;
  year = month = day = hour = minute = second = Const::MISS;
  foreTime.init();
  level.init();
  variable.init();
  sectFlag = 0;
  ensType = ensMember = ensCount = derived = Const::MISS;
  probType = Const::MISS;
  probLower = probUpper = Const::FMISS;
  percentile = Const::MISS;
}

void GribPDB::print() const
{
  std::printf("Version: %d\n", edition);
  std::printf("Source: %d\n", source);
  std::printf("Model: %d\n", model);
  std::printf("Init time: %d/%d/%d %2.2d:%2.2d\n", year, month, day, hour, minute);
  std::printf("Grid type: %d\n", gridType);
  String text;
  foreTime.toString(text);
  std::printf("Forecast time: %s\n", text.get());
  text.clear();
  level.toString(text);
  std::printf("Level: %s\n", text.get());
  text.clear();
  variable.toString(text);
  std::printf("Variable: %s\n", text.get());
  std::printf("Sect Flag: %X\n", sectFlag);
}

}  // namespace KOL
