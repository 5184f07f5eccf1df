// The layer of MOS guidance on a map: for one forecast hour, each station of the bulletins at
// its place in the station table with its elements around it (first temperature, upper left;
// dew point, lower left; then upper right, lower right, above and below), as the station plots
// of surface data place theirs.
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "obs/text/MosBulletin.h"

namespace KOL {

class MosPlot : public Drawing {
 public:
  MosPlot() { init(); }
  explicit MosPlot(const char* params) : MosPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // The stations of a file's MOS bulletins; they start again from it. 0 when none is read.
  int setFilename(const char* name) override;
  int addFile(const char* name);
  // Keys fh=N (the forecast hour; default the first column), va=TMP:DPT:... (the elements,
  // six at most), map, nomap, sc=scale.
  int setParam(const char* params) override;
  // A map about the stations found in the station table; 0 when none is.
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  void print() override;

  struct Placed {
    const MosBulletin::Station* station;
    float lat, lon;
    size_t column;  // of the forecast hour
  };
  // The stations with a place and the forecast hour.
  std::vector<Placed> placed() const;
  const std::vector<std::string>& getElements() const { return elements; }

 private:
  int read(const char* name);

  std::vector<MosBulletin> bulletins;
  std::vector<std::string> elements;
  int hour;  // -1: the first column
  bool map;
  float scale;
};

}  // namespace KOL
