// The GRIB files of the shared test data (sorted, no notes, not the benchmark folder).
#pragma once

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
  for (const std::string& path : dataFiles("grib")) {
    const std::string n = path.substr(path.rfind('/') + 1);
    if (n != "SOURCES.md" && n.find(".json") == std::string::npos) names.push_back(n);
  }
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
