// The upper-air plot layer: reads an upper-air file (found by the naming convention "upa_cvt",
// the latest when none is named) and, for each entry of a variable list, plots the soundings'
// values at a pressure level around each station as station models (heights in decametres,
// temperature, dew-point depression, wind barb), or analyses them onto a grid and contours
// them, with the automatic map backgrounds and the information and date labels. An entry
// without a level of its own takes its group's, else the layer's (le=, default 500 hPa).
#pragma once

#include <memory>
#include <vector>

#include "grid/Level.h"
#include "grid/UpaGrid.h"
#include "layers/StationPlot.h"

namespace KOL {

class UpaKolFile;

class UpaPlot : public StationPlot {
 public:
  static constexpr const char* CONVENTION = "upa_cvt";
  static constexpr const char* DEFAULT_VAR_FILE = "upaplot.var";
  static constexpr const char* DEFAULT_LEVEL = "500";

  UpaPlot();
  ~UpaPlot() override;

  // Defaults, then the resources (those of every station layer, and "level").
  void init() override;
  // A level text ("500", "850mb"); 0 (the level unchanged) when it is none.
  int setLevel(const char* text);

  const Level& getLevel() const { return level; }
  int getSoundingsRead() const { return stationsRead; }

 private:
  // Entry i with its level completed: its own, else its group's, else the layer's.
  VarSpec levelled(const VarList& list, int i) const;

  PointGrid& gridder() override { return grid; }
  int openInput(const char* name) override;
  void closeInput() override;
  int readDate(const char* name, Date& d) override;
  // The key le (level).
  int ownKey(const char* token) override;
  void ownResources() override;
  void printOwn() override;

  void dataSpec(const VarList& list, int i, GridSpec& spec) override;
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override;
  int drawParams(Plot& plot, const VarList& list, int first, int last) override;
  void label(Plot& plot, const VarList& list, int i) override;

  Level level;
  UpaGrid grid;
  std::unique_ptr<UpaKolFile> input;
};

}  // namespace KOL
