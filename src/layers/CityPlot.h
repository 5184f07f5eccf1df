// Station and city markers from the station table: a mark at each station of the plot's domain
// with its identifier (or WMO number, or name) beside it, the most important stations first
// (priority 1 before 2 ...), and a station left out when its label would overprint one already
// placed.
#pragma once

#include <string>
#include <vector>

#include "geo/Rect.h"
#include "graphics/Drawing.h"
#include "obs/CityData.h"

namespace KOL {

class CityPlot : public Drawing {
 public:
  enum Label : int { ID = 0, WMO = 1, NAME = 2 };

  CityPlot() { init(); }
  explicit CityPlot(const char* params) : CityPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // Keys: mark (marks only, no labels; mark=NAME the mark's kind), wmo (WMO numbers as labels),
  // cn (names as labels), num=N (at most N stations), prior=N (priorities up to N), st=XX:YY
  // (those states only), nzero (stations with a WMO number only); "co=" and "sc=" the colour
  // and size.
  int setParam(const char* params) override;
  // 1 when some station was drawn.
  int draw(Plot& plot) override;
  void print() override;

  struct Placed {
    CityData city;
    Rect box;  // of mark and label, plot coordinates
  };
  // What the last draw placed, in the order placed.
  const std::vector<Placed>& getPlaced() const { return placed; }

 private:
  std::vector<CityData> candidates(Plot& plot) const;
  std::string labelOf(const CityData& c) const;

  int label;
  bool labels;
  std::string markType;
  int maxNum, maxPriority;
  std::vector<std::string> states;
  bool withWmo;
  std::string color;
  float scale;
  std::vector<Placed> placed;
};

}  // namespace KOL
