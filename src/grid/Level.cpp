#include "grid/Level.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/StrLib.h"
#include "core/String.h"
#include "obs/VCoord.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;
constexpr int WORD_SIZE = 29;  // longest word of a level text
constexpr int UNIT_SIZE = 9;   // longest unit after a number

// The text and label of every type. Types with a value have formats instead of keywords.
struct TypeInfo {
  int type;
  const char* keyword;
  const char* label;
};

constexpr TypeInfo KEYWORD_TYPES[] = {
    {0, "snd", ""},
    {1, "sfc", "Surface"},
    {2, "cld_bot", "Cloud base"},
    {3, "cld_top", "Cloud top"},
    {4, "frz", "Frz level"},
    {5, "lcl", "LCL"},
    {6, "mwnd", "Max wind"},
    {7, "trop", "Tropopause"},
    {8, "top", "Top"},
    {10, "whole", "Whole"},
    {11, "cb_base", "Cumulonimbus base"},
    {12, "cb_top", "Cumulonimbus top"},
    {20, "isotherm", "Isothermal lvl"},
    {101, "sl", "Sea level"},
    {199, "", ""},
    {200, "wholel", ""},
    {204, "top_frz", "Top frz level"},
    {206, "gscld_bot", "Grid scale cld bot"},
    {207, "gscld_top", "Grid scale cld top"},
    {209, "blcld_bot", "Bound lyr cld bot"},
    {210, "blcld_top", "Bound lyr cld top"},
    {211, "blcld_lyr", "Bound lyr cld lyr"},
    {212, "lcld_bot", "Low cld bot lvl"},
    {213, "lcld_top", "Low cld top lvl"},
    {214, "lcld_lyr", "Low cld lyr"},
    {215, "cld_ceil", "Cld ceiling"},
    {220, "pbl", "Planetary bound lyr"},
    {222, "mcld_bot", "Mid cld bot lvl"},
    {223, "mcld_top", "Mid cld top lvl"},
    {224, "mcld_lyr", "Mid cld lyr"},
    {232, "hcld_bot", "High cld bot lvl"},
    {233, "hcld_top", "High cld top lvl"},
    {234, "hcld_lyr", "High cld lyr"},
    {242, "conv_bot", "Conv cld bot lvl"},
    {243, "conv_top", "Conv cld top lvl"},
    {244, "conv_lyr", "Conv cld lyr"},
    {245, "wbzero", "Wet bulb zero lvl"},
    {246, "maxepot", "Max eq pot temp lvl"},
    {247, "equilib", "Equilibrium lvl"},
    {248, "sccld_bot", "Shallow conv cld bot"},
    {249, "sccld_top", "Shallow conv cld top"},
    {251, "dccld_bot", "Deep conv cld bot"},
    {252, "dccld_top", "Deep conv cld top"},
    {253, "sclw_bot", "Supercooled lw bot"},
    {254, "sclw_top", "Supercooled lw top"},
};

struct ValueInfo {
  int type;
  const char* text;   // full text form
  const char* label;  // full label form
  const char* bare;   // the value alone, as the lower end of a layer
};

constexpr ValueInfo VALUE_TYPES[] = {
    {100, "%.0fmb", "%.0f mb", "%.0f"},
    {102, "%.0fm", "%.0f m", "%.0f"},
    {103, "%.0fm_ag", "%.0f m AG", "%.0f"},
    {104, "%3.2fsig", "%4.3f sigma", "%4.3f"},
    {105, "%.0fhyb", "%.0f hyb", "%.0f"},
    {106, "%.0fcm_bg", "%.0f cm BG", "%.0f"},
    {107, "%.0fK", "%.0f K", "%.0f"},
    {108, "%.0fmb_ag", "%.0f mb AG", "%.0f"},
    {109, "%.2f*10^-6 Km2/kgs", "%.2f*10^-6 Km2/kgs", "%.2f"},
};

// Units after a number in a level text; any other unit, or none, means pressure.
struct UnitInfo {
  const char* unit;
  int type;
  double factor;
};

constexpr UnitInfo UNITS[] = {
    {"ft", 102, 0.3048}, {"m", 102, 1.0},  {"ft_ag", 103, 0.3048}, {"m_ag", 103, 1.0},
    {"mb_ag", 108, 1.0}, {"k", 107, 1.0},  {"mb", 100, 1.0},       {"sig", 104, 1.0},
    {"eta", 111, 1.0},   {"pv", 109, 1.0}, {"hyb", 105, 1.0},      {"cm_bg", 106, 1.0},
};

const TypeInfo* keywordType(int type)
{
  for (const auto& t : KEYWORD_TYPES)
    if (t.type == type) return &t;
  return nullptr;
}

const ValueInfo* valueType(int type)
{
  for (const auto& t : VALUE_TYPES)
    if (t.type == type) return &t;
  return nullptr;
}

bool iequal(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (StrLib::toLower((unsigned char)a[i]) != StrLib::toLower((unsigned char)b[i])) return false;
  return true;
}

std::string format(const char* fmt, double v)
{
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// ---- text and label forms ----

// The keyword form of special values: surface and tropopause given as pressures or heights.
bool specialForm(int type, float v, bool layer, bool label, std::string& out)
{
  if (type == Level::PRES && (v == 2000.0f || v == 1900.0f)) {
    out = label ? "Surface" : "sfc";
  } else if (type == Level::PRES && v == 1950.0f) {
    out = label ? "Tropopause" : "trop";
  } else if ((type == Level::PRES || type == Level::SURFACE) && v > 2000.0f) {
    out = format(label ? "Surface[%.0f]" : "sfc[%.0f]", v - 2000.0);
  } else if (type == Level::SURFACE && v > 0.0f) {
    out = format(label ? "Surface[%.0f]" : "sfc[%.0f]", v);
  } else if (type == Level::HGHT && layer && (v == 99500.0f || v == 99600.0f)) {
    out = label ? "Tropopause" : "trop";
  } else {
    return false;
  }
  return true;
}

// The full form of one level; false when its type has none.
bool fullForm(int type, float v, bool layer, bool label, std::string& out)
{
  if (specialForm(type, v, layer, label, out)) return true;
  if (const ValueInfo* t = valueType(type)) {
    out = format(label ? t->label : t->text, v);
    return true;
  }
  if (const TypeInfo* t = keywordType(type)) {
    out = label ? t->label : t->keyword;
    return true;
  }
  if (label && type > 254) {
    out = "Unknown lvl: " + std::to_string(type);
    return true;
  }
  return false;
}

bool levelForm(const Level& l, bool label, std::string& out)
{
  out.clear();
  if (!l.isSet()) return false;
  if (!l.isLayer()) return fullForm(l.lower_type, l.lower_value, false, label, out);
  std::string lower, upper;
  if (!fullForm(l.upper_type, l.upper_value, true, label, upper)) return false;
  const ValueInfo* t = valueType(l.lower_type);
  if (l.lower_type == l.upper_type && t) {
    if (!specialForm(l.lower_type, l.lower_value, true, label, lower))
      lower = format(t->bare, l.lower_value);
  } else if (!fullForm(l.lower_type, l.lower_value, true, label, lower)) {
    return false;
  }
  out = lower + "-" + upper;
  return true;
}

// ---- text decoding ----

// One decoded word of a level text.
struct Word {
  bool ok = false;
  bool numeric = false;  // a number, with or without a unit
  bool unit = false;     // the number had a unit
  int type = MISS;
  float value = 0.0f;
  double number = 0.0;  // the number as written
  char unit_text[UNIT_SIZE + 1] = "";
};

// A number at the start of s (after blanks) that a float holds; end receives where it stopped.
bool readNumber(const char* s, double& v, const char** end)
{
  char* stop = nullptr;
  v = std::strtod(s, &stop);
  if (stop == s || !(std::fabs(v) <= 1.0e30)) return false;
  if (end) *end = stop;
  return true;
}

void applyUnit(Word& w, const char* unit)
{
  w.type = Level::PRES;
  w.value = (float)w.number;
  for (const auto& u : UNITS)
    if (iequal(unit, u.unit)) {
      w.type = u.type;
      w.value = (float)(w.number * u.factor);
    }
}

bool decodeKeyword(const char* s, Word& w)
{
  std::string_view sv(s);
  double n;
  w.value = 0.0f;
  if (sv.size() > 4 && iequal(sv.substr(0, 4), "sfc[") && readNumber(s + 4, n, nullptr)) {
    w.type = Level::SURFACE;
    w.value = (float)n;
    return true;
  }
  if (iequal(sv, "sea")) {
    w.type = Level::SURFACE;
    return true;
  }
  for (const auto& t : KEYWORD_TYPES)
    if (t.keyword[0] && iequal(sv, t.keyword)) {
      w.type = t.type;
      return true;
    }
  return false;
}

Word decodeWord(const char* s)
{
  Word w;
  if (decodeKeyword(s, w)) {
    w.ok = true;
    return w;
  }
  const char* p = nullptr;
  if (!readNumber(s, w.number, &p)) return w;
  while (StrLib::isSpace((unsigned char)*p)) p++;
  int n = 0;
  while (p[n] && !StrLib::isSpace((unsigned char)p[n]) && n < UNIT_SIZE) {
    w.unit_text[n] = p[n];
    n++;
  }
  w.unit_text[n] = 0;
  w.ok = w.numeric = true;
  w.unit = n > 0;
  applyUnit(w, w.unit_text);
  return w;
}

// The type letter form: a letter and one or two numbers ("p850-700", "a2", "s0.995").
bool decodeTyped(Level& l, const char* s)
{
  static constexpr struct {
    char letter;
    int type;
    bool largerBelow;
  } LETTERS[] = {{'a', Level::HGHT_AG, false},
                 {'h', Level::HGHT, false},
                 {'k', Level::THETA, true},
                 {'p', Level::PRES, true},
                 {'s', Level::SIGMA, false}};
  int c = StrLib::toLower((unsigned char)s[0]);
  for (const auto& t : LETTERS) {
    if (c != t.letter) continue;
    if (c == 's' && !StrLib::isDigit((unsigned char)s[1])) return false;
    double a, b;
    const char* p = nullptr;
    if (!readNumber(s + 1, a, &p)) return false;
    if (*p != '-' || !readNumber(p + 1, b, nullptr)) {
      l.set(t.type, (float)a);
    } else {
      double below = t.largerBelow ? std::max(a, b) : std::min(a, b);
      double above = t.largerBelow ? std::min(a, b) : std::max(a, b);
      l.set(t.type, (float)below);
      l.upper_type = t.type;
      l.upper_value = (float)above;
    }
    return true;
  }
  return false;
}

std::string_view trim(std::string_view s)
{
  while (!s.empty() && StrLib::isSpace((unsigned char)s.front())) s.remove_prefix(1);
  while (!s.empty() && StrLib::isSpace((unsigned char)s.back())) s.remove_suffix(1);
  return s;
}

// Splits at the first '-' as "%29[^-]-%29[^ ]" would; second is empty for a single word.
void splitWords(std::string_view s, char* first, char* second)
{
  size_t n = std::min(s.find('-'), std::min(s.size(), (size_t)WORD_SIZE));
  s.copy(first, n);
  first[n] = 0;
  second[0] = 0;
  if (n >= s.size() || s[n] != '-') return;
  std::string_view rest = s.substr(n + 1);
  size_t m = std::min(std::min(rest.find(' '), rest.size()), (size_t)WORD_SIZE);
  rest.copy(second, m);
  second[m] = 0;
}

// ---- codes ----

// Integer part of v + add, clamped so that the code arithmetic cannot overflow; codes
// beyond the int range become missing in toCode.
int64_t part(double v, double add) { return (int64_t)std::clamp(v + add, -1.0e12, 1.0e12); }

int64_t r(double v) { return part(v, 0.5); }

int toCode(int64_t v) { return v < INT32_MIN || v > INT32_MAX ? MISS : (int)v; }

}  // namespace

void Level::init()
{
  lower_type = MISS;
  lower_value = FMISS;
  upper_type = MISS;
  upper_value = FMISS;
}

void Level::set(int type, float value)
{
  init();
  lower_type = type;
  lower_value = value;
}

void Level::set(int type, float lower, float upper)
{
  lower_type = upper_type = type;
  lower_value = std::min(lower, upper);
  upper_value = std::max(lower, upper);
}

void Level::set(int type1, float value1, int type2, float value2)
{
  set(type1, value1);
  if (type2 == MISS) return;
  upper_type = type2;
  upper_value = value2;
  if (type1 != type2) return;
  bool largerFirst = type1 == PRES || type1 == SIGMA;
  if (largerFirst ? value1 < value2 : value1 > value2) {
    std::swap(lower_value, upper_value);
  }
}

int Level::decode(const char* text)
{
  init();
  std::string_view s = trim(text ? text : "");
  if (s.empty() || iequal(s, "level") || iequal(s, "none") || iequal(s, "miss")) return 0;
  std::string whole(s);
  if (decodeTyped(*this, whole.c_str())) return 1;
  if (s == "-") {
    set(NO_LEVEL, 0.0f);
    return 1;
  }
  char first[WORD_SIZE + 1], second[WORD_SIZE + 1];
  splitWords(s, first, second);
  if (!first[0]) {
    // A leading '-' is a sign, not a separator.
    StrLib::copy(first, sizeof first, whole.c_str());
    second[0] = 0;
  }
  Word lower = decodeWord(first);
  if (!lower.ok) return 0;
  if (!second[0]) {
    set(lower.type, lower.value);
    return 1;
  }
  Word upper = decodeWord(second);
  if (!upper.ok) return 0;
  // "1000-500m_ag": a bare first number is in the unit of the second.
  if (lower.numeric && !lower.unit && upper.unit) applyUnit(lower, upper.unit_text);
  set(lower.type, lower.value, upper.type, upper.value);
  return 1;
}

namespace {

// Edition-1 level types. A layer's code holds its upper level in the thousands and its lower
// level below, as toLevelCode writes them; a single level is the whole code. Either is scaled by
// mul / div. toTypeCode is the inverse of this table.
struct Ed1Level {
  int code;
  int type;
  bool layer;
  float mul;
  float div;
};

const Ed1Level ED1_LEVELS[] = {
    {100, Level::PRES, false, 1, 1},      {101, Level::PRES, true, 10, 1},
    {102, Level::SEA_LEVEL, false, 1, 1}, {103, Level::HGHT, false, 1, 1},
    {104, Level::HGHT, true, 100, 1},     {105, Level::HGHT_AG, false, 1, 1},
    {106, Level::HGHT_AG, true, 100, 1},  {107, Level::SIGMA, false, 1, 10000},
    {108, Level::SIGMA, true, 1, 100},    {109, Level::HYBRID, false, 1, 1},
    {110, Level::HYBRID, true, 1, 1},     {111, Level::DEPTH_BG, false, 1, 1},
    {112, Level::DEPTH_BG, true, 1, 1},   {113, Level::THETA, false, 1, 1},
    {114, Level::THETA, true, 1, 1},      {115, Level::PRES_AG, false, 1, 1},
    {116, Level::PRES_AG, true, 1, 1},    {119, Level::ETA, false, 1, 10000},
    {120, Level::ETA, true, 1, 100},      {130, Level::PV, false, 1, 1},
};

}  // namespace

int Level::decode(int typeCode, int levelCode)
{
  float hi = (float)(levelCode / 1000), lo = (float)(levelCode % 1000);
  float v = (float)levelCode;
  for (const Ed1Level& e : ED1_LEVELS) {
    if (e.code != typeCode) continue;
    if (e.layer) {
      // Kept as coded, not reordered: the first part is the top of the layer whichever way
      // the coordinate grows (700 above 850 hPa, 10 above 40 cm below ground).
      set(e.type, lo * e.mul / e.div);
      upper_type = e.type;
      upper_value = hi * e.mul / e.div;
    } else {
      set(e.type, v * e.mul / e.div);
    }
    return 1;
  }
  set(typeCode, v);
  return 1;
}

int Level::toTypeCode(int type, int upperType)
{
  bool layer = upperType != MISS;
  switch (type) {
    case PRES:
      return layer ? 101 : 100;
    case SEA_LEVEL:
      return 102;
    case HGHT:
      return layer ? 104 : 103;
    case HGHT_AG:
      return layer ? 106 : 105;
    case SIGMA:
      return layer ? 108 : 107;
    case HYBRID:
      return layer ? 110 : 109;
    case DEPTH_BG:
      return layer ? 112 : 111;
    case THETA:
      return layer ? 114 : 113;
    case PRES_AG:
      return layer ? 116 : 115;
    case PV:
      return 130;
    case ETA:
      return layer ? 120 : 119;
    default:
      return type;
  }
}

int Level::toLevelCode() const
{
  if (!isSet()) return upper_type != MISS ? 0 : MISS;
  int t = lower_type;
  if (t == SEA_LEVEL) return 0;
  if (t < 21 || t >= NO_LEVEL) return 0;  // types without a value, "-" included
  if (t > PV && t != ETA) return MISS;
  bool layer = isLayer();
  double lo = lower_value, hi = upper_value;
  auto bad = [](double v) { return v == FMISS || !std::isfinite(v); };
  if (bad(lo) || (layer && bad(hi))) return MISS;
  // Sigma and eta are stored as floats: 0.01 absorbs their rounding below the coded digit.
  auto rr = [](double v) { return part(v, 0.01); };
  switch (t) {
    case PRES:
      return toCode(layer ? (r(hi) / 10) * 1000 + r(lo) / 10 : r(lo));
    case HGHT:
    case HGHT_AG:
      return toCode(layer ? (r(hi) / 100) * 1000 + r(lo) / 100 : r(lo));
    case SIGMA:
      return toCode(layer ? rr(hi * 100) * 1000 + rr(lo * 100) : rr(lo * 10000));
    case HYBRID:
    case DEPTH_BG:
    case THETA:
    case PRES_AG:
      return toCode(layer ? r(lo) + r(hi) * 1000 : r(lo));
    case PV:
      return toCode(r(lo));
    case ETA:
      return toCode(layer ? rr(hi * 100) * 1000 + rr(lo * 100) : rr(lo * 10000));
    default:
      return MISS;
  }
}

int Level::toString(String& out) const
{
  std::string text;
  int ok = levelForm(*this, false, text);
  out.copy(text.c_str());
  return ok;
}

int Level::toLabel(String& out) const
{
  std::string text;
  int ok = levelForm(*this, true, text);
  out.copy(text.c_str());
  return ok;
}

namespace {

int coordKind(int type)
{
  static constexpr int TYPES[] = {Level::SURFACE,    Level::FREEZING, Level::LCL,  Level::MAX_WIND,
                                  Level::TROPOPAUSE, Level::PRES,     Level::HGHT, Level::THETA};
  for (int k = 0; k < 8; k++)
    if (TYPES[k] == type) return k;
  return -1;
}

}  // namespace

int Level::getLower(VCoord& c) const
{
  int kind = coordKind(lower_type);
  if (kind < 0) return 0;
  c.set(kind, lower_value);
  return 1;
}

int Level::getUpper(VCoord& c) const
{
  int type = lower_type == HGHT || lower_type == THETA ? lower_type : upper_type;
  int kind = coordKind(type);
  if (kind < 0 || upper_value == FMISS) return 0;
  c.set(kind, upper_value);
  return 1;
}

bool Level::operator==(const Level& o) const
{
  return lower_type == o.lower_type && lower_value == o.lower_value && upper_type == o.upper_type &&
         upper_value == o.upper_value;
}

void Level::print() const
{
  std::printf("Level: %d %g - %d %g\n", lower_type, lower_value, upper_type, upper_value);
}

}  // namespace KOL
