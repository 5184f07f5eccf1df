// The pattern scanner of the text decoders: keeps a position in one line of text and matches one
// report group at a time against a scanf-like pattern with exact-width fields, alternatives,
// character classes and a "missing" marker, so that one pattern both recognises a group and
// extracts its values. Scanning never moves the position; inc() accepts the last match.
//
// Pattern: a blank matches one or more white-space characters; "%" starts a field written
// % [*] [<] [width] [!missing!] directive, with the directives d D f F s S N A W w c n,
// [set] and (alt|alt|...); every other character matches itself.
#pragma once

#include <cstdarg>

namespace KOL {

class Scanp {
 public:
  Scanp() { init(); }
  explicit Scanp(const char* text)
  {
    init();
    set(text);
  }

  void init();
  // Points the scanner at a NUL-terminated line (not owned) and rewinds it.
  void set(const char* text);
  // The same for a text of known length, which need not be terminated after len characters.
  void set(const char* text, int len);

  // Matches the pattern at the offset; the fields matched, -1 for an empty pattern or when the
  // offset is at or past the end of the text.
  int scan(const char* pattern, ...);
  int vscan(const char* pattern, va_list ap);

  void inc() { offset_ += count_; }
  void inc(int n) { offset_ += n; }
  void offset(int n) { offset_ = n; }
  int getOffset() const { return offset_; }

  // The text from the offset ("" past the end).
  const char* string() const { return offset_ >= 0 && offset_ < length_ ? text_ + offset_ : ""; }
  // The character i places after the offset; NUL outside the text.
  char getChar(int i) const
  {
    long k = static_cast<long>(offset_) + i;
    return k >= 0 && k < length_ ? text_[k] : '\0';
  }
  bool atEnd() const { return offset_ >= length_; }
  int getLength() const { return length_; }

  // Finds the needle at or after the offset: 1 with the consumed count set to its distance.
  int search(const char* needle);

  // What the last scan did.
  int getCount() const { return count_; }
  int getAssigned() const { return assigned_; }
  int getMatched() const { return matched_; }
  bool isComplete() const { return complete_; }

  void print() const;

 private:
  const char* text_;
  int length_;
  int offset_;
  int count_;
  int assigned_;
  int matched_;
  bool complete_;
};

}  // namespace KOL
