// Small text functions the product readers share: ASCII case rules, blanks, words, numbers and
// the ISO forms of UTC times.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KOL {

class TextTool {
 public:
  static std::string_view trim(std::string_view s);
  static std::string upper(std::string_view s);
  static bool startsWith(std::string_view s, std::string_view prefix);
  static bool startsWithNoCase(std::string_view s, std::string_view prefix);
  // Where word occurs in s, ignoring ASCII case; npos when it does not.
  static size_t findNoCase(std::string_view s, std::string_view word);
  static bool isDigits(std::string_view s);
  // Words separated by blanks.
  static std::vector<std::string_view> words(std::string_view s);
  // The whole text as a (signed) decimal integer into v; false when it is not one.
  static bool toInt(std::string_view s, int& v);
  // Const::MISS when s is not an integer.
  static int intOr(std::string_view s);
  // "YYYY-MM-DDThh:mmZ" of the time, which may run over its fields (hour 30 is the next day).
  static std::string iso(int year, int month, int day, int hour, int minute);
  // Month number (1 to 12) of an English three-letter abbreviation; 0 when none.
  static int month(std::string_view abbrev);
};

}  // namespace KOL
