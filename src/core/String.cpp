#include "core/String.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "core/StrLib.h"

namespace KOL {

String::String() : buf_(DEFAULT_SIZE) { init(); }

String::String(int size) : buf_(size > 0 ? size : 1) { init(); }

String::String(const char* s) : buf_(StrLib::length(s) + 1)
{
  init();
  copy(s);
}

String::String(const String& s) : buf_(s.len_ + 1)
{
  init();
  copy(s.get());
}

String::String(String&& s) noexcept : len_(s.len_), buf_(std::move(s.buf_)), cursor_(s.cursor_)
{
  s.buf_.assign(1, 0);
  s.init();
}

String& String::operator=(const String& s)
{
  if (this != &s) copy(s.get());
  return *this;
}

String& String::operator=(String&& s) noexcept
{
  if (this != &s) {
    buf_.swap(s.buf_);
    std::swap(len_, s.len_);
    std::swap(cursor_, s.cursor_);
  }
  return *this;
}

String& String::operator=(const char* s)
{
  copy(s);
  return *this;
}

void String::init()
{
  len_ = 0;
  buf_[0] = 0;
  cursor_ = 0;
}

void String::init(int size)
{
  buf_.assign(size > 0 ? size : 1, 0);
  init();
}

int String::reset()
{
  len_ = strnlen(buf_.data(), buf_.size());
  if (len_ == maxLength()) buf_[--len_] = 0;
  return 1;
}

int String::reset(int n)
{
  len_ = std::clamp(n, 0, maxLength() - 1);
  buf_[len_] = 0;
  return 1;
}

int String::position(int i) const
{
  if (i > len_) i = len_ - 1;
  if (i < 0) i += len_;
  return i < 0 ? 0 : i;
}

bool String::isAlphaNum() const { return StrLib::isAlphaNum(get()); }

int String::resize(int size)
{
  if (size < 1) size = 1;
  buf_.resize(size);
  if (len_ > size - 1) len_ = size - 1;
  buf_[len_] = 0;
  return 1;
}

int String::resize() { return resize(2 * maxLength()); }

void String::reserve(int n)
{
  if (n >= maxLength()) buf_.resize(n + 1);
}

int String::scanf(const char* fmt, ...) const
{
  if (!fmt) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsscanf(get(), fmt, ap);
  va_end(ap);
  return n;
}

void String::skipSpace()
{
  while (cursor_ < len_ && StrLib::isSpace(static_cast<unsigned char>(buf_[cursor_]))) cursor_++;
}

bool String::scanWord(int width, char* out)
{
  skipSpace();
  int start = cursor_;
  while (cursor_ < len_ && !StrLib::isSpace(static_cast<unsigned char>(buf_[cursor_])) &&
         (width == 0 || cursor_ - start < width))
    cursor_++;
  if (cursor_ == start) return false;
  if (out) {
    std::memcpy(out, buf_.data() + start, cursor_ - start);
    out[cursor_ - start] = 0;
  }
  return true;
}

bool String::scanNumber(int width, float* out)
{
  skipSpace();
  int c = static_cast<unsigned char>(buf_[cursor_]);
  if (!StrLib::isDigit(c) && c != '-' && c != '.') return false;
  int start = cursor_, counted = 0;
  auto room = [&] { return width == 0 || counted < width; };
  if (buf_[cursor_] == '-') cursor_++;
  while (room() && StrLib::isDigit(static_cast<unsigned char>(buf_[cursor_]))) cursor_++, counted++;
  if (room() && buf_[cursor_] == '.') {
    cursor_++, counted++;
    while (room() && StrLib::isDigit(static_cast<unsigned char>(buf_[cursor_])))
      cursor_++, counted++;
  }
  std::string number(buf_.data() + start, cursor_ - start);
  if (out) *out = std::strtof(number.c_str(), nullptr);
  return true;
}

int String::scanp(const char* fmt, ...)
{
  if (!fmt) return 0;
  if (cursor_ > len_) cursor_ = len_;
  va_list ap;
  va_start(ap, fmt);
  int stored = 0;
  for (const char* f = fmt; *f;) {
    char want = *f;
    int width = 0;
    if (want == '%') {
      for (f++; StrLib::isDigit(static_cast<unsigned char>(*f)); f++)
        if (width < 1000000) width = 10 * width + (*f - '0');
      want = *f;
      bool ok = true;
      if (want == 's') ok = scanWord(width, va_arg(ap, char*));
      if (want == 'f') ok = scanNumber(width, va_arg(ap, float*));
      if (!ok) break;
      if (want == 's' || want == 'f') {
        stored++, f++;
        continue;
      }
    }
    if (!want || buf_[cursor_] != want) break;
    cursor_++, f++;
  }
  va_end(ap);
  return stored;
}

int String::vaprintf(int offset, const char* fmt, va_list ap)
{
  if (!fmt) return 0;
  int r = std::vsnprintf(buf_.data() + offset, buf_.size() - offset, fmt, ap);
  len_ = offset + strnlen(buf_.data() + offset, buf_.size() - offset);
  return r;
}

int String::printf(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  int r = vaprintf(0, fmt, ap);
  va_end(ap);
  return r;
}

int String::aprintf(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  int r = vaprintf(len_, fmt, ap);
  va_end(ap);
  return r;
}

int String::replace(char a, char b) { return StrLib::replace(get(), a, b); }

int String::trimWS()
{
  StrLib::trimWS(get());
  return reset();
}

int String::stripWS()
{
  StrLib::stripWS(get());
  return reset();
}

int String::chop()
{
  if (len_ == 0) return 0;
  buf_[--len_] = 0;
  return 1;
}

int String::upCase() { return StrLib::upCase(get()); }

int String::lowCase() { return StrLib::lowCase(get()); }

int String::index(char c) const { return StrLib::index(get(), c); }

int String::occurs(char c) const { return StrLib::occurs(get(), c); }

bool String::contains(const char* s) const { return StrLib::contains(get(), s); }

bool String::equal(const char* s) const { return StrLib::equal(get(), s); }

bool String::iequal(const char* s) const { return StrLib::iequal(get(), s); }

bool String::equal(const char* s, int n) const
{
  if (!s) return false;
  if (n <= 0) return buf_[0] == s[0];
  return std::strncmp(get(), s, n + 1) == 0;
}

bool String::iequal(const char* s, int n) const
{
  if (!s) return false;
  return StrLib::icmp(get(), s, n <= 0 ? 1 : n + 1) == 0;
}

int String::copy(const char* s) { return copy(s, -1); }

int String::copy(const char* s, int n)
{
  cursor_ = 0;
  if (!s) {
    init();
    return 0;
  }
  int count = StrLib::countOf(s, n);
  reserve(count);
  std::memmove(buf_.data(), s, count);
  len_ = count;
  buf_[len_] = 0;
  return 1;
}

int String::append(const char* s) { return append(s, -1); }

int String::append(const char* s, int n)
{
  if (!s) return 0;
  int count = StrLib::countOf(s, n);
  // A source inside our own buffer would move when the buffer grows.
  std::less<const char*> before;
  bool own = !before(s, buf_.data()) && before(s, buf_.data() + buf_.size());
  std::string keep = own ? std::string(s, count) : std::string();
  if (own) s = keep.data();
  reserve(len_ + count);
  std::memmove(buf_.data() + len_, s, count);
  len_ += count;
  buf_[len_] = 0;
  return 1;
}

int String::append(char c)
{
  if (!c) return 0;
  reserve(len_ + 1);
  buf_[len_++] = c;
  buf_[len_] = 0;
  return 1;
}

int String::trunc(int n)
{
  if (n > len_) return 1;
  if (n < 0) n = std::max(0, len_ + n);
  len_ = n;
  buf_[len_] = 0;
  return 1;
}

void String::print() const { std::printf("%d %s\n", len_, get()); }

}  // namespace KOL
