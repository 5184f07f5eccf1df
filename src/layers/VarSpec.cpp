#include "layers/VarSpec.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/Date.h"
#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Timezone.h"

namespace KOL {

namespace {

constexpr int PART_SIZE = 101;  // 100 characters of spec or bracket text
constexpr int FIELD_SIZE = 41;  // 40 characters of one colon-separated field

// Modifiers whose own bracket comes before the name: the units bracket is the second one.
bool isModifier(std::string_view p)
{
  for (const char* m : {"perc", "prob", "ensprob", "ensmean", "ensdev", "ens"})
    if (p == m) return true;
  return false;
}

bool isRelative(const ForeTime& f)
{
  return f.getType() != ForeTime::MISSING && f.getStart() == Const::FMISS &&
         f.getEnd() == Const::FMISS;
}

// A relative forecast time (an offset, a period length) applied to an absolute one.
ForeTime applyRelative(const ForeTime& rel, const ForeTime& abs)
{
  float base = abs.getFore();
  if (base == Const::FMISS) return abs;
  float end = base + (rel.getOffset() == Const::FMISS ? 0 : rel.getOffset());
  ForeTime out;
  if (rel.isPeriod()) {
    float len = rel.getLength();
    out.set(rel.getType(), abs.getUnits(), len == Const::FMISS ? 0 : end - len, end);
  } else {
    int type =
        abs.isPeriod() || abs.getType() == ForeTime::ANY ? ForeTime::FORECAST : abs.getType();
    out.set(type, abs.getUnits(), end, Const::FMISS);
  }
  return out;
}

}  // namespace

VarSpec::VarSpec(const char* text)
{
  init();
  decode(text);
}

void VarSpec::init()
{
  kind = Const::MISS;
  aux = Const::MISS;
  literal = 0;
  plotType = NONE;
  foreTime.init();
  level.init();
  var.init();
  format[0] = '\0';
}

int VarSpec::decode(const char* text)
{
  init();
  kind = DECODED;
  Kol::outDebug(4, "VS-decode: %s\n", text ? text : "");
  if (!text) return 0;
  char spec[PART_SIZE], bracket[PART_SIZE];
  bool has_bracket = splitBracket(text, spec, bracket);
  decodeFields(spec);
  if (has_bracket) decodeBracket(bracket);
  char fmt[FORMAT_SIZE];
  StrLib::copy(fmt, sizeof fmt, format);
  setFormat(fmt);
  return var.isSet() ? 1 : 0;
}

bool VarSpec::splitBracket(const char* text, char* spec, char* bracket)
{
  bracket[0] = '\0';
  const char* open = std::strchr(text, '[');
  const char* start = nullptr;
  if (open) {
    std::string_view p(text, open - text);
    size_t colon = p.rfind(':');
    if (colon != std::string_view::npos) p.remove_prefix(colon + 1);
    if (!p.empty() && p[0] == '+') p.remove_prefix(1);
    const char* cut = open;
    if (isModifier(p)) {
      cut = std::strchr(open + 1, '[');
    }
    if (cut) {
      StrLib::copy(spec, PART_SIZE, text, static_cast<int>(cut - text));
      start = cut + 1;
    }
  }
  if (!start) {
    StrLib::copy(spec, PART_SIZE, text);
    StrLib::stripWS(spec);
    return false;
  }
  const char* close = std::strchr(start, ']');
  if (!close) {
    Kol::outWarning("VarSpec: missing ]\n");
    StrLib::copy(bracket, PART_SIZE, start);
  } else {
    StrLib::copy(bracket, PART_SIZE, start, static_cast<int>(close - start));
  }
  StrLib::stripWS(spec);
  StrLib::stripWS(bracket);
  return true;
}

void VarSpec::decodeFields(const char* spec)
{
  int colons = StrLib::occurs(spec, ':');
  if (colons > 3) {
    Kol::outWarning("VarSpec: invalid, wrong number of colons\n");
    return;
  }
  char field[4][FIELD_SIZE] = {};
  const char* p = spec;
  for (int k = 0; k <= colons; ++k) {
    const char* colon = std::strchr(p, ':');
    int n = colon ? static_cast<int>(colon - p) : StrLib::length(p);
    StrLib::copy(field[k], FIELD_SIZE, p, n);
    p = colon ? colon + 1 : p + n;
  }
  int v = colons >= 2 ? 2 : colons;  // index of the variable field
  if (colons >= 2 && field[0][0]) decodeForeTime(field[0]);
  if (colons >= 1 && field[v - 1][0]) level.decode(field[v - 1]);
  decodeVariable(field[v]);
  if (colons == 3) var.setUnits(field[3]);
}

void VarSpec::decodeForeTime(char* text)
{
  // Users write forecast hour 12 as "f12"; the forecast-time reader knows it as "h12".
  if (text[0] == 'f' && StrLib::isDigit(static_cast<unsigned char>(text[1]))) text[0] = 'h';
  foreTime.decode(text);
}

void VarSpec::decodeVariable(const char* text)
{
  if (text[0] == '+') {
    literal = 1;
    text++;
  }
  if (var.decode(text)) names.get(var.getAbbr(), var);
}

void VarSpec::decodeBracket(const char* bracket)
{
  const char* name = var.getAbbr();
  if (std::strcmp(name, "map") == 0 || std::strcmp(name, "panel") == 0) {
    StrLib::copy(format, FORMAT_SIZE, bracket);
    kind = PSEUDO;
    return;
  }
  const char* comma = std::strchr(bracket, ',');
  if (!comma) {
    var.setUnits(bracket);
    return;
  }
  char units[Variable::UNITS_SIZE];
  StrLib::copy(units, sizeof units, bracket, static_cast<int>(comma - bracket));
  var.setUnits(units);
  StrLib::copy(format, FORMAT_SIZE, comma + 1);
}

void VarSpec::setFormat(const char* fmt)
{
  StrLib::copy(format, FORMAT_SIZE, fmt ? fmt : "");
  plotType = NONE;
  if (std::strcmp(var.getAbbr(), "map") == 0) {
    plotType = MAP;
    return;
  }
  if (std::strcmp(var.getAbbr(), "panel") == 0) {
    plotType = PANEL;
    return;
  }
  static const struct {
    const char* token;
    int type;
  } tokens[] = {{"cf", CONTOUR},   {"ln", CONTOUR},     {"lcf", CONTOUR}, {"dln", CONTOUR},
                {"ndln", CONTOUR}, {"gvalue", CONTOUR}, {"vect", VECTOR}, {"strm", VECTOR},
                {"plot", PLOT},    {"cplot", PLOT},     {"data", DATA},   {"value", DATA}};
  std::string_view rest(format);
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view tok = rest.substr(0, comma);
    for (const auto& t : tokens)
      if (tok == t.token) plotType = t.type;
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
}

bool VarSpec::hasFormatToken(const char* token) const
{
  return StrLib::hasToken(format, ',', token);
}

int VarSpec::setVar(const char* name, const char* units)
{
  if (!StrLib::valid(name)) return 0;
  if (StrLib::isDigit(static_cast<unsigned char>(name[0])))
    return setVar(StrLib::toInt(name), units);
  // The texts may point into this VarSpec.
  char n[Variable::ABBR_SIZE], u[Variable::UNITS_SIZE];
  StrLib::copy(n, sizeof n, name);
  StrLib::copy(u, sizeof u, units ? units : "");
  var.decode(n);
  if (!names.get(var.getAbbr(), var)) var.setName(var.getAbbr());
  var.setUnits(u);
  return 1;
}

int VarSpec::setVar(int ind, const char* units)
{
  char u[Variable::UNITS_SIZE];
  StrLib::copy(u, sizeof u, units ? units : "");
  units = u;
  var.init();
  if (!names.get(ind, var)) {
    char text[Variable::ABBR_SIZE];
    std::snprintf(text, sizeof text, "%d", ind);
    var.set(text, text, ind);
  }
  var.setUnits(units);
  return 1;
}

int VarSpec::setVar(const char* name)
{
  char units[Variable::UNITS_SIZE];
  StrLib::copy(units, sizeof units, var.getUnits());
  return setVar(name, units);
}

int VarSpec::toString(String& out) const
{
  String fore, lev, v;
  if (foreTime.getType() != ForeTime::MISSING) foreTime.toString(fore);
  if (level.isSet()) level.toString(lev);
  var.toAbbrCode(v);
  out.copy(fore);
  out.append(":");
  out.append(lev);
  out.append(":");
  out.append(v);
  return 1;
}

int VarSpec::toInfoLabel(String& out) const
{
  String part;
  out.clear();
  if (level.isSet() && level.toLabel(part) && part.valid()) {
    out.append(part);
    out.append(" ");
  }
  var.toLabel(part);
  out.append(part);
  if (var.getUnits()[0]) {
    out.append(" [");
    out.append(var.getUnits());
    out.append("]");
  }
  if (foreTime.isPeriod() && foreTime.toVarLabel(part) && part.valid()) {
    out.append(" ");
    out.append(part);
  }
  out.trimWS();
  return 1;
}

int VarSpec::toDateLabel(const Date& date, const char* fmt, String& out) const
{
  return toDateLabel(date, Timezone(), fmt, out);
}

int VarSpec::toDateLabel(const Date& date, const Timezone& tz, const char* fmt, String& out) const
{
  if (foreTime.getType() == ForeTime::MISSING)
    return DateTool::createLabel(date, tz, fmt ? fmt : "", Const::FMISS, out);
  return DateTool::createLabel(date, tz, fmt ? fmt : "", foreTime, out);
}

void VarSpec::mergeForeTime(ForeTime& dst, const ForeTime& src)
{
  bool src_set = src.getType() != ForeTime::MISSING;
  bool dst_set = dst.getType() != ForeTime::MISSING;
  if (!src_set) return;
  if (dst_set && isRelative(src) && !isRelative(dst)) {
    dst = applyRelative(src, dst);
  } else if (dst_set && isRelative(dst) && !isRelative(src)) {
    dst = applyRelative(dst, src);
  } else {
    dst = src;
  }
}

void VarSpec::update(const ForeTime& f) { mergeForeTime(foreTime, f); }

void VarSpec::update(const Level& l)
{
  if (l.isSet()) level = l;
}

void VarSpec::update(const ForeTime& f, const Level& l)
{
  update(f);
  update(l);
}

void VarSpec::update(const VarSpec& src, int mask)
{
  if (src.kind != Const::MISS) kind = src.kind;
  aux = src.aux;
  literal = src.literal;
  if (src.plotType != PLOT) plotType = src.plotType;
  if (mask & FORE_TIME) mergeForeTime(foreTime, src.foreTime);
  if ((mask & LEVEL) && src.level.isSet()) level = src.level;
  if (mask & VARIABLE) var = src.var;
  if (mask & FORMAT) StrLib::copy(format, FORMAT_SIZE, src.format);
}

void VarSpec::print() const
{
  String text;
  toString(text);
  std::printf("VarSpec: %s [%s] Format: %s Kind: %d Plot: %d Literal: %d\n", text.get(),
              var.getUnits(), format, kind, plotType, literal);
}

}  // namespace KOL
