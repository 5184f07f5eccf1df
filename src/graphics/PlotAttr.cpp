#include "graphics/PlotAttr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

bool key(const char* field, const char* k) { return StrLib::iequal(field, k, 3); }

bool numeric(const char* s)
{
  if (!s || !*s) return false;
  char* end = nullptr;
  std::strtod(s, &end);
  return end != s;
}

float number(const char* s) { return numeric(s) ? static_cast<float>(std::atof(s)) : Const::FMISS; }
int integer(const char* s) { return numeric(s) ? std::atoi(s) : Const::MISS; }

struct Name {
  const char* name;
  int value;
};

int lookup(const char* text, const Name* table, int n, int def, bool readNumber)
{
  if (!text) return def;
  for (int i = 0; i < n; ++i)
    if (StrLib::iequal(text, table[i].name)) return table[i].value;
  if (readNumber) return numeric(text) ? std::atoi(text) : def;
  return def;
}

}  // namespace

void PlotAttr::init()
{
  width = height = weight = expansion = Const::FMISS;
  style = shadow = fill = color = Const::MISS;
  color_name[0] = font[0] = label[0] = '\0';
}

int PlotAttr::parse(const char* text)
{
  if (!text) return 0;
  const char sep = std::strchr(text, ':') ? ':' : ',';
  std::string s(text);
  size_t start = 0;
  bool first = true;
  while (start <= s.size()) {
    size_t end = s.find(sep, start);
    if (end == std::string::npos) end = s.size();
    const std::string field = s.substr(start, end - start);
    if (first && !field.empty() && field.find('=') == std::string::npos) {
      StrLib::copy(color_name, COLOR_SIZE, field.c_str());
      color = Const::MISS;
    } else if (!field.empty()) {
      parseField(field.c_str());
    }
    first = false;
    start = end + 1;
  }
  return 1;
}

void PlotAttr::parseField(const char* f)
{
  const bool eq = std::strchr(f, '=') != nullptr;
  if (key(f, "wi=")) {
    width = number(StrLib::valueOf(f, 3));
  } else if (key(f, "sc=") || key(f, "hi=")) {
    height = number(StrLib::valueOf(f, 3));
  } else if (key(f, "we=")) {
    weight = number(StrLib::valueOf(f, 3));
  } else if (key(f, "te=")) {
    expansion = number(StrLib::valueOf(f, 3));
  } else if (key(f, "st=")) {
    style = parseLineStyle(StrLib::valueOf(f, 3));
  } else if (key(f, "sh=")) {
    shadow = integer(StrLib::valueOf(f, 3));
  } else if (key(f, "fi=") || key(f, "fp=")) {
    fill = parseFillStyle(StrLib::valueOf(f, 3));
  } else if (key(f, "co=")) {
    StrLib::copy(color_name, COLOR_SIZE, StrLib::valueOf(f, 3));
    color = Const::MISS;
  } else if (key(f, "fo=")) {
    StrLib::copy(font, FONT_SIZE, StrLib::valueOf(f, 3));
  } else if (key(f, "la=")) {
    StrLib::copy(label, LABEL_SIZE, StrLib::valueOf(f, 3));
  } else if (f[0] == 't' && std::strlen(f) > 3) {
    StrLib::copy(font, FONT_SIZE, f + 3);
  } else if (eq) {
    return;  // a key of someone else's
  } else if (f[0] == 'w' && numeric(f + 1)) {
    width = number(f + 1);
  } else if (f[0] == 'h' && numeric(f + 1)) {
    height = number(f + 1);
  } else if (f[0] == 'e' && numeric(f + 1)) {
    expansion = number(f + 1);
  } else if (f[0] == 's' && numeric(f + 1)) {
    style = integer(f + 1);
  } else if (f[0] == 'f' && (numeric(f + 1) || f[1] == 'M')) {
    fill = f[1] == 'M' ? Const::MISS : integer(f + 1);
  }
}

int PlotAttr::set(const char* text, const char* defaults)
{
  init();
  if (defaults) parse(defaults);
  if (text) parse(text);
  return 1;
}

void PlotAttr::update(const PlotAttr& o)
{
  auto take = [](float& dst, float v) {
    if (!Const::isMiss(v)) dst = v;
  };
  auto takei = [](int& dst, int v) {
    if (v != Const::MISS) dst = v;
  };
  take(width, o.width);
  take(height, o.height);
  take(weight, o.weight);
  take(expansion, o.expansion);
  takei(style, o.style);
  takei(shadow, o.shadow);
  takei(fill, o.fill);
  takei(color, o.color);
  if (o.color_name[0]) {
    StrLib::copy(color_name, COLOR_SIZE, o.color_name);
    color = o.color;
  }
  if (o.font[0]) StrLib::copy(font, FONT_SIZE, o.font);
  if (o.label[0]) StrLib::copy(label, LABEL_SIZE, o.label);
}

bool PlotAttr::validColor() const
{
  if (color == -1) return false;
  if (color_name[0] == '\0') return color != Const::MISS && color >= 0;
  return !StrLib::iequal(color_name, "off");
}

void PlotAttr::print() const
{
  std::printf("PlotAttr co: %s %d ", color_name, color);
  std::printf("st: %d ", style);
  std::printf("he: %5.2f ", height);
  std::printf("we: %5.2f ", weight);
  std::printf("wi: %5.2f ", width);
  std::printf("ex: %5.2f ", expansion);
  std::printf("fi: %d ", fill);
  std::printf("sh: %d ", shadow);
  std::printf("fo: %s\n", font);
}

int PlotAttr::parseFillStyle(const char* name)
{
  static const Name names[] = {
      {"sol", 0}, {"st", 1},   {"ost", 2}, {"rst", 3}, {"lst", 4}, {"vln", 5}, {"||", 5},
      {"dlr", 6}, {"\\\\", 6}, {"drl", 7}, {"//", 7},  {"hln", 8}, {"--", 8},  {"hat", 9},
      {"XX", 9},  {"clr", 10}, {"0%", 10}, {"1%", 11}, {"2%", 12}, {"3%", 13}, {"4%", 14},
      {"5%", 15}, {"6%", 16},  {"7%", 17}, {"8%", 18}, {"9%", 19}};
  return lookup(name, names, sizeof names / sizeof names[0], Const::MISS, true);
}

int PlotAttr::parseMarker(const char* name)
{
  static const Name names[] = {{"pnt", 1}, {".", 1},      {"plus", 2},   {"+", 2},   {"star", 3},
                               {"*", 3},   {"crcl", 4},   {"circle", 4}, {"o", 4},   {"x", 5},
                               {"sqr", 6}, {"square", 6}, {"#", 6},      {"tri", 7}, {"^", 7},
                               {"dot", 8}, {"itri", 9},   {"v", 9},      {"z", 10},  {"light", 10}};
  return lookup(name, names, sizeof names / sizeof names[0], 2, false);
}

int PlotAttr::parseLineStyle(const char* name)
{
  static const Name names[] = {{"sol", 1}, {"dsh", 2}, {"lsdsh", 3}, {"llsdsh", 4}, {"dot", 5}};
  return lookup(name, names, sizeof names / sizeof names[0], Const::MISS, true);
}

}  // namespace KOL
