// The layer of severe weather watches: the SPC aviation watches' boxes (SAW) read in the order
// issued, a cancellation or a watch that replaces others taking them away; tornado watches and
// severe thunderstorm watches in their hazard colours with number, type and end. Watches known
// only by their counties (WCN) are not drawn: the map database holds no county outlines.
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "obs/text/WatchProduct.h"

namespace KOL {

class WatchPlot : public Drawing {
 public:
  WatchPlot() { init(); }
  explicit WatchPlot(const char* params) : WatchPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // The watch products of a file; the watches start again from them. 0 when none is read.
  int setFilename(const char* name) override;
  int addFile(const char* name);
  // Keys fill, nolabel, map, nomap, sc=scale.
  int setParam(const char* params) override;
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  void print() override;

  // The watches in force: issued with a box, not cancelled nor replaced since.
  const std::vector<WatchProduct>& getWatches() const { return watches; }
  static const char* colorOf(const std::string& type);

 private:
  int read(const char* name);

  std::vector<WatchProduct> watches;
  bool fill, labels, map;
  float scale;
};

}  // namespace KOL
