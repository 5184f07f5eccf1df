// One level of a sounding: pressure (hPa), height (m), temperature and dew point (C), wind
// direction (degrees) and speed (knots), with bit flags saying what kind of level it is. Soundings
// that follow the balloon (BUFR 309052) also give each level's time after launch (s) and its
// displacement north and east of the launch site (degrees). Every value is Const::FMISS until
// known.
#pragma once

#include "core/Const.h"

namespace KOL {

class UpaLevel {
 public:
  // Kind bits. Surface, tropopause and maximum wind are those of the data files; the others tell
  // which list of a report a level came from.
  enum Type : int {
    MANDATORY = 1,
    SIGNIFICANT = 2,
    SURFACE = 4,
    WIND = 8,
    TROPOPAUSE = 16,
    MAX_WIND = 32
  };
  static constexpr int NUM_MANDATORY = 21;

  int type;
  float pres, hght, temp, dewp, dir, spd;
  float elapsed = Const::FMISS, dlat = Const::FMISS, dlon = Const::FMISS;

  UpaLevel() { init(); }
  UpaLevel(float p, float h, float t, float td, float d, float s)
      : type(0), pres(p), hght(h), temp(t), dewp(td), dir(d), spd(s)
  {
  }

  void init();
  // Fills each missing value, and a zero type, from the other level.
  void update(const UpaLevel& other);
  bool operator==(const UpaLevel& o) const;
  bool operator!=(const UpaLevel& o) const { return !(*this == o); }

  bool validPres() const { return pres != Const::FMISS; }
  bool validHght() const { return hght != Const::FMISS; }
  bool validTemp() const { return temp != Const::FMISS; }
  bool validDewp() const { return dewp != Const::FMISS; }
  bool validWind() const { return dir != Const::FMISS && spd != Const::FMISS; }
  bool validTrack() const
  {
    return elapsed != Const::FMISS || dlat != Const::FMISS || dlon != Const::FMISS;
  }

  // 0 for 1000 hPa up to 20 for 1 hPa; -1 for any other pressure.
  static int getMandatoryIndex(float p);
  // The pressure of a mandatory index; Const::FMISS outside 0 to 20.
  static float getMandatoryPres(int index);
  static bool isMandatory(float p) { return getMandatoryIndex(p) >= 0; }

  void print() const;
};

}  // namespace KOL
