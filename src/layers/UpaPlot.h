// The upper-air plot layer: reads an upper-air file (found by the naming convention "upa_cvt",
// the latest when none is named) and, for each entry of a variable list, plots the soundings'
// values at a pressure level around each station as station models (heights in decametres,
// temperature, dew-point depression, wind barb), or analyses them onto a grid and contours
// them, with the automatic map backgrounds and the information and date labels. An entry
// without a level of its own takes its group's, else the layer's (le=, default 500 hPa).
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
#include "grid/Level.h"
#include "grid/UpaGrid.h"
#include "layers/DatumPlot.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/varplot/VarPlot.h"

namespace KOL {

class UpaKolFile;

class UpaPlot : public Drawing, public Listener, private VarPlotSource {
 public:
  static constexpr int PLOT_TYPE_SIZE = 10;  // 9 characters
  static constexpr const char* CONVENTION = "upa_cvt";
  static constexpr const char* DEFAULT_VAR_FILE = "upaplot.var";
  static constexpr const char* DEFAULT_LEVEL = "500";
  enum MapMode : int { MAP_AUTO = -1, MAP_LINE = 0, MAP_FILL = 1 };

  UpaPlot();
  ~UpaPlot() override;
  UpaPlot(const UpaPlot&) = delete;
  UpaPlot& operator=(const UpaPlot&) = delete;

  // Defaults, setFile(), then the resources "grid_domain", "timezone", "plot_type", "level",
  // "variable" and "parameter".
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

  // Keys: ct colour table and co colour (of the station values and contours), le level, va
  // variable list, if and nc naming convention, ho hour, tz time zone, pl plot type; whole
  // tokens map, sync, map_line, map_fill, and nothin (every station model, even those that
  // overprint others).
  int setParam(const char* text) override;
  int setVariable(const char* list);
  int setPlotType(const char* word);
  // A level text ("500", "850mb"); 0 (the level unchanged) when it is none.
  int setLevel(const char* text);
  int setTimezone(const char* text);
  int setGridDomain(const char* text);

  // 1 when drawn; 0 (after one level-3 message) when the upper-air file cannot be opened.
  int draw(Plot& plot) override;
  void print() override;
  int callback(const char*, const char*, const void*) override { return 0; }

  const char* getFilename() const { return file.getName(); }
  const char* getVariable() const { return variable.get(); }
  const Level& getLevel() const { return level; }
  bool isGridded() const;
  const VarPlot& getPipeline() const { return pipeline; }
  int getSoundingsRead() const { return soundingsRead; }

 private:
  bool fixedFile() const;
  int openFile();
  // Entry i with its level completed: its own, else its group's, else the layer's.
  VarSpec levelled(const VarList& list, int i) const;

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
  std::string timezoneText;
  Domain gridDomain;
  Level level;
  UpaGrid gridder;
  DatumPlot datumPlot;
  GridCont contour;
  GridVect vector;
  bool map;
  int mapMode;
  int sync;
  bool thin;  // drop station models that would overprint others
  // The state of one draw.
  std::unique_ptr<UpaKolFile> input;
  Date fileDate;
  VarPlot pipeline;
  int soundingsRead;
};

}  // namespace KOL
