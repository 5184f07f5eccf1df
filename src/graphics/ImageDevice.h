// The raster device for machines without a display: draws through Cairo (antialiased lines,
// fills and images) into an off-screen picture of width x height pixels, y down, that getImage
// hands out like the X window device does. An output name ending in ".png" is written on close.
// Its background is white, like paper, and so it is inverse video; setInverse(false) makes it
// black, and a background colour sets inverse video by its lightness.
// A loop keeps one picture per frame: newFrame starts the next, setFrame chooses the one drawn
// into and handed out.
#pragma once

#include <string>

#include <memory>
#include <vector>

#include "graphics/Device.h"

namespace KOL {

class ImageDevice : public Device {
 public:
  static constexpr int NAME_SIZE = 60;

  ImageDevice();
  ~ImageDevice() override;
  ImageDevice(const ImageDevice&) = delete;
  ImageDevice& operator=(const ImageDevice&) = delete;

  void init() override;
  // "output,sz=WxH": the first field names a PNG file written on close (may be empty).
  int setParam(const char* params) override;
  int open() override;
  int close() override;
  bool isOpen() const;
  int getDevice(String& name) override;
  int clear() override;
  int clearRect(Rect& r) override;
  int setInverse(bool f) override;
  bool getInverse() override { return inverse; }
  int setBackground(const char* colour) override;
  // Pixels; refused while open.
  int setSize(float w, float h) override;
  float getWidth() override { return static_cast<float>(width); }
  float getHeight() override { return static_cast<float>(height); }
  int getCoords(Rect& r) override;
  int setColor(int type, int colour) override;
  int setLineWidth(int type, float w) override;
  int setLineStyle(int type, int style) override;
  int setFillStyle(int type, int style) override;
  int drawLine(int type, Points& pts) override;
  int drawFill(int type, Points& pts) override;
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override;
  int drawImage(Image& img, float x, float y) override;
  int getImage(Image& img) override;
  // Server fonts do not exist here: refused, so that text is drawn with the stroke font.
  int setFont(const char*) override { return 0; }
  Rect getClip() override;
  int setClip(float x1, float y1, float x2, float y2) override;
  const char* getOutput() const { return output.c_str(); }

  int newFrame() override;
  int newFrame(int n) override;
  int getFrame() override { return current; }
  int setFrame(int n) override;
  int deleteFrame(int n) override;
  int getNumFrames() override { return looping ? static_cast<int>(frames.size()) : 0; }

 private:
  struct Surface;
  std::unique_ptr<Surface> makeSurface();
  Surface* active() const { return frames.empty() ? nullptr : frames[current].get(); }
  void setSource(int colour);
  void path(const Points& pts);
  void subpath(const Points& pts, int from, int n);

  std::string output;  // the whole path, whatever its length
  int width, height;
  bool inverse;
  int background;
  int colors[5];
  float widths[5];
  int lineStyle;
  Rect clip;
  std::vector<std::unique_ptr<Surface>> frames;
  std::vector<int> kept;  // the points of a stroked line left after thinning
  int current;
  bool looping;  // frames were asked for: each surface is one frame of a loop
};

}  // namespace KOL
