// Diagrams drawn off-screen: is there ink of a colour where a (temperature, pressure) point lies.
#pragma once

#include <string>

#include "geo/Point.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"

namespace KOLTest {

// The page rectangle of kolskewt's diagram.
extern const KOL::Rect DIAGRAM_PANEL;

// A plot on the image device, its panel the diagram of type on the programs' page rectangle.
class DiagramPlot {
 public:
  static constexpr int WIDTH = 900, HEIGHT = 850;
  struct Target {
    float r, g, b;
  };
  explicit DiagramPlot(int type);
  explicit DiagramPlot(const KOL::Domain& d);
  KOL::Plot& plot() { return plot_; }
  // The device pixel of (t C, p mb) on the panel.
  KOL::Point pixel(float t, float p);
  // Whether the pixel lies inside the panel's viewport with a margin of pixels.
  bool inside(const KOL::Point& px, int margin = 6);
  // Takes the picture; when KOL_KEEP_PICTURES names a directory it is also written there.
  void capture(const std::string& keepAs = "");
  // Whether a pixel of the colour (or dominated by it) lies within radius of px.
  bool inkNear(const KOL::Point& px, const char* colour, int radius = 2);
  // Pixels of the colour within the box of device pixels.
  int countInk(int x1, int y1, int x2, int y2, const char* colour);
  int countInk(const char* colour)
  {
    return countInk(0, 0, img_.getWidth() - 1, img_.getHeight() - 1, colour);
  }
  // The components (0-1) of a colour name.
  Target target(const char* colour);
  // Pixels not white within the box.
  int countNonWhite(int x1, int y1, int x2, int y2) const;

 private:
  void open();
  bool isInk(int x, int y, const Target& t) const;

  KOL::Plot plot_;
  KOL::Image img_;
};

// The OUN TEMP set of 2011-05-22 12 UTC as the own file "upa_cvt" names under dir (by kolupa).
int writeOwnOunFile(const std::string& dir);

}  // namespace KOLTest
