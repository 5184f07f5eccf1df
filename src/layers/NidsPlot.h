// The layer of NIDS radar products: a product drawn on a polar stereographic map about its
// radar (a raster product on its own raster), or several sites in one mosaic where the
// stronger class wins; its classes coloured, with the colour bar of the classes and their
// units, the product and site as the information label and the volume scan time as the date.
// Products are named or found by the naming convention "nids" with the site (key a) and the
// product (key t): "nids:a=TLX:t=N0Q" files %I/nids/TLX/N0Q/YYYYMMDD_HHMM.nids; a figure's loop
// takes the product nearest before each frame's time.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "graphics/Drawing.h"
#include "imagery/NidsInfo.h"
#include "layers/image/ImageCanvas.h"
#include "layers/image/ImageKeys.h"

namespace KOL {

class NidsPlot : public Drawing {
 public:
  NidsPlot() { init(); }
  explicit NidsPlot(const char* params) : NidsPlot() { setParam(params); }

  static constexpr const char* CONVENTION = "nids";
  static constexpr const char* DEFAULT_VAR_FILE = "nidsplot.var";

  // Defaults, then the resources "threshold", "color_fill", "color_data", "identifier", "type",
  // "timezone", "variable" (a macro of nidsplot.var) and "parameter".
  void init() override;
  int setNameConv(const char* conv) override;
  // The latest product of the convention.
  int setFilename() override;
  // The product to draw (the mosaic list starts again from it); 0 when it is not a readable
  // product with radial or raster data.
  int setFilename(const char* name) override;
  // The product of the convention nearest before the date.
  int setFilename(Date& d) override;
  int getLoopType() override { return 1; }
  // Another site of the mosaic; 0 as for setFilename.
  int addFile(const char* name);
  // Keys: ct=FILE (colour table: the classes in its fill colours), cof=C1;C2;... (the classes'
  // colours), va=MACRO (parameters of nidsplot.var), if=, nc= (convention), ho=N (the product N
  // hours before the latest), tz=ZONE (date label), pa=K:K (drawing keys of the products, ':'
  // for ','), id=SITE, ty=PRODUCT (the convention's keys), plot (the product, the default),
  // data (the product alone: no map, bar, table nor rings), site (the radar's mark and name),
  // dist=KM, distm=MILES (range rings), nodist, map, nomap, table, notable (the product's line
  // under the map), clutter, noclutter (the weakest class left out), shadow (the site's name
  // shadowed), ramp=A:B (passed on), bar, nobar, and the drawing keys of the products (noclar,
  // box, crad).
  int setParam(const char* params) override;
  // One product: its map about the radar; several: a polar stereographic square covering
  // every site's range.
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  const char* getConvention() const { return conv.c_str(); }
  // The range rings' radii (km) of the last draw.
  const std::vector<float>& getRings() const { return rings; }
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
  int fromConvention(const char* spec, const Date* d);
  void applyMacro(const char* name);
  void setColors(Plot& plot, int n);
  void drawMarks(Plot& plot);

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
  imageplot::ImageKeys keys;
  std::string conv, id, type;
  std::string dataColor;
  bool dataOnly, showSite, table, clutter, shadow;
  float ringStepKm;
  std::vector<float> rings;
};

}  // namespace KOL
