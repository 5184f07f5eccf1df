// The HP-GL/2 plotter device: one plot per open/close in plotter units (1016 to the inch) with y
// up, landscape unless asked otherwise. Colours become pen colours, fills polygon-mode polygons;
// "lj" wraps the plot in the PCL sequences a LaserJet needs to take HP-GL/2. It has no hardware
// text, frames or events: text reaches it as the stroke font's lines.
#pragma once

#include <string>

#include "core/File.h"
#include "graphics/Device.h"
#include "graphics/device/TextOut.h"

namespace KOL {

class Hpgl : public Device {
 public:
  static constexpr int NAME_SIZE = 60;
  static constexpr float UNITS_PER_INCH = 1016;

  Hpgl() { init(); }
  ~Hpgl() override;
  Hpgl(const Hpgl&) = delete;
  Hpgl& operator=(const Hpgl&) = delete;

  void init() override;
  // "file,port|land,nopcl,lj,color|gray,scale=f,rot,lwidth=f,sz=w:h" or a paper name (letter,
  // legal, 11x17, a4, a3, ansid, roll); sizes in inches.
  int setParam(const char* params) override;
  int open() override;
  int close() override;
  bool isOpen() const { return opened; }
  int setSize(float w, float h) override;
  float getWidth() override { return width; }
  float getHeight() override { return height; }
  int getCoords(Rect& r) override;
  int setColor(int type, int colour) override;
  int setLineWidth(int type, float w) override;
  int setLineStyle(int type, int style) override;
  int setFillStyle(int type, int style) override;
  int drawLine(int type, Points& pts) override;
  int drawFill(int type, Points& pts) override;
  // Polygon mode with a subpolygon per ring, filled even-odd.
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override;
  Rect getClip() override;
  int setClip(float x1, float y1, float x2, float y2) override;

  const char* getOutput() const { return output.c_str(); }
  bool isPortrait() const { return portrait; }
  bool isColor() const { return colour; }
  bool isLaserJet() const { return laserjet; }

 private:
  struct Attr {
    int colour = 0;
    float width = 1;
  };
  void selectPen(int value, float width);
  void writePoints(const Points& pts);
  void point(float x, float y);

  std::string output;  // the whole path, whatever its length
  float width, height;
  bool opened, portrait, colour, laserjet, pcl, rotate;
  float scale, lwidth;
  Rect clip;
  Attr line, mark, text, fill;
  int lineStyle;
  int penValue;  // the value pen 1 holds now; -1 before the first
  float penWidth;
  File file;
  TextOut out;
};

}  // namespace KOL
