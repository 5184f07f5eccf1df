// The layer of lightning: strikes from GLM level-2, NLDN binary or UALF text files as small
// squares coloured by their age before the valid time (five-minute classes up to an hour) or by
// polarity, with the colour bar of the classes.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/image/ImageCanvas.h"
#include "layers/overlay/OverlayKeys.h"
#include "obs/LightningFile.h"

namespace KOL {

class LightPlot : public Drawing {
 public:
  LightPlot() { init(); }
  explicit LightPlot(const char* params) : LightPlot() { setParam(params); }

  // Defaults, then the resources "timezone", "plot_scale", "color_data" and "parameter".
  void init() override;
  // The strikes of a file; they start again from it. 0 when it cannot be read.
  int setFilename(const char* name) override;
  int addFile(const char* name);
  // The shared keys (OverlayKeys: min=N the strikes of the last N minutes only, vdate= the
  // valid time, default the latest strike, co= every strike in one colour), and age (colour by
  // age, the default), pol (by polarity), mark (a + or - for each strike's polarity in place of
  // a square), cof=c1:c2:... (the classes' colours, newest or negative first), bar, nobar, sync.
  int setParam(const char* params) override;
  // The file of the naming convention "nldn" (if=) at d.
  int setFilename(Date& d) override;
  int getSync() override { return sync; }
  // A map about the strikes; 0 when there is none.
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  std::time_t getValidTime() const;
  // The class of a strike (1 ..), 0 when it is not drawn (too old, or after the valid time).
  int classOf(const LightningFile::Strike& s) const;
  // The colour class k was drawn in (after draw).
  RGB getClassColor(int k) const { return k > 0 && k < 256 ? colors.rgb[k] : RGB(); }
  const std::vector<LightningFile::Strike>& getStrikes() const { return strikes; }

 private:
  int read(const char* name);

  std::vector<LightningFile::Strike> strikes;
  imageplot::CodeColors colors;
  std::vector<std::string> classColors;  // cof=
  bool polarity, bar, mark;
  int sync;
  overlay::OverlayKeys keys;
};

}  // namespace KOL
