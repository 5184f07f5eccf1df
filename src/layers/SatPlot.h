// The layer of GINI satellite images: the image on its own map (its Lambert conformal, polar
// stereographic or Mercator navigation), in grey (cold bright for infrared), a radar mosaic in
// the colours of its reflectivity classes; with a colour bar of the physical values (brightness
// temperature, reflectivity) or of the counts, the satellite, channel and sector as the
// information label and the image time as the date.
#pragma once

#include <string>

#include "core/Filename.h"
#include "graphics/Drawing.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "layers/image/ImageCanvas.h"
#include "layers/image/ImageKeys.h"
#include "layers/image/LonRange.h"

namespace KOL {

class SatPlot : public Drawing {
 public:
  SatPlot() { init(); }
  explicit SatPlot(const char* params) : SatPlot() { setParam(params); }

  static constexpr const char* CONVENTION = "sat_vis";

  // Defaults, then the resources "input", "timezone", "color_table", "color_fill",
  // "calibration", "in_file" (the convention) and "parameter".
  void init() override;
  int setInput(const char* path) override { return file.setPath(path); }
  int setNameConv(const char* conv) override { return file.setNameConv(conv); }
  // The latest image of the convention (ho=N hours before it).
  int setFilename() override;
  // Reads the image; 0 when it is not a readable GINI file.
  int setFilename(const char* name) override;
  // The image of the convention nearest before the date.
  int setFilename(Date& d) override;
  int getLoopType() override { return 1; }
  int getNumFrames() override { return frames; }
  int getSync() override { return sync; }
  // Keys: lab=TEXT (the information label), in=PATH (the satellite path), if=, nc= (the
  // convention), ho=N, tz=ZONE (the date label's zone), ct=FILE, cof=C1;C2;... (the counts
  // coloured across the table's fill colours or the colours given, for enhanced images),
  // nh=N (frames of a loop), zoom=F (the image's map zoomed about its centre), fill (the panel
  // beyond the image black), over (count 0 left out, for an image over other layers),
  // minlon=, maxlon= (pixels outside left out; west east of east crosses the date line),
  // cutoff=N (counts below left out), map_rem (the map lines burned into the image, count
  // 255, left out), calib, calib=0 (the bar in physical values or in counts), datim=TEXT (the
  // date label), image_dom, image_dom=0 (getDomain offers the image's own map, the default, or
  // none: the plot keeps its own), pa=K:K (more of these keys, ':' for ','), ou=FILE (the
  // counts as drawn on the plot's map written as a grey PNG), no_pixave, pixoff (the nearest
  // pixel where the image is shrunk instead of the mean of the pixels under a point),
  // pixoff=X:Y (the image moved X pixels east and Y south, a navigation correction),
  // mod_mask=DOMAIN (pixels outside a region or a domain, such as a model's grid, left out;
  // the domain text's commas written as ';'),
  // sync, map, nomap, bar, nobar.
  int setParam(const char* params) override;
  // The image's own navigation (zoomed); 0 when it has none.
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
  void mask(imageplot::Canvas& canvas) const;
  imageplot::Sampling sampling() const;
  void takeKey(const std::string& field);
  void enhance(Plot& plot);

  Filename file;
  std::string name;
  imageplot::ImageKeys keys;
  int frames, sync;
  std::string label, datim;
  float zoom;
  imageplot::LonRange lons;
  int cutoff;
  bool fill, over, mapRemoved, calibrated, ownDomain, average;
  float shiftX, shiftY;
  std::string output, modelMask;
};

}  // namespace KOL
