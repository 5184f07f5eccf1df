#include "layers/Variable.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

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
const char* readNumber(const char* s, const char* end, float& v)
{
  const char* p = s < end && *s == '+' ? s + 1 : s;
  auto r = std::from_chars(p, end, v);
  return r.ec == std::errc() ? r.ptr : s;
}

const char* readInt(const char* s, const char* end, int& v)
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

std::string text(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string text(const char* fmt, ...)
{
  char buf[200];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
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
  static const struct {
    const char* prefix;
    int type;
  } words[] = {{"mean_", MEAN}, {"accum_", ACCUM}, {"max_", MAX}, {"min_", MIN}};
  for (const auto& w : words) {
    if (const char* p = after(text, w.prefix)) {
      type_ = w.type;
      return p;
    }
  }
  if (const char* p = after(text, "ensmean[")) {
    type_ = ENS_MEAN;
    const char* close = std::strchr(p, ']');
    return close ? close + 1 : nullptr;
  }
  if (const char* p = after(text, "ensdev[")) {
    type_ = ENS_DEV;
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
  if (readInt(b, close, member) != b) setType(ENS_MEMBER, static_cast<float>(member), Const::FMISS);
  Kol::outDebug(4, "ens: %c - %d - %s\n", *b, member, close + 1);
  return close + 1;
}

const char* Variable::decodePerc(const char* b)
{
  const char* close = std::strchr(b, ']');
  if (!close) return nullptr;
  int n = Const::MISS;
  if (readInt(b, close, n) != b) setType(PERCENTILE, static_cast<float>(n), Const::FMISS);
  Kol::outDebug(4, "perc: %d - %s\n", n, close + 1);
  return close + 1;
}

int Variable::toAbbrCode(String& out) const
{
  std::string t;
  int m = static_cast<int>(lower_);
  std::string lo = number(lower_), hi = number(upper_);
  switch (type_) {
    case ACCUM:
      t = text("accum_");
      break;
    case MEAN:
      t = text("mean_");
      break;
    case MAX:
      t = text("max_");
      break;
    case MIN:
      t = text("min_");
      break;
    case PROB_BELOW:
      t = text("prob[<%s]", lo.c_str());
      break;
    case PROB_ABOVE:
      t = text("prob[>%s]", hi.c_str());
      break;
    case PROB_BETWEEN:
      if (upper_ == Const::FMISS) {
        t = text("prob[^%s]", lo.c_str());
      } else {
        t = text("prob[%s-%s]", lo.c_str(), hi.c_str());
      }
      break;
    case ENS_MEMBER:
      t = text(m > 0 ? "ens[+%d]" : "ens[%d]", m);
      break;
    case ENS_MEAN:
      t = text("ensmean[]");
      break;
    case ENS_DEV:
      t = text("ensdev[]");
      break;
    case ENS_PROB_BELOW:
      t = text("ensprob[<%s]", lo.c_str());
      break;
    case ENS_PROB_ABOVE:
      t = text("ensprob[>%s]", hi.c_str());
      break;
    case ENS_PROB_BETWEEN:
      t = text("ensprob[%s-%s]", lo.c_str(), hi.c_str());
      break;
    case PERCENTILE:
      t = text("perc[%s]", lo.c_str());
      break;
    default:
      t.clear();
      break;
  }
  t += abbr_;
  out.copy(t.c_str());
  return 1;
}

int Variable::toLabel(String& out) const
{
  std::string t;
  const char* base = name_[0] ? name_ : abbr_;
  int m = static_cast<int>(lower_);
  std::string lo = number(lower_), hi = number(upper_);
  const char* l = lo.c_str();
  const char* h = hi.c_str();
  switch (type_) {
    case ACCUM:
      t = text("Accum %s", base);
      break;
    case MEAN:
      t = text("Mean %s", base);
      break;
    case MAX:
      t = text("Max %s", base);
      break;
    case MIN:
      t = text("Min %s", base);
      break;
    case PROB_BELOW:
      t = text("Prob [%%] %s below %s", base, l);
      break;
    case PROB_ABOVE:
      t = text("Prob [%%] %s above %s", base, h);
      break;
    case PROB_BETWEEN:
      if (upper_ == Const::FMISS) {
        t = text("Prob [%%] %s between %s", base, l);
      } else {
        t = text("Prob [%%] %s between %s and %s", base, l, h);
      }
      break;
    case ENS_MEMBER:
      t = text(m > 0 ? "Ens[+%d] %s" : "Ens[%d] %s", m, base);
      break;
    case ENS_MEAN:
      t = text("Ens mean %s", base);
      break;
    case ENS_DEV:
      t = text("Ens std dev %s", base);
      break;
    case ENS_PROB_BELOW:
      t = text("Ens prob [%%] %s below %s", base, l);
      break;
    case ENS_PROB_ABOVE:
      t = text("Ens prob [%%] %s above %s", base, h);
      break;
    case ENS_PROB_BETWEEN:
      t = text("Ens prob [%%] %s between %s and %s", base, l, h);
      break;
    case PERCENTILE:
      t = text("%d Perc %s", m, base);
      break;
    default:
      t = text("%s", base);
      break;
  }
  out.copy(t.c_str());
  return 1;
}

int Variable::toString(String& out) const
{
  std::string t;
  int m = static_cast<int>(lower_);
  std::string lo = number(lower_), hi = number(upper_);
  switch (type_) {
    case ACCUM:
      t = text("accum_");
      break;
    case MEAN:
      t = text("mean_");
      break;
    case MAX:
      t = text("max_");
      break;
    case MIN:
      t = text("min_");
      break;
    case ENS_MEMBER:
      t = text(m > 0 ? "ens[+%d]_" : "ens[%d]_", m);
      break;
    case ENS_MEAN:
      t = text("ens_mean_");
      break;
    case ENS_DEV:
      t = text("ens_sdev_");
      break;
    case ENS_PROB_BELOW:
    case ENS_PROB_ABOVE:
    case ENS_PROB_BETWEEN:
      t = text("ens prob[%%]_");
      break;
    case PROB_BELOW:
    case PROB_ABOVE:
    case PROB_BETWEEN:
      t = text("prob[%%]_");
      break;
    case PERCENTILE:
      t = text("perc[%d]_", m);
      break;
    default:
      t.clear();
      break;
  }
  t += abbr_;
  switch (type_) {
    case PROB_BELOW:
    case ENS_PROB_BELOW:
      t += text("[_below_%s]", lo.c_str());
      break;
    case PROB_ABOVE:
    case ENS_PROB_ABOVE:
      t += text("[_above_%s]", hi.c_str());
      break;
    case PROB_BETWEEN:
    case ENS_PROB_BETWEEN:
      t += text("[_between_%s", lo.c_str());
      if (upper_ != Const::FMISS) t += text("_and_%s", hi.c_str());
      t += "]";
      break;
    default:
      break;
  }
  out.copy(t.c_str());
  return 1;
}

long Variable::threshold(bool ensemble) const
{
  float v = type_ == PROB_ABOVE || type_ == ENS_PROB_ABOVE ? upper_ : lower_;
  if (v == Const::FMISS || !std::isfinite(v)) return LONG_MIN;
  long t = static_cast<long>(v);
  return ensemble && t < 0 ? 5000 - t : t;
}

int Variable::toIndCode() const
{
  if (ind_ == Const::MISS) return Const::MISS;
  const long ind = ind_;
  const long member = lower_ == Const::FMISS ? 0 : static_cast<long>(lower_);
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
