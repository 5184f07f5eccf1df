// The metafile device: a plot recorded as text drawing records in device coordinates (y down
// from the top of a width x height area), which replay() draws again onto any graph.
#pragma once

#include <string>

#include "core/File.h"
#include "graphics/Device.h"
#include "graphics/device/TextOut.h"

namespace KOL {

class Graph;

class MetaFile : public Device {
 public:
  static constexpr int NAME_SIZE = 60;
  static constexpr int WHITE = 16777215;

  MetaFile() { init(); }
  ~MetaFile() override;
  MetaFile(const MetaFile&) = delete;
  MetaFile& operator=(const MetaFile&) = delete;

  void init() override;
  int setParam(const char* params) override;
  int open() override;
  int close() override;
  bool isOpen() const { return opened; }
  int setTitle(const char* title) override;
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
  // "FP r n1 ... nr" and the points of all r rings: an area with holes in one record.
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override;
  int drawImage(Image& img, float x, float y) override;
  int setFont(const char* name) override;
  int setTextAlign(int h, int v) override;
  int drawText(Point& p, const char* text) override;
  int setImageAlign(int h, int v) override;
  Rect getClip() override;
  int setClip(float x1, float y1, float x2, float y2) override;
  int message(const char* text) override;
  const char* getOutput() const { return output.c_str(); }

  // Draws a recorded file onto g, the recorded area filling g's whole NDC extent.
  static int replay(const char* file, Graph& g);

 private:
  void records(char kind, const Points& pts);
  void point(float x, float y);

  std::string output;  // the whole path, whatever its length
  char title[NAME_SIZE];
  float width, height, xoff, yoff;
  bool opened;
  int lineColor, lineStyle;
  float lineWidth;
  int textColor;
  float textWidth;
  int fillColor, fillStyle;
  int markColor;
  float markWidth;
  float clipX, clipY, clipW, clipH;
  bool clipSet;
  // a class's colour and width are recorded the first time they are set in a file, so that a
  // replay does not depend on the reader's defaults; afterwards only changes are
  bool colorSeen[5], widthSeen[5];
  File file;
  TextOut out;
};

}  // namespace KOL
