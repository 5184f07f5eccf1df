#include "graphics/plot/PlotParams.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <strings.h>

#include "core/Const.h"
#include "core/StrLib.h"

namespace KOL::PlotParams {

std::vector<std::string> split(const char* text)
{
  std::vector<std::string> out;
  if (!text || !*text) return out;
  const std::string s(text);
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find(',', start);
    if (end == std::string::npos) end = s.size();
    out.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string value(const char* params, const char* key)
{
  const size_t n = std::strlen(key);
  for (const std::string& f : split(params))
    if (f.compare(0, n, key) == 0) return f.substr(n);
  return "";
}

namespace {

// Where the field starting with key begins; npos when none does.
size_t fieldStart(const std::string& s, const std::string& k)
{
  for (size_t at = 0; at <= s.size();) {
    if (s.compare(at, k.size(), k) == 0) return at;
    const size_t comma = s.find(',', at);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return std::string::npos;
}

}  // namespace

std::string rest(const char* params, const char* key)
{
  if (!params || !key) return "";
  const std::string s(params), k(key);
  const size_t at = fieldStart(s, k);
  return at == std::string::npos ? "" : s.substr(at + k.size());
}

std::string before(const char* params, const char* key)
{
  if (!params) return "";
  const std::string s(params);
  const size_t at = key ? fieldStart(s, key) : std::string::npos;
  return at == std::string::npos ? s : s.substr(0, at);
}

std::string valueOf(const std::string& field, size_t from)
{
  const size_t eq = field.find('=');
  if (eq != std::string::npos) return field.substr(eq + 1);
  return from < field.size() ? field.substr(from) : "";
}

bool isWord(const std::string& field, const char* word)
{
  return StrLib::iequal(field.c_str(), word);
}

bool isKey(const std::string& field, const char* key)
{
  const size_t n = std::strlen(key);
  return field.size() > n && field[n] == '=' && StrLib::iequal(field.substr(0, n).c_str(), key);
}

void barParams(const char* text, int& locate, float& height)
{
  if (!text) return;
  for (const char* p = text; *p; ++p) {
    switch (*p) {
      case 'b':
        locate = 0;
        break;
      case 't':
        locate = 1;
        break;
      case 'r':
        locate = 2;
        break;
      case 'l':
        locate = 3;
        break;
      default:
        if ((*p >= '0' && *p <= '9') || *p == '.') {
          char* end = nullptr;
          const float h = std::strtof(p, &end);
          if (h > 0 && h < 0.5f) height = h;
          p = end - 1;
        }
        break;
    }
  }
}

namespace {

// "+v" or "-v" into a signed value; the characters used.
int readSigned(const char* s, float& v)
{
  char sign;
  int used = 0;
  if (std::sscanf(s, " %c%f%n", &sign, &v, &used) != 2 || (sign != '+' && sign != '-')) return 0;
  if (sign == '-') v = -v;
  return used;
}

}  // namespace

int decodeGeometry(const char* text, float& w, float& h, float& x, float& y)
{
  w = h = x = y = Const::FMISS;
  if (!text || !*text) return 0;
  int used = 0;
  float a, b;
  if (std::sscanf(text, "%fx%f%n", &a, &b, &used) == 2) {
    w = a, h = b;
    const int n1 = readSigned(text + used, x);
    const int n2 = n1 ? readSigned(text + used + n1, y) : 0;
    if (n1 && n2) return 2;
    x = y = Const::FMISS;
    return 1;
  }
  const int n1 = readSigned(text, x);
  const int n2 = n1 ? readSigned(text + n1, y) : 0;
  if (n1 && n2) return 3;
  x = y = Const::FMISS;
  return 0;
}

int decodePanel(const Rect& r, const char* text, float& x, float& y, float& w, float& h)
{
  float cols = 1, rows = 1, i = 0, j = 0;
  const int n = text ? std::sscanf(text, "%fx%f+%f+%f", &cols, &rows, &i, &j) : 0;
  const float W = r.width(), H = r.height();
  if (cols > 1) {
    cols = std::min(cols, 8.0f);
    rows = std::clamp(rows, 1.0f, 8.0f);
    x = r.x1 + i / cols * W;
    y = r.y1 + (1.0f - (1.0f + j) / rows) * H;
    w = W / cols;
    h = H / rows;
  } else {
    x = r.x1 + i * W;
    y = r.y1 + j * H;
    w = cols * W;
    h = rows * H;
  }
  return n == 2 || n == 4 ? 1 : 0;
}

bool mapOrScale(const char* key, bool& map, float& scale)
{
  if (StrLib::iequal(key, "map") || StrLib::iequal(key, "nomap")) {
    map = StrLib::iequal(key, "map");
    return true;
  }
  if (strncasecmp(key, "sc=", 3) != 0) return false;
  if (const double v = std::atof(key + 3); v > 0) scale = static_cast<float>(v);
  return true;
}

}  // namespace KOL::PlotParams
