// What the station analysers (SfcGrid, UpaGrid, RawGrid) share on top of ObjectAnal: the domain
// to analyse onto (the resource "plot_domain" unless one is given) with its refinement factor,
// the observation file found by name or by the analyser's naming convention, and the variables
// to analyse.
#pragma once

#include <string>
#include <vector>

#include "grid/ObjectAnal.h"
#include "grid/anal/Target.h"
#include "layers/VarSpec.h"

namespace KOL {

class Data;
class Grids;

class PointGrid : public ObjectAnal {
 public:
  explicit PointGrid(const char* convention) : convention_(convention) { init(); }

  void init();
  int setDomain(const char* text) { return target_.setDomain(text); }
  int setDomain(const Domain& d) { return target_.setDomain(d); }
  // "grid=N" refines the domain's lattice N times; the other words go to ObjectAnal::setParam.
  int setParam(const char* text);
  int getGridFactor() const { return target_.factor; }
  // A file name, or a file request of the naming convention ("la", "#2024011512").
  int setFilename(const char* name);
  const char* getFilename() const { return file_.c_str(); }
  // Comma-separated variable specs, one grid each ("temp,pres", "500mb:hght"); 0 for none.
  int setVariables(const char* list);
  const std::vector<VarSpec>& getVariables() const { return vars_; }

  // The analysis of a data set onto the target domain; 0 when there is no domain.
  int compute(const Data& data, Grids& grids);

 private:
  const char* convention_;
  anal::Target target_;
  std::string file_;
  std::vector<VarSpec> vars_;
};

}  // namespace KOL
