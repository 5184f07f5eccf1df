// The layer of fronts and pressure centres from WPC's coded surface bulletins: cold fronts
// blue with triangles, warm fronts red with half-circles, occluded fronts purple with both,
// stationary fronts alternating red and blue with triangles and half-circles on opposite sides,
// troughs dashed, dry lines with open half-circles, squall lines dash-dotted; highs as a blue H
// and lows as a red L with their pressure. The symbols sit on the side the bulletin lists a
// front toward, the way it moves.
#pragma once

#include <string>

#include "graphics/Drawing.h"
#include "obs/text/FrontBulletin.h"

namespace KOL {

class FrontPlot : public Drawing {
 public:
  FrontPlot() { init(); }
  explicit FrontPlot(const char* params) : FrontPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // The first coded surface bulletin of a file (filed bulletins or a plain file); 0 when none.
  int setFilename(const char* name) override;
  // Keys spline, nospline, prlab, noprlab, map, nomap, sc=scale.
  int setParam(const char* params) override;
  int draw(Plot& plot) override;
  void print() override;

  const FrontBulletin& getBulletin() const { return bulletin; }
  // The width of a symbol in plot coordinates on a domain of this height.
  float symbolWidth(float domainHeight) const { return domainHeight / 45.0f * scale; }

 private:
  void drawFront(Plot& plot, const FrontBulletin::Feature& f, float width);
  void drawCentre(Plot& plot, const FrontBulletin::Feature& f);

  FrontBulletin bulletin;
  bool loaded;
  bool spline;
  bool pressureLabels;
  bool map;
  float scale;
};

}  // namespace KOL
