// Buffered text output of the file devices: numbers are formatted with std::to_chars (the same
// digits as printf's %.Nf) into a buffer written in large blocks, so that a page of a million
// coordinates costs little more than the bytes themselves.
#pragma once

#include <cstdio>
#include <string>

namespace KOL {

class TextOut {
 public:
  TextOut() = default;
  ~TextOut() { flush(); }
  TextOut(const TextOut&) = delete;
  TextOut& operator=(const TextOut&) = delete;

  void setFile(std::FILE* f)
  {
    flush();
    fp = f;
  }
  bool isOpen() const { return fp != nullptr; }
  void flush();

  TextOut& put(const char* s);
  TextOut& put(const std::string& s) { return put(s.c_str()); }
  TextOut& put(char c);
  // v with `decimals` digits after the point, as %.Nf; a value that is not finite is written 0.
  TextOut& fixed(double v, int decimals);
  TextOut& integer(long v);
  // Two upper-case hexadecimal digits of a byte.
  TextOut& hex(int byte);
  // A formatted line for the rare records (headers), through vsnprintf.
  TextOut& format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  void reserve(size_t n)
  {
    if (buf.size() + n > BLOCK) flush();
  }
  static constexpr size_t BLOCK = 1 << 16;
  std::FILE* fp = nullptr;
  std::string buf;
};

}  // namespace KOL
