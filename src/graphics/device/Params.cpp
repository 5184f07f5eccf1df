#include "graphics/device/Params.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace KOL::Params {

std::vector<std::string> split(const char* text)
{
  std::vector<std::string> fields;
  if (!text) return fields;
  const std::string s(text);
  size_t start = 0;
  while (true) {
    const size_t end = s.find(',', start);
    fields.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

float number(const char* field, int from, float fallback)
{
  if (!field || static_cast<int>(std::strlen(field)) <= from) return fallback;
  char* end = nullptr;
  const float v = std::strtof(field + from, &end);
  return end != field + from && std::isfinite(v) && v > 0 ? v : fallback;
}

}  // namespace KOL::Params
