// Turns NIDS products into a colour-indexed Image: each value becomes the index of the
// threshold interval it falls in (0 for none), polar products are sampled onto the image's
// map grid, and several radar sites can be drawn into one image (a mosaic), where the larger
// index wins.
#pragma once

#include <string>
#include <vector>

#include "imagery/NidsData.h"

namespace KOL {

class Filename;
class Grid;
class Image;

class NidsImage {
 public:
  static constexpr int MAX_THRES = 255;
  static constexpr float SENTINEL = 1000.0f;
  static constexpr float NO_VALUE = -150.0f;

  NidsImage() { init(); }
  explicit NidsImage(const char* params);

  void init();
  // Comma-separated keys, case ignored: rala, noclar / clar, crad<c><km>, interp,
  // ramp<c><a>:<b>, box.
  int setParam(const char* text);
  int setThres(const std::vector<float>& t) { return setThres(t, true); }
  // typeCheck false: thresholds of 80 and above are plain limits (the numbered classes of a
  // hydrometeor classification), not precipitation-type classes with their matches.
  int setThres(const std::vector<float>& t, bool typeCheck);
  // Comma-separated thresholds.
  int setThres(const char* text);
  void setRamp(float a, float b) { ramp_a_ = a, ramp_b_ = b; }
  void setClearAirUse(bool on) { clear_air_ = on; }
  // 0 below the first threshold or without a table; k for threshold k-1 <= v < threshold k;
  // the table size beyond the last.
  int getIndex(float v) const;
  const std::vector<float>& getThres() const { return thres_; }

  // Reads a product into the site held here.
  int readSite(const char* name);
  int readSite(const Filename& f);
  const NidsData& getSite() const { return site_; }
  // Pixels cleared, value table and colour type of a threshold image.
  int setup(Image& im) const;
  // Draws the site held here into im through the two domains.
  int addSite(Image& im) const;
  int addSite(const char* name, Image& im);
  int addSite(const Filename& f, Image& im);
  // One product on its own domain: a polar product on a polar stereographic grid about the
  // radar, a raster product on its raster.
  int setImage(const char* name, Image& im);
  int setImage(const Filename& f, Image& im);
  // The domain setImage gives the site held here: a polar stereographic square about the radar
  // just covering a polar product's range, or the raster of a raster product. 0 without a site.
  int getImageDomain(DomainVal& d) const;
  // Pixels where the grid (same lattice) is missing or not positive become 0.
  int applyMask(Image& im, const Grid& mask) const;
  // A colour table for the threshold indices: transparent 0, a ramp fitting the product (a
  // diverging one for velocities), and purple for range folding at foldedIndex().
  void setColors(Image& im) const { setColors(site_.getProduct(), thres_, im); }
  // The same for thresholds of a product of that code, without reading one.
  static void setColors(int product, const std::vector<float>& thres, Image& im);
  int getMode() const { return site_.getMode(); }
  // The index range-folded bins are drawn with: the one after the last class.
  int foldedIndex() const { return static_cast<int>(thres_.size()) + 1; }

  void print() const;
  void printSite() const;

 private:
  bool usable() const;
  int indexAt(const NidsData& d, float v, float distKm) const;
  int paintSampled(Image& im) const;
  int paintBoxes(Image& im) const;
  int indexOfCell(const GridPoint& g) const;
  bool isFolded(int i, int j) const;
  void paint(Image& im, int i, int j, int k) const;

  std::vector<float> thres_;
  bool clear_air_, box_, interp_, rala_;
  float crad_, ramp_a_, ramp_b_;
  NidsData site_;
  std::string site_name_;
};

}  // namespace KOL
