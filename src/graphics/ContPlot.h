// Contours of a grid: lines of each level, colour-filled bands, values, contour labels, highs and
// lows. Every grid cell is contoured on its own (GridBox): one segment per cell and level, one
// polygon per cell and band; the segments are then joined into polylines and the polygons merged
// into each band's connected areas with their holes, which is what reaches the device.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geo/Rect.h"
#include "graphics/ContSink.h"
#include "graphics/GridBox.h"
#include "graphics/contour/Annotations.h"
#include "graphics/contour/Coverage.h"

namespace KOL {

class Grid;
class Domain;
class Graph;
class Plot;
class String;

class ContPlot {
 public:
  static constexpr int MAX_LEVELS = 150;
  // A high or low less than an interval above (below) the col that leads to higher (lower)
  // ground needs a closed contour of its own around at least this many grid points (a smaller
  // ring is a feature of about one grid length, which the grid does not resolve) ...
  static constexpr int MIN_ENCLOSED = 4;
  // ... reaching this many contour intervals beyond that contour's level.
  static constexpr float MIN_DEPTH = 0.25f;
  enum Type { NONE = 0, VALUE = 1, LINE = 2, FILL = 3, LINE_FILL = 4 };

  ContPlot() { init(); }
  explicit ContPlot(const char* params);
  void init();
  int setParam(const char* params);

  int setType(int t);
  int setType(const char* name);
  static int decodeType(const char* name);
  // The colour map's fill palette: the "fillNN" entries when it has them, else every fill entry
  // after white and black.
  static std::vector<int> fillPalette(Graph& graph);
  int getType() const { return type; }
  int getDashRule() const { return dash; }
  int setInterval(float v);
  float getInterval() const { return interval; }
  int setBase(float v);
  // ">v" lower range limit, "<v" upper range limit, a plain number the base.
  int setBase(const char* text);
  float getBase() const { return base; }
  float getLower() const { return lower; }
  float getUpper() const { return upper; }
  // Explicit level values (the colour fill's values); empty restores the computed levels.
  int setLevels(const std::vector<float>& values);
  int setColorTable(const char* files);
  int setColorFill(const char* text);
  int setColorLine(const char* text);
  int setColorLabel(const char* text);
  int setLabelParam(int freq, int radius);
  int setLabelSpace(int x, int y);
  int setFillStyle(int style);
  int setLineWidth(float w);
  int setScaleFactor(float s);
  int setTextFormat(const char* fmt);
  int setBar(bool on);
  // Where the grid has no values (an analysis far from its stations), lines and fills end along a
  // smooth edge through the cells at the border of the values instead of leaving out every cell
  // with a missing corner. Off by default; "edge" turns it on, "noedge" off.
  int setSmoothEdge(bool on);
  // The panel, in plot coordinates, that highs, lows and labels must stay inside (draw sets it
  // to the plot's window); unset, the grid's extent.
  void setMarkArea(const Rect& r) { markArea = r; }

  const char* getColorTable() const { return colorTable.c_str(); }
  const char* getColorFill() const { return colorFill.c_str(); }
  const char* getColorLine() const { return colorLine.c_str(); }
  const char* getColorLabel() const { return colorLabel.c_str(); }
  const char* getTextFormat() const { return format.c_str(); }
  int getLabelFreq() const { return labFreq; }
  int getLabelRadius() const { return labRadius; }
  int getLabelSpaceX() const { return labSpaceX; }
  int getLabelSpaceY() const { return labSpaceY; }
  int getFillStyle() const { return fillStyle; }
  float getLineWidth() const { return lineWidth; }
  float getScaleFactor() const { return scale; }
  bool getBar() const { return bar; }
  bool getSmoothEdge() const { return edge; }

  // Levels of a grid; 0 when there are none (no data, bad explicit levels).
  int setLevels(const Grid& g, int numColors = 0);
  int getNumLevels() const { return nlevels; }
  float getLevel(int k) const;
  float getFirst() const { return first; }
  float getLast() const { return last; }

  // The computation, in the plot domain's coordinates or, without a domain, in grid coordinates
  // (column, row). Levels must have been set. Lines give the number of polylines, fills the
  // number of areas.
  int contourLines(const Grid& g, const Domain* plot, ContSink& out) const;
  int contourFills(const Grid& g, const Domain* plot, ContSink& out) const;
  int lineLabels(const Grid& g, const Domain* plot, ContSink& out) const;
  int maxMin(const Grid& g, const Domain* plot, ContSink& out) const;

  // A contour label or high/low value: plain decimals enough for the interval (no exponent below
  // a million).
  void levelText(float v, String& out) const;

  // Draws the grid through a graph whose window is the grid in grid coordinates, row 0 on top.
  int draw(Graph& graph, const Grid& g);
  int drawValues(Graph& graph, const Grid& g);
  int drawValues(Plot& plot, const Grid& g);
  // Draws on the plot's current panel: the grid's positions are projected once into its domain.
  int draw(Plot& plot, Grid& g);
  // "ul" the grid's information, "ur" its date, "lr" interval, low and high.
  int drawLabels(Plot& plot, const Grid& g);

  void print() const;

 private:
  void valueText(float v, String& out) const;
  // The given colours, else the defaults for a device with or without inverse video.
  const char* lineColorName(bool inverse) const;
  const char* labelColorName(bool inverse) const;
  int computeLevels(float min, float max, int numColors);
  int firstLevelAbove(float v) const;
  contour::Area areaOf(const Grid& g, const Domain* plot) const;
  contour::OpenPoints openPoints(const Grid& g, const Domain* plot) const;
  bool closedAround(const Grid& g, int i, int j, bool high, contour::OpenPoints& open,
                    std::vector<char>& seen) const;
  std::vector<contour::Extreme> extremes(const Grid& g, const Domain* plot) const;
  int lineLabels(const Grid& g, const Domain* plot, ContSink& out,
                 const std::vector<contour::Extreme>& marks) const;
  // Labels, highs and lows.
  int annotate(const Grid& g, const Domain* plot, ContSink& out) const;
  int setBox(GridBox& box, const Grid& g, const Domain* plot, int i, int j) const;
  // The covered part of g when edges are smoothed and g has missing values.
  std::optional<contour::Coverage> coverage(const Grid& g) const;
  // Sets the box of cell (i, j); false when nothing of it is drawn. At the edge of the covered
  // part its missing corners take the mean of the others and n gets the number of covered pieces
  // (-1: the whole cell is drawn).
  int cellBox(GridBox& box, const Grid& g, const Domain* plot, int i, int j,
              const contour::Coverage* cover, contour::Piece pieces[2], int& n) const;

  int type;
  int dash;
  float interval, base, lower, upper;
  std::string colorTable, colorFill, colorLine, colorLabel, format;
  int labFreq, labRadius, labSpaceX, labSpaceY;
  int fillStyle;
  float lineWidth, scale;
  bool bar;
  bool edge;
  std::vector<float> explicitLevels;
  std::vector<float> levels;
  int nlevels;
  float first, last, usedInterval;
  float dataMin, dataMax;
  Rect markArea;
};

}  // namespace KOL
