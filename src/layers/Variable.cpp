#include "layers/Variable.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Tools.h"

namespace KOL {

namespace {

const char* after(const char* text, const char* prefix)
{
  size_t n = std::strlen(prefix);
  return std::strncmp(text, prefix, n) == 0 ? text + n : nullptr;
}

// A decimal number at s (an optional sign, "+" included); s itself when there is none.
template <class T>
const char* readNumber(const char* s, const char* end, T& v)
{
  const char* p = s < end && *s == '+' ? s + 1 : s;
  auto r = std::from_chars(p, end, v);
  return r.ec == std::errc() ? r.ptr : s;
}

std::string number(float v)
{
  String s;
  Tools::toString(v, s);
  return s.get();
}

}  // namespace

Variable::Variable(const char* text)
{
  init();
  decode(text);
}

void Variable::init()
{
  type_ = PLAIN;
  ind_ = Const::MISS;
  lower_ = Const::FMISS;
  upper_ = Const::FMISS;
  abbr_[0] = name_[0] = units_[0] = '\0';
}

void Variable::set(const char* abbr, const char* name, int ind)
{
  setAbbr(abbr);
  setName(name);
  ind_ = ind;
}

void Variable::setName(const char* name) { StrLib::copy(name_, NAME_SIZE, name ? name : ""); }

void Variable::setAbbr(const char* abbr) { StrLib::copy(abbr_, ABBR_SIZE, abbr ? abbr : ""); }

void Variable::setUnits(const char* units) { StrLib::copy(units_, UNITS_SIZE, units ? units : ""); }

void Variable::setType(int type, float lower, float upper)
{
  type_ = type;
  lower_ = lower;
  upper_ = upper;
}

int Variable::decode(const char* text)
{
  init();
  if (!text || !*text) return 0;
  const char* rest = decodeModifier(text);
  if (!rest || !*rest) {
    init();
    return 0;
  }
  StrLib::copy(abbr_, ABBR_SIZE, rest);
  return 1;
}

const char* Variable::decodeModifier(const char* text)
{
  // Modifiers without values; those ending in "[" take everything up to the "]".
  static const struct {
    const char* prefix;
    int type;
  } words[] = {{"mean_", MEAN}, {"accum_", ACCUM},      {"max_", MAX},
               {"min_", MIN},   {"ensmean[", ENS_MEAN}, {"ensdev[", ENS_DEV}};
  for (const auto& w : words) {
    const char* p = after(text, w.prefix);
    if (!p) continue;
    type_ = w.type;
    if (p[-1] != '[') return p;
    const char* close = std::strchr(p, ']');
    return close ? close + 1 : nullptr;
  }
  if (const char* p = after(text, "ensprob[")) return decodeEnsProb(p);
  if (const char* p = after(text, "prob[")) return decodeProb(p);
  if (const char* p = after(text, "ens[")) return decodeEns(p);
  if (const char* p = after(text, "perc[")) return decodePerc(p);
  return text;
}

const char* Variable::decodeProb(const char* b)
{
  const char* close = std::strchr(b, ']');
  if (!close) return nullptr;
  char c = *b;
  float v = Const::FMISS;
  if (StrLib::isDigit(c)) {
    float hi = Const::FMISS;
    const char* p = readNumber(b, close, v);
    if (p != b && p < close && *p == '-' && readNumber(p + 1, close, hi) != p + 1)
      setType(PROB_BETWEEN, v, hi);
  } else if (readNumber(b + 1, close, v) != b + 1) {
    if (c == '<') setType(PROB_BELOW, v, Const::FMISS);
    if (c == '>') setType(PROB_ABOVE, Const::FMISS, v);
    if (c == '^') setType(PROB_BETWEEN, v, Const::FMISS);
  }
  Kol::outDebug(4, "prob: %c - %f - %s\n", c, v, close + 1);
  return close + 1;
}

const char* Variable::decodeEnsProb(const char* b)
{
  const char* close = std::strchr(b, ']');
  if (!close) return nullptr;
  char c = *b;
  float v = Const::FMISS;
  if (c && readNumber(b + 1, close, v) != b + 1) {
    if (c == '<') setType(ENS_PROB_BELOW, v, Const::FMISS);
    if (c == '>') setType(ENS_PROB_ABOVE, Const::FMISS, v);
  }
  Kol::outDebug(4, "ensprob: %c - %f - %s\n", c, v, close + 1);
  return close + 1;
}

const char* Variable::decodeEns(const char* b)
{
  const char* close = std::strchr(b, ']');
  if (!close) return nullptr;
  int member = Const::MISS;
  if (readNumber(b, close, member) != b)
    setType(ENS_MEMBER, static_cast<float>(member), Const::FMISS);
  Kol::outDebug(4, "ens: %c - %d - %s\n", *b, member, close + 1);
  return close + 1;
}

const char* Variable::decodePerc(const char* b)
{
  const char* close = std::strchr(b, ']');
  if (!close) return nullptr;
  int n = Const::MISS;
  if (readNumber(b, close, n) != b) setType(PERCENTILE, static_cast<float>(n), Const::FMISS);
  Kol::outDebug(4, "perc: %d - %s\n", n, close + 1);
  return close + 1;
}

namespace {

// The texts of one modifier. In them {name} stands for the long name (or the abbreviation),
// {lo} and {hi} for the lower and upper values, {m} for the lower value as an integer and {n}
// for the same with a "+" before a positive one.
struct Forms {
  int type;
  bool open;           // only for an unset upper value
  const char* abbr;    // written before the abbreviation by toAbbrCode
  const char* label;   // toLabel
  const char* prefix;  // the long form: prefix, abbreviation, suffix
  const char* suffix;
};

// The first row of a type that fits wins; unknown types take the plain row.
const Forms forms[] = {
    {Variable::PLAIN, false, "", "{name}", "", ""},
    {Variable::ACCUM, false, "accum_", "Accum {name}", "accum_", ""},
    {Variable::MEAN, false, "mean_", "Mean {name}", "mean_", ""},
    {Variable::MAX, false, "max_", "Max {name}", "max_", ""},
    {Variable::MIN, false, "min_", "Min {name}", "min_", ""},
    {Variable::PROB_BELOW, false, "prob[<{lo}]", "Prob [%] {name} below {lo}", "prob[%]_",
     "[_below_{lo}]"},
    {Variable::PROB_ABOVE, false, "prob[>{hi}]", "Prob [%] {name} above {hi}", "prob[%]_",
     "[_above_{hi}]"},
    {Variable::PROB_BETWEEN, true, "prob[^{lo}]", "Prob [%] {name} between {lo}", "prob[%]_",
     "[_between_{lo}]"},
    {Variable::PROB_BETWEEN, false, "prob[{lo}-{hi}]", "Prob [%] {name} between {lo} and {hi}",
     "prob[%]_", "[_between_{lo}_and_{hi}]"},
    {Variable::ENS_MEMBER, false, "ens[{n}]", "Ens[{n}] {name}", "ens[{n}]_", ""},
    {Variable::ENS_MEAN, false, "ensmean[]", "Ens mean {name}", "ens_mean_", ""},
    {Variable::ENS_DEV, false, "ensdev[]", "Ens std dev {name}", "ens_sdev_", ""},
    {Variable::ENS_PROB_BELOW, false, "ensprob[<{lo}]", "Ens prob [%] {name} below {lo}",
     "ens prob[%]_", "[_below_{lo}]"},
    {Variable::ENS_PROB_ABOVE, false, "ensprob[>{hi}]", "Ens prob [%] {name} above {hi}",
     "ens prob[%]_", "[_above_{hi}]"},
    {Variable::ENS_PROB_BETWEEN, true, "ensprob[{lo}-{hi}]",
     "Ens prob [%] {name} between {lo} and {hi}", "ens prob[%]_", "[_between_{lo}]"},
    {Variable::ENS_PROB_BETWEEN, false, "ensprob[{lo}-{hi}]",
     "Ens prob [%] {name} between {lo} and {hi}", "ens prob[%]_", "[_between_{lo}_and_{hi}]"},
    {Variable::PERCENTILE, false, "perc[{lo}]", "{m} Perc {name}", "perc[{m}]_", ""},
};

const Forms& formsOf(int type, float upper)
{
  for (const Forms& f : forms)
    if (f.type == type && (!f.open || upper == Const::FMISS)) return f;
  return forms[0];
}

// The values a form's placeholders stand for.
struct Values {
  std::string name, lo, hi, m, n;

  const std::string* of(std::string_view key) const
  {
    if (key == "name") return &name;
    if (key == "lo") return &lo;
    if (key == "hi") return &hi;
    if (key == "m") return &m;
    if (key == "n") return &n;
    return nullptr;
  }
};

std::string expand(const char* form, const Values& v)
{
  std::string out;
  for (const char* p = form; *p; ++p) {
    const char* close = *p == '{' ? std::strchr(p, '}') : nullptr;
    const std::string* value = close ? v.of(std::string_view(p + 1, close - p - 1)) : nullptr;
    if (!value) {
      out += *p;
      continue;
    }
    out += *value;
    p = close;
  }
  return out;
}

// The whole part of a bound, clamped so that a hostile value cannot overflow the cast; codes made
// from it are range-checked where they are used.
long wholePart(float v)
{
  return std::isnan(v) ? 0 : static_cast<long>(std::clamp(double(v), -1e12, 1e12));
}

Values valuesOf(const Variable& var)
{
  Values v;
  v.name = var.getName()[0] ? var.getName() : var.getAbbr();
  v.lo = number(var.getLower());
  v.hi = number(var.getUpper());
  const int m = static_cast<int>(std::clamp(wholePart(var.getLower()), -1000000000L, 1000000000L));
  v.m = std::to_string(m);
  v.n = (m > 0 ? "+" : "") + v.m;
  return v;
}

}  // namespace

int Variable::toAbbrCode(String& out) const
{
  std::string t = expand(formsOf(type_, upper_).abbr, valuesOf(*this)) + abbr_;
  out.copy(t.c_str());
  return 1;
}

int Variable::toLabel(String& out) const
{
  std::string t = expand(formsOf(type_, upper_).label, valuesOf(*this));
  out.copy(t.c_str());
  return 1;
}

int Variable::toString(String& out) const
{
  const Forms& f = formsOf(type_, upper_);
  Values v = valuesOf(*this);
  std::string t = expand(f.prefix, v) + abbr_ + expand(f.suffix, v);
  out.copy(t.c_str());
  return 1;
}

long Variable::threshold(bool ensemble) const
{
  float v = type_ == PROB_ABOVE || type_ == ENS_PROB_ABOVE ? upper_ : lower_;
  if (v == Const::FMISS || !std::isfinite(v)) return LONG_MIN;
  long t = wholePart(v);
  return ensemble && t < 0 ? 5000 - t : t;
}

int Variable::toIndCode() const
{
  if (ind_ == Const::MISS) return Const::MISS;
  const long ind = ind_;
  const long member = lower_ == Const::FMISS ? 0 : wholePart(lower_);
  long code = LONG_MIN;
  switch (type_) {
    case PLAIN:
      code = ind;
      break;
    case ACCUM:
      code = ind + 2000;
      break;
    case MEAN:
      code = ind + 1000;
      break;
    case MAX:
      code = ind + 3000;
      break;
    case MIN:
      code = ind + 4000;
      break;
    case PROB_BELOW:
    case PROB_ABOVE:
    case PROB_BETWEEN: {
      long t = threshold(false);
      long base = type_ == PROB_BELOW ? 1940001000 : type_ == PROB_ABOVE ? 1940002000 : 1940003000;
      if (t != LONG_MIN) code = ind * 10000 + t + base;
      break;
    }
    case ENS_MEMBER:
      code = member == 0  ? ind + 19300000
             : member > 0 ? member * 1000 + ind + 19340000
                          : -member * 1000 + ind + 19320000;
      break;
    case ENS_MEAN:
      code = ind + 19000000;
      break;
    case ENS_DEV:
      code = ind + 19001000;
      break;
    case ENS_PROB_BELOW:
    case ENS_PROB_ABOVE:
    case ENS_PROB_BETWEEN: {
      long t = threshold(true);
      long base = type_ == ENS_PROB_BELOW   ? 1910001000
                  : type_ == ENS_PROB_ABOVE ? 1910002000
                                            : 1910003000;
      if (t != LONG_MIN) code = ind * 10000 + t + base;
      break;
    }
    case PERCENTILE:
      code = member * 10000 + ind + 1950000000;
      break;
    default:
      break;
  }
  return code >= INT_MIN && code <= INT_MAX && code != LONG_MIN ? static_cast<int>(code)
                                                                : Const::MISS;
}

bool Variable::operator==(const Variable& o) const
{
  return type_ == o.type_ && ind_ == o.ind_ && lower_ == o.lower_ && upper_ == o.upper_ &&
         std::strcmp(abbr_, o.abbr_) == 0 && std::strcmp(name_, o.name_) == 0 &&
         std::strcmp(units_, o.units_) == 0;
}

void Variable::print() const
{
  std::printf("Variable: %s (%s) [%s] Type: %d Ind: %d Lower: %g Upper: %g\n", abbr_, name_, units_,
              type_, ind_, lower_, upper_);
}

}  // namespace KOL
