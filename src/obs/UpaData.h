// A sounding: one station's levels in one list, ordered by pressure after a merge, with the
// surface, tropopause and maximum wind marked by the kind bits of their levels. The calculations
// fill what the reports leave out (heights, pressures, temperatures and winds between levels) and
// interpolate the sounding to any pressure, height or potential temperature.
#pragma once

#include <vector>

#include "core/Date.h"
#include "obs/UpaLevel.h"

namespace KOL {

class VCoord;

class UpaData {
 public:
  static constexpr int ID_SIZE = 11;
  static constexpr int AREA_SIZE = 11;
  static constexpr int NAME_SIZE = 31;
  static constexpr int WMO_SIZE = 6;

  UpaData() { init(); }

  void init();
  int setId(const char* id);
  const char* getId() const { return id_; }
  int setWmo(const char* wmo);
  const char* getWmo() const { return wmo_; }
  int setArea(const char* area);
  const char* getArea() const { return area_; }
  int setGenName(const char* name);
  const char* getGenName() const { return name_; }
  void setLoc(float lat, float lon)
  {
    lat_ = lat;
    lon_ = lon;
  }
  float getLat() const { return lat_; }
  float getLon() const { return lon_; }
  void setElev(float elev) { elev_ = elev; }
  float getElev() const { return elev_; }
  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_; }

  // Appends a level; its index.
  int addLevel(const UpaLevel& l);
  // Removes level i; 0 when there is none.
  int delLevel(int i);
  // Fills the missing values of level i from l and joins their kinds.
  int updateLevel(int i, const UpaLevel& l);
  // The level at pressure p (within 0.05 hPa), -1 when there is none.
  int findPres(float p) const;
  // Keeps the first n levels, or adds missing levels up to n.
  int setNum(int n);
  int getNum() const { return static_cast<int>(levels_.size()); }
  const UpaLevel* getLevel(int i) const { return valid(i) ? &levels_[i] : nullptr; }
  int getLevel(int i, UpaLevel& l) const;

  bool isSfc(int i) const { return valid(i) && (levels_[i].type & UpaLevel::SURFACE); }
  bool isLevelMandatory(int i) const { return valid(i) && UpaLevel::isMandatory(levels_[i].pres); }

  // Indexes of the marked levels, -1 when there is none; their pressures (Const::FMISS).
  int getSfc() const { return findType(UpaLevel::SURFACE); }
  int getTrop() const { return findType(UpaLevel::TROPOPAUSE); }
  int getMaxWnd() const { return findType(UpaLevel::MAX_WIND); }
  float getSfcPres() const { return getPres(getSfc()); }
  float getTropPres() const { return getPres(getTrop()); }
  float getMaxWndPres() const { return getPres(getMaxWnd()); }
  float getSfcHght() const { return getHght(getSfc()); }
  int setSfcHght(float h) { return setHght(getSfc(), h); }

  // Per level; setters return 0 for an index outside the list, getters Const::FMISS (0 type).
  int setType(int i, int t);
  int getType(int i) const { return valid(i) ? levels_[i].type : 0; }
  int setPres(int i, float v) { return setValue(i, &UpaLevel::pres, v); }
  float getPres(int i) const { return value(i, &UpaLevel::pres); }
  int setHght(int i, float v) { return setValue(i, &UpaLevel::hght, v); }
  float getHght(int i) const { return value(i, &UpaLevel::hght); }
  int setTemp(int i, float v) { return setValue(i, &UpaLevel::temp, v); }
  float getTemp(int i) const { return value(i, &UpaLevel::temp); }
  float getTempK(int i) const;
  int setDewp(int i, float v) { return setValue(i, &UpaLevel::dewp, v); }
  float getDewp(int i) const { return value(i, &UpaLevel::dewp); }
  float getDewpK(int i) const;
  int setDir(int i, float v) { return setValue(i, &UpaLevel::dir, v); }
  float getDir(int i) const { return value(i, &UpaLevel::dir); }
  int setSpd(int i, float v) { return setValue(i, &UpaLevel::spd, v); }
  float getSpd(int i) const { return value(i, &UpaLevel::spd); }
  bool validPres(int i) const { return getPres(i) != Const::FMISS; }
  bool validHght(int i) const { return getHght(i) != Const::FMISS; }
  bool validTemp(int i) const { return getTemp(i) != Const::FMISS; }
  bool validDewp(int i) const { return getDewp(i) != Const::FMISS; }
  bool validDir(int i) const { return getDir(i) != Const::FMISS; }
  bool validSpd(int i) const { return getSpd(i) != Const::FMISS; }

  // Decreasing pressure (levels without one keep their order after the others); increasing
  // height likewise.
  void sortPres();
  void sortHeight();
  // Missing heights from the hypsometric relation, spreading the misfit of each computed run
  // over the run; 0 when no level has a height. The levels must be sorted by pressure.
  int calcHeight();
  // Missing pressures of levels with a height, from the nearest level below with both.
  int calcPres();
  // Missing temperatures and dew points between levels that have them, linearly in ln p; never
  // below the surface.
  int interpTemps();
  // Missing winds between levels that have them, by components, linearly in ln p.
  int interpWinds();
  // The sounding at a coordinate: kind 0 the surface, 5 a pressure, 6 a height, 7 a potential
  // temperature. 1 when the level was found, 0 outside the sounding, -1 for another kind.
  int interp(const VCoord& coord, UpaLevel& out) const;
  int interp(int kind, float value, UpaLevel& out) const;

  void print() const;

 private:
  bool valid(int i) const { return i >= 0 && i < getNum(); }
  int findType(int bit) const;
  float value(int i, float UpaLevel::*field) const
  {
    return valid(i) ? levels_[i].*field : Const::FMISS;
  }
  int setValue(int i, float UpaLevel::*field, float v)
  {
    if (!valid(i)) return 0;
    levels_[i].*field = v;
    return 1;
  }

  char id_[ID_SIZE];
  char wmo_[WMO_SIZE];
  char area_[AREA_SIZE];
  char name_[NAME_SIZE];
  float lat_, lon_, elev_;
  Date date_;
  std::vector<UpaLevel> levels_;
};

}  // namespace KOL
