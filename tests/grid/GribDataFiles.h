// The GRIB files of the shared test data (names inside its grib folder, sorted; no notes, no
// expected-output files, not the benchmark folder) and every grid of one of them.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"

namespace KOLTest {

inline std::vector<std::string> gribDataFiles()
{
  std::vector<std::string> names;
  const std::string dir = dataDir() + "/grib";
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n[0] != '.' && n != "SOURCES.md" && n != "bench" && n.find(".json") == std::string::npos)
        names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every grid of a file, read one after the other.
inline std::vector<KOL::Grid> readGrids(const std::string& path)
{
  KOL::GribFile gf;
  std::vector<KOL::Grid> out;
  if (!gf.open(path.c_str())) return out;
  for (KOL::Grid g; gf.read(g);) out.push_back(g);
  return out;
}

}  // namespace KOLTest
