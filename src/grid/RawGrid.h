// Objective analysis of raw point data: a data set handed over, or a raw point file (the
// naming convention "raw") of lines "[id] lat lon value...", comment lines starting with '#',
// and an optional line "#fields: spec,spec,..." naming the value columns with variable specs.
#pragma once

#include <string>

#include "grid/ObjectAnal.h"
#include "grid/anal/Target.h"

namespace KOL {

class Data;
class Grids;

class RawGrid : public ObjectAnal {
 public:
  RawGrid() { init(); }
  void init();
  // The domain to analyse onto, in the user domain syntax.
  int setDomain(const char* text) { return target_.setDomain(text); }
  // "grid=N" refines the domain's lattice N times; the other words go to ObjectAnal::setParam.
  int setParam(const char* text);
  int getGridFactor() const { return target_.factor; }
  // The raw point file: a name, or a file request of the "raw" naming convention ("la", ...).
  int setFilename(const char* name);
  const char* getFilename() const { return file_.c_str(); }

  // The observations of the raw file.
  int compute(Grids& grids);
  int compute(const Data& data, Grids& grids);
  // Reads a raw point file; 0 when it cannot be opened.
  static int read(const char* name, Data& data);

 private:
  anal::Target target_;
  std::string file_;
};

}  // namespace KOL
