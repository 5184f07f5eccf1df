// The surface plot layer: reads a surface file (found by the naming convention "sfc_cvt", the
// latest when none is named) and, for each entry of a variable list, plots station values
// around each station as station models, or analyses them onto a grid and contours them, with
// the automatic map backgrounds and the information and date labels.
#pragma once

#include <string>

#include "core/Filename.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "graphics/Drawing.h"
#include "graphics/Listener.h"
#include "grid/SfcGrid.h"
#include "layers/SfcRaw.h"

namespace KOL {

class SfcFile;
class VarList;

class SfcPlot : public Drawing, public Listener {
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
  int setTimezone(const char* text) { return timezone.set(text); }
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
  int getMapMode() const { return mapMode; }
  // The parameters of the automatic under- and over-maps for a list (step "automatic maps"):
  // false when the list draws no automatic maps.
  bool autoMaps(const VarList& list, std::string& under, std::string& over) const;

 private:
  struct Walk;
  bool fixedFile() const;
  int openFile(SfcFile& sf);
  void prepareList(VarList& list, const char* varFile);
  void labelEntry(Plot& plot, const VarList& list, int i, const Date& fileDate);

  Filename file;
  String params;
  String variable;
  char plotType[PLOT_TYPE_SIZE];
  Timezone timezone;
  Domain gridDomain;
  SfcGrid gridder;
  SfcRaw stations;
  String output;
  bool map;
  int mapMode;
  int sync;
  std::string datumParams_;  // what the station-model plotter was given
  std::string contourParams_;
};

}  // namespace KOL
