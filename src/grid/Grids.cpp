#include "grid/Grids.h"

#include <algorithm>
#include <cstdio>

namespace KOL {

Grids::Grids(int n)
{
  num_ = 0;
  setSize(n);
}

void Grids::init() { setSize(getSize()); }

int Grids::setSize(int n)
{
  if (n < 0) return 0;
  specs_.assign(n, GridSpec());
  grids_.assign(n, Grid());
  set_.assign(n, 0);
  num_ = 0;
  return 1;
}

int Grids::resize(int n)
{
  if (n < 0) return 0;
  specs_.resize(n);
  grids_.resize(n);
  set_.resize(n, 0);
  num_ = std::min(num_, n);
  return 1;
}

int Grids::setNum(int n)
{
  if (n < 0 || n > getSize()) return 0;
  num_ = n;
  return 1;
}

int Grids::addSpec(const GridSpec& s)
{
  if (num_ >= getSize()) return -1;
  specs_[num_] = s;
  grids_[num_].init();
  set_[num_] = 0;
  return num_++;
}

int Grids::setSpec(int k, const GridSpec& s)
{
  if (k < 0 || k >= getSize()) return 0;
  specs_[k] = s;
  num_ = std::max(num_, k + 1);
  return 1;
}

const GridSpec& Grids::getSpec(int k) const
{
  static const GridSpec none;
  return valid(k) ? specs_[k] : none;
}

int Grids::equal(const GridSpec& s) const
{
  for (int k = 0; k < num_; ++k)
    if (GridSpec::equal(specs_[k], s)) return k;
  return -1;
}

bool Grids::equal(int k, const GridSpec& s) const
{
  return valid(k) && GridSpec::equal(specs_[k], s);
}

int Grids::add(const Grid& g)
{
  if (num_ >= getSize()) return -1;
  specs_[num_] = g.getSpec();
  grids_[num_] = g;
  set_[num_] = 1;
  return num_++;
}

int Grids::setGrid(int k, const Grid& g)
{
  if (k < 0 || k >= getSize()) return 0;
  grids_[k] = g;
  set_[k] = 1;
  num_ = std::max(num_, k + 1);
  return 1;
}

int Grids::getGrid(int k, Grid& g) const
{
  if (!valid(k)) return 0;
  g = grids_[k];
  return set_[k] ? 1 : 0;
}

const Grid& Grids::getGrid(int k) const { return valid(k) ? grids_[k] : empty_; }

Grid& Grids::getGrid(int k)
{
  if (valid(k)) return grids_[k];
  empty_.init();
  return empty_;
}

int Grids::getNumSet() const
{
  return static_cast<int>(std::count(set_.begin(), set_.begin() + num_, 1));
}

void Grids::setDomain(const Domain& d)
{
  for (int k = 0; k < num_; ++k) grids_[k].setDomain(d);
}

void Grids::allocData()
{
  for (int k = 0; k < num_; ++k) set_[k] = static_cast<char>(grids_[k].allocData());
}

void Grids::setDate(const Date& d)
{
  for (int k = 0; k < num_; ++k) grids_[k].setDate(d);
}

void Grids::setDatim(const char* text)
{
  for (int k = 0; k < num_; ++k) grids_[k].setDatim(text);
}

void Grids::setInfo(const char* text)
{
  for (int k = 0; k < num_; ++k) grids_[k].setInfo(text);
}

void Grids::setVar(const char* name)
{
  for (int k = 0; k < num_; ++k) grids_[k].setVar(name);
}

int Grids::setValue(int k, int i, int j, float v)
{
  return valid(k) ? grids_[k].setValue(i, j, v) : 0;
}

int Grids::getValue(const EarthPoint& e, std::vector<float>& values) const
{
  values.clear();
  for (int k = 0; k < num_; ++k) values.push_back(grids_[k].getValue(e));
  return num_;
}

void Grids::print() const
{
  std::printf("Grids: %d of %d, %d set\n", num_, getSize(), getNumSet());
  for (int k = 0; k < num_; ++k) {
    std::printf("%d: ", k);
    specs_[k].print();
    if (set_[k]) grids_[k].printInfo();
  }
}

void Grids::printStats() const
{
  for (int k = 0; k < num_; ++k)
    if (set_[k]) grids_[k].printStats();
}

void Grids::printData() const
{
  for (int k = 0; k < num_; ++k)
    if (set_[k]) grids_[k].printData();
}

}  // namespace KOL
