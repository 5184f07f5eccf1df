// The PostScript device: one page (or one Encapsulated PostScript picture) per open/close, in
// points with y up, landscape unless asked otherwise, grey unless asked for colour. It has no
// hardware text, frames or events: text reaches it as the stroke font's lines. Paper is white, so
// the device is inverse video unless told otherwise, and then the page is painted black.
#pragma once

#include <string>

#include "core/File.h"
#include "graphics/Device.h"
#include "graphics/device/TextOut.h"

namespace KOL {

class Postscript : public Device {
 public:
  static constexpr int NAME_SIZE = 60;

  Postscript() { init(); }
  ~Postscript() override;
  Postscript(const Postscript&) = delete;
  Postscript& operator=(const Postscript&) = delete;

  void init() override;
  int setParam(const char* params) override;
  int open() override;
  int close() override;
  bool isOpen() const { return opened; }
  int setTitle(const char* title) override;
  int setInverse(bool f) override;
  bool getInverse() override { return inverse; }
  int setSize(float w, float h) override;
  float getWidth() override { return width; }
  float getHeight() override { return height; }
  int setOffset(float x, float y) override;
  int getOffset(float& x, float& y) override;
  int getCoords(Rect& r) override;
  int setColor(int type, int colour) override;
  int setLineWidth(int type, float w) override;
  int setLineStyle(int type, int style) override;
  int setFillStyle(int type, int style) override;
  int drawLine(int type, float x1, float y1, float x2, float y2) override;
  int drawLine(int type, Points& pts) override;
  int drawFill(int type, Points& pts) override;
  // One path of a subpath per ring, filled by the even-odd rule.
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override;
  int drawImage(Image& img, float x, float y) override;
  Rect getClip() override;
  int setClip(float x1, float y1, float x2, float y2) override;
  int message(const char* text) override;

  const char* getOutput() const { return output.c_str(); }
  bool isEps() const { return eps; }
  bool isPortrait() const { return portrait; }
  bool isColor() const { return colour; }
  float getScale() const { return scale; }
  float getLineFactor() const { return lwidth; }

 private:
  void writeHeader();
  void writeColor(int value);
  void writeAttributes(int type);
  void writePath(const Points& pts);
  void point(float x, float y, const char* op);

  std::string output;  // the whole path, whatever its length
  char title[NAME_SIZE];
  float width, height, xoff, yoff;
  bool opened, inverse, append, eps, colour, portrait;
  bool stepDefined;  // "rl" defined in the file for the steps of area outlines
  float scale, lwidth;
  float clipX, clipY, clipW, clipH;
  bool clipSet;
  int lineColor, lineStyle;
  float lineWidth;
  int textColor;
  float textWidth;
  int fillColor, fillStyle;
  int markColor;
  float markWidth;
  File file;
  TextOut out;
};

}  // namespace KOL
