// A window of time around a base date, for selecting reports near a requested time.
#pragma once

namespace KOL {

class Date;

class DateRange {
 public:
  DateRange() { init(); }
  DateRange(const Date& base, int before, int after);

  void init();
  int set(const Date& base, int before, int after);
  int set(const Date& base);
  int set(int before, int after);
  // True when base - before minutes <= t <= base + after minutes.
  bool valid(const Date& d) const;
  bool valid(long secs) const;
  void print() const;

 private:
  long base;
  int before;
  int after;
};

}  // namespace KOL
