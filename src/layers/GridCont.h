// The contour layer of one grid: lines, colour fills, contour labels and values of a field
// (through ContPlot), with the field's information label at the upper left and its date label at
// the upper right. The variable-list layers hand it the grids they computed; on its own it reads
// the grid its "gs" text selects from its grid file.
#pragma once

#include <string>

#include "graphics/ContPlot.h"
#include "graphics/Drawing.h"
#include "grid/Grid.h"

namespace KOL {

class Plot;

class GridCont : public Drawing {
 public:
  static constexpr int MODEL_SIZE = 20;
  // The widest neighbourhood, in grid points, searched for highs and lows.
  static constexpr int MAX_RADIUS = 8;

  GridCont() { init(); }
  explicit GridCont(const char* params) : GridCont() { setParam(params); }

  // Defaults, then the resources "grid_num", "model" and "parameter".
  void init() override;
  // The contour settings back to their defaults (resources included); the layer's own keys
  // (labels, map mode, model, grid selection) stay.
  void reset();
  // Keys nolabel, map_line, map_fill, mo=, gs=, va=; every token also goes to the contours.
  int setParam(const char* params) override;
  // The grid file read by draw(Plot&).
  int setFilename(const char* name) override;
  int setColorFill(const char* text) { return contour.setColorFill(text); }
  // Whether contours of this layer end along a smooth edge where the grid has no values (an
  // analysis of stations); kept by reset().
  void setSmoothEdge(bool on);

  // Reads the selected grid from the grid file and contours it; 0 when it cannot be read.
  int draw(Plot& plot) override;
  // Contours g on the plot's current panel and labels it; 0 when nothing could be contoured.
  int draw(Plot& plot, Grid& g);
  // Whether draw will set a colour bar: fills have one unless the parameters said otherwise.
  bool drawsBar() const;
  void print() override;

  ContPlot& getContPlot() { return contour; }
  const ContPlot& getContPlot() const { return contour; }
  bool getLabel() const { return label; }
  int getMapMode() const { return mapMode; }
  const char* getModel() const { return model; }
  int getGridNum() const { return gridNum; }
  const char* getGridSpec() const { return gridSpec.c_str(); }

  // g resampled at about the pixels of the plot's picture when it is finer than that (what draw
  // contours); false when it is not.
  static bool thinned(const Grid& g, Plot& plot, Grid& out);

 private:
  // Label spacing, high/low radius and the colour bar of fills that suit g, unless the
  // parameters chose them.
  void fitLabels(const Grid& g, const Plot& plot);

  ContPlot contour;
  bool labelsChosen;
  bool barChosen;
  bool label;
  bool smoothEdge;
  int mapMode;  // -1 automatic, 0 map lines only, 1 map fill
  char model[MODEL_SIZE];
  int gridNum;
  std::string gridSpec;
  std::string file;
  Grid grid;
};

}  // namespace KOL
