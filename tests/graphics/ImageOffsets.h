// The image offset rule every device follows: a 40 x 40 image of four coloured quadrants drawn
// over a 40 x 40 clip box whose top-left sample is image pixel (x, y); white where the offsets
// leave the image. One case per sign of the offsets.
#pragma once

#include <cstdint>
#include <string>

#include "common/Raster.h"

namespace KOL {
class Image;
}

namespace KOLTest::ImageOffsets {

// The box on the page, rows counted from the top.
constexpr int BOX_X = 100, BOX_Y = 50, SIDE = 40;

struct Offset {
  int x, y;
};
inline const Offset CASES[] = {{0, 0}, {10, 5}, {-10, -5}};

// Red, green, blue and yellow quadrants (top-left, top-right, bottom-left, bottom-right).
KOL::Image quadrants();
// Checks a grid of samples over the box (and the page just outside it, left white) in the
// picture of a page, rows counted from the top.
void expectBox(const Raster& page, Offset o, const std::string& device);

}  // namespace KOLTest::ImageOffsets
