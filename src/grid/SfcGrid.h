// Objective analysis of surface observations: the stations of a surface file (the naming
// convention "sfc_cvt", any of its variants), each variable of a list computed at every station
// placed by its own position or the station table, analysed onto the plot domain.
#pragma once

#include <string>
#include <vector>

#include "grid/ObjectAnal.h"
#include "grid/anal/Target.h"
#include "layers/VarSpec.h"

namespace KOL {

class Data;
class Grids;

class SfcGrid : public ObjectAnal {
 public:
  SfcGrid() { init(); }
  void init();
  int setDomain(const char* text) { return target_.setDomain(text); }
  // "grid=N" refines the domain's lattice N times; the other words go to ObjectAnal::setParam.
  int setParam(const char* text);
  int getGridFactor() const { return target_.factor; }
  // A file name, or a file request of the "sfc_cvt" naming convention ("la", "#2024011512").
  int setFilename(const char* name);
  const char* getFilename() const { return file_.c_str(); }
  // Comma-separated variable specs, one grid each ("temp,pmsl"); 0 when none is given.
  int setVariables(const char* list);
  int getNumVariables() const { return static_cast<int>(vars_.size()); }

  int compute(Grids& grids);
  int compute(const Data& data, Grids& grids)
  {
    return target_.analyse(*this, data, grids, "SfcGrid");
  }
  // The variables at every station of a surface file that can be placed; 0 when it cannot be
  // opened.
  static int read(const char* name, const std::vector<VarSpec>& vars, Data& data);

 private:
  anal::Target target_;
  std::string file_;
  std::vector<VarSpec> vars_;
};

}  // namespace KOL
