// The surface plot layer: reads a surface file (found by the naming convention "sfc_cvt", the
// latest when none is named) and, for each entry of a variable list, plots station values
// around each station as station models, or analyses them onto a grid and contours them, with
// the automatic map backgrounds and the information and date labels. Its own key: the whole
// token noqc (gross errors kept in analyses).
#pragma once

#include <memory>
#include <vector>

#include "core/String.h"
#include "grid/SfcGrid.h"
#include "layers/SfcRaw.h"
#include "layers/StationPlot.h"

namespace KOL {

class GridSpec;
class SfcFile;

class SfcPlot : public StationPlot {
 public:
  static constexpr const char* CONVENTION = "sfc_cvt";
  static constexpr const char* DEFAULT_VAR_FILE = "sfcplot.var";

  SfcPlot();
  ~SfcPlot() override;

  // Defaults, then the resources (those of every station layer, and "output").
  void init() override;
  void setOutput(const char* name) { output.set(name ? name : ""); }

  // The reports the last draw read.
  int getReportsRead() const { return stationsRead; }

 private:
  PointGrid& gridder() override { return grid; }
  int openInput(const char* name) override;
  void closeInput() override;
  int readDate(const char* name, Date& d) override;
  void prepareDraw(const char* varFile) override { stations.setVarFile(varFile); }
  int ownKey(const char* token) override;
  void ownResources() override;

  // The pipeline's questions.
  void dataSpec(const VarList& list, int i, GridSpec& spec) override;
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override;
  int drawParams(Plot& plot, const VarList& list, int first, int last) override;
  void label(Plot& plot, const VarList& list, int i) override;

  SfcGrid grid;
  SfcRaw stations;
  String output;
  bool screen;  // leave gross errors out of analyses
  std::unique_ptr<SfcFile> input;
};

}  // namespace KOL
