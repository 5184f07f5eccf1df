// The drawing layer of model output: reads the grids a variable list names from a grid file
// (native or GRIB, whatever its name), computes the list's functions and draws contours, colour
// fills and vectors of the results in panels with automatic maps and labels. The model, forecast
// time and level of the layer complete what each entry of the list leaves open:
//   500:hght[dam,ln],avort(500:uwnd,500:vwnd)[,cf]    with ft=12 draws the 12 h forecast.
#pragma once

#include <string>

#include "core/Filename.h"
#include "core/ForeTime.h"
#include "graphics/Drawing.h"
#include "graphics/Listener.h"
#include "grid/Grid.h"
#include "grid/GridRead.h"
#include "grid/Level.h"
#include "grid/ModelSpec.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/varplot/VarPlot.h"

namespace KOL {

class GridPlot : public Drawing, public Listener, private VarPlotSource {
 public:
  static constexpr int MODEL_SIZE = 20;
  static constexpr const char* DEFAULT_CONV = "grid";
  static constexpr const char* DEFAULT_VAR_FILE = "gridplot.var";

  GridPlot() { init(); }
  explicit GridPlot(const char* params) : GridPlot() { setParam(params); }

  // Defaults, setFile(), then the resources "num_hour", "time", "level" and "parameter".
  void init() override;
  // The resource "hour", then the naming convention: the model's, else the resource "in_file",
  // else "grid".
  int setFile() override;
  int setInput(const char* name) override { return file.checkFile(name); }
  int setNameConv(const char* conv) override { return file.setNameConv(conv); }
  int setModel(const char* name);
  int setHour(const char* text);
  int setFilename() override;
  int setFilename(const char* name) override;
  int setFilename(Date& d) override { return setFilename(d, ""); }
  int setFilename(Date& d, const char* spec) override;
  // "a-b/c" becomes the list a, a+c, ... b; any other text is kept.
  int setForeTime(const char* text) override;
  // Keys mo= gs= va= ho= le= ft= tz= map_line map_fill; the whole text also goes to the grid
  // reader, the contour layer and the vector layer.
  int setParam(const char* params) override;
  void setLevel(const char* text) { level = text ? text : ""; }
  void setVariable(const char* text) { variable = text ? text : ""; }
  void setTimezone(const char* text) { timezone = text ? text : ""; }
  void setColorFill(const char* text) { colorFill = text ? text : ""; }

  int getDate(Date& d) override;
  int getInitDate(Date& d) override { return getDate(d); }
  int getNumFrames() override { return 1; }
  // The domain of the file's first grid (1); "us" for a standard stream or, with 0, a file that
  // cannot be read.
  int getDomain(Domain& d) override;

  // Reads, computes and draws the variable list; 0 when the file does not exist.
  int draw(Plot& plot) override;
  // Contours a copy of g with the layer's colour fill.
  int draw(Plot& plot, Grid& g);
  int callback(const char* event, const char* data, const void* client) override;
  void print() override;

  const char* getModel() const { return model; }
  const ModelSpec& getModelSpec() const { return modelSpec; }
  Filename& getFilename() { return file; }
  const char* getNameConv() { return file.getNameConv().getType(); }
  const std::string& getForeTime() const { return foreTime; }
  const std::string& getLevel() const { return level; }
  const std::string& getVariable() const { return variable; }
  const std::string& getParams() const { return params; }
  const std::string& getHour() const { return hour; }
  float getForeHour() const { return foreHour; }
  int getMapMode() const { return mapMode; }
  GridCont& getContour() { return contour; }
  GridVect& getVector() { return vector; }
  const VarPlot& getPipeline() const { return pipeline; }

 private:
  // The pipeline's questions.
  bool gridded() const override { return true; }
  const char* slotMessage() const override { return "Read data"; }
  void dataSpec(const VarList& list, int i, GridSpec& spec) override;
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override;
  void label(Plot& plot, const VarList& list, int i) override;

  void useModel(const char* name);
  // The layer's forecast time and level as decoded at the start of draw.
  void decodeSelection();
  bool firstFieldDate(Date& d);

  char model[MODEL_SIZE];
  ModelSpec modelSpec;
  Filename file;
  std::string params;
  std::string foreTime;
  std::string level;
  std::string variable;
  std::string hour;
  float foreHour;
  GridRead reader;
  GridCont contour;
  GridVect vector;
  std::string colorFill;
  std::string timezone;
  int mapMode;
  // Decoded for one drawing.
  ForeTime fore;
  Level lev;
  Date date;
  // The date of the first field of a file named without one, read once per file.
  std::string datedFile;
  Date fileDate;
  Grid grid;
  bool listening;
  VarPlot pipeline;
};

}  // namespace KOL
