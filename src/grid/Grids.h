// A fixed-capacity list of grids with their keys: a layer lists the GridSpecs it needs, a reader
// fills the matching slots in one pass over a file, and the grid calculations take their
// arguments from it in order.
#pragma once

#include <vector>

#include "grid/Grid.h"
#include "grid/GridSpec.h"

namespace KOL {

class Grids {
 public:
  static constexpr int DEFAULT_SIZE = 20;

  Grids() : Grids(DEFAULT_SIZE) {}
  explicit Grids(int n);

  void init();
  // n empty slots; every content is dropped.
  int setSize(int n);
  // n slots keeping the content of those that remain.
  int resize(int n);
  int getSize() const { return static_cast<int>(specs_.size()); }
  int getNum() const { return num_; }
  int setNum(int n);

  // Appends a key; its slot, or -1 when the list is full.
  int addSpec(const GridSpec& s);
  int addSpec(const char* text) { return addSpec(GridSpec(text)); }
  int setSpec(int k, const GridSpec& s);
  int setSpec(int k, const char* text) { return setSpec(k, GridSpec(text)); }
  const GridSpec& getSpec(int k) const;
  const VarSpec& getVarSpec(int k) const { return getGrid(k).getVarSpec(); }
  const char* getSpecUnits(int k) const { return getSpec(k).getUnits(); }
  // The first slot whose key a grid keyed s answers; -1 when none.
  int equal(const GridSpec& s) const;
  bool equal(int k, const GridSpec& s) const;

  // Appends a copy of g with its own key; its slot, or -1 when the list is full.
  int add(const Grid& g);
  int addGrid(const Grid& g) { return add(g); }
  int setGrid(int k, const Grid& g);
  int getGrid(int k, Grid& g) const;
  int get(int k, Grid& g) const { return getGrid(k, g); }
  // The grid of a slot (an empty grid outside the list).
  const Grid& getGrid(int k) const;
  Grid& getGrid(int k);
  bool isSet(int k) const { return valid(k) && set_[k]; }
  bool isVarSet(int k) const { return valid(k) && specs_[k].isVarSet(); }
  int getNumSet() const;

  // Applied to every slot in use.
  void setDomain(const Domain& d);
  void allocData();
  void setDate(const Date& d);
  void setDatim(const char* text);
  void setInfo(const char* text);
  void setVar(const char* name);

  const DomainVal& getDomainVal(int k) const { return getGrid(k).getDomainVal(); }
  const Domain& getDomain(int k) const { return getGrid(k).getDomain(); }
  int getProj(int k) const { return getGrid(k).getProj(); }
  int setValue(int k, int i, int j, float v);
  float getValue(int k, int i, int j) const { return getGrid(k).getValue(i, j); }
  float getValue(int k, const GridPoint& g) const { return getGrid(k).getValue(g); }
  float getValue(int k, const EarthPoint& e) const { return getGrid(k).getValue(e); }
  // The value of every slot in use at one place.
  int getValue(const EarthPoint& e, std::vector<float>& values) const;

  void print() const;
  void printStats() const;
  void printData() const;

 private:
  bool valid(int k) const { return k >= 0 && k < num_; }

  int num_;
  std::vector<GridSpec> specs_;
  std::vector<Grid> grids_;
  std::vector<char> set_;
  Grid empty_;
};

}  // namespace KOL
