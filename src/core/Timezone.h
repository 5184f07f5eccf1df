// How plot labels show local time: a zone name, its offset from UTC and the clock style.
#pragma once

namespace KOL {

class Timezone {
 public:
  static constexpr int NAME_SIZE = 5;

  Timezone() { init(); }
  explicit Timezone(const char* text);

  void init();
  // "[+|-]NAME:HOURS"; '+' asks for a 12-hour clock, '-' a 12-hour clock followed by UTC.
  int set(const char* text);
  bool isSet() const;
  int getPM() const { return pm; }
  int getOffset() const { return offset; }
  const char* getName() const { return name; }
  void print() const;

 private:
  char name[NAME_SIZE];
  int pm;
  int offset;
};

}  // namespace KOL
