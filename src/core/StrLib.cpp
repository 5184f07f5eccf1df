#include "core/StrLib.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Tools.h"

namespace KOL {

namespace {

// The longest fixed-width numeric field read.
constexpr int FIELD_MAX = 23;

unsigned char uc(char c) { return static_cast<unsigned char>(c); }

bool inSet(const char* first, const char* last, char c)
{
  for (const char* p = first; p < last; p++)
    if (*p == c) return true;
  return false;
}

// The end of a bracket set whose '[' is at p: the position of its ']', or null.
const char* setEnd(const char* p) { return std::strchr(p + 1, ']'); }

// One element of a match pattern that consumes exactly one character: '.', '?', '_', a set or
// a literal. Returns the pattern position after the element, null when c does not match.
const char* matchOne(const char* p, char c)
{
  if (*p == '.' || *p == '?') return c ? p + 1 : nullptr;
  if (*p == '_') return c == ' ' ? p + 1 : nullptr;
  if (*p == '[') {
    const char* end = setEnd(p);
    if (!end || !c) return nullptr;
    bool negate = p[1] == '^';
    const char* first = p + (negate ? 2 : 1);
    return inSet(first, end, c) != negate ? end + 1 : nullptr;
  }
  return *p == c ? p + 1 : nullptr;
}

// Tries one alternative [p, end) at s; returns the string position after it or null.
const char* matchAlternative(const char* p, const char* end, const char* s)
{
  while (p < end) {
    if (*p == '[') {
      const char* close = setEnd(p);
      if (!close || close >= end) return nullptr;
    }
    p = matchOne(p, *s);
    if (!p || p > end) return nullptr;
    s++;
  }
  return s;
}

// The end of an alternative starting at p: the next '|' or ')' outside sets, or null.
const char* alternativeEnd(const char* p)
{
  for (; *p && *p != '|' && *p != ')'; p++)
    if (*p == '[') {
      p = setEnd(p);
      if (!p) return nullptr;
    }
  return *p ? p : nullptr;
}

// Handles "(a|b|c)" at p; advances p past ')' and s past the chosen alternative.
bool matchGroup(const char*& p, const char*& s)
{
  const char* chosen = nullptr;
  const char* q = p + 1;
  for (;;) {
    const char* end = alternativeEnd(q);
    if (!end) return false;
    if (!chosen) chosen = matchAlternative(q, end, s);
    q = end + 1;
    if (*end == ')') break;
  }
  if (!chosen) return false;
  p = q;
  s = chosen;
  return true;
}

bool classMatches(char t, char c)
{
  switch (t) {
    case 'A':
      return StrLib::isAlnum(uc(c));
    case 'a':
      return StrLib::isAlpha(uc(c));
    case 'd':
      return StrLib::isDigit(uc(c));
    case 'b':
      return StrLib::isBlank(uc(c));
    case 'c':
      return StrLib::isCntrl(uc(c));
    case 'l':
      return StrLib::isLower(uc(c));
    case 'u':
      return StrLib::isUpper(uc(c));
    case 'p':
      return StrLib::isPunct(uc(c));
    case 's':
      return StrLib::isSpace(uc(c));
    case 'g':
      return StrLib::isGraph(uc(c));
    default:
      return t == c;
  }
}

// Copies a fixed-width field of s into buf with trailing white space removed; false when the
// field is out of the string or empty.
bool fixedField(const char* s, int start, int len, char* buf)
{
  if (!s || start < 0) return false;
  int slen = std::strlen(s);
  if (start + len > slen) len = slen - start;
  if (len < 0) return false;
  if (len > FIELD_MAX) len = FIELD_MAX;
  std::memcpy(buf, s + start, len);
  buf[len] = 0;
  StrLib::trimWS(buf);
  return buf[0] != 0;
}

int vaprintf(char* dst, int size, const char* fmt, va_list ap)
{
  if (!dst || !fmt || size < 1) return 0;
  int len = strnlen(dst, size);
  if (len >= size) len = size - 1;
  std::vsnprintf(dst + len, size - len, fmt, ap);
  return 1;
}

}  // namespace

int StrLib::countOf(const char* s, int n)
{
  if (n >= 0) return strnlen(s, n);
  int count = static_cast<int>(std::strlen(s)) + n + 1;
  return count < 0 ? 0 : count;
}

int StrLib::clear(char* s)
{
  if (!s) return 0;
  *s = 0;
  return 1;
}

int StrLib::length(const char* s) { return s ? std::strlen(s) : 0; }

int StrLib::replace(char* s, char a, char b)
{
  if (!s) return 0;
  for (; *s; s++)
    if (*s == a) *s = b;
  return 1;
}

int StrLib::trimWS(char* s)
{
  if (!s) return 0;
  int n = std::strlen(s);
  while (n > 0 && isSpace(uc(s[n - 1]))) n--;
  s[n] = 0;
  return 1;
}

int StrLib::stripWS(char* s)
{
  if (!s) return 0;
  char* out = s;
  for (const char* p = s; *p; p++)
    if (!isSpace(uc(*p))) *out++ = *p;
  *out = 0;
  return 1;
}

int StrLib::chop(char* s)
{
  if (!s || !*s) return 0;
  s[std::strlen(s) - 1] = 0;
  return 1;
}

int StrLib::upCase(char* s)
{
  if (!valid(s)) return 0;
  for (; *s; s++) *s = toUpper(uc(*s));
  return 1;
}

int StrLib::lowCase(char* s)
{
  if (!valid(s)) return 0;
  for (; *s; s++) *s = toLower(uc(*s));
  return 1;
}

int StrLib::upCaseFirst(char* s)
{
  if (!valid(s)) return 0;
  for (int i = 1; s[i]; i++)
    if (!isBlank(uc(s[i - 1]))) s[i] = toLower(uc(s[i]));
  return 1;
}

int StrLib::toInt(const char* s) { return toInt(s, 0); }

int StrLib::toInt(const char* s, int start)
{
  if (!s || start < 0 || start > length(s)) return Const::MISS;
  return static_cast<int>(std::strtol(s + start, nullptr, 10));
}

float StrLib::toFloat(const char* s) { return toFloat(s, 0); }

float StrLib::toFloat(const char* s, int start)
{
  if (!s || start < 0 || start > length(s)) return Const::FMISS;
  return std::strtof(s + start, nullptr);
}

int StrLib::toInt(const char* s, int start, int len)
{
  char buf[FIELD_MAX + 1];
  if (!fixedField(s, start, len, buf)) return Const::MISS;
  return static_cast<int>(std::strtol(buf, nullptr, 10));
}

float StrLib::toFloat(const char* s, int start, int len)
{
  char buf[FIELD_MAX + 1];
  if (!fixedField(s, start, len, buf)) return Const::FMISS;
  return std::strtof(buf, nullptr);
}

int StrLib::subString(const char* s, int start, int len, char* dst, int dstLen)
{
  if (!s || !dst || dstLen < 1 || start < 0 || start > length(s)) return 0;
  if (len < 0) len = 0;
  int n = strnlen(s + start, len);
  if (n > dstLen - 1) n = dstLen - 1;
  std::memmove(dst, s + start, n);
  dst[n] = 0;
  return 1;
}

int StrLib::splice(char* s, int size, int pos, int n, const char* ins)
{
  if (!s || !ins) return 0;
  int len = strnlen(s, size);
  if (len >= size || pos < 0 || pos > len) return 0;
  if (n < 0) n = 0;
  if (n > len - pos) n = len - pos;
  int add = std::strlen(ins);
  if (len - n + add >= size) return 0;
  std::memmove(s + pos + add, s + pos + n, len - pos - n + 1);
  std::memmove(s + pos, ins, add);
  return 1;
}

const char* StrLib::getField(const char* s, char sep, int n)
{
  if (!s || n < 0) return nullptr;
  for (;;) {
    while (*s == sep && *s) s++;
    if (!*s) return nullptr;
    if (n-- == 0) return s;
    while (*s && *s != sep) s++;
  }
}

char* StrLib::getField(char* s, char sep, int n)
{
  return const_cast<char*>(getField(static_cast<const char*>(s), sep, n));
}

int StrLib::index(const char* s, char c) { return index(s, c, 1); }

int StrLib::index(const char* s, char c, int k)
{
  if (!s || k < 1) return -1;
  for (int i = 0; s[i]; i++)
    if (s[i] == c && --k == 0) return i;
  return -1;
}

int StrLib::lastIndex(const char* s, char c)
{
  if (!s) return -1;
  int last = -1;
  for (int i = 0; s[i]; i++)
    if (s[i] == c) last = i;
  return last;
}

const char* StrLib::valueOf(const char* token, int keyLength)
{
  if (!token) return "";
  if (const char* eq = std::strchr(token, '=')) return eq + 1;
  const int n = length(token);
  return token + (keyLength < n ? std::max(keyLength, 0) : n);
}

int StrLib::occurs(const char* s, char c)
{
  if (!s) return 0;
  int n = 0;
  for (; *s; s++)
    if (*s == c) n++;
  return n;
}

bool StrLib::equal(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

bool StrLib::equal(const char* a, const char* b, int n)
{
  if (!a || !b) return false;
  if (n >= 2) return std::strncmp(a, b, n) == 0;
  if (n == 1) return a[0] == b[0];
  int alen = std::strlen(a);
  if (-n > alen) return false;
  return std::strcmp(a + alen + n, b) == 0;
}

bool StrLib::iequal(const char* a, const char* b, int n)
{
  if (!a || !b) return false;
  if (n >= 2) return icmp(a, b, n) == 0;
  if (n == 1) return toLower(uc(a[0])) == toLower(uc(b[0]));
  int alen = std::strlen(a);
  if (-n > alen) return false;
  return iequal(a + alen + n, b);
}

bool StrLib::equal(const char* a, int n, const char* b)
{
  return a && b && length(b) == n && std::strncmp(a, b, n) == 0;
}

bool StrLib::iequal(const char* a, const char* b) { return a && b && icmp(a, b) == 0; }

int StrLib::icmp(const char* a, const char* b)
{
  if (!a || !b) return 0;
  for (;; a++, b++) {
    int d = toLower(uc(*a)) - toLower(uc(*b));
    if (d || !*a) return d;
  }
}

int StrLib::icmp(const char* a, const char* b, int n)
{
  if (!a || !b) return 0;
  if (n < 1) n = 1;
  for (int i = 0; i < n; i++) {
    int d = toLower(uc(a[i])) - toLower(uc(b[i]));
    if (d || !a[i]) return d;
  }
  return 0;
}

bool StrLib::contains(const char* a, const char* b) { return where(a, b) >= 0; }

int StrLib::where(const char* a, const char* b)
{
  if (!a || !b) return -1;
  const char* p = std::strstr(a, b);
  return p ? static_cast<int>(p - a) : -1;
}

bool StrLib::hasToken(const char* s, char sep, const char* tok)
{
  if (!s || !tok) return false;
  size_t tlen = std::strlen(tok);
  for (const char* p = s;;) {
    const char* end = p;
    while (*end && *end != sep) end++;
    size_t flen = end - p;
    if (!*end) return flen > 0 && flen == tlen && std::strncmp(p, tok, tlen) == 0;
    if (flen == tlen && std::strncmp(p, tok, tlen) == 0) return true;
    p = end + 1;
  }
}

int StrLib::copy(char* dst, int size, char c)
{
  if (!dst || size < 2) return 0;
  dst[0] = c;
  dst[1] = 0;
  return 1;
}

int StrLib::copy(char* dst, int size, const char* src) { return copy(dst, size, src, -1); }

int StrLib::copy(char* dst, int size, const char* src, int n)
{
  if (!dst || size < 1) return 0;
  if (!src) {
    *dst = 0;
    return 0;
  }
  int count = countOf(src, n);
  if (count > size - 1) count = size - 1;
  std::memmove(dst, src, count);
  dst[count] = 0;
  return 1;
}

int StrLib::bcopy(void* dst, int size, const void* src, int n)
{
  if (!dst || !src) return 0;
  int count = n < size ? n : size;
  if (count > 0) std::memmove(dst, src, count);
  return 1;
}

int StrLib::append(char* dst, int size, const char* src) { return append(dst, size, src, -1); }

int StrLib::append(char* dst, int size, const char* src, int n)
{
  if (!dst || !src || size < 1) return 0;
  int len = strnlen(dst, size);
  if (len >= size) return 1;
  return copy(dst + len, size - len, src, n);
}

char* StrLib::acopy(const char* s) { return acopy(s, -1); }

char* StrLib::acopy(const char* s, int n)
{
  if (!s) return nullptr;
  int count = countOf(s, n);
  char* out = static_cast<char*>(std::malloc(count + 1));
  if (!out) return nullptr;
  std::memcpy(out, s, count);
  out[count] = 0;
  return out;
}

int StrLib::printf(char* dst, int size, const char* fmt, ...)
{
  if (!dst || size < 1) return 0;
  *dst = 0;
  va_list ap;
  va_start(ap, fmt);
  int r = vaprintf(dst, size, fmt, ap);
  va_end(ap);
  return r;
}

int StrLib::aprintf(char* dst, int size, const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  int r = vaprintf(dst, size, fmt, ap);
  va_end(ap);
  return r;
}

int StrLib::setChar(char* s, int i, char c)
{
  int len = length(s);
  if (i < 0) i += len;
  if (i < 0 || i >= len) return 0;
  s[i] = c;
  return 1;
}

char StrLib::getChar(const char* s, int i)
{
  int len = length(s);
  if (i < 0) i += len;
  if (i < 0 || i >= len) return 0;
  return s[i];
}

int StrLib::getInt(const char* s)
{
  if (!Tools::isInt(s)) return Const::MISS;
  return static_cast<int>(std::strtol(s, nullptr, 10));
}

float StrLib::getFloat(const char* s)
{
  if (!Tools::isFloat(s)) return Const::FMISS;
  return std::strtof(s, nullptr);
}

int StrLib::clean(char* s)
{
  if (!valid(s)) return 0;
  auto bad = [](char c) { return uc(c) < 32 || uc(c) > 127; };
  int n = std::strlen(s);
  while (n > 0 && bad(s[n - 1])) n--;
  s[n] = 0;
  for (int i = 0; i < n; i++)
    if (bad(s[i])) s[i] = ' ';
  return 1;
}

bool StrLib::validData(const char* s)
{
  if (!valid(s)) return false;
  for (; *s; s++)
    if (!isBlank(uc(*s))) return true;
  return false;
}

bool StrLib::isNum(const char* s)
{
  if (!valid(s)) return false;
  if (*s == '-') s++;
  if (!*s) return false;
  for (; *s; s++)
    if (!isDigit(uc(*s))) return false;
  return true;
}

bool StrLib::isNum(const char* s, int n)
{
  if (!valid(s)) return false;
  for (int i = 0; i < n; i++)
    if (!isDigit(uc(s[i]))) return false;
  return true;
}

bool StrLib::isAlphaNum(const char* s)
{
  if (!s) return false;
  for (; *s; s++)
    if (isAlnum(uc(*s))) return true;
  return false;
}

bool StrLib::check(const char* s, const char* tmpl)
{
  if (!s || !tmpl) return false;
  for (const char* t = tmpl; *t; t++, s++) {
    if (!*s) return false;
    if (*t == '[') {
      const char* end = setEnd(t);
      if (!end || !inSet(t + 1, end, *s)) return false;
      t = end;
    } else if (!classMatches(*t, *s)) {
      return false;
    }
  }
  return true;
}

bool StrLib::match(const char* s, const char* pattern)
{
  if (!s || !pattern) return false;
  const char* p = pattern;
  while (*p) {
    if (*p == '*' || *p == '-') {
      char next = p[1];
      if (!next) return true;
      while (*s && *s != next && !(next == '_' && *s == ' ')) s++;
      if (!*s) return false;
      p++;
    } else if (*p == '(') {
      if (!matchGroup(p, s)) return false;
    } else {
      p = matchOne(p, *s);
      if (!p) return false;
      s++;
    }
  }
  return true;
}

}  // namespace KOL
