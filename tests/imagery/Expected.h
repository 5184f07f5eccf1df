// Reading the independent decoder's *.expected.json beside a test data file.
#pragma once

#include <nlohmann/json.hpp>

#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "common/TestData.h"

namespace KOLTest {

inline nlohmann::json expected(const std::string& relative)
{
  std::ifstream in(dataFile(relative + ".expected.json"));
  if (!in) return nlohmann::json();
  return nlohmann::json::parse(in, nullptr, false);
}

// "YYYY-MM-DDTHH:MM:SS" as seconds since 1970 (UTC).
inline long isoSeconds(const std::string& iso)
{
  std::tm tm{};
  if (sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
             &tm.tm_min, &tm.tm_sec) != 6)
    return -1;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return static_cast<long>(timegm(&tm));
}

// Files of a data folder with an expected.json beside them, relative to the data directory.
inline std::vector<std::string> filesWithExpected(const std::string& folder)
{
  const std::string suffix = ".expected.json";
  std::vector<std::string> out;
  for (const std::string& path : dataFiles(folder, suffix)) {
    const std::string name = path.substr(path.rfind('/') + 1);
    out.push_back(folder + "/" + name.substr(0, name.size() - suffix.size()));
  }
  return out;
}

}  // namespace KOLTest
