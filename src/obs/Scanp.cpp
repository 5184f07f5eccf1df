#include "obs/Scanp.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"

namespace KOL {

namespace {

constexpr int NO_WIDTH = 999;
constexpr int WORD_MAX = 79;

// Cheap test before the message level lookups on the hot path.
bool debugging() { return (Kol::getMessageMask() & (0xFFu << (Kol::DEBUG1 - 1))) != 0; }
int shown(int n) { return n < 50 ? n : 50; }

bool isWs(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One % field of a pattern.
struct Field {
  bool skip = false;           // "*": match without assigning
  bool upto = false;           // "<": the width is a maximum
  int width = 0;               // 0 when none was written
  const char* miss = nullptr;  // the missing text, not terminated
  int miss_len = 0;
  char conv = 0;
  const char* body = nullptr;  // inside of [set] or (alternatives)
  int body_len = 0;

  int maxWidth() const { return width > 0 ? width : NO_WIDTH; }
  bool exact() const { return width > 0 && !upto; }
};

// Reads the field after "%"; the pattern position after it, or null when malformed.
const char* parseField(const char* p, Field& f)
{
  if (*p == '*') f.skip = true, ++p;
  if (*p == '<') f.upto = true, ++p;
  while (isDigit(*p) && f.width < 10000) f.width = f.width * 10 + (*p++ - '0');
  while (isDigit(*p)) ++p;
  if (*p == '!') {
    f.miss = ++p;
    while (*p && *p != '!') ++p;
    if (!*p) return nullptr;
    f.miss_len = static_cast<int>(p - f.miss);
    ++p;
  }
  f.conv = *p;
  if (f.conv == '[' || f.conv == '(') {
    char close = f.conv == '[' ? ']' : ')';
    f.body = ++p;
    while (*p && *p != close) p += (f.conv == '[' && *p == '/' && p[1]) ? 2 : 1;
    if (!*p) return nullptr;
    f.body_len = static_cast<int>(p - f.body);
  } else if (!f.conv) {
    return nullptr;
  }
  return p + 1;
}

// Plain digits, as most fields are, are converted exactly without the general reader.
float toFloat(const char* s, int n)
{
  bool minus = *s == '-';
  long v = 0;
  int i = minus ? 1 : 0;
  for (; i < n && i < 15 && isDigit(s[i]); ++i) v = v * 10 + (s[i] - '0');
  if (i == n) return static_cast<float>(minus ? -v : v);
  double d = 0;
  std::from_chars(s, s + n, d);
  return static_cast<float>(d);
}

bool sameText(const char* a, const char* b, int n)
{
  for (int i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

bool inSet(const Field& f, char c)
{
  const char* s = f.body;
  const char* end = f.body + f.body_len;
  bool negate = s < end && *s == '^';
  if (negate) ++s;
  bool found = false;
  while (s < end && !found) {
    if (*s == '/' && s + 1 < end) {
      char k = s[1];
      found = k == 'A' ? isLetter(c) : k == 'N' ? isDigit(c) : c == k;
      s += 2;
    } else {
      found = c == *s++;
    }
  }
  return found != negate;
}

// Matches a pattern against text[pos, end) and hands out the fields.
class Matcher {
 public:
  Matcher(const char* text, int start, int end, va_list ap)
      : text_(text), start_(start), pos_(start), end_(end)
  {
    va_copy(ap_, ap);
  }
  ~Matcher() { va_end(ap_); }
  Matcher(const Matcher&) = delete;
  Matcher& operator=(const Matcher&) = delete;

  // True when the whole pattern matched.
  bool run(const char* pattern);
  int consumed() const { return pos_ - start_; }
  int assigned() const { return assigned_; }
  int matched() const { return matched_; }

 private:
  char at(int i) const { return i < end_ ? text_[i] : '\0'; }
  int remaining() const { return end_ - pos_; }
  bool field(const Field& f);
  bool number(const Field& f, bool real);
  // The run of accepted characters; the test is a template argument so that it is inlined.
  template <class Accept>
  bool span(const Field& f, Accept accept, int limit);
  bool chars(const Field& f);
  bool alternatives(const Field& f);
  bool missingNumber(const Field& f, bool real);
  // The length of the number at pos (0 when none), within max characters.
  int numberLength(int max, bool real) const;
  void skipWs()
  {
    while (pos_ < end_ && isWs(text_[pos_])) ++pos_;
  }
  void assignText(const Field& f, const char* s, int n, bool terminate);
  void matchedField(const Field& f)
  {
    ++matched_;
    if (!f.skip) ++assigned_;
  }

  const char* text_;
  int start_;
  int pos_;
  int end_;
  int assigned_ = 0;
  int matched_ = 0;
  va_list ap_;
};

bool Matcher::run(const char* p)
{
  bool trace = debugging() && Kol::isDebug(5);
  while (*p) {
    if (trace) Kol::outDebug(5, "     :%s:%.*s:\n", p, shown(remaining()), text_ + pos_);
    if (*p == ' ') {
      if (pos_ >= end_ || !isWs(text_[pos_])) return false;
      skipWs();
      ++p;
    } else if (*p != '%' || p[1] == '%') {
      if (*p == '%') ++p;
      if (pos_ >= end_ || text_[pos_] != *p) return false;
      ++pos_;
      ++p;
    } else {
      Field f;
      p = parseField(p + 1, f);
      if (!p || !field(f)) return false;
    }
  }
  return true;
}

bool acceptNonWs(const Field&, char c) { return !isWs(c) && c != '\0'; }
bool acceptAny(const Field&, char c) { return c != '\0'; }
bool acceptDigit(const Field&, char c) { return isDigit(c); }
bool acceptLetter(const Field&, char c) { return isLetter(c); }
bool acceptBlank(const Field&, char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool acceptWs(const Field&, char c) { return isWs(c); }

bool Matcher::field(const Field& f)
{
  switch (f.conv) {
    case 'd':
      return number(f, false);
    case 'f':
      return number(f, true);
    case 'D':
    case 'F': {
      skipWs();
      if (!number(f, f.conv == 'F')) return false;
      skipWs();
      return true;
    }
    case 's':
      return span(f, acceptNonWs, WORD_MAX);
    case 'S':
      return span(f, acceptAny, NO_WIDTH);
    case 'N':
      return span(f, acceptDigit, NO_WIDTH);
    case 'A':
      return span(f, acceptLetter, NO_WIDTH);
    case 'W':
      return span(f, acceptBlank, NO_WIDTH);
    case 'w':
      return span(f, acceptWs, NO_WIDTH);
    case '[':
      return span(f, inSet, NO_WIDTH);
    case 'c':
      return chars(f);
    case '(':
      return alternatives(f);
    case 'n':
      if (!f.skip) *va_arg(ap_, int*) = consumed();
      matchedField(f);
      return true;
    default:
      return false;
  }
}

int Matcher::numberLength(int max, bool real) const
{
  int n = 0;
  if (n < max && at(pos_) == '-') ++n;
  int digits = 0;
  bool dot = false;
  while (n < max && pos_ + n < end_) {
    char c = text_[pos_ + n];
    if (isDigit(c)) {
      ++digits;
    } else if (real && c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
    ++n;
  }
  if (digits == 0) return 0;
  if (real && n + 1 < max && (at(pos_ + n) == 'e' || at(pos_ + n) == 'E') &&
      isDigit(at(pos_ + n + 1))) {
    n += 2;
    while (n < max && isDigit(at(pos_ + n))) ++n;
  }
  return n;
}

bool Matcher::number(const Field& f, bool real)
{
  int n = numberLength(f.maxWidth(), real);
  if (n == 0) return missingNumber(f, real);
  if (f.exact() && n != f.width) return false;
  const char* s = text_ + pos_;
  if (real) {
    if (!f.skip) *va_arg(ap_, float*) = toFloat(s, n);
  } else {
    long v = 0;
    const char* d = s + (*s == '-');
    for (const char* q = d; q < s + n && v < 100000000000L; ++q) v = v * 10 + (*q - '0');
    if (v > 2147483647L) v = 2147483647L;
    if (!f.skip) *va_arg(ap_, int*) = static_cast<int>(*s == '-' ? -v : v);
  }
  pos_ += n;
  matchedField(f);
  return true;
}

// A field written as its missing text is the missing value; any other text passes the field
// over without consuming it.
bool Matcher::missingNumber(const Field& f, bool real)
{
  if (!f.miss) return false;
  if (f.miss_len > remaining() || !sameText(text_ + pos_, f.miss, f.miss_len)) {
    if (!f.skip) (void)va_arg(ap_, void*);
    return true;
  }
  if (!f.skip) {
    if (real)
      *va_arg(ap_, float*) = Const::FMISS;
    else
      *va_arg(ap_, int*) = Const::MISS;
  }
  pos_ += f.miss_len;
  matchedField(f);
  return true;
}

void Matcher::assignText(const Field& f, const char* s, int n, bool terminate)
{
  if (f.skip) return;
  char* out = va_arg(ap_, char*);
  std::memcpy(out, s, n);
  if (terminate) out[n] = '\0';
}

template <class Accept>
bool Matcher::span(const Field& f, Accept accept, int limit)
{
  int max = f.maxWidth() < limit ? f.maxWidth() : limit;
  int n = 0;
  while (n < max && pos_ + n < end_ && accept(f, text_[pos_ + n])) ++n;
  if (n == 0 || (f.exact() && n != f.width)) return false;
  assignText(f, text_ + pos_, n, true);
  pos_ += n;
  matchedField(f);
  return true;
}

bool Matcher::chars(const Field& f)
{
  int n = f.width > 0 ? f.width : 1;
  if (n > remaining()) return false;
  assignText(f, text_ + pos_, n, false);
  pos_ += n;
  matchedField(f);
  return true;
}

bool Matcher::alternatives(const Field& f)
{
  const char* s = f.body;
  const char* end = f.body + f.body_len;
  while (s <= end) {
    const char* bar = s;
    while (bar < end && *bar != '|') ++bar;
    int n = static_cast<int>(bar - s);
    if (n <= remaining() && sameText(text_ + pos_, s, n)) {
      assignText(f, s, n, true);
      pos_ += n;
      matchedField(f);
      return true;
    }
    s = bar + 1;
  }
  if (f.miss) {
    int n = 0;
    while (n < f.miss_len && n < f.maxWidth() && at(pos_ + n) == f.miss[n]) ++n;
    assignText(f, "", 0, true);
    pos_ += n;
    matchedField(f);
    return true;
  }
  if (f.upto && f.width == 0) {
    assignText(f, "", 0, true);
    matchedField(f);
    return true;
  }
  return false;
}

}  // namespace

void Scanp::init()
{
  text_ = "";
  length_ = offset_ = count_ = assigned_ = matched_ = 0;
  complete_ = false;
}

void Scanp::set(const char* text) { set(text, text ? static_cast<int>(std::strlen(text)) : 0); }

void Scanp::set(const char* text, int len)
{
  init();
  if (!text || len < 0) return;
  text_ = text;
  length_ = len;
}

int Scanp::scan(const char* pattern, ...)
{
  va_list ap;
  va_start(ap, pattern);
  int n = vscan(pattern, ap);
  va_end(ap);
  return n;
}

int Scanp::vscan(const char* pattern, va_list ap)
{
  count_ = assigned_ = matched_ = 0;
  complete_ = false;
  if (!pattern || !*pattern || offset_ < 0 || offset_ >= length_) return -1;
  Matcher m(text_, offset_, length_, ap);
  complete_ = m.run(pattern);
  count_ = m.consumed();
  assigned_ = m.assigned();
  matched_ = m.matched();
  if (debugging() && Kol::isDebug(4))
    Kol::outDebug(4, "SCANP:%.*s:%s:%d:%d:%d:%d\n", shown(length_ - offset_), string(), pattern,
                  count_, complete_ ? 1 : 0, assigned_, matched_);
  return matched_;
}

int Scanp::search(const char* needle)
{
  if (!needle || offset_ < 0 || offset_ >= length_) return 0;
  int n = static_cast<int>(std::strlen(needle));
  for (int i = offset_; i + n <= length_; ++i) {
    if (std::memcmp(text_ + i, needle, n) == 0) {
      count_ = i - offset_;
      return 1;
    }
  }
  return 0;
}

void Scanp::print() const
{
  int n = offset_ >= 0 && offset_ < length_ ? length_ - offset_ : 0;
  std::printf("%.*s:%d:%d:%d:%d\n", n, string(), count_, complete_ ? 1 : 0, assigned_, matched_);
}

}  // namespace KOL
