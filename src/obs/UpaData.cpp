#include "obs/UpaData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/StrLib.h"
#include "obs/Calc.h"
#include "obs/VCoord.h"
#include "obs/upa/Profile.h"

namespace KOL {

void UpaData::init()
{
  id_[0] = wmo_[0] = area_[0] = name_[0] = '\0';
  lat_ = lon_ = elev_ = Const::FMISS;
  date_.init();
  levels_.clear();
}

int UpaData::setId(const char* id) { return StrLib::copy(id_, ID_SIZE, id ? id : ""); }
int UpaData::setWmo(const char* wmo) { return StrLib::copy(wmo_, WMO_SIZE, wmo ? wmo : ""); }
int UpaData::setArea(const char* area) { return StrLib::copy(area_, AREA_SIZE, area ? area : ""); }
int UpaData::setGenName(const char* name)
{
  return StrLib::copy(name_, NAME_SIZE, name ? name : "");
}

int UpaData::addLevel(const UpaLevel& l)
{
  levels_.push_back(l);
  return getNum() - 1;
}

int UpaData::delLevel(int i)
{
  if (!valid(i)) return 0;
  levels_.erase(levels_.begin() + i);
  return 1;
}

int UpaData::updateLevel(int i, const UpaLevel& l)
{
  if (!valid(i)) return 0;
  levels_[i].type |= l.type;
  levels_[i].update(l);
  return 1;
}

int UpaData::findPres(float p) const
{
  for (int i = 0; i < getNum(); ++i)
    if (levels_[i].validPres() && std::fabs(levels_[i].pres - p) < 0.05f) return i;
  return -1;
}

int UpaData::setNum(int n)
{
  if (n < 0) return 0;
  levels_.resize(n);
  return 1;
}

int UpaData::getLevel(int i, UpaLevel& l) const
{
  if (!valid(i)) return 0;
  l = levels_[i];
  return 1;
}

int UpaData::findType(int bit) const
{
  for (int i = 0; i < getNum(); ++i)
    if (levels_[i].type & bit) return i;
  return -1;
}

int UpaData::setType(int i, int t)
{
  if (!valid(i)) return 0;
  levels_[i].type = t;
  return 1;
}

float UpaData::getTempK(int i) const
{
  float t = getTemp(i);
  return t == Const::FMISS ? t : t + 273.15f;
}

float UpaData::getDewpK(int i) const
{
  float t = getDewp(i);
  return t == Const::FMISS ? t : t + 273.15f;
}

void UpaData::sortPres()
{
  std::stable_sort(levels_.begin(), levels_.end(), [](const UpaLevel& a, const UpaLevel& b) {
    if (a.validPres() != b.validPres()) return a.validPres();
    return a.validPres() && a.pres > b.pres;
  });
}

void UpaData::sortHeight()
{
  std::stable_sort(levels_.begin(), levels_.end(), [](const UpaLevel& a, const UpaLevel& b) {
    if (a.validHght() != b.validHght()) return a.validHght();
    return a.validHght() && a.hght < b.hght;
  });
}

int UpaData::calcHeight() { return upa::fillHeights(levels_); }
int UpaData::calcPres() { return upa::fillPressures(levels_); }

int UpaData::interpTemps()
{
  float sfc = getSfcPres();
  return upa::fillTemps(levels_, sfc == Const::FMISS ? 0 : sfc);
}

int UpaData::interpWinds() { return upa::fillWinds(levels_); }

int UpaData::interp(const VCoord& coord, UpaLevel& out) const
{
  out.init();
  switch (coord.kind) {
    case VCoord::SURFACE:
      return getLevel(getSfc(), out);
    case VCoord::PRESSURE:
    case VCoord::HEIGHT:
    case VCoord::THETA:
      return upa::interpolate(levels_, coord.kind, coord.value, out);
    default:
      return -1;
  }
}

int UpaData::interp(int kind, float value, UpaLevel& out) const
{
  return interp(VCoord(kind, value), out);
}

void UpaData::print() const
{
  std::printf("Station: %s WMO: %s Area: %s Name: %s\n", id_, wmo_, area_, name_);
  std::printf("Location: %.2f %.2f %.0f\n", lat_, lon_, elev_);
  date_.print();
  std::printf("Levels: %d Sfc: %d Trop: %d MaxWnd: %d\n", getNum(), getSfc(), getTrop(),
              getMaxWnd());
  for (const UpaLevel& l : levels_) l.print();
}

}  // namespace KOL
