// Pictures for the drawing tests: a page rendered by Ghostscript (the oracle), an X window or an
// off-screen image read back as RGB pixels, with the questions the tests ask of it: ink of a
// colour in a box, and the dark runs met walking a line across it (feathers of a wind barb).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geo/Point.h"

namespace KOL {
class Image;
}

namespace KOLTest {

struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> alpha;  // empty: opaque

  bool valid() const { return width > 0 && height > 0; }
  // Components of pixel (x, y), row 0 at the top; black outside.
  uint32_t at(int x, int y) const;
  // 0 (transparent) to 255 (opaque).
  int opacity(int x, int y) const
  {
    return alpha.empty() ? 255 : alpha[static_cast<size_t>(y) * width + x];
  }
  bool isWhite(int x, int y) const { return at(x, y) == 0xFFFFFF; }
  // How far a pixel is from white, 0 to 1 (the darkest channel); 0 outside.
  float ink(int x, int y) const;
  bool dark(int x, int y) const { return ink(x, y) > 0.4f; }
  // Pixels not white within the box (inclusive).
  int inked(int x1, int y1, int x2, int y2) const;
  // Pixels not white overall.
  int inked() const { return inked(0, 0, width - 1, height - 1); }
  // Fraction of pixels that differ by more than tolerance in any component.
  double differ(const Raster& other, int tolerance) const;
  // Writes a binary PPM.
  bool writePpm(const std::string& path) const;
};

// The pixels of an image as RGB bytes.
Raster toRaster(const KOL::Image& img);
// A PNG file (read by libpng) and a GIF file's picture (by giflib; frame k of an animation, frames
// receiving their number), with their transparency; an empty raster when unreadable.
Raster readPng(const std::string& path);
Raster readGif(const std::string& path, int frame = 0, int* frames = nullptr);
// Renders a PostScript file at 72 dpi (one pixel per point); eps crops to the bounding box.
// Ghostscript's diagnostics go to errors.
Raster renderPs(const std::string& ps, bool eps, std::string* errors = nullptr);
// Also writes a PNG beside the PostScript for a person to look at (when KOL_KEEP_PICTURES is set).
void keepPicture(const std::string& ps, bool eps, const std::string& png);
bool haveGhostscript();

// Whether a pixel is colour c laid over white with some coverage (antialiased edges included):
// at least a third of the way from white to c, and within tolerance of that line.
bool isInkOf(uint32_t px, uint32_t c, int tolerance);

// Pixels of one colour (isInkOf) in a box: how many, their extent and centre.
struct Ink {
  int count = 0;
  int x1 = 1 << 30, y1 = 1 << 30, x2 = -1, y2 = -1;
};
Ink inkOf(const Raster& r, uint32_t color, int tolerance, int bx1, int by1, int bx2, int by2);

// Dark runs met walking from a to b, and the longest of them, in pixels.
struct Runs {
  int count = 0, longest = 0;
};
Runs runsAlong(const Raster& r, KOL::Point a, KOL::Point b);

}  // namespace KOLTest

#define KOL_REQUIRE_GS()                                                               \
  do {                                                                                 \
    if (!KOLTest::haveGhostscript()) GTEST_SKIP() << "gs (ghostscript) not installed"; \
  } while (0)
