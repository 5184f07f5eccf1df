#include "NamLoop.h"

#include <cstdlib>

namespace KOLTest {

bool haveGribSet() { return std::system("command -v grib_set >/dev/null 2>&1") == 0; }

std::string namLoopFile(const TempDir& dir)
{
  const std::string base = dir.file("p0.grib2"), file = dir.file("loop.grib2");
  std::string make = "grib_copy -w shortName=prmsl " +
                     dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2") + " " + base;
  for (int h : {6, 12})
    make += " && grib_set -s forecastTime=" + std::to_string(h) +
            ",offsetValuesBy=" + std::to_string(h * 800 / 6) + " " + base + " " +
            dir.file("p" + std::to_string(h) + ".grib2");
  make +=
      " && cat " + base + " " + dir.file("p6.grib2") + " " + dir.file("p12.grib2") + " > " + file;
  int status = -1;
  run(make, &status);
  return status == 0 ? file : "";
}

}  // namespace KOLTest
