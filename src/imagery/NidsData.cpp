#include "imagery/NidsData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace KOL {

namespace {

constexpr long MAX_CELLS = 16L << 20;

}  // namespace

void NidsData::init()
{
  NidsInfo::init();
  radial_ = false;
  ny_ = nx_ = 0;
  values_.clear();
  levels_.clear();
  domain_.init();
}

int NidsData::alloc(int ny, int nx, float fill)
{
  if (!allocUnfilled(ny, nx)) return 0;
  std::fill(values_.begin(), values_.end(), fill);
  std::fill(levels_.begin(), levels_.end(), 0);
  return 1;
}

int NidsData::allocUnfilled(int ny, int nx)
{
  values_.clear();
  levels_.clear();
  if (ny < 1 || nx < 1 || static_cast<long>(ny) * nx > MAX_CELLS) {
    ny_ = nx_ = 0;
    return 0;
  }
  ny_ = ny;
  nx_ = nx;
  values_.resize(static_cast<std::size_t>(ny) * nx);
  levels_.resize(static_cast<std::size_t>(ny) * nx);
  return 1;
}

float NidsData::getValue(int i, int j) const
{
  return inside(i, j) ? values_[static_cast<std::size_t>(j) * nx_ + i] : Const::FMISS;
}

int NidsData::getLevel(int i, int j) const
{
  return inside(i, j) ? levels_[static_cast<std::size_t>(j) * nx_ + i] : 0;
}

int NidsData::setValue(int i, int j, float v, int level)
{
  if (!inside(i, j)) return 0;
  values_[static_cast<std::size_t>(j) * nx_ + i] = v;
  levels_[static_cast<std::size_t>(j) * nx_ + i] = static_cast<uint8_t>(level);
  return 1;
}

// The radial domain's lattice counts azimuth steps in x and range steps in y; a raster's is
// the array itself.
float NidsData::getValue(const EarthPoint& e) const
{
  EarthPoint p = e;
  GridPoint g;
  if (values_.empty() || !domain_.tran(p, g) || g.isMiss()) return Const::FMISS;
  if (!radial_)
    return getValue(static_cast<int>(std::lround(g.x)), static_cast<int>(std::lround(g.y)));
  int j = static_cast<int>(std::floor(g.x)) % ny_;
  if (j < 0) j += ny_;
  return getValue(static_cast<int>(std::floor(g.y)), j);
}

void NidsData::offset(float f)
{
  for (float& v : values_)
    if (isValid(v)) v += f;
}

int NidsData::getRange(float& min, float& max) const
{
  min = max = Const::FMISS;
  for (float v : values_) {
    if (!isValid(v)) continue;
    if (min == Const::FMISS || v < min) min = v;
    if (max == Const::FMISS || v > max) max = v;
  }
  return min == Const::FMISS ? 0 : 1;
}

void NidsData::print() const
{
  NidsInfo::print();
  float mn, mx;
  getRange(mn, mx);
  std::printf("%s %d x %d, values %g to %g\n", radial_ ? "Radials x bins" : "Rows x columns", ny_,
              nx_, static_cast<double>(mn), static_cast<double>(mx));
}

}  // namespace KOL
