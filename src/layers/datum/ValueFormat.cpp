#include "layers/datum/ValueFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace KOL::datum {

namespace {

constexpr const char* FALLBACK = "%1.0f";

// True when a width or precision has more than two digits: a station value is never that wide.
bool tooWide(const char* spec, size_t n)
{
  size_t run = 0;
  for (size_t i = 0; i < n; i++) {
    run = spec[i] >= '0' && spec[i] <= '9' ? run + 1 : 0;
    if (run > 2) return true;
  }
  return false;
}

// fmt without length modifiers ("%lf" is "%f" here), and its one conversion character; 0 when
// it has none or more than one, a width or precision taken from the arguments, or one too wide.
char clean(const char* fmt, std::string& out)
{
  char found = 0;
  for (const char* c = fmt; *c; c++) {
    out += *c;
    if (*c != '%') continue;
    if (c[1] == '%') {
      out += *++c;
      continue;
    }
    if (found) return 0;
    const size_t lead = std::strspn(c + 1, "-+ #0");
    const size_t flags = lead + std::strspn(c + 1 + lead, "0123456789.");
    if (tooWide(c + 1 + lead, flags - lead)) return 0;
    out.append(c + 1, flags);
    c += 1 + flags;
    c += std::strspn(c, "hlLqjzt");
    if (!*c || !std::strchr("fFeEgGaAdiouxXc", *c)) return 0;
    out += *c;
    found = *c;
  }
  return found;
}

}  // namespace

std::string formatValue(const char* fmt, float v)
{
  std::string safe;
  const char conv = fmt ? clean(fmt, safe) : 0;
  if (!conv) safe = FALLBACK;
  char buf[64];
  if (conv && std::strchr("diouxXc", conv)) {
    const double r = std::nearbyint(static_cast<double>(v));
    const int i = std::fabs(r) < 2e9 ? static_cast<int>(r) : 0;
    if (std::strchr("ouxX", conv))
      std::snprintf(buf, sizeof buf, safe.c_str(), static_cast<unsigned>(i));
    else
      std::snprintf(buf, sizeof buf, safe.c_str(), i);
  } else {
    std::snprintf(buf, sizeof buf, safe.c_str(), static_cast<double>(v));
  }
  return buf;
}

}  // namespace KOL::datum
