// The variable-list pipeline the data-driven plot layers share: from a decoded variable list it
// decides the automatic maps, gives every entry that needs a grid its slot (constant grids for
// "#number" arguments), has the layer fill the data slots, evaluates the functions deepest first,
// and walks the list drawing maps, panels, contours and vectors, leaving runs of plain parameters
// and the group labels to the layer. A layer supplies what differs through VarPlotSource.
#pragma once

#include <string>
#include <vector>

#include "grid/Grids.h"

namespace KOL {

class Date;
class GridCont;
class GridSpec;
class GridVect;
class Plot;
class VarList;
class VarSpec;

// What a layer tells the pipeline.
class VarPlotSource {
 public:
  virtual ~VarPlotSource() = default;
  // Plain parameters are gridded and contoured (rather than drawn at the stations).
  virtual bool gridded() const = 0;
  // The key of the data grid entry i of the list needs.
  virtual void dataSpec(const VarList& list, int i, GridSpec& spec) = 0;
  // Fills grids, slot k with the data of entry entries[k] (keyed by dataSpec), in one pass over
  // the data; the number of slots filled.
  virtual int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) = 0;
  // Draws the run of plain parameters first..last-1 (at the stations); 1 when drawn.
  virtual int drawParams(Plot& plot, const VarList& list, int first, int last)
  {
    (void)plot, (void)list, (void)first, (void)last;
    return 0;
  }
  // The debug message that starts the grid slots ("Read and grid data" at the stations).
  virtual const char* slotMessage() const { return "Read and grid data"; }
  // A group opener's format, before its entries are drawn.
  virtual void groupFormat(const char* format) { (void)format; }
  // Labels entry i after it was drawn at level 0 (a run of plain parameters or a group):
  // typically completes the entry's VarSpec and calls VarPlot::addLabels.
  virtual void label(Plot& plot, const VarList& list, int i) { (void)plot, (void)list, (void)i; }
};

class VarPlot {
 public:
  // How the layer wants its maps: map on, map mode (-1 automatic, 0 lines, 1 fill) and the plot
  // type of the layer (3 and 4 are fills).
  struct MapChoice {
    bool map = true;
    int mapMode = -1;
    int plotType = 0;
  };

  VarPlot() = default;

  // Steps of the pipeline; run() calls them in order.
  // Automatic map parameters; false when the list draws its own maps (no automatic map).
  bool chooseMaps(const VarList& list, const MapChoice& choice);
  // Data indices and grid slots of the entries ("Read and grid data"); the number of slots.
  int assignSlots(VarList& list, VarPlotSource& src);
  // Has the layer fill the data slots; the number filled.
  int readData(const VarList& list, VarPlotSource& src);
  // Evaluates the functions from the deepest level up; the number evaluated.
  int evaluate(const VarList& list);
  // Draws the list on the plot with the contour and vector layers (each takes params, then the
  // entry's format); the over-map closes the drawing.
  int drawList(Plot& plot, const VarList& list, VarPlotSource& src, GridCont& cont, GridVect& vect,
               const char* params);
  int run(Plot& plot, VarList& list, VarPlotSource& src, GridCont& cont, GridVect& vect,
          const MapChoice& choice, const char* params);

  // The information label of spec at the upper left and its date label at date in time zone tz
  // (empty: UTC) at the upper right; the plot takes the date when it has none. Plot::done follows.
  // The upper left label names the entry, after source when given ("GFS MOS").
  static void addLabels(Plot& plot, const VarSpec& spec, const Date& date, const char* tz,
                        const char* source = nullptr);

  // Entry tests the walk uses.
  // The entry whose direct argument, component or member entry i is; -1 at level 0.
  static int parentOf(const VarList& list, int i);
  // A vector entry: drawn as vectors and followed by its components one level deeper.
  static bool isVectorEntry(const VarList& list, int i);
  // The first two entries one level below vector entry i; false when it has fewer.
  static bool components(const VarList& list, int i, int& u, int& v);
  // One past the last entry inside opener i.
  static int endOf(const VarList& list, int i);

  const Grids& getGrids() const { return grids; }
  Grids& getGrids() { return grids; }
  // The grid of a slot (an empty grid outside the list).
  const Grid& slotGrid(int slot) const { return grids.getGrid(slot); }
  const std::vector<int>& getDataEntries() const { return dataEntries; }
  bool getAutoMap() const { return autoMap; }
  const std::string& getUnderMap() const { return underMap; }
  const std::string& getOverMap() const { return overMap; }

 private:
  bool needsData(const VarList& list, int i, bool gridded) const;
  // The grids of function i's arguments, in order.
  void collectArgs(const VarList& list, int i, Grids& args) const;
  void evaluateOne(const VarList& list, int i);
  struct Context;
  int drawLevel(Plot& plot, const VarList& list, int first, int last, int level, Context& ctx);
  // One entry at the walk's level; the entry after it (and after what it holds).
  int drawEntry(Plot& plot, const VarList& list, int i, int last, int level, Context& ctx);
  int drawContour(Plot& plot, const VarList& list, int i, int slot, Context& ctx);
  // Whether a contour of the list will be filled with a colour bar.
  bool drawsBar(const VarList& list, Context& ctx) const;
  int drawVector(Plot& plot, const VarList& list, int i, int uSlot, int vSlot, Context& ctx);
  void drawMap(Plot& plot, const std::string& params) const;
  static void noData(Plot& plot, const VarList& list, int i);
  // A copy of the grid of a slot carrying entry i's information label; false (the picture says
  // so) when the slot has no data.
  bool labelledGrid(Plot& plot, const VarList& list, int i, int slot, Grid& g) const;
  int startPanel(Plot& plot, const VarList& list, int i, Context& ctx);
  void closePanel(Plot& plot) const;

  Grids grids{0};
  std::vector<int> dataEntries;
  bool autoMap = false;
  std::string underMap, overMap;
};

}  // namespace KOL
