// One scene drawn the same way on every device, and where its parts land: the drawing tests
// compare each device's picture with what the transformation says.
#pragma once

#include "geo/Point.h"
#include "graphics/Graph.h"

namespace KOLTest {

// Window (0, 0)-(100, 100) on the viewport (0.1, 0.1)-(0.9, 0.7), clipped there. A red square
// (10, 10)-(40, 40), a blue line 15 units wide at y = 20 from x 50 to 90, a black line 6 wide at
// y = 80 running far past both sides (cut by the clip), green text "KOL" 10 high at (50, 55).
void drawScene(KOL::Graph& g);

// Device to picture pixel: y_up true for a device whose y grows upward (PostScript),
// with the page height in pixels.
struct PixelMap {
  float height;
  bool yUp;
  int x(float dx) const { return static_cast<int>(dx); }
  int y(float dy) const { return static_cast<int>(yUp ? height - dy : dy); }
};

// Checks the picture against the scene's geometry on graph g (still holding the transformation).
void expectScene(const KOL::Graph& g, const struct Raster& r, const PixelMap& m);

// Areas of several rings in the window (0, 0)-(13, 13), in blue: a square frame from 1 to 9
// round a hole from 3 to 7, and a square from 10 to 12 on its own.
void drawFrame(KOL::Graph& g);
// Blue on the frame and the square, white in the hole and outside.
void expectFrame(const KOL::Graph& g, const struct Raster& r, const PixelMap& m);

}  // namespace KOLTest
