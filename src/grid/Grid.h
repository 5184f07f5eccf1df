// One two-dimensional field on a map projection: nx by ny 32-bit values, row-major with the
// column fastest and row 0 at the northern edge, with what the field is (date, forecast time,
// level, variable and units, model and grid number) and where it lies (its Domain). Every grid
// reader fills a Grid; grid calculations, analysis, contouring and plot layers use it.
// A 1 x 1 grid is a value grid: it answers its one value for every point.
#pragma once

#include <cstddef>
#include <vector>

#include "core/Date.h"
#include "geo/Domain.h"
#include "grid/GridSpec.h"
#include "layers/VarSpec.h"

namespace KOL {

namespace grib {
struct GridValues;
}

class Grid {
 public:
  static constexpr int DATIM_SIZE = 50;
  static constexpr int INFO_SIZE = 90;
  static constexpr int MODEL_SIZE = 20;

  Grid() { init(); }
  Grid(int nx, int ny);

  void init();
  int copy(const Grid& g);
  // Everything but the value and locate arrays.
  int copyInfo(const Grid& g);
  // The value and locate arrays; arrays absent from g become absent here.
  int copyData(const Grid& g);

  void setType(int t) { type_ = t; }
  int getType() const { return type_; }
  void setVersion(int v) { version_ = v; }
  int getVersion() const { return version_; }
  void setSource(int s) { source_ = s; }
  int getSource() const { return source_; }
  void setDatim(const char* text);
  const char* getDatim() const { return datim_; }
  void setInfo(const char* text);
  const char* getInfo() const { return info_; }
  void setDate(const Date& d) { date_ = d; }
  void setDate(const DateVal& d) { date_.set(d); }
  const Date& getDate() const { return date_; }
  const DateVal& getDateVal() const { return date_.getDateVal(); }
  // The date minus the forecast time.
  Date getInitDate() const;

  // The lattice size; the values are dropped when their count changes.
  int setSize(int nx, int ny);
  void getSize(int& nx, int& ny) const
  {
    nx = nx_;
    ny = ny_;
  }
  int getNx() const { return nx_; }
  int getNy() const { return ny_; }
  std::size_t getCount() const;
  int setDomain(const Domain& d);
  int setDomain(const DomainVal& d);
  const Domain& getDomain() const { return domain_; }
  const DomainVal& getDomainVal() const { return domain_.get(); }
  int getProj() const { return domain_.proj; }
  float getDx() const { return domain_.dx; }
  float getDy() const { return domain_.dy; }
  void setGridNum(int n) { grid_num_ = n; }
  int getGridNum() const { return grid_num_; }
  void setModel(int id) { model_id_ = id; }
  int getModel() const { return model_id_; }
  void setGenName(const char* name);
  const char* getGenName() const { return model_name_; }

  int setLevel(const char* text);
  void setLevel(const Level& l) { spec_.setLevel(l); }
  const Level& getLevel() const { return spec_.getLevel(); }
  int getLevelType() const;
  int setForeTime(const char* text);
  void setForeTime(const ForeTime& f) { spec_.setForeTime(f); }
  const ForeTime& getForeTime() const { return spec_.getForeTime(); }
  float getForeHours() const;
  long getForeSeconds() const;
  int setVar(const char* name) { return spec_.setVar(name); }
  void setVar(const Variable& v) { spec_.setVar(v); }
  const Variable& getVar() const { return spec_.getVar(); }
  const VarSpec& getVarSpec() const { return spec_; }
  VarSpec& getVarSpec() { return spec_; }
  void setVarSpec(const VarSpec& s) { spec_ = s; }
  const char* getUnits() const { return spec_.getUnits(); }
  // Sets the units and writes them, in square brackets, at the end of the info text.
  int setUnits(const char* units);
  GridSpec getSpec() const;

  // Values, all missing; 0 when the size is not set.
  int allocData();
  int allocLocate();
  // Copies nx*ny values; with flip the source rows are taken bottom row first.
  int setData(const float* values, int flip);
  int setData(const std::vector<float>& values, int flip);
  void clearData();
  int setValue(int i, int j, float v);
  float getValue(int i, int j) const;
  // Interpolated between the surrounding points; missing outside the grid or next to a
  // missing value.
  float getValue(const GridPoint& g) const;
  float getValue(const EarthPoint& e) const;
  float getValue(const Point& p) const;
  bool isData() const { return !data_.empty(); }
  bool isLocate() const { return !locate_x_.empty(); }
  bool isValue() const { return nx_ == 1 && ny_ == 1; }
  float* getData() { return data_.empty() ? nullptr : data_.data(); }
  const float* getData() const { return data_.empty() ? nullptr : data_.data(); }
  int setLocate(int i, int j, const Point& p);
  int getLocate(int i, int j, Point& p) const;
  // The stored plot positions, x and y apart, row by row as the values; null when none.
  float* getLocateX() { return locate_x_.empty() ? nullptr : locate_x_.data(); }
  float* getLocateY() { return locate_y_.empty() ? nullptr : locate_y_.data(); }
  const float* getLocateX() const { return locate_x_.empty() ? nullptr : locate_x_.data(); }
  const float* getLocateY() const { return locate_y_.empty() ? nullptr : locate_y_.data(); }
  Point getLocate(int i, int j) const;

  // Transforms through the domain.
  int tran(const EarthPoint& e, Point& p) const;
  int tran(const Point& p, EarthPoint& e) const;
  int tran(const EarthPoint& e, GridPoint& g) const;
  int tran(const GridPoint& g, EarthPoint& e) const;
  int tran(const Point& p, GridPoint& g) const;
  int tran(const GridPoint& g, Point& p) const;
  // Between this grid's plot space and another domain's.
  int tran(const Domain& other, const Point& in, Point& out) const;
  int tran(const Point& in, const Domain& other, Point& out) const;
  float adjustDir(float dir, const Point& p) const { return domain_.adjustDir(dir, p); }
  float unadjustDir(float dir, const Point& p) const { return domain_.unadjustDir(dir, p); }

  // Number of valid values; Const::MISS without data.
  int getValid() const;
  float getAverage() const;
  // 0 without data; both missing when no value is valid.
  int getRange(float& min, float& max) const;
  void scale(float f);
  void offset(float f);

  void print() const;
  void printInfo() const;
  void printStats() const;
  void printData() const;

 private:
  // The GRIB reader hands its decoded values over without copying them.
  friend struct grib::GridValues;
  bool inside(int i, int j) const { return i >= 0 && j >= 0 && i < nx_ && j < ny_; }
  std::size_t at(int i, int j) const { return static_cast<std::size_t>(j) * nx_ + i; }
  // The value at (i, j) when the grid has data, ignoring the value-grid rule.
  float raw(int i, int j) const { return data_[at(i, j)]; }

  int type_;
  int version_;
  int source_;
  char datim_[DATIM_SIZE];
  char info_[INFO_SIZE];
  Date date_;
  int nx_;
  int ny_;
  int grid_num_;
  Domain domain_;
  int model_id_;
  char model_name_[MODEL_SIZE];
  VarSpec spec_;
  std::vector<float> data_;
  std::vector<float> locate_x_;
  std::vector<float> locate_y_;
};

}  // namespace KOL
