// Reading the five-character groups of upper-air parts: a cursor over the blank-separated words
// of a part, the digits of a group (a slash is a missing digit), and the code rules that turn
// pressure-height, temperature and wind groups into values. The part decoders and the own
// upper-air file share them.
#pragma once

#include <string_view>

namespace KOL {
namespace upa {

constexpr int SLASH = -1;  // a field written with slashes
constexpr int BAD = -2;    // a field with other characters

// The blank-separated words of a text, one at a time.
class Groups {
 public:
  explicit Groups(std::string_view text) : text_(text) {}
  // The next word without taking it; empty at the end.
  std::string_view peek() const;
  std::string_view next();
  bool atEnd() const { return peek().empty(); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// A group of five digits or slashes.
bool isGroup(std::string_view g);
// The number of n (at most 9) characters of g from pos: SLASH when they are all slashes, BAD
// when any is neither a digit nor (all) slashes, or g is too short.
int field(std::string_view g, size_t pos, size_t n);
// Two equal digits ("00", "11" ... "99"), the counter of significant-level pairs.
bool isRepeatedDigit(std::string_view g);

// The height of a standard level from its three hhh digits by the rules of each pressure.
float expandHeight(float p, int hhh);
// TTT tenths and DD depression code, either of them SLASH/BAD; missing values where unknown.
// DD 99 is a depression of 49 C, as in the reports.
void decodeTemp(int ttt, int dd, float& t, float& td);
// ddd and ff of a wind group; both missing for a slash field, a direction beyond 360 or a speed
// beyond max_speed.
void decodeWind(int ddd, int ff, float max_speed, float& dir, float& spd);

}  // namespace upa
}  // namespace KOL
