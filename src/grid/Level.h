// A vertical level or layer of a grid, a sounding or a variable spec. Converts between
// the text form users write (500, 850-700mb, 2m_ag, sfc), the internal type/value pairs and
// the integer type and level codes of GRIB edition 1 and the native grid file.
#pragma once

#include "core/Const.h"

namespace KOL {

class String;
class VCoord;

class Level {
 public:
  // Internal level types; those below 100 and from 200 on carry no value except SURFACE, whose
  // value is a station or sub-level index.
  enum Type : int {
    SOUNDING = 0,
    SURFACE = 1,
    CLOUD_BASE = 2,
    CLOUD_TOP = 3,
    FREEZING = 4,
    LCL = 5,
    MAX_WIND = 6,
    TROPOPAUSE = 7,
    TOP = 8,
    WHOLE = 10,
    ISOTHERM = 20,
    PRES = 100,  // hPa
    SEA_LEVEL = 101,
    HGHT = 102,     // m above mean sea level
    HGHT_AG = 103,  // m above ground
    SIGMA = 104,
    HYBRID = 105,
    DEPTH_BG = 106,  // cm below ground
    THETA = 107,     // K
    PRES_AG = 108,   // hPa above ground
    PV = 109,        // 10^-6 K m2/(kg s)
    ETA = 111,
    NO_LEVEL = 199,
    WHOLE_LAYER = 200
  };

  Level() { init(); }
  Level(int type, float value) { set(type, value); }
  Level(int type, float lower, float upper) { set(type, lower, upper); }
  Level(int type1, float value1, int type2, float value2) { set(type1, value1, type2, value2); }
  explicit Level(const char* text) { set(text); }

  // All four fields missing: no level.
  void init();
  void set(int type, float value);
  // A layer of one type: the smaller value below, the larger above.
  void set(int type, float lower, float upper);
  // A layer of two levels; with equal types pressure and sigma put the larger value first,
  // other types the smaller. An unset second type gives a single level.
  void set(int type1, float value1, int type2, float value2);
  int set(const char* text) { return decode(text); }

  // From the text form; 0 (level unset) for empty text, "level", "none", "miss" and text
  // that is no level at all.
  int decode(const char* text);
  // From GRIB-1 style type and level codes.
  int decode(int typeCode, int levelCode);

  int toTypeCode() const { return toTypeCode(lower_type, upper_type); }
  static int toTypeCode(int type) { return toTypeCode(type, Const::MISS); }
  static int toTypeCode(int type, int upperType);
  int toLevelCode() const;

  // Text and label forms; 0 when the type has none (the text is then empty).
  int toString(String& out) const;
  int toLabel(String& out) const;

  // The sounding coordinate of the lower and upper level; 0 for types without one.
  int getLower(VCoord& c) const;
  int getUpper(VCoord& c) const;

  bool isSet() const { return lower_type != Const::MISS; }
  bool isLayer() const { return upper_type != Const::MISS; }
  bool isPres() const { return lower_type == PRES; }
  bool isHght() const { return lower_type == HGHT || lower_type == HGHT_AG; }
  bool isPot() const { return lower_type == THETA; }
  bool operator==(const Level& o) const;
  bool operator!=(const Level& o) const { return !(*this == o); }
  void print() const;

  int lower_type;
  float lower_value;
  int upper_type;
  float upper_value;
};

}  // namespace KOL
