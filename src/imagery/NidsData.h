// The values of a NIDS product: a polar array (radials by bins, radial j starting at
// j * 360 / ny degrees) or a square raster array (rows by columns, row 0 at the north edge),
// with the domain that places them on the earth. Bins without coverage hold NO_COVERAGE, raster
// cells outside the product NO_DATA, and bins the product marks missing Const::FMISS.
#pragma once

#include <cstdint>
#include <vector>

#include "geo/Domain.h"
#include "imagery/NidsInfo.h"
#include "imagery/nids/DefaultInit.h"

namespace KOL {

class NidsData : public NidsInfo {
 public:
  static constexpr float NO_COVERAGE = -200.0f;
  static constexpr float NO_DATA = -100.0f;

  NidsData() { init(); }

  void init();
  // An ny by nx array filled with fill; 0 for an unusable size.
  int alloc(int ny, int nx, float fill);
  // An ny by nx array whose values and levels the caller writes, every one of them.
  int allocUnfilled(int ny, int nx);

  bool isRadial() const { return radial_; }
  void setRadial(bool on) { radial_ = on; }
  // Radials or rows.
  int getNy() const { return ny_; }
  // Bins or columns.
  int getNx() const { return nx_; }
  // i the bin or column, j the radial or row; missing outside the array.
  float getValue(int i, int j) const;
  // The product's data level code there (0 outside or where nothing was stored).
  int getLevel(int i, int j) const;
  // The value at an earth position (nearest bin or cell); missing outside.
  float getValue(const EarthPoint& e) const;
  int setValue(int i, int j, float v, int level);
  // Adds f to every value that is not missing or a fill.
  void offset(float f);
  using NidsInfo::getRange;
  // Smallest and largest valid value; 0 when there is none.
  int getRange(float& min, float& max) const;

  int setDomain(const DomainVal& d) { return domain_.set(d); }
  const Domain& getDomain() const { return domain_; }
  float* getData() { return values_.empty() ? nullptr : values_.data(); }
  const float* getData() const { return values_.empty() ? nullptr : values_.data(); }
  // Row j of the array (nx values), null outside.
  float* getRow(int j)
  {
    return j >= 0 && j < ny_ && !values_.empty() ? values_.data() + static_cast<long>(j) * nx_
                                                 : nullptr;
  }
  uint8_t* getLevelRow(int j)
  {
    return j >= 0 && j < ny_ && !levels_.empty() ? levels_.data() + static_cast<long>(j) * nx_
                                                 : nullptr;
  }
  static bool isValid(float v) { return v != Const::FMISS && v != NO_COVERAGE && v != NO_DATA; }

  void print() const override;

 private:
  bool inside(int i, int j) const
  {
    return i >= 0 && j >= 0 && i < nx_ && j < ny_ && !values_.empty();
  }

  bool radial_;
  int ny_, nx_;
  std::vector<float, nids::DefaultInit<float>> values_;
  std::vector<uint8_t, nids::DefaultInit<uint8_t>> levels_;
  Domain domain_;
};

}  // namespace KOL
