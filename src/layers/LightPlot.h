// The layer of lightning: strikes from GLM level-2, NLDN binary or UALF text files as small
// squares coloured by their age before the valid time (five-minute classes up to an hour) or by
// polarity, with the colour bar of the classes.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/image/ImageCanvas.h"
#include "obs/LightningFile.h"

namespace KOL {

class LightPlot : public Drawing {
 public:
  LightPlot() { init(); }
  explicit LightPlot(const char* params) : LightPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // The strikes of a file; they start again from it. 0 when it cannot be read.
  int setFilename(const char* name) override;
  int addFile(const char* name);
  // Keys age (colour by age, the default), pol (by polarity), min=N (strikes of the last N
  // minutes only), vdate=YYYYMMDDHHMM (the valid time; default the latest strike), bar, nobar,
  // map, nomap, sc=scale.
  int setParam(const char* params) override;
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
  std::time_t valid;  // -1: the latest strike
  int minutes;        // 0: every strike
  bool polarity, bar, map;
  float scale;
};

}  // namespace KOL
