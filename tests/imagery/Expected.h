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

// Files of a data folder with an expected.json beside them.
inline std::vector<std::string> filesWithExpected(const std::string& folder)
{
  std::vector<std::string> out;
  std::string list = run("ls " + dataDir() + "/" + folder + " 2>/dev/null");
  size_t pos = 0;
  while (pos < list.size()) {
    size_t end = list.find('\n', pos);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(pos, end - pos);
    pos = end + 1;
    const std::string suffix = ".expected.json";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(folder + "/" + name.substr(0, name.size() - suffix.size()));
  }
  return out;
}

}  // namespace KOLTest
