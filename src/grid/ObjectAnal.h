// Objective analysis of station values onto grids by successive correction with Gaussian
// weights: a first pass of weighted means of the observations within a radius of influence,
// then passes that add the weighted mean of the remaining residuals with a sharper weight.
// One grid per numeric field of the data set, on the domain of the first grid of the list.
#pragma once

#include "core/Const.h"

namespace KOL {

class Data;
class Grids;

class ObjectAnal {
 public:
  static constexpr float FILTER = 1.0f;
  static constexpr float RAD_INF = 3.0f;
  static constexpr int PASSES = 1;
  static constexpr float CONVERG = 0.2f;
  static constexpr int MIN_STA = 1;
  static constexpr int MAX_PASSES = 4;

  ObjectAnal() { init(); }
  explicit ObjectAnal(const char* text);
  virtual ~ObjectAnal() = default;

  // The defaults, then the resource "object_param" when it is set.
  void init();
  void set(float filter, float radInf, int passes, float converg);
  // "filter,rad_inf,pass,conv,min_sta"; each value given goes through its setter.
  int set(const char* text);
  // Setters keep values in range: a filter <= 0 becomes 1, a radius <= 0 becomes 10, passes
  // outside 1..4 become 1, a convergence outside [0.01, 1) becomes 0.2, min_sta < 1 becomes 1.
  void setFilter(float v) { filter_ = v > 0 ? v : FILTER; }
  void setRadInf(float v) { radInf_ = v > 0 ? v : 10.0f; }
  void setNumPass(int n) { passes_ = n >= 1 && n <= MAX_PASSES ? n : PASSES; }
  void setConverg(float v) { converg_ = v >= 0.01f && v < 1.0f ? v : CONVERG; }
  void setMinSta(int n) { minSta_ = n >= 1 ? n : MIN_STA; }
  // The background value entered at every grid point in the first pass; missing for none.
  void setMissVal(float v) { background_ = v; }
  // Words "filter", "rad_inf", "pass", "conv", "min_sta", "miss" with a separator and a value
  // (taken as given), and "oa" with five values separated by ':' (through the setters).
  int setParam(const char* text);

  float getFilter() const { return filter_; }
  float getRadInf() const { return radInf_; }
  int getNumPass() const { return passes_; }
  float getConverg() const { return converg_; }
  int getMinSta() const { return minSta_; }
  float getMissVal() const { return background_; }

  // 0 when the first grid of the list has no domain. Each later pass leaves the filter
  // multiplied by the convergence factor.
  int compute(const Data& data, Grids& grids);
  void print() const;

 private:
  float filter_;
  float radInf_;
  int passes_;
  float converg_;
  int minSta_;
  float background_;
};

}  // namespace KOL
