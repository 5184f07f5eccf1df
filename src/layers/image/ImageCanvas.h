// Pictures on a map panel at the device's own resolution: a lattice with one point per device
// pixel of the panel, in the panel's projection, that an image layer fills with pixel codes
// (the nearest pixel of a satellite image, the class of a radar bin) and then draws in colours.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOL {

class Plot;

namespace imageplot {

// The colour of each 8-bit code; codes not shown leave the page as it is.
struct CodeColors {
  std::array<RGB, 256> rgb;
  std::array<bool, 256> shown{};
};

// How a source image is taken: averaged where it is shrunk (several source pixels to a
// point), shifted by whole or part pixels (a navigation correction, x to the east, y down).
struct Sampling {
  bool average = false;
  int skip = -1;  // a code left out of averages (a map burned into the image)
  float shiftX = 0, shiftY = 0;
};

class Canvas {
 public:
  // A lattice over the plot's current panel, one point per device pixel; 0 when the panel has
  // no map domain or no extent on the device.
  int set(Plot& plot);
  Image& image() { return img; }
  const Image& image() const { return img; }
  int width() const { return img.getWidth(); }
  int height() const { return img.getHeight(); }
  // Each point takes the code of src's pixel nearest to its place on the earth, or the mean of
  // the pixels under it when averaging; points outside src stay uncovered. 0 when src has no
  // pixels or no domain.
  int sample(const Image& src, const Sampling& how = Sampling());
  // Point (i, j) (inside the canvas) takes code and counts as covered.
  void put(int i, int j, uint8_t code)
  {
    img.getData()[static_cast<size_t>(j) * img.getBytesLine() + i] = code;
    cover[static_cast<size_t>(j) * width() + i] = 1;
  }
  // Point (i, j) is left out of the picture.
  void uncover(int i, int j) { cover[static_cast<size_t>(j) * width() + i] = 0; }
  // Every point with a nonzero code counts as covered (classes of a radar product: 0 no echo).
  void coverNonzero();
  bool covered(int i, int j) const { return cover[static_cast<size_t>(j) * width() + i] != 0; }
  // The covered points in their colours, the rest transparent (the page colour on devices that
  // cannot leave pixels out).
  int draw(Plot& plot, const CodeColors& colors) const;

 private:
  Image img;
  std::vector<uint8_t> cover;
  float left = 0, top = 0;  // the window corner the picture is drawn at
};

}  // namespace imageplot
}  // namespace KOL
