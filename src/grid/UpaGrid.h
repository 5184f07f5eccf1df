// Objective analysis of upper-air observations: the soundings of an upper-air file (the naming
// convention "upa_cvt"), each variable of a list taken at its level (500mb:temp, 850:hght,
// sfc:wspd) from every sounding, analysed onto the plot domain. Soundings are broader than
// surface reports: the analysis starts from a filter of 8 and a radius of 5 grid spacings.
#pragma once

#include <string>
#include <vector>

#include "grid/ObjectAnal.h"
#include "grid/anal/Target.h"
#include "layers/VarSpec.h"

namespace KOL {

class Data;
class Grids;
class UpaData;

class UpaGrid : public ObjectAnal {
 public:
  static constexpr float FILTER = 8.0f;
  static constexpr float RAD_INF = 5.0f;

  UpaGrid() { init(); }
  // The upper-air defaults, then the resource "object_param".
  void init();
  int setDomain(const char* text) { return target_.setDomain(text); }
  // "grid=N" refines the domain's lattice N times; the other words go to ObjectAnal::setParam.
  int setParam(const char* text);
  int getGridFactor() const { return target_.factor; }
  // A file name, or a file request of the "upa_cvt" naming convention.
  int setFilename(const char* name);
  const char* getFilename() const { return file_.c_str(); }
  // Comma-separated variable specs with their levels ("500mb:temp,500mb:hght").
  int setVariables(const char* list);

  int compute(Grids& grids);
  int compute(const Data& data, Grids& grids)
  {
    return target_.analyse(*this, data, grids, "UpaGrid");
  }
  // The variables of every sounding of an upper-air file that can be placed; 0 when the file
  // cannot be opened.
  static int read(const char* name, const std::vector<VarSpec>& vars, Data& data);
  // One variable of a sounding at the spec's level: pres, hght, temp, dewp, dewd, wdir, wspd,
  // uwnd, vwnd; missing when the sounding does not reach the level or has no such value.
  static float value(const UpaData& snd, const VarSpec& spec);

 private:
  anal::Target target_;
  std::string file_;
  std::vector<VarSpec> vars_;
};

}  // namespace KOL
