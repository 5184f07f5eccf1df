#include "grid/grib/FieldValues.h"

#include <algorithm>

namespace KOL::grib {

FieldValues::FieldValues(const FieldValues& o) : own_(o.begin(), o.end()) {}

FieldValues& FieldValues::operator=(const FieldValues& o)
{
  if (this != &o) fill().assign(o.begin(), o.end());
  return *this;
}

bool FieldValues::operator==(const FieldValues& o) const
{
  return size() == o.size() && std::equal(begin(), end(), o.begin());
}

void FieldValues::clear()
{
  taken_.reset();
  takenSize_ = 0;
  spare_ = false;
  own_.clear();
}

std::vector<float>& FieldValues::fill()
{
  clear();
  return own_;
}

std::vector<float>& FieldValues::overwrite()
{
  spare_ = false;
  return own_;
}

void FieldValues::takeOver(float* block, size_t n, Release release)
{
  std::vector<float>().swap(own_);
  taken_ = std::unique_ptr<float, BlockReleaser>(block, BlockReleaser{release});
  takenSize_ = n;
}

std::vector<float> FieldValues::moveOut()
{
  std::vector<float> v = std::move(own_);
  own_.clear();
  spare_ = false;
  return v;
}

void FieldValues::recycle(std::vector<float> spare)
{
  clear();
  own_ = std::move(spare);
  spare_ = true;
}

}  // namespace KOL::grib
