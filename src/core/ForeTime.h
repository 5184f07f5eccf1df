// A forecast time or forecast period relative to a model run (12 hours after the run, a 6-hour
// accumulation ending at hour 12, ...), its texts, labels and the integer code that data files
// store as a key.
#pragma once

#include <string>

#include "core/DateVal.h"

namespace KOL {

class String;

class ForeTime {
 public:
  enum Type : int {
    MISSING = -9999,
    FORECAST = 0,
    ANALYSIS = 1,
    RANGE = 2,
    AVERAGE = 3,
    ACCUMULATION = 4,
    DIFFERENCE = 5,
    MAXIMUM = 6,
    MINIMUM = 7,
    ANY = 9
  };
  enum Units : int { MINUTES = 0, HOURS = 1, DAYS = 2, MONTHS = 3 };

  ForeTime() { init(); }
  explicit ForeTime(const char* text);
  explicit ForeTime(int code);
  ForeTime(int type, int fore, int end);

  void init();
  // Reads a forecast time text; 1 for an ordinary form, 0 for a "time" form or an empty text.
  int decode(const char* text);
  int set(const char* text) { return decode(text); }
  int set(int code);
  int set(int type, float fore, float end);
  int set(int type, int units, float fore, float end);
  void setEnd(const DateVal& d) { end_date = d; }

  int toCode() const;
  std::string text() const;
  int toString(String& out) const;

  int getType() const { return type; }
  int getUnits() const { return units; }
  float getStart() const { return fore; }
  float getEnd() const { return end; }
  float getLength() const { return length; }
  float getOffset() const { return offset; }
  const DateVal& getEndDate() const { return end_date; }
  bool isPeriod() const { return type >= RANGE && type <= MINIMUM; }

  float getFore() const;
  float getHours() const;
  long getSeconds() const;
  int toTimeLabel(String& out) const;
  static int toTimeLabel(float hours, String& out);
  int toTimeLabelDay(String& out) const;
  int toVarLabel(String& out) const;
  std::string timeLabel(bool days_below_61) const;
  static std::string timeLabel(float hours, bool days_below_61);
  std::string varLabel() const;
  void print() const;

 private:
  int decodeTimeForm(const char* rest);
  // The value getFore reports, in the stored units.
  float reported() const;

  int type;
  int units;
  float fore;
  float end;
  float length;
  float offset;
  DateVal end_date;
};

}  // namespace KOL
