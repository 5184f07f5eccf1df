#include "imagery/NidsInfo.h"

#include <cstdio>

#include "core/Const.h"
#include "core/DateTool.h"
#include "core/StrLib.h"
#include "core/String.h"

namespace KOL {

void NidsInfo::init()
{
  date_.init();
  gen_date_.init();
  lat_ = lon_ = height_ = elev_ = res_ = range_ = Const::FMISS;
  product_ = source_ = packet_ = mode_ = vcp_ = Const::MISS;
  num_levels_ = 0;
  folded_level_ = -1;
  label_[0] = '\0';
  misc_[0] = '\0';
}

void NidsInfo::setPosition(float lat, float lon, float heightMetres)
{
  lat_ = lat;
  lon_ = lon;
  height_ = heightMetres;
}

void NidsInfo::setLabel(const char* text) { StrLib::copy(label_, LABEL_SIZE, text ? text : ""); }

void NidsInfo::setMisc(const char* text) { StrLib::copy(misc_, MISC_SIZE, text ? text : ""); }

int NidsInfo::getDate(Date& d) const
{
  d = date_;
  return Const::isMiss(static_cast<int>(date_.getSeconds())) ? 0 : 1;
}

void NidsInfo::print() const
{
  String when;
  DateTool::createLabel(date_, when);
  std::printf("Product %d source %d: %s\n", product_, source_, label_);
  std::printf("Site %.3f %.3f %.0f m, elevation %.1f, mode %d, packet %d\n",
              static_cast<double>(lat_), static_cast<double>(lon_), static_cast<double>(height_),
              static_cast<double>(elev_), mode_, packet_);
  std::printf("Date: %s\n%s\n", when.get(), misc_);
}

}  // namespace KOL
