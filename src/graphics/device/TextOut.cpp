#include "graphics/device/TextOut.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstring>

namespace KOL {

void TextOut::flush()
{
  if (fp && !buf.empty()) std::fwrite(buf.data(), 1, buf.size(), fp);
  buf.clear();
}

TextOut& TextOut::put(const char* s)
{
  if (!s) return *this;
  const size_t n = std::strlen(s);
  reserve(n);
  buf.append(s, n);
  return *this;
}

TextOut& TextOut::put(char c)
{
  reserve(1);
  buf.push_back(c);
  return *this;
}

TextOut& TextOut::fixed(double v, int decimals)
{
  if (!std::isfinite(v)) v = 0;
  char tmp[64];
  auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::fixed, decimals);
  if (res.ec != std::errc()) return put("0");
  reserve(res.ptr - tmp);
  buf.append(tmp, res.ptr - tmp);
  return *this;
}

TextOut& TextOut::integer(long v)
{
  char tmp[24];
  auto res = std::to_chars(tmp, tmp + sizeof tmp, v);
  reserve(res.ptr - tmp);
  buf.append(tmp, res.ptr - tmp);
  return *this;
}

TextOut& TextOut::hex(int byte)
{
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  reserve(2);
  buf.push_back(DIGITS[(byte >> 4) & 15]);
  buf.push_back(DIGITS[byte & 15]);
  return *this;
}

TextOut& TextOut::format(const char* fmt, ...)
{
  char tmp[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(tmp, sizeof tmp, fmt, ap);
  va_end(ap);
  return put(tmp);
}

}  // namespace KOL
