// One station's decoded upper-air parts, before they are merged into a sounding: the mandatory
// levels (with the surface, tropopause and maximum wind among them), the significant temperature
// levels and the wind levels kept apart, as the parts report them. Wind levels from height
// sections (PILOT parts B and D) hold their height in feet; those from pressure sections (the
// 21212 section of TEMP parts B and D) hold a pressure and no height.
#pragma once

#include <array>

#include "core/Date.h"
#include "obs/UpaLevel.h"

namespace KOL {

class UpaRawinData {
 public:
  static constexpr int ID_SIZE = 11;
  static constexpr int AREA_SIZE = 11;
  static constexpr int WMO_SIZE = 6;
  static constexpr int MAX_MAN = 25;
  static constexpr int MAX_SIG = 300;
  static constexpr int MAX_WND = 300;

  UpaRawinData() { init(); }

  void init();
  void setType(int t) { type_ = t; }
  int getType() const { return type_; }
  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_; }
  // Hour x 100 + minute of the observation; Const::MISS without a date.
  int getTime() const;
  int setId(const char* id);
  int setId(const char* id, const char* wmo, float lat, float lon);
  const char* getId() const { return station_; }
  int setWmo(const char* wmo);
  const char* getWmo() const { return wmo_; }
  int setArea(const char* area);
  const char* getArea() const { return area_; }
  void setLoc(float lat, float lon)
  {
    lat_ = lat;
    lon_ = lon;
  }
  void getLoc(float& lat, float& lon) const
  {
    lat = lat_;
    lon = lon_;
  }
  float getLat() const { return lat_; }
  float getLon() const { return lon_; }
  void setElev(float elev) { elev_ = elev; }
  float getElev() const { return elev_; }

  // Indexes into the mandatory list; Const::MISS when absent.
  void setSfc(int i) { sfc_ = i; }
  int getSfc() const { return sfc_; }
  void setTrop(int i) { trop_ = i; }
  int getTrop() const { return trop_; }
  void setMaxWnd(int i) { max_wnd_ = i; }
  int getMaxWnd() const { return max_wnd_; }

  // add* append a level and return its index, -1 when the list is full; set* replace one;
  // get* copy one out (0 for an index outside the list).
  int addMan(const UpaLevel& l) { return add(man_, num_man_, l); }
  int setMan(int i, const UpaLevel& l) { return set(man_, num_man_, i, l); }
  int getMan(int i, UpaLevel& l) const { return get(man_, num_man_, i, l); }
  const UpaLevel* getMan(int i) const { return i >= 0 && i < num_man_ ? &man_[i] : nullptr; }
  int getNumMan() const { return num_man_; }
  // The index of the mandatory level at pressure p, -1 when there is none.
  int getManPr(float p) const { return findPres(man_, num_man_, p); }

  int addSig(const UpaLevel& l) { return add(sig_, num_sig_, l); }
  int setSig(int i, const UpaLevel& l) { return set(sig_, num_sig_, i, l); }
  int getSig(int i, UpaLevel& l) const { return get(sig_, num_sig_, i, l); }
  const UpaLevel* getSig(int i) const { return i >= 0 && i < num_sig_ ? &sig_[i] : nullptr; }
  int getNumSig() const { return num_sig_; }
  int getSigPr(float p) const { return findPres(sig_, num_sig_, p); }

  int addWnd(const UpaLevel& l) { return add(wnd_, num_wnd_, l); }
  int setWnd(int i, const UpaLevel& l) { return set(wnd_, num_wnd_, i, l); }
  int getWnd(int i, UpaLevel& l) const { return get(wnd_, num_wnd_, i, l); }
  const UpaLevel* getWnd(int i) const { return i >= 0 && i < num_wnd_ ? &wnd_[i] : nullptr; }
  int getNumWnd() const { return num_wnd_; }
  // The index of the wind level at height h (feet), -1 when there is none.
  int getWndHt(float h) const;

  // Adds a level, or fills in the missing values of the one at the same pressure (the same
  // height for height wind levels), joining their kinds: a part read twice or a level that two
  // parts report stays one level. The index, -1 when the list is full.
  int updateMan(const UpaLevel& l)
  {
    return update(man_, num_man_, findPres(man_, num_man_, l), l);
  }
  int updateSig(const UpaLevel& l)
  {
    return update(sig_, num_sig_, findPres(sig_, num_sig_, l), l);
  }
  int updateWnd(const UpaLevel& l);

  // Orders the mandatory and significant levels by decreasing pressure and the wind levels by
  // height (pressure levels first, from the bottom); the special indexes follow their levels.
  void sort();
  bool operator==(const UpaRawinData& o) const;
  bool operator!=(const UpaRawinData& o) const { return !(*this == o); }
  void print() const;

 private:
  template <size_t N>
  static int add(std::array<UpaLevel, N>& list, int& n, const UpaLevel& l)
  {
    if (n >= static_cast<int>(N)) return -1;
    list[n] = l;
    return n++;
  }
  template <size_t N>
  static int set(std::array<UpaLevel, N>& list, int n, int i, const UpaLevel& l)
  {
    if (i < 0 || i >= n) return 0;
    list[i] = l;
    return 1;
  }
  template <size_t N>
  static int get(const std::array<UpaLevel, N>& list, int n, int i, UpaLevel& l)
  {
    if (i < 0 || i >= n) return 0;
    l = list[i];
    return 1;
  }
  template <size_t N>
  static int findPres(const std::array<UpaLevel, N>& list, int n, float p)
  {
    for (int i = 0; i < n; ++i)
      if (list[i].validPres() && list[i].pres > p - 0.05f && list[i].pres < p + 0.05f) return i;
    return -1;
  }
  template <size_t N>
  static int findPres(const std::array<UpaLevel, N>& list, int n, const UpaLevel& l)
  {
    return l.validPres() ? findPres(list, n, l.pres) : -1;
  }
  template <size_t N>
  static int update(std::array<UpaLevel, N>& list, int& n, int i, const UpaLevel& l)
  {
    if (i < 0) return add(list, n, l);
    list[i].type |= l.type;
    list[i].update(l);
    return i;
  }

  char station_[ID_SIZE];
  char area_[AREA_SIZE];
  char wmo_[WMO_SIZE];
  int type_;
  Date date_;
  float lat_, lon_, elev_;
  int sfc_, trop_, max_wnd_;
  int num_man_, num_sig_, num_wnd_;
  std::array<UpaLevel, MAX_MAN> man_;
  std::array<UpaLevel, MAX_SIG> sig_;
  std::array<UpaLevel, MAX_WND> wnd_;
};

}  // namespace KOL
