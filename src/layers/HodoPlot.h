// The hodograph of a sounding's winds: the tips of the wind vectors from the surface up to a
// top pressure (key min_pr=, default 200 hPa) joined in order and coloured by height above the
// ground (0-1 km magenta, 1-3 km red, 3-6 km green, 6-9 km gold, above blue), on rings of speed
// every 10 knots (labelled every 20) with the four directions, scaled to the strongest wind;
// the storm motion of a right-moving supercell (UpaTool::calcStorm) marked and written, with the
// 0-3 km storm-relative helicity. The domain is the hodograph projection (direction, speed).
#pragma once

#include "graphics/Drawing.h"
#include "obs/UpaData.h"

namespace KOL {

class HodoPlot : public Drawing {
 public:
  static constexpr float DEFAULT_MIN_PR = 200.0f;

  HodoPlot() { init(); }

  // Defaults, then the resource "parameter".
  void init() override;
  // min_pr=HPA: the highest wind drawn.
  int setParam(const char* params) override;
  void setSounding(const UpaData& s) { sounding = s; }
  const UpaData& getSounding() const { return sounding; }
  float getMinPres() const { return minPres; }
  // The outer ring's speed (knots): the strongest wind drawn, rounded up to 20, at least 40.
  float getRange() const;
  // The hodograph domain out to the outer ring.
  int getDomain(Domain& d) override;
  int getNumFrames() override { return 0; }
  // 0 when the sounding has fewer than two winds.
  int draw(Plot& plot) override;
  void print() override;

  // The colour name of a height above the ground (m).
  static const char* heightColor(float agl);

 private:
  void drawRings(Plot& plot, float range) const;
  void drawStorm(Plot& plot) const;
  void drawLegend(Plot& plot) const;

  UpaData sounding;
  float minPres;
};

}  // namespace KOL
