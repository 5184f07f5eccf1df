// The background of a thermodynamic diagram: isobars, isotherms, dry and saturated adiabats and
// mixing-ratio lines with their labels and a frame, on one of five diagrams (skew-T, Stuve,
// emagram, tephigram and unrotated tephigram). Each diagram is a domain projection of
// (temperature C, pressure mb), so the drawing is the same for all of them; a sounding is drawn
// over it on the same domain by SoundPlot.
#pragma once

#include "core/String.h"
#include "graphics/Drawing.h"

namespace KOL {

class Plot;

class ThermPlot : public Drawing {
 public:
  enum Type : int { SKEWT = 0, STUVE = 1, EMA = 2, TEPH = 3, RTEPH = 4, HODO = 5 };
  static constexpr int NUM_TYPES = 5;
  static constexpr float BOTTOM_LIMIT = 1100.0f;
  static constexpr const char* DEFAULT_MIX_RATIOS =
      "0.1,0.2,0.4,0.6,1.0,2.0,3.0,4.0,5.0,7.5,10.0,15.0,20.0,25.0,30.0,40.0";

  // What the last draw covered: temperatures (C) and pressures (mb) rounded outward.
  struct Range {
    float tmin, tmax, top, bottom;
  };

  ThermPlot() { init(); }
  explicit ThermPlot(const char* params) : ThermPlot() { setParam(params); }

  // Defaults, then the resources "color_grid" and "color_label".
  void init() override;
  // "ty=NAME" sets the type.
  int setParam(const char* params) override;
  int setType(int type);
  int setType(const char* name);
  int getType() const { return type; }
  // The type of a name: "skewt", "stuve", "ema", "teph", "rteph"; anything else skew-T.
  static int getType(const char* name);
  static const char* getTypeName(int type);
  // What a person calls it ("Skew-T", "Tephigram" ...).
  static const char* getTypeTitle(int type);
  int setVertAxis(float top, float bottom, float step);
  int setHorAxis(float min, float max, float step);
  // Comma-separated plot attributes: isobars, isotherms, then the adiabats and mixing-ratio
  // lines (one item for all three, or an item each).
  void setGridColor(const char* list);
  // Pressure labels, temperature labels, mixing-ratio labels.
  void setLabelColor(const char* list);
  void setMixRatio(const char* list);
  // The domain of the current type.
  int getDomain(Domain& d) override;
  // The domain of a type; 5 is the hodograph, anything out of range skew-T.
  static Domain getDomain(int type);

  int getNumFrames() override { return 0; }
  int draw(Plot& plot) override;
  void print() override;
  const Range& getRange() const { return range; }

 private:
  void drawIsobars(Plot& plot);
  void drawIsotherms(Plot& plot);
  void drawAdiabats(Plot& plot);
  void drawMixRatios(Plot& plot);
  void drawLabels(Plot& plot);
  void drawFrame(Plot& plot);
  // The attribute of item i of a list, or the default.
  static String item(const String& list, int i, const char* def);
  String curveAttr(int family) const;

  int type;
  String grid_color;
  String label_color;
  String mix_ratio;
  float hor_min, hor_max, hor_step;
  float vert_top, vert_bottom, vert_step;
  Range range;
};

}  // namespace KOL
