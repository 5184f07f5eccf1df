#include "core/text/Format.h"

#include <cstdio>

namespace KOL::text {

std::string format(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  std::string out = vformat(fmt, ap);
  va_end(ap);
  return out;
}

std::string vformat(const char* fmt, va_list ap)
{
  std::string out;
  if (!fmt) return out;
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, fmt, ap);
  }
  return out;
}

}  // namespace KOL::text
