// The layer of GINI satellite images: the image on its own map (its Lambert conformal, polar
// stereographic or Mercator navigation), in grey (cold bright for infrared), a radar mosaic in
// the colours of its reflectivity classes; with a colour bar of the physical values (brightness
// temperature, reflectivity) or of the counts, the satellite, channel and sector as the
// information label and the image time as the date.
#pragma once

#include <string>

#include "graphics/Drawing.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "layers/image/ImageCanvas.h"

namespace KOL {

class SatPlot : public Drawing {
 public:
  SatPlot() { init(); }
  explicit SatPlot(const char* params) : SatPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // Reads the image; 0 when it is not a readable GINI file.
  int setFilename(const char* name) override;
  // Keys bar, nobar, nomap.
  int setParam(const char* params) override;
  // The image's own navigation; 0 when it has none.
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  const Image& getImage() const { return image; }
  const GiniFile::Pdb& getPdb() const { return pdb; }
  // "GOES 13 Infrared 11um  Supernational".
  std::string infoLabel() const;
  // The units of the bar: "C" for a temperature channel, "dBZ" for a reflectivity mosaic,
  // "count" for the rest.
  std::string units() const;
  // True for an image whose values are reflectivities (drawn in classes, not in grey).
  bool isReflectivity() const;
  // Whether pixels of a value (0-255) were drawn (after draw), and in which colour.
  bool isShown(int pixel) const { return pixel >= 0 && pixel < 256 && colors.shown[pixel]; }
  RGB getPixelColor(int pixel) const { return isShown(pixel) ? colors.rgb[pixel] : RGB(); }

 private:
  Image image;
  GiniFile::Pdb pdb;
  imageplot::CodeColors colors;
  std::string file;
  bool bar;
  bool map;
};

}  // namespace KOL
