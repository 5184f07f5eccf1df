// The screen device: draws into an X window through Xlib, every picture first into an off-screen
// pixmap per frame that is then copied to the window, so that frames can be animated. Window
// events become named events for the registered listeners; manage() runs the main loop.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "graphics/Device.h"

namespace KOL {

class XWindow : public Device {
 public:
  static constexpr int MAX_FRAMES = 128;
  static constexpr int NUM_CURSORS = 9;
  static constexpr int NUM_STIPPLES = 20;

  XWindow();
  ~XWindow() override;
  XWindow(const XWindow&) = delete;
  XWindow& operator=(const XWindow&) = delete;

  void init() override;
  int setParam(const char* params) override;
  int open() override;
  int close() override;
  bool isOpen() const { return opened; }
  int getDevice(String& name) override;
  int resize(float w, float h) override;
  int manage() override;
  int unmanage() override;
  int addCallback(const char* event, Listener* l, const void* client) override;
  int doCallback(const char* event, const char* data) override;
  int callback(const char* event, const char* data, const void* client) override;
  int update() override;
  int clear() override;
  int clearRect(Rect& r) override;
  int setTitle(const char* title) override;
  int setIcon(bool f) override;
  int setFixed(bool f) override;
  int setInverse(bool f) override;
  bool getInverse() override { return inverse; }
  int setBackground(const char* colour) override;
  int setSize(float w, float h) override;
  float getWidth() override { return static_cast<float>(width); }
  float getHeight() override { return static_cast<float>(height); }
  int setOffset(float x, float y) override;
  int getOffset(float& x, float& y) override;
  int getCoords(Rect& r) override;
  int allocColor(float r, float g, float b) override;
  int setColor(int type, int colour) override;
  int setLineWidth(int type, float w) override;
  int setLineStyle(int type, int style) override;
  int setFillStyle(int type, int style) override;
  int drawLine(int type, Points& pts) override;
  int drawFill(int type, Points& pts) override;
  int drawImage(Image& img, float x, float y) override;
  int getImage(Image& img) override;
  int setFont(const char* name) override;
  int setTextAlign(int h, int v) override;
  int drawText(Point& p, const char* text) override;
  Rect getClip() override { return clip; }
  int setClip(float x1, float y1, float x2, float y2) override;
  int setCursor(int n) override;
  int copyFrame(int to, int from) override;
  int displayFrame(int n) override;
  int clearFrame(int n) override;
  int newFrame(int n) override;
  int newFrame() override { return newFrame(static_cast<int>(frames.size())); }
  int isLooping() override { return looping ? 1 : 0; }
  int getFrame() override { return current; }
  int setFrame(int n) override;
  int incFrame(int step) override;
  int deleteFrame(int n) override;
  int getNumFrames() override { return static_cast<int>(frames.size()); }
  int message(const char* text) override;
  int bell(int volume) override;

  // Loop speed: 1 faster, -1 slower; the new delay.
  float loopRate(int direction);
  int toggleLoop();
  float getLoopDelay() const { return loopDelay; }
  // Handles every pending event; the number handled.
  int processEvents();
  Window getWindow() const { return window; }
  int getMode() const { return mode; }

 private:
  struct Frame {
    Pixmap pixmap;
    float delay;
  };
  bool openDisplay();
  bool createWindow();
  bool useWindow();
  void makeResources();
  void freeResources();
  void waitMapped();
  void handle(XEvent& ev);
  void mainloop();
  Drawable target() const;
  GC gcOf(int type) const;
  unsigned long pixelOf(float r, float g, float b);
  bool parseWindowSpec(const char* spec);
  void showNumber(int n);

  int mode;
  int width, height, xpos, ypos;
  std::string displayName, title, background;
  bool showNum, opened, inverse, icon, fixed, mapped;
  bool gone = false;  // destroyed by another client
  Window window, parent;
  Pixmap pixmap;
  Display* dpy;
  int screen, depth;
  Visual* visual;
  Colormap cmap;
  unsigned long fg, bg;
  GC gcs[6];  // 0 window copy, 1 lines, 2 marks, 3 fills, 4 text, 5 images
  Pixmap stipples[NUM_STIPPLES];
  Cursor cursors[NUM_CURSORS];
  int cursor;
  XFontStruct* font;
  int halign, valign;
  std::vector<Frame> frames;
  int current;
  bool looping;
  int loopDir;
  float loopDelay, dwell;
  int loopFirst, loopLast;
  Rect clip;
  float lineWidths[5];
  int lineStyle;
};

}  // namespace KOL
