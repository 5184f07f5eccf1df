// The map background layer: coastlines, borders and other outlines from map files, latitude
// and longitude lines, background fills and image, metafile and marker overlays, drawn from a
// list of map entries that may depend on the plot's size and place.
#pragma once

#include <string>

#include "geo/Point.h"
#include "graphics/Drawing.h"
#include "graphics/PlotAttr.h"

namespace KOL {

class Plot;

class MapPlot : public Drawing {
 public:
  static constexpr int TEXT_SIZE = 80;
  static constexpr int UNDER = 1;
  static constexpr int OVER = 2;
  static constexpr const char* DEFAULT_LIST = "kol.mpl";

  MapPlot() { init(); }
  explicit MapPlot(const char* params) : MapPlot() { setParam(params); }

  void init() override;
  int setParam(const char* params) override;
  void setMapFiles(const char* list);
  int setFilename(const char* list) override
  {
    setMapFiles(list);
    return 1;
  }
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  int draw(Plot& plot, const char* file);
  int process(Plot& plot, const char* entry, int selection);
  int drawLatLon(Plot& plot, float dlat, float dlon);
  int drawSegment(Plot& plot, Points& pts);
  void print() override;

  bool getDefault() const { return default_on; }
  int getSelection() const { return selection_; }
  float getLatSpacing() const { return lalo_lat; }
  float getLonSpacing() const { return lalo_lon; }

 private:
  struct Block {
    bool open = false;
    bool active = true;
  };

  int drawList(Plot& plot, const char* list, int selection);
  int drawListFile(Plot& plot, const char* name, int selection);
  int processEntry(Plot& plot, std::string entry, int selection);
  bool blockEntry(Plot& plot, const std::string& entry);
  int drawOverlay(Plot& plot, const std::string& entry);
  int drawGrid(Plot& plot, const std::string& spec);
  int drawLaloEntry(Plot& plot, const std::string& spec);
  int drawBackground(Plot& plot, const std::string& attr);
  int drawMapEntry(Plot& plot, const std::string& entry);
  int drawPointFeature(Plot& plot, const EarthPoint& e, const char* name);
  int drawLatLonLabels(Plot& plot, float dlat, float dlon);

  std::string color_table;  // file names: held whole
  char color_map[TEXT_SIZE];
  char color_latlon[TEXT_SIZE];
  char color_outline[TEXT_SIZE];
  std::string map_files;
  bool fill, fill_cont, map_in, index;
  float lalo_lat, lalo_lon;
  bool default_on, default_forced;
  int selection_;
  Block block;
};

}  // namespace KOL
