#include "core/Tools.h"

#include <cmath>
#include <cstdio>

#include "core/StrLib.h"
#include "core/String.h"

namespace KOL {

namespace {

// Fixed-point text with p decimals, dropping trailing zeros of the fraction one at a time.
void fixedText(float v, int p, String& out)
{
  if (p > 0) {
    out.printf("%.*f", p, v);
    while (p > 0 && out.length() > 0 && out.getChar(-1) == '0') out.printf("%.*f", --p, v);
  }
  out.printf("%.*f", p > 0 ? p : 0, v);
}

// Rounds v up to a multiple of step; a little slack keeps exact multiples from rounding up.
float roundUp(float v, double step)
{
  return static_cast<float>(std::ceil(v / step - 1e-4) * step);
}

}  // namespace

bool Tools::isInt(const char* s)
{
  if (!s) return false;
  if (*s == '-') s++;
  return StrLib::isDigit(static_cast<unsigned char>(*s));
}

bool Tools::isFloat(const char* s)
{
  if (!s) return false;
  if (*s == '-') s++;
  if (*s == '.') s++;
  return StrLib::isDigit(static_cast<unsigned char>(*s));
}

int Tools::toString(float v, String& out)
{
  if (v == 0) return out.copy("0");
  if (!std::isfinite(v)) return out.printf("%f", v) >= 0;
  int e = static_cast<int>(std::log10(std::fabs(v)) + 0.0001);
  if (e < -5 || e > 5) {
    out.printf("%e", v);
    return 1;
  }
  fixedText(v, 4 - e, out);
  return 1;
}

int Tools::toString(float v, int digits, String& out)
{
  if (v == 0) return out.copy("0");
  if (!std::isfinite(v)) return out.printf("%f", v) >= 0;
  int e = static_cast<int>(std::ceil(std::log10(std::fabs(v)) + 0.0001));
  if (e < -5 || e > 5) {
    out.printf("%.*e", digits > 1 ? digits - 1 : 0, v);
    return 1;
  }
  fixedText(v, digits - e, out);
  return 1;
}

int Tools::toInt(float v)
{
  if (v == 0) return 0;
  if (!std::isfinite(v)) return Const::MISS;
  double a = std::fabs(v);
  int k = static_cast<int>(std::log10(a) + 5.0);
  int e = k - 5;
  int code;
  if (e > 0) {
    for (int i = 1; i < e; i++) a /= 10;
    code = 100 * e + static_cast<int>(a) % 100;
  } else if (e == 0) {
    code = static_cast<int>(10 * a) % 100;
  } else {
    for (int i = e; i < 2; i++) a *= 10;
    code = 100 * (k + 5) + static_cast<int>(a) % 100;
  }
  return v < 0 ? -code : code;
}

float Tools::calcInterval(float max, float min, int n)
{
  if (n < 1) n = 1;
  float v = (max - min) / n;
  if (v == 0) return 1.0f;
  static const double steps[] = {1000, 100, 10, 1, 0.1, 0.01, 0.001, 0.0001};
  for (double step : steps)
    if (v >= step) return roundUp(v, step);
  return v;
}

void Tools::printClean(const void* bytes, int n)
{
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  if (!b) return;
  for (int i = 0; i < n; i++)
    if (StrLib::isPrint(b[i]) || b[i] == '\n') std::putchar(b[i]);
}

void Tools::printControl(const void* bytes, int n)
{
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  if (!b) return;
  for (int i = 0; i < n; i++) {
    if (StrLib::isPrint(b[i]))
      std::putchar(b[i]);
    else if (b[i] == '\n')
      std::fputs("[0A]\n", stdout);
    else
      std::printf("[%2.2X]", b[i]);
  }
}

void Tools::dumpHex(const void* bytes, int n)
{
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  if (!b) return;
  for (int line = 0; line < n; line += 16) {
    std::printf("%8d: ", line);
    for (int i = 0; i < 16; i++) {
      if (line + i < n)
        std::printf("%02X%c", b[line + i], i == 7 ? '|' : ' ');
      else
        std::fputs("   ", stdout);
    }
    for (int i = 0; i < 16 && line + i < n; i++)
      std::putchar(StrLib::isPrint(b[line + i]) ? b[line + i] : '~');
    std::putchar('\n');
  }
}

}  // namespace KOL
