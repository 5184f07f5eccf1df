// Static functions on plain NUL-terminated character arrays. Functions that take a buffer size
// never write more than that many bytes (terminator included) and return 0 for a null buffer or
// source, 1 otherwise. Case rules are ASCII; numbers that cannot be read are Const::MISS.
#pragma once

#include "core/Const.h"

namespace KOL {

class StrLib {
 public:
  // ASCII character classes, independent of the locale.
  static bool isBlank(int c) { return c == ' ' || c == '\t'; }
  static bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  static bool isDigit(int c) { return c >= '0' && c <= '9'; }
  static bool isUpper(int c) { return c >= 'A' && c <= 'Z'; }
  static bool isLower(int c) { return c >= 'a' && c <= 'z'; }
  static bool isAlpha(int c) { return isUpper(c) || isLower(c); }
  static bool isAlnum(int c) { return isAlpha(c) || isDigit(c); }
  static bool isPrint(int c) { return c >= 32 && c <= 126; }
  static bool isGraph(int c) { return c > 32 && c <= 126; }
  static bool isCntrl(int c) { return (c >= 0 && c < 32) || c == 127; }
  static bool isPunct(int c) { return isGraph(c) && !isAlnum(c); }
  static int toUpper(int c) { return isLower(c) ? c - 'a' + 'A' : c; }
  static int toLower(int c) { return isUpper(c) ? c - 'A' + 'a' : c; }

  static int clear(char* s);
  static int length(const char* s);

  static int replace(char* s, char a, char b);
  static int trimWS(char* s);   // trailing white space
  static int stripWS(char* s);  // every white-space character
  static int chop(char* s);     // last character; 0 when empty
  static int upCase(char* s);
  static int lowCase(char* s);
  // Lower-cases every character that does not follow a blank, from the second one on.
  static int upCaseFirst(char* s);

  // Decimal reads without validity test; Const::MISS for null or a start beyond the end.
  static int toInt(const char* s);
  static int toInt(const char* s, int start);
  static float toFloat(const char* s);
  static float toFloat(const char* s, int start);
  // Fixed-width fields [start, start+len): Const::MISS when empty or blank.
  static int toInt(const char* s, int start, int len);
  static float toFloat(const char* s, int start, int len);

  static int subString(const char* s, int start, int len, char* dst, int dstLen);
  // Replaces the n characters at pos by ins; size is the buffer size of s.
  static int splice(char* s, int size, int pos, int n, const char* ins);
  // Start of field n (from 0) where runs of sep count as one; null when absent.
  static const char* getField(const char* s, char sep, int n);
  static char* getField(char* s, char sep, int n);

  static int index(const char* s, char c);
  static int index(const char* s, char c, int k);  // k-th occurrence, k from 1
  static int lastIndex(const char* s, char c);
  static int occurs(const char* s, char c);
  // The value of a parameter token: the text after its '=', or, without one, after the first
  // keyLength characters (the empty end when the token is shorter).
  static const char* valueOf(const char* token, int keyLength);

  static bool equal(const char* a, const char* b);
  // n >= 2: first n characters; n = 1: first character; n <= 0: a ends with b, -n = strlen(b).
  static bool equal(const char* a, const char* b, int n);
  static bool iequal(const char* a, const char* b, int n);
  // strlen(b) is n and a starts with b.
  static bool equal(const char* a, int n, const char* b);
  static bool iequal(const char* a, const char* b);
  static int icmp(const char* a, const char* b);
  static int icmp(const char* a, const char* b, int n);
  static bool contains(const char* a, const char* b);
  static int where(const char* a, const char* b);
  static bool hasToken(const char* s, char sep, const char* tok);

  static int copy(char* dst, int size, char c);
  static int copy(char* dst, int size, const char* src);
  // A negative n copies strlen(src) + n + 1 characters.
  static int copy(char* dst, int size, const char* src, int n);
  static int bcopy(void* dst, int size, const void* src, int n);
  static int append(char* dst, int size, const char* src);
  static int append(char* dst, int size, const char* src, int n);
  // A new copy allocated with malloc: the caller releases it with free(). Null for null.
  static char* acopy(const char* s);
  static char* acopy(const char* s, int n);
  static int printf(char* dst, int size, const char* fmt, ...)
      __attribute__((format(printf, 3, 4)));
  static int aprintf(char* dst, int size, const char* fmt, ...)
      __attribute__((format(printf, 3, 4)));

  // i from -length to length-1, negative counting from the end.
  static int setChar(char* s, int i, char c);
  static char getChar(const char* s, int i);

  static int getInt(const char* s);
  static float getFloat(const char* s);

  // Replaces control and non-ASCII characters by blanks, dropping them at the end.
  static int clean(char* s);

  static bool valid(const char* s) { return s && *s; }
  static const char* valid(const char* s, const char* def) { return valid(s) ? s : def; }
  static bool validData(const char* s);
  static bool isNum(const char* s);
  static bool isNum(const char* s, int n);
  static bool isAlphaNum(const char* s);
  // Character-class template: A alnum, a alpha, d digit, b blank, c control, l lower, u upper,
  // p punctuation, s space, g visible, [..] one of a set, anything else itself.
  static bool check(const char* s, const char* tmpl);
  // Prefix pattern: . ? any, _ blank, [..] [^..] sets, * - skip to the next pattern character,
  // (a|b) alternatives, anything else itself.
  static bool match(const char* s, const char* pattern);

  // The characters taken from s for a count n: at most n, or strlen(s) + n + 1 (not below 0)
  // for a negative n.
  static int countOf(const char* s, int n);
};

}  // namespace KOL
