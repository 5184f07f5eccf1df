// One plotted or analysed value at one place: the station, its location, how the value is drawn,
// up to five numbers (value 0 for scalars; 0 and 1 for winds and vectors), a text and a drawing
// format.
#pragma once

#include "geo/EarthPoint.h"

namespace KOL {

class Datum {
 public:
  static constexpr int ID_SIZE = 20;
  static constexpr int FORMAT_SIZE = 80;
  static constexpr int DATA_SIZE = 40;
  static constexpr int NUM_VALUES = 5;
  // formatData formats up to this many characters before the text is cut to its field.
  static constexpr int FORMAT_LIMIT = 100;

  enum Type : int {
    NONE = 0,
    DATA = 1,
    VALUE = 2,
    TEXT = 3,
    MARK = 4,
    INT = 5,
    CLOUD = 6,
    WBARB = 7,
    CBARB = 8,
    DBARB = 9,
    VECT = 10,
    AVECT = 11,
    SYMB = 13,
    LINE = 14,
    CONST = 15
  };

  char id[ID_SIZE];
  EarthPoint loc;  // latitude, longitude and elevation
  int type;
  int index;
  char format[FORMAT_SIZE];
  char data[DATA_SIZE];
  float values[NUM_VALUES];

  Datum() { init(); }

  void init();
  // Clears values, type and text; the station and location stay.
  void initVals();

  int setId(const char* s);
  void setLoc(const EarthPoint& p) { loc = p; }
  void setLoc(float lat, float lon) { loc.set(lat, lon); }
  void setType(int t) { type = t; }
  int setData(const char* s);
  int setData(char c);
  int formatData(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void clearData() { data[0] = '\0'; }
  int setFormat(const char* s);
  // Appends with a comma separator.
  int addFormat(const char* s);

  int setValue(int i, float v);
  int setValue(float v) { return setValue(0, v); }
  int setValue(float first, float second);
  // Adds d to, or multiplies by f, a value that is not missing.
  int offsetValue(int i, float d);
  int scaleValue(int i, float f);
  float getValue(int i) const;
  float getValue() const { return values[0]; }
  const char* getData() const { return data; }

  // initVals, then the location, type and values or text and format.
  void set(const EarthPoint& p, int t, float v);
  void set(const EarthPoint& p, int t, float first, float second);
  void set(const EarthPoint& p, int t, const char* text, const char* fmt);
  void set(int t, float v);
  void set(int t, const char* text);

  // The printed name of a drawing type; "none" for unknown codes.
  static const char* typeName(int t);
  void print() const;
};

}  // namespace KOL
