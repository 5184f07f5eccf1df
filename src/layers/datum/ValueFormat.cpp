#include "layers/datum/ValueFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace KOL::datum {

namespace {

constexpr const char* FALLBACK = "%1.0f";

// The conversion character of the one conversion in fmt; 0 when there is none or more than one,
// or when a width or precision is taken from the arguments.
char conversion(const char* fmt)
{
  char found = 0;
  for (const char* c = fmt; *c; c++) {
    if (*c != '%') continue;
    if (c[1] == '%') {
      c++;
      continue;
    }
    if (found) return 0;
    c++;
    c += std::strspn(c, "-+ #0");
    c += std::strspn(c, "0123456789");
    if (*c == '.') c += 1 + std::strspn(c + 1, "0123456789");
    if (!*c || !std::strchr("fFeEgGaAdiouxXc", *c)) return 0;
    found = *c;
  }
  return found;
}

}  // namespace

std::string formatValue(const char* fmt, float v)
{
  const char conv = fmt ? conversion(fmt) : 0;
  if (!conv) fmt = FALLBACK;
  char buf[64];
  if (conv && std::strchr("diouxXc", conv)) {
    const double r = std::nearbyint(static_cast<double>(v));
    const int i = std::fabs(r) < 2e9 ? static_cast<int>(r) : 0;
    if (std::strchr("ouxX", conv))
      std::snprintf(buf, sizeof buf, fmt, static_cast<unsigned>(i));
    else
      std::snprintf(buf, sizeof buf, fmt, i);
  } else {
    std::snprintf(buf, sizeof buf, fmt, static_cast<double>(v));
  }
  return buf;
}

}  // namespace KOL::datum
