// The layer of severe weather watches: the SPC aviation watches' boxes (SAW) read in the order
// issued, a cancellation or a watch that replaces others taking them away; tornado watches and
// severe thunderstorm watches in their hazard colours with number, type and end. Watches known
// only by their counties (WCN) are not drawn: the map database holds no county outlines.
#pragma once

#include <string>
#include <vector>

#include <ctime>

#include "graphics/Drawing.h"
#include "layers/overlay/OverlayKeys.h"
#include "obs/text/WatchProduct.h"

namespace KOL {

class WatchPlot : public Drawing {
 public:
  WatchPlot() { init(); }
  explicit WatchPlot(const char* params) : WatchPlot() { setParam(params); }

  // Defaults, then the resources "timezone", "plot_scale", "color_watch" and "parameter".
  void init() override;
  // The watch products of a file; the watches start again from them. 0 when none is read.
  int setFilename(const char* name) override;
  int addFile(const char* name);
  // The shared keys (OverlayKeys); with vdate=, only the watches valid then are drawn.
  int setParam(const char* params) override;
  // The file of the naming convention "wat_dat" at d.
  int setFilename(Date& d) override;
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  void print() override;

  // The watches in force: issued with a box, not cancelled nor replaced since.
  const std::vector<WatchProduct>& getWatches() const { return watches; }
  // The watches drawn: those in force, and valid at vdate= when it is given.
  std::vector<const WatchProduct*> drawn() const;
  // A DDHHMM time of a product as a time, in the month of near (or the one before or after).
  static std::time_t resolve(const std::string& ddhhmm, std::time_t near);
  static const char* colorOf(const std::string& type);

 private:
  int read(const char* name);

  std::vector<WatchProduct> watches;
  overlay::OverlayKeys keys;
};

}  // namespace KOL
