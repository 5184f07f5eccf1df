// An owned, growable, NUL-terminated text with a scan cursor. copy and append grow the buffer to
// the exact size needed; printf and aprintf never grow and cut their output at the size.
#pragma once

#include <cstdarg>
#include <vector>

namespace KOL {

class String {
 public:
  static constexpr int DEFAULT_SIZE = 80;

  String();
  explicit String(int size);
  String(const char* s);  // allocates exactly strlen(s) + 1 bytes
  String(const String& s);
  String(String&& s) noexcept;
  String& operator=(const String& s);
  String& operator=(String&& s) noexcept;
  String& operator=(const char* s);

  // Empty the text and rewind; init(size) first reallocates size bytes.
  void init();
  void init(int size);
  void clear() { init(); }
  // Recomputes the length after the buffer was written through get().
  int reset();
  // Sets the length to n (cut to the size) after n characters were written through get().
  int reset(int n);

  char* get() { return buf_.data(); }
  const char* get() const { return buf_.data(); }
  // Position i; above the length it is taken as length-1, negative counts from the end.
  char* get(int i) { return buf_.data() + position(i); }
  const char* get(int i) const { return buf_.data() + position(i); }
  char getChar(int i) const { return buf_[position(i)]; }

  bool valid() const { return len_ > 0; }
  bool isAlphaNum() const;
  int length() const { return len_; }
  int maxLength() const { return static_cast<int>(buf_.size()); }
  // Reallocates to size bytes, keeping as much of the text as fits.
  int resize(int size);
  // Doubles the size.
  int resize();
  void rewind() { cursor_ = 0; }

  // Formatted read from the start of the buffer; the number of items converted.
  int scanf(const char* fmt, ...) const __attribute__((format(scanf, 2, 3)));
  // Read from the cursor, advancing it. Only %s (char array) and %f (float) with an optional
  // width convert; every other format character must match the text. The number of values stored.
  int scanp(const char* fmt, ...);
  // Formatting cut at maxLength()-1 characters; the formatter's result.
  int printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int aprintf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  int replace(char a, char b);
  int trimWS();
  int stripWS();
  int chop();
  int upCase();
  int lowCase();
  int index(char c) const;
  int occurs(char c) const;
  bool contains(const char* s) const;

  bool equal(const char* s) const;
  bool iequal(const char* s) const;
  // n > 0: the first n characters and the character at n agree; n <= 0: the first character.
  bool equal(const char* s, int n) const;
  bool iequal(const char* s, int n) const;

  // Replace the text; a null source empties it and returns 0.
  int copy(const char* s);
  int copy(const String& s) { return copy(s.get()); }
  // At most n characters; a negative n takes strlen(s) + n + 1 characters.
  int copy(const char* s, int n);
  int set(const char* s) { return copy(s); }
  int set(const String& s) { return copy(s.get()); }
  int append(const char* s);
  int append(const String& s) { return append(s.get()); }
  int append(const char* s, int n);
  int append(char c);
  // Cut to n characters; a negative n keeps length + n.
  int trunc(int n);

  void print() const;

 private:
  int position(int i) const;
  // Makes room for a text of n characters, growing to exactly n + 1 bytes when needed.
  void reserve(int n);
  int vaprintf(int offset, const char* fmt, va_list ap);
  void skipSpace();
  // The %s and %f conversions of scanp at the cursor; false when nothing was read.
  bool scanWord(int width, char* out);
  bool scanNumber(int width, float* out);

  int len_ = 0;
  std::vector<char> buf_;
  int cursor_ = 0;
};

}  // namespace KOL
