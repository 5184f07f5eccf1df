// An owned list of separately allocated texts, and the tokenisers every parser uses: splitting
// at white space, at a separator with quoting, with grouping brackets, and by a field format.
// Items are indexed from 0 to getNum()-1; a slot may be empty (no text at all), which differs
// from an item holding the empty text. Every accessor returns null, 0, false, -1 or Const::MISS
// for an index out of range or an empty slot.
#pragma once

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Const.h"

namespace KOL {

class Strings {
 public:
  // Slots added by add() when the list is full.
  static constexpr int GROWTH = 10;

  Strings() { init(); }
  explicit Strings(int n);
  Strings(int n, const char* const* a);
  explicit Strings(const char* text);
  Strings(const char* text, char sep);
  Strings(const char* text, char sep, int max);
  Strings(const char* text, char sep, int max, const char* groups);
  Strings(const Strings& s);
  Strings(Strings&& s) noexcept;
  Strings& operator=(const Strings& s);
  Strings& operator=(Strings&& s) noexcept;

  // Empty list without slots.
  void init();
  // n empty slots, none in use.
  int set(int n);
  // Copies of n texts; null texts leave their slot empty.
  int set(int n, const char* const* a);
  // Split at white space; the number of items.
  int set(const char* text);
  // Split at every sep; a field enclosed in double quotes may hold separators.
  int set(const char* text, char sep) { return set(text, sep, -1); }
  // At most max items (max < 0: no limit), the last taking the rest of the text.
  int set(const char* text, char sep, int max) { return set(text, sep, max, nullptr); }
  // As above; a character of groups opens a group anywhere in a field, which runs to its
  // closing character: " with ", ( with ), [ with ], { with }, any other with itself.
  int set(const char* text, char sep, int max, const char* groups);
  // Split by a field format of literals and %c, %d, %D, %f; one slot per conversion plus one.
  int set(const char* text, const char* fmt);
  int set(const Strings& s);
  // Replace item i (growing the slots so i fits; the number in use is unchanged).
  int set(int i, const char* s);

  // Append a copy; null or empty texts are refused.
  int add(const char* s);
  // Reallocate to n slots (not fewer than the number in use).
  int expand(int n);
  // Free all items, keep the slots.
  void clear();

  int getNum() const { return number_; }
  int getCapacity() const { return static_cast<int>(slots_.size()); }

  const char* getString(int i) const;
  char* getString(int i) { return mut(std::as_const(*this).getString(i)); }
  const char* getString(int i, char c) const;
  char* getString(int i, char c) { return mut(std::as_const(*this).getString(i, c)); }
  const char* getString(int i, int pos) const;
  char* getString(int i, int pos) { return mut(std::as_const(*this).getString(i, pos)); }
  const char* getStringAfter(int i, char c) const;
  char* getStringAfter(int i, char c) { return mut(std::as_const(*this).getStringAfter(i, c)); }
  char getChar(int i, int pos) const;

  bool valid(int i) const;
  bool equal(int i, const char* s) const;
  bool iequal(int i, const char* s) const;
  bool equal(int i, int pos, const char* s) const;
  bool iequal(int i, int pos, const char* s) const;
  bool equal(int i, const char* s, int n) const;
  bool iequal(int i, const char* s, int n) const;
  int find(const char* s) const;
  int index(int i, char c) const;
  int occurs(int i, char c) const;
  bool contains(int i, const char* s) const;
  int getLength(int i) const;
  bool check(int i, const char* tmpl) const;

  int scanf(int i, const char* fmt, ...) const __attribute__((format(scanf, 3, 4)));
  int scanf(int i, int pos, const char* fmt, ...) const __attribute__((format(scanf, 4, 5)));

  // Decimal reads when the text is a number, else Const::MISS.
  int getInt(int i) const;
  long getLong(int i) const;
  int getInt(int i, int pos) const;
  long getLong(int i, int pos) const;
  int getIntAfter(int i, char c) const;
  long getLongAfter(int i, char c) const;
  float getFloat(int i) const;
  float getFloat(int i, int pos) const;
  float getFloatAfter(int i, char c) const;

  void print() const;

 private:
  using Item = std::unique_ptr<char[]>;

  static char* mut(const char* p) { return const_cast<char*>(p); }
  static Item makeItem(std::string_view s);
  // Replaces the list by the given items, all in use.
  int assign(const std::vector<std::string_view>& items);
  int replace(std::vector<Item> slots, int number);
  static long readLong(const char* s);
  static float readFloat(const char* s);

  std::vector<Item> slots_;
  int number_ = 0;
};

}  // namespace KOL
