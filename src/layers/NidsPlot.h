// The layer of NIDS radar products: a product drawn on a polar stereographic map about its
// radar (a raster product on its own raster), or several sites in one mosaic where the
// stronger class wins; its classes coloured, with the colour bar of the classes and their
// units, the product and site as the information label and the volume scan time as the date.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "graphics/Drawing.h"
#include "imagery/NidsInfo.h"
#include "layers/image/ImageCanvas.h"

namespace KOL {

class NidsPlot : public Drawing {
 public:
  NidsPlot() { init(); }
  explicit NidsPlot(const char* params) : NidsPlot() { setParam(params); }

  // Defaults, then the resources "threshold" and "parameter".
  void init() override;
  // The product to draw (the mosaic list starts again from it); 0 when it is not a readable
  // product with radial or raster data.
  int setFilename(const char* name) override;
  // Another site of the mosaic; 0 as for setFilename.
  int addFile(const char* name);
  // Keys bar, nobar, nomap and the drawing keys of the products (noclar, box, crad, ramp).
  int setParam(const char* params) override;
  // One product: its map about the radar; several: a polar stereographic square covering
  // every site's range.
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  // The product (the first one of a mosaic).
  const NidsInfo& getInfo() const { return info; }
  // "Base reflectivity [dBZ]  TLX  El 0.5"; a mosaic's "Base reflectivity [dBZ]  3 sites".
  std::string infoLabel() const;
  // The three-letter radar site; the source number when the product names none.
  const std::string& getSite() const { return site; }
  const std::vector<float>& getLimits() const { return limits; }
  const std::string& getUnits() const { return units; }
  // The names the bar gives the classes; empty when their lower limits name them.
  const std::vector<std::string>& getClassNames() const { return names; }
  // The colour class k (1 .. number of limits) was drawn in, as the plot has it (after draw).
  RGB getClassColor(int k) const { return k > 0 && k < 256 ? colors.rgb[k] : RGB(); }
  // The class of a value (0 for none).
  int getClass(float v) const;
  // The class range-folded bins are drawn in (after the last class); 0 when the product has none.
  int getFoldedClass() const
  {
    return info.getFoldedLevel() >= 0 ? static_cast<int>(limits.size()) + 1 : 0;
  }

 private:
  int readFirst(const char* name);

  std::vector<std::string> files;
  std::vector<NidsInfo> sites;
  NidsInfo info;
  std::string site;
  std::vector<float> limits;
  std::string units;
  std::vector<std::string> names;
  imageplot::CodeColors colors;
  std::string params;
  bool thresholdsGiven;
  bool bar;
  bool map;
};

}  // namespace KOL
