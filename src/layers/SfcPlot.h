// The surface plot layer: reads a surface file (found by the naming convention "sfc_cvt", the
// latest when none is named) and, for each entry of a variable list, plots station values
// around each station as station models, or analyses them onto a grid and contours them, with
// the automatic map backgrounds and the information and date labels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Filename.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "graphics/Drawing.h"
#include "graphics/Listener.h"
#include "grid/SfcGrid.h"
#include "layers/DatumPlot.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/SfcRaw.h"
#include "layers/varplot/VarPlot.h"

namespace KOL {

class Datum;
class GridSpec;
class Grids;
class SfcFile;
class VarList;

class SfcPlot : public Drawing, public Listener, private VarPlotSource {
 public:
  static constexpr int PLOT_TYPE_SIZE = 10;  // 9 characters
  static constexpr const char* CONVENTION = "sfc_cvt";
  static constexpr const char* DEFAULT_VAR_FILE = "sfcplot.var";
  // mapMode: who decides whether map lines go over the data.
  enum MapMode : int { MAP_AUTO = -1, MAP_LINE = 0, MAP_FILL = 1 };

  SfcPlot();
  ~SfcPlot() override;
  SfcPlot(const SfcPlot&) = delete;
  SfcPlot& operator=(const SfcPlot&) = delete;

  void init() override;
  int setFile() override;
  int setInput(const char* text) override;
  int setNameConv(const char* conv) override;
  int setHour(const char* text);
  int setFilename() override;
  int setFilename(const char* name) override;
  int setFilename(Date& d) override;
  int setFilename(Date& d, const char* spec) override;
  int getDate(Date& d) override;
  int getInitDate(Date& d) override;
  int getDateOffset() override;
  int getNumFrames() override;
  int getLoopType() override { return 1; }
  int getSync() override { return sync; }

  int setParam(const char* text) override;
  int setVariable(const char* list);
  int setPlotType(const char* word);
  int setTimezone(const char* text);
  int setGridDomain(const char* text);
  void setOutput(const char* name) { output.set(name ? name : ""); }

  // 1 when drawn; 0 (after one level-3 message) when the surface file cannot be opened.
  int draw(Plot& plot) override;
  void print() override;
  int callback(const char*, const char*, const void*) override { return 0; }

  const char* getFilename() const { return file.getName(); }
  const char* getParams() const { return params.get(); }
  const char* getVariable() const { return variable.get(); }
  const char* getPlotType() const { return plotType; }
  // The plot type's code (ContPlot::decodeType); 1 to 4 grid plain parameters.
  int getPlotCode() const;
  bool isGridded() const;
  bool getMap() const { return map; }
  GridCont& getContour() { return contour; }
  int getMapMode() const { return mapMode; }
  // How the pipeline is to choose the automatic maps.
  VarPlot::MapChoice getMapChoice() const;
  // What the last draw did: its pipeline (slots, grids, maps) and the reports it read.
  const VarPlot& getPipeline() const { return pipeline; }
  int getReportsRead() const { return reportsRead; }

 private:
  bool fixedFile() const;
  int openFile();
  void prepareList(VarList& list, const char* varFile);

  // The pipeline's questions.
  bool gridded() const override { return isGridded(); }
  void dataSpec(const VarList& list, int i, GridSpec& spec) override;
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override;
  int drawParams(Plot& plot, const VarList& list, int first, int last) override;
  void groupFormat(const char* format) override { gridder.setParam(format); }
  void label(Plot& plot, const VarList& list, int i) override;

  Filename file;
  String params;
  String variable;
  char plotType[PLOT_TYPE_SIZE];
  Timezone timezone;
  Domain gridDomain;
  SfcGrid gridder;
  SfcRaw stations;
  DatumPlot datumPlot;
  GridCont contour;
  GridVect vector;
  String output;
  bool map;
  int mapMode;
  int sync;
  bool thin;    // drop station models that would overprint others
  bool screen;  // leave gross errors out of analyses
  std::string timezoneText;
  // The state of one draw.
  std::unique_ptr<SfcFile> input;
  Date fileDate;
  VarPlot pipeline;
  int reportsRead;
};

}  // namespace KOL
