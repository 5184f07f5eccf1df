// The layer of fronts and pressure centres from WPC's coded surface bulletins: cold fronts
// blue with triangles, warm fronts red with half-circles, occluded fronts purple with both,
// stationary fronts alternating red and blue with triangles and half-circles on opposite sides,
// troughs dashed, dry lines with open half-circles, squall lines dash-dotted; highs as a blue H
// and lows as a red L with their pressure. The symbols sit on the side the bulletin lists a
// front toward, the way it moves.
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/overlay/OverlayKeys.h"
#include "obs/text/FrontBulletin.h"

namespace KOL {

class FrontPlot : public Drawing {
 public:
  FrontPlot() { init(); }
  explicit FrontPlot(const char* params) : FrontPlot() { setParam(params); }

  // Defaults, then the resources "timezone", "plot_scale", "color_data" and "parameter".
  void init() override;
  // The first coded surface bulletin of a file (filed bulletins or a plain file) of the kind
  // asked for (analysis, or forecast with fore; valid at hour= when given); 0 when none.
  int setFilename(const char* name) override;
  // The file of the naming convention "frt_dat" ("frf_dat" with fore; if=) at d.
  int setFilename(Date& d) override;
  // The shared keys (OverlayKeys: co= every front and centre in one colour, shadow, tz=,
  // hour=HH the bulletin valid at that hour), spline, nospline, prlab, noprlab, barb and
  // nobarb (the fronts' symbols or plain lines), prrad=R (the pressure R letter heights below
  // its H or L; 1), fore (forecast fronts), filter=COLD:WARM:HIGH... (the kinds drawn).
  int setParam(const char* params) override;
  int draw(Plot& plot) override;
  void print() override;

  const FrontBulletin& getBulletin() const { return bulletin; }
  // The width of a symbol in plot coordinates on a domain of this height.
  float symbolWidth(float domainHeight) const { return domainHeight / 45.0f * keys.scale; }

 private:
  void drawFront(Plot& plot, const FrontBulletin::Feature& f, float width);
  void drawCentre(Plot& plot, const FrontBulletin::Feature& f);
  bool wanted(const FrontBulletin& b) const;
  bool drawn(const FrontBulletin::Feature& f) const;

  FrontBulletin bulletin;
  bool loaded;
  bool spline;
  bool pressureLabels;
  bool barbs;
  bool forecast;
  float pressureRadius;
  std::vector<std::string> kinds;  // empty: all
  overlay::OverlayKeys keys;
};

}  // namespace KOL
