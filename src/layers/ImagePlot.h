// A grid drawn as an image: every device pixel of the panel takes the colour of the grid's value
// at its place on the earth (the nearest grid point, or bilinear between the four around it),
// in the classes and colours colour fills of the same field use, with a colour bar. The fast
// way to show a field of millions of points. The grid comes from a grid or GRIB file found by
// the naming convention "image" (or the model's convention), picked by variable, grid spec or
// number.
#pragma once

#include <string>
#include <vector>

#include "core/Filename.h"
#include "core/Timezone.h"
#include "graphics/Drawing.h"
#include "grid/Grid.h"
#include "layers/image/GridPaint.h"
#include "layers/image/ImageCanvas.h"

namespace KOL {

class ImagePlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "image";

  ImagePlot() { init(); }
  explicit ImagePlot(const char* params) : ImagePlot() { setParam(params); }

  // Defaults, then the resources timezone, grid_num, variable, model, time, type, parameter.
  void init() override;
  int setFile() override;
  int setInput(const char* path) override;
  int setNameConv(const char* conv) override;
  int setFilename() override;
  int setFilename(const char* name) override;
  int setFilename(Date& d) override;
  int getDate(Date& d) override;
  int getInitDate(Date& d) override { return getDate(d); }
  int getLoopType() override { return 1; }
  // Keys: fi in mo if nc tz ct cof ty gn gs va ft zoom fill map over bar nobar pixoff minlon
  // maxlon cutoff; other tokens (int=, base=) set the levels as for colour fills.
  int setParam(const char* params) override;
  // The grid's own domain, zoomed about its centre; 0 (and no message: the caller says) when no
  // grid can be read.
  int getDomain(Domain& d) override;
  // 1 when drawn; 0 (one level-3 message) when the file or the grid cannot be read.
  int draw(Plot& plot) override;
  void print() override;

  const Grid& getGrid() const { return grid; }
  const char* getFileName() const { return file.getName(); }
  const imageplot::GridPaint& getPaint() const { return paint; }
  const imageplot::CodeColors& getColors() const { return colors; }

 private:
  int load(bool quiet = false);
  void setLevels(Plot& plot);

  Filename file;
  std::string select;  // a GridSpec text or "#n"
  std::string variable, gridSpec, foreTime;
  int gridNum;
  std::string contour;  // level tokens for ContPlot
  std::string colorTable, colorFill;
  Timezone timezone;
  std::string zoneText;
  float zoom;
  bool map, over, bar;
  imageplot::GridPaint paint;
  imageplot::CodeColors colors;
  Grid grid;
  std::string loaded;  // the file and selection the grid came from
};

}  // namespace KOL
