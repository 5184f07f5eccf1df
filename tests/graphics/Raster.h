// Pictures for the drawing tests: a page rendered by Ghostscript (the oracle) and read back as
// RGB pixels, with the questions the tests ask of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KOL {
class Image;
}

namespace KOLTest {

struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;

  bool valid() const { return width > 0 && height > 0; }
  // Components of pixel (x, y), row 0 at the top; black outside.
  uint32_t at(int x, int y) const;
  bool isWhite(int x, int y) const { return at(x, y) == 0xFFFFFF; }
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
// A binary PPM (P6) file.
Raster readPpm(const std::string& path);
// Renders a PostScript file at 72 dpi (one pixel per point); eps crops to the bounding box.
// Ghostscript's diagnostics go to errors.
Raster renderPs(const std::string& ps, bool eps, std::string* errors = nullptr);
// Also writes a PNG beside the PostScript for a person to look at (when KOL_KEEP_PICTURES is set).
void keepPicture(const std::string& ps, bool eps, const std::string& png);
bool haveGhostscript();

}  // namespace KOLTest

#define KOL_REQUIRE_GS()                                                               \
  do {                                                                                 \
    if (!KOLTest::haveGhostscript()) GTEST_SKIP() << "gs (ghostscript) not installed"; \
  } while (0)
