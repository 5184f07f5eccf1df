// What the station plot layers (surface and upper-air) share: the file found by a naming
// convention, the keys and resources of the variable list, plot type, time zone and gridding
// domain, and the draw through the variable-list pipeline into station models or contoured
// analyses. A layer adds its file type, its gridder and its own keys.
#pragma once

#include <string>
#include <vector>

#include "core/Filename.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "graphics/Drawing.h"
#include "graphics/Listener.h"
#include "layers/DatumPlot.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/varplot/VarPlot.h"

namespace KOL {

class Grids;
class PointGrid;
class VarSpec;
namespace sfcplot {
class StationModels;
}

class StationPlot : public Drawing, public Listener, protected VarPlotSource {
 public:
  static constexpr int PLOT_TYPE_SIZE = 10;  // 9 characters
  // mapMode: who decides whether map lines go over the data.
  enum MapMode : int { MAP_AUTO = -1, MAP_LINE = 0, MAP_FILL = 1 };

  ~StationPlot() override;
  StationPlot(const StationPlot&) = delete;
  StationPlot& operator=(const StationPlot&) = delete;

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

  // Keys: ct colour table and co colour (of the station values and contours), va variable
  // list, if and nc naming convention, ho hour, tz time zone, pl plot type; whole tokens map,
  // sync, map_line, map_fill, and nothin (every station model, even those that overprint
  // others); and the layer's own.
  int setParam(const char* text) override;
  int setVariable(const char* list);
  int setPlotType(const char* word);
  int setTimezone(const char* text);
  int setGridDomain(const char* text);

  // 1 when drawn; 0 (after one level-3 message) when the file cannot be opened.
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
  // What the last draw did: its pipeline (slots, grids, maps).
  const VarPlot& getPipeline() const { return pipeline; }

 protected:
  // name starts the layer's messages; convention and varFile are its defaults.
  StationPlot(const char* name, const char* convention, const char* varFile);

  // Resets the shared state (the layer's init() then resets its own and calls readResources).
  void initShared();
  // setFile(), then the resources "grid_domain", "timezone", "plot_type", "variable", the
  // layer's own and last "parameter".
  void readResources();
  // Thins the models to the plot (thinW and thinH: shares of the plot's height each needs)
  // unless nothin, and draws them.
  void drawModels(Plot& plot, sfcplot::StationModels& models, float thinW, float thinH);
  // Converts grid slot k to the units of entry entries[k]; the number of slots set.
  static int convertUnits(const VarList& list, const std::vector<int>& entries, Grids& grids);
  // The labels of an analysis (when it has no forecast time of its own) from the file's date.
  void labelAnalysis(Plot& plot, VarSpec& spec);

  // The layer's part.
  virtual PointGrid& gridder() = 0;
  // Opens name as the layer's input (setting fileDate); 0 when it is none.
  virtual int openInput(const char* name) = 0;
  virtual void closeInput() = 0;
  // The date the file name holds.
  virtual int readDate(const char* name, Date& d) = 0;
  virtual void prepareDraw(const char* varFile) { (void)varFile; }
  // A key of the layer's own (a token of the parameter string); 0 when it is none.
  virtual int ownKey(const char* token) = 0;
  virtual void ownResources() {}
  virtual void printOwn() {}

  bool gridded() const override { return isGridded(); }
  void groupFormat(const char* format) override;

  Filename file;
  Date fileDate;
  DatumPlot datumPlot;
  int stationsRead;

 private:
  bool fixedFile() const;
  int openFile();

  const char* layerName;
  const char* convention;
  const char* defaultVarFile;
  String params;
  String variable;
  char plotType[PLOT_TYPE_SIZE];
  Timezone timezone;
  std::string timezoneText;
  Domain gridDomain;
  GridCont contour;
  GridVect vector;
  bool map;
  int mapMode;
  int sync;
  bool thin;  // drop station models that would overprint others
  VarPlot pipeline;
};

}  // namespace KOL
