// The output device interface: everything a device knows is device coordinates, device colour
// values and four attribute classes (1 lines, 2 marks, 3 fills, 4 text). Graph drives it; nothing
// above Graph knows which device it has. Operations a device has no use for are accepted and
// ignored here, so each device writes only what it does.
#pragma once

#include <vector>

#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/Listener.h"

namespace KOL {

class Image;
class String;

class Device : public Listener {
 public:
  enum AttrClass : int { LINE = 1, MARK = 2, FILL = 3, TEXT = 4 };

  ~Device() override = default;
  virtual void init() {}
  virtual int setParam(const char* params) = 0;
  virtual int open() = 0;
  virtual int getDevice(String& name);
  virtual int resize(float w, float h);
  virtual int manage() { return 1; }
  virtual int unmanage() { return 1; }
  virtual int addCallback(const char* event, Listener* l, const void* client);
  virtual int doCallback(const char* event, const char* data);
  int callback(const char* event, const char* data, const void* client) override;
  virtual int close() = 0;
  virtual int update() { return 1; }
  virtual int clear() { return 1; }
  virtual int clearRect(Rect& r);
  virtual int setTitle(const char* title);
  virtual int setIcon(bool) { return 1; }
  virtual int setFixed(bool) { return 1; }
  virtual int setInverse(bool) { return 1; }
  virtual bool getInverse() { return false; }
  virtual int setBackground(const char*) { return 1; }
  virtual int setSize(float w, float h) = 0;
  virtual int getSize(float& w, float& h);
  virtual float getWidth() = 0;
  virtual float getHeight() = 0;
  virtual int setOffset(float x, float y);
  virtual int getOffset(float& x, float& y);
  virtual int getCoords(Rect& r) = 0;
  Rect getCoords();
  // The device value of a colour (components in [0, 1]).
  virtual int allocColor(float r, float g, float b);
  virtual int setColor(int type, int colour) = 0;
  virtual int setLineWidth(int type, float w) = 0;
  virtual int setLineStyle(int type, int style) = 0;
  virtual int setFillStyle(int type, int style) = 0;
  virtual int drawLine(int type, float x1, float y1, float x2, float y2);
  virtual int drawLine(int type, Points& pts) = 0;
  virtual int drawFill(int type, Points& pts) = 0;
  // Fills an area bounded by several closed rings (an outline and its holes, or areas side by
  // side): ring r has counts[r] points, one after the other in pts. Outlines and holes run
  // opposite ways round, so the even-odd and the nonzero rule fill alike. Here the rings become
  // one polygon through drawFill, each ring reached from the first point and left again along
  // the same line, which adds nothing to either rule; devices that have paths of several rings
  // draw them directly.
  virtual int drawFillPath(int type, Points& pts, const std::vector<int>& counts);
  virtual int setImageAlign(int, int) { return 1; }
  virtual int drawImage(Image& img, float x, float y);
  virtual int drawImage(Image& img, int flag, float x, float y);
  virtual int getImage(Image& img);
  virtual int setFont(const char*) { return 1; }
  virtual int setTextAlign(int, int) { return 1; }
  virtual int drawText(Point&, const char*) { return 1; }
  virtual Rect getClip() = 0;
  virtual int setClip(float x1, float y1, float x2, float y2) = 0;
  int setClip(const Rect& r) { return setClip(r.x1, r.y1, r.x2, r.y2); }
  virtual int setCursor(int) { return 0; }
  virtual int copyFrame(int, int) { return 1; }
  virtual int displayFrame(int) { return 1; }
  virtual int clearFrame(int) { return 1; }
  virtual int newFrame(int) { return 1; }
  virtual int newFrame() { return 1; }
  virtual int isLooping() { return 0; }
  virtual int getFrame() { return 0; }
  virtual int setFrame(int) { return 1; }
  virtual int incFrame(int) { return 1; }
  virtual int deleteFrame(int) { return 1; }
  virtual int getNumFrames() { return 0; }
  virtual int message(const char*) { return 1; }
  virtual int bell(int) { return 1; }

  // (trunc(r 255) << 16) + (trunc(g 255) << 8) + trunc(b 255), components clamped to [0, 1].
  static int packColor(float r, float g, float b);
};

}  // namespace KOL
