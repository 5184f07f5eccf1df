#include "obs/UpaRawinData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/StrLib.h"

namespace KOL {

namespace {

bool morePres(const UpaLevel& a, const UpaLevel& b)
{
  // Levels without a pressure go last.
  if (a.validPres() != b.validPres()) return a.validPres();
  return a.pres > b.pres;
}

// Pressure levels from the bottom first, then height levels upward.
bool windBelow(const UpaLevel& a, const UpaLevel& b)
{
  if (a.validHght() != b.validHght()) return !a.validHght();
  if (a.validHght()) return a.hght < b.hght;
  return morePres(a, b);
}

template <size_t N>
bool sameLevels(const std::array<UpaLevel, N>& a, const std::array<UpaLevel, N>& b, int n)
{
  return std::equal(a.begin(), a.begin() + n, b.begin());
}

void printLevels(const char* title, const UpaLevel* levels, int n)
{
  std::printf("%s: %d\n", title, n);
  for (int i = 0; i < n; ++i) {
    std::printf("%3d ", i);
    levels[i].print();
  }
}

}  // namespace

void UpaRawinData::init()
{
  station_[0] = area_[0] = wmo_[0] = '\0';
  type_ = 0;
  date_.init();
  lat_ = lon_ = elev_ = Const::FMISS;
  sfc_ = trop_ = max_wnd_ = Const::MISS;
  num_man_ = num_sig_ = num_wnd_ = 0;
}

int UpaRawinData::getTime() const
{
  if (!date_.isSet()) return Const::MISS;
  int minute = date_.getMinute() == Const::MISS ? 0 : date_.getMinute();
  return date_.getHour() * 100 + minute;
}

int UpaRawinData::setId(const char* id) { return StrLib::copy(station_, ID_SIZE, id ? id : ""); }

int UpaRawinData::setId(const char* id, const char* wmo, float lat, float lon)
{
  setLoc(lat, lon);
  setWmo(wmo);
  return setId(id);
}

int UpaRawinData::setWmo(const char* wmo) { return StrLib::copy(wmo_, WMO_SIZE, wmo ? wmo : ""); }

int UpaRawinData::setArea(const char* area)
{
  return StrLib::copy(area_, AREA_SIZE, area ? area : "");
}

int UpaRawinData::getWndHt(float h) const
{
  for (int i = 0; i < num_wnd_; ++i)
    if (wnd_[i].validHght() && std::fabs(wnd_[i].hght - h) < 0.5f) return i;
  return -1;
}

int UpaRawinData::updateWnd(const UpaLevel& l)
{
  int i = l.validHght() ? getWndHt(l.hght) : findPres(wnd_, num_wnd_, l);
  return update(wnd_, num_wnd_, i, l);
}

void UpaRawinData::sort()
{
  // The special levels are marked through their type while the list moves.
  int marks[3] = {sfc_, trop_, max_wnd_};
  std::vector<std::pair<UpaLevel, int>> tagged;
  for (int i = 0; i < num_man_; ++i) {
    int tag = 0;
    for (int k = 0; k < 3; ++k)
      if (marks[k] == i) tag |= 1 << k;
    tagged.emplace_back(man_[i], tag);
  }
  std::stable_sort(tagged.begin(), tagged.end(),
                   [](const auto& a, const auto& b) { return morePres(a.first, b.first); });
  int* indexes[3] = {&sfc_, &trop_, &max_wnd_};
  for (int i = 0; i < num_man_; ++i) {
    man_[i] = tagged[i].first;
    for (int k = 0; k < 3; ++k)
      if (tagged[i].second & (1 << k)) *indexes[k] = i;
  }
  std::stable_sort(sig_.begin(), sig_.begin() + num_sig_, morePres);
  std::stable_sort(wnd_.begin(), wnd_.begin() + num_wnd_, windBelow);
}

bool UpaRawinData::operator==(const UpaRawinData& o) const
{
  return !std::strcmp(station_, o.station_) && !std::strcmp(area_, o.area_) &&
         !std::strcmp(wmo_, o.wmo_) && lat_ == o.lat_ && lon_ == o.lon_ && sfc_ == o.sfc_ &&
         trop_ == o.trop_ && max_wnd_ == o.max_wnd_ && num_man_ == o.num_man_ &&
         num_sig_ == o.num_sig_ && num_wnd_ == o.num_wnd_ && sameLevels(man_, o.man_, num_man_) &&
         sameLevels(sig_, o.sig_, num_sig_) && sameLevels(wnd_, o.wnd_, num_wnd_);
}

void UpaRawinData::print() const
{
  std::printf("Station: %s\n", station_);
  std::printf("WMO ident:  %s\n", wmo_);
  std::printf("Area: %s Type: %d\n", area_, type_);
  date_.print();
  std::printf("Latitude:  %6.2f\n", lat_);
  std::printf("Longitude: %7.2f\n", lon_);
  std::printf("Elevation: %6.0f\n", elev_);
  std::printf("Sfc: %d Trop: %d MaxWnd: %d\n", sfc_, trop_, max_wnd_);
  printLevels("Mandatory", man_.data(), num_man_);
  printLevels("Significant", sig_.data(), num_sig_);
  printLevels("Wind", wnd_.data(), num_wnd_);
}

}  // namespace KOL
