#include "layers/DatumAttr.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/StrLib.h"
#include "graphics/PlotAttr.h"

namespace KOL {

namespace {

struct Keyword {
  const char* name;
  int value;
};

constexpr Keyword TYPES[] = {
    {"data", DatumAttr::DATA},   {"value", DatumAttr::VALUE}, {"text", DatumAttr::TEXT},
    {"mark", DatumAttr::MARK},   {"cloud", DatumAttr::CLOUD}, {"wbarb", DatumAttr::WBARB},
    {"cbarb", DatumAttr::CBARB}, {"dbarb", DatumAttr::DBARB}, {"vect", DatumAttr::VECT},
    {"avect", DatumAttr::AVECT}, {"track", DatumAttr::TRACK}, {"symb", DatumAttr::SYMB},
    {"wx", DatumAttr::SYMB},     {"line", DatumAttr::LINE},
};

constexpr Keyword MARKERS[] = {
    {"dot", 8}, {"pnt", 1}, {"plus", 2},   {"star", 3}, {"crcl", 4}, {"circle", 4},
    {"x", 5},   {"sqr", 6}, {"square", 6}, {"tri", 7},  {"itri", 9},
};

// Offsets and horizontal alignment of the fifteen positions around a station: u upper, t top,
// c centre, b bottom, l lower rows; l, c, r columns.
struct Position {
  const char* name;
  float dx, dy;
  int halign;
};

constexpr float X = DatumAttr::POS_DX, NEAR = DatumAttr::POS_DY_NEAR, FAR = DatumAttr::POS_DY_FAR;
constexpr Position POSITIONS[] = {
    {"ul", -X, FAR, 3},  {"uc", 0, FAR, 2},    {"ur", X, FAR, 1},   {"tl", -X, NEAR, 3},
    {"tc", 0, NEAR, 2},  {"tr", X, NEAR, 1},   {"cl", -X, 0, 3},    {"cc", 0, 0, 2},
    {"cr", X, 0, 1},     {"bl", -X, -NEAR, 3}, {"bc", 0, -NEAR, 2}, {"br", X, -NEAR, 1},
    {"ll", -X, -FAR, 3}, {"lc", 0, -FAR, 2},   {"lr", X, -FAR, 1},
};

// The text after key when token starts with it (any case), else null.
const char* after(const char* token, const char* key)
{
  const int n = static_cast<int>(std::strlen(key));
  return StrLib::iequal(token, key, n) ? token + n : nullptr;
}

bool readFloat(const char* s, float& out)
{
  char* end = nullptr;
  const float v = std::strtof(s, &end);
  if (end == s || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool readInt(const char* s, int& out)
{
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (end == s) return false;
  out = static_cast<int>(v);
  return true;
}

int horizontalCode(char c)
{
  c = static_cast<char>(StrLib::toUpper(c));
  return c == 'L' ? 1 : c == 'R' ? 3 : 2;
}

int verticalCode(char c)
{
  switch (StrLib::toUpper(c)) {
    case 'B':
      return 5;
    case 'C':
      return 2;
    case 'S':
      return 4;
    case 'T':
      return 1;
    default:
      return 3;
  }
}

}  // namespace

void DatumAttr::init()
{
  type = halign = valign = shadow = mark = skip = Const::MISS;
  scale = dx = dy = weight = height = width = expansion = min = max = Const::FMISS;
  format[0] = color[0] = font[0] = symbol[0] = '\0';
  resrc.clear();
}

bool DatumAttr::isSet(int v) { return v != Const::MISS; }
bool DatumAttr::isSet(float v) { return !Const::isMiss(v); }

int DatumAttr::parse(const char* text)
{
  if (!text) return 0;
  const char sep = std::strchr(text, ':') ? ':' : ',';
  const std::string s(text);
  for (size_t start = 0; start <= s.size();) {
    size_t end = s.find(sep, start);
    if (end == std::string::npos) end = s.size();
    const std::string token = s.substr(start, end - start);
    if (!token.empty()) parseToken(token.c_str());
    start = end + 1;
  }
  return 1;
}

void DatumAttr::parseToken(const char* token)
{
  if (token[0] == '%') {
    setFormat(token);
  } else if (const char* f = after(token, "fm=")) {
    setFormat(f);
  } else if (const int t = typeCode(token)) {
    type = t;
  } else if (parsePosition(token) || parseKeyed(token)) {
    // taken
  } else if (!std::strchr(token, '=')) {
    setColor(token);
  }
}

bool DatumAttr::parsePosition(const char* token)
{
  for (const Position& p : POSITIONS)
    if (StrLib::iequal(token, p.name)) {
      setOffset(p.dx, p.dy, p.halign);
      return true;
    }
  const char* xy = after(token, "xy=");
  if (!xy) return false;
  float a, b;
  if (std::sscanf(xy, "%f%f", &a, &b) == 2 && std::isfinite(a) && std::isfinite(b)) {
    const float ox = X * a;
    setOffset(ox, FAR * b, ox < 0 ? 3 : ox > 0 ? 1 : 2);
  }
  return true;
}

void DatumAttr::setOffset(float x, float y, int h)
{
  dx = x;
  dy = y;
  halign = h;
  valign = 3;
}

bool DatumAttr::parseKeyed(const char* token)
{
  const char* v;
  if ((v = after(token, "rs="))) return setResrc(v), true;
  if ((v = after(token, "co="))) return setColor(v), true;
  if ((v = after(token, "we="))) return readFloat(v, weight), true;
  if ((v = after(token, "hi="))) return readFloat(v, height), true;
  if ((v = after(token, "sc="))) {
    float f = 0;
    readFloat(v, f);
    // a scale of nothing or of a thousandfold is a slip, not a wish
    scale = f < 0.01f || f > 1000.0f ? 1.0f : f;
    return true;
  }
  if ((v = after(token, "wi="))) return readFloat(v, width), true;
  if ((v = after(token, "sh="))) return readInt(v, shadow), true;
  if ((v = after(token, "fo="))) return setFont(v), true;
  if ((v = after(token, "te=")) || (v = after(token, "exp="))) return readFloat(v, expansion), true;
  if ((v = after(token, "sf="))) return setSymbol(v), true;
  if ((v = after(token, "mn="))) return readFloat(v, min), true;
  if ((v = after(token, "mx="))) return readFloat(v, max), true;
  if ((v = after(token, "sk="))) return readInt(v, skip), true;
  if ((v = after(token, "ta="))) {
    halign = horizontalCode(v[0]);
    valign = verticalCode(v[0] ? v[1] : '\0');
    return true;
  }
  if ((v = after(token, "mk="))) return setMarker(v), true;
  return false;
}

int DatumAttr::set(const PlotAttr& a)
{
  if (isSet(a.width)) width = a.width;
  if (isSet(a.height)) height = a.height;
  if (isSet(a.weight)) weight = a.weight;
  if (isSet(a.expansion)) expansion = a.expansion;
  if (isSet(a.shadow)) shadow = a.shadow;
  if (a.color_name[0]) setColor(a.color_name);
  if (a.font[0]) setFont(a.font);
  return 1;
}

int DatumAttr::setType(int t) { return type = t, 1; }

int DatumAttr::setType(const char* keyword)
{
  const int t = typeCode(keyword);
  if (t) type = t;
  return t != 0;
}

int DatumAttr::setColor(const char* name) { return StrLib::copy(color, COLOR_SIZE, name), 1; }
int DatumAttr::setFont(const char* name) { return StrLib::copy(font, FONT_SIZE, name), 1; }
int DatumAttr::setSymbol(const char* file) { return StrLib::copy(symbol, SYMBOL_SIZE, file), 1; }
int DatumAttr::setFormat(const char* fmt) { return StrLib::copy(format, FORMAT_SIZE, fmt), 1; }
int DatumAttr::setResrc(const char* name) { return resrc = name ? name : "", 1; }
int DatumAttr::setMarker(int m) { return mark = m, 1; }
int DatumAttr::setMarker(const char* name) { return setMarker(markerCode(name)); }

int DatumAttr::typeCode(const char* keyword)
{
  if (!keyword) return 0;
  for (const Keyword& k : TYPES)
    if (StrLib::iequal(keyword, k.name)) return k.value;
  return 0;
}

int DatumAttr::markerCode(const char* name)
{
  if (!name) return Const::MISS;
  for (const Keyword& k : MARKERS)
    if (StrLib::iequal(name, k.name, static_cast<int>(std::strlen(k.name)))) return k.value;
  int m = Const::MISS;
  readInt(name, m);
  return m;
}

void DatumAttr::print() const
{
  std::printf("Type: %d\n", type);
  std::printf("Scale: %f\n", scale);
  std::printf("Dx,Dy: %f,%f\n", dx, dy);
  std::printf("Align: %d,%d\n", halign, valign);
  std::printf("Height: %f\n", height);
  std::printf("Weight: %f\n", weight);
  std::printf("Width: %f\n", width);
  std::printf("Expan: %f\n", expansion);
  std::printf("Shadow: %d\n", shadow);
  std::printf("Mark: %d\n", mark);
  std::printf("Min,Max: %f,%f\n", min, max);
  std::printf("Skip: %d\n", skip);
  std::printf("Format: %s\n", format);
  std::printf("Color: %s\n", color);
  std::printf("Font: %s\n", font);
  std::printf("Symbol: %s\n", symbol);
  std::printf("Resrc: %s\n", resrc.c_str());
}

}  // namespace KOL
