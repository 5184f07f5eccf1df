// The layer of warnings: the storm-based polygons of the VTEC events in force at the valid
// time, read from filed bulletins in the order they were issued (corrections replace,
// cancellations and expirations remove), outlined (or filled) in the colours the NWS hazard maps
// give each phenomenon and significance, with a label of type and expiry. Events known only by
// their zones are listed, not drawn: the map database holds no zone outlines.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/overlay/OverlayKeys.h"
#include "obs/text/WarnEvents.h"

namespace KOL {

class WarnPlot : public Drawing {
 public:
  WarnPlot() { init(); }
  explicit WarnPlot(const char* params) : WarnPlot() { setParam(params); }

  // Defaults, then the resources "type", "timezone", "plot_scale", "color_warn" and
  // "parameter".
  void init() override;
  // The products of a file of bulletins; the events start again from them. 0 when none is read.
  int setFilename(const char* name) override;
  // The products of another file, after those read.
  int addFile(const char* name);
  // The shared keys (OverlayKeys; min=N: only the warnings begun in the last N minutes) and
  // ty=TO:SV:... (the phenomena drawn).
  int setParam(const char* params) override;
  // The file of the naming convention "sev_txt" at d.
  int setFilename(Date& d) override;
  // A map about the polygons in force; 0 when there is none.
  int getDomain(Domain& d) override;
  // The valid time: vdate, else the latest begin of an event read.
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  void setValidTime(std::time_t t) { keys.valid = t; }
  std::time_t getValidTime() const { return keys.valid >= 0 ? keys.valid : latest; }
  // The events drawn at the valid time (with a polygon, of the phenomena asked for).
  std::vector<const WarnEvents::Event*> drawn() const;
  // The colour name of a phenomenon and significance.
  static const char* colorOf(const std::string& phenomena, char significance);

 private:
  int read(const char* name);
  void label(Plot& plot, const WarnEvents::Event& e, float height);

  WarnEvents events;
  std::vector<std::string> phenomena;  // empty: all
  std::time_t latest;
  overlay::OverlayKeys keys;
};

}  // namespace KOL
