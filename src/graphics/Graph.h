// The device-independent drawing layer: callers draw in window coordinates through one of four
// window/viewport transformations; Graph converts to device coordinates, keeps the attributes,
// the colour map, the stroke font and the symbols, and drives the one device it owns.
#pragma once

#include <memory>
#include <vector>

#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/ColorMap.h"
#include "graphics/Device.h"
#include "graphics/GFont.h"
#include "graphics/GTran.h"
#include "graphics/GraphAttr.h"
#include "graphics/Listener.h"
#include "graphics/Symbol.h"

namespace KOL {

class Image;
class String;

class Graph : public Listener, public GraphAttr {
 public:
  static constexpr int NUM_TRAN = 4;
  static constexpr int COLOR_MAP_SIZE = 512;

  Graph();
  Graph(const char* type, const char* params);
  ~Graph() override;
  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  // Resets the attributes to their defaults (the device and transformations stay).
  void init();
  // "postscript", "meta", "hpgl", "image" (the raster device), anything else the X window.
  int setDevice(const char* type, const char* params);
  // Installs a device made elsewhere (the graph owns it from now on).
  int setDevice(std::unique_ptr<Device> dev);
  Device* getDeviceObject() { return device.get(); }
  int open();
  int open(const char* type, const char* params);
  bool isOpen() const { return opened; }
  int close();
  int getDevice(String& name);

  // Forwarded to the device.
  int update();
  int manage();
  int unmanage();
  int addCallback(const char* event, Listener* l, const void* client);
  int doCallback(const char* event, const char* data);
  int setFixed(bool f);
  int setSize(float w, float h);
  int setOffset(float x, float y);
  int setInverse(bool f);
  bool getInverse();
  int setBackground(const char* colour);
  int setIcon(bool f);
  int setTitle(const char* title);
  int clear();
  int clearRect(Rect& r);
  int setCursor(int n);
  int bell();
  int message(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int isLooping();
  int getFrame();
  int setFrame(int n);
  int newFrame();
  int newFrame(int n);
  int deleteFrame(int n);
  int getNumFrames();
  int getImage(Image& img);
  int setImageAlign(int h, int v);
  // The device fills its clip box with the image; (x, y), converted to device units, is the
  // image pixel that lands at the box's top-left sample.
  int drawImage(Image& img, float x, float y);
  int drawImage(Image& img, int flag, float x, float y);
  // The image with its top-left corner at window (x, y), one pixel per device unit, within the
  // current clip box; the rest of the box stays as it is.
  int drawImageAt(Image& img, float x, float y);
  int drawImageAt(Image& img, int flag, float x, float y);
  // The device clip box, in device coordinates (activateTran sets the viewport's).
  int setClip(const Rect& device);

  // Colours: indices into the graph's colour map ("kol.clr" is read on open).
  ColorMap& getColorMap() { return colors; }
  void setColorMap(const ColorMap& map);
  // The index of the entry nearest (r, g, b), added as "#rrggbb" when there is none.
  int allocColor(float r, float g, float b);
  int allocColor(const RGB& c) { return allocColor(c.red, c.green, c.blue); }
  // A name of the map or "#rrggbb"; -1 with a warning when unknown.
  int getColor(const char* name);

  // Transformations.
  int setTran(int i);
  int getTran() const { return tran; }
  int activateTran();
  int activateTran(int i);
  int setWindow(const Rect& r);
  int setWindow(int i, const Rect& r);
  int setViewport(const Rect& r);
  int setViewport(int i, const Rect& r);
  Rect getWindow() const { return trans[tran].getWindow(); }
  Rect getViewport() const { return trans[tran].getViewport(); }
  Rect getMaxViewport() const { return trans[tran].getNdc(); }
  Rect getDeviceViewport();
  int setViewportAspect(const Rect& r, float aspect, int h, int v);
  int setViewportAspect(const Rect& r, float aspect) { return setViewportAspect(r, aspect, 2, 2); }
  // Window point to NDC (tranPlotView) and device to window (tranPlotWindow).
  int tranPlotView(const Point& in, Point& out) const;
  int tranPlotWindow(const Point& device, Point& out) const;
  int tranWindow(int from, float x, float y, int to, float& x2, float& y2) const;
  // Window to device with the current transformation.
  Point toDevice(float x, float y) const;
  const GTran& getGTran(int i) const { return trans[i < 0 || i >= NUM_TRAN ? 0 : i]; }
  void printTran() const;

  // Attributes: each forwards to the device only when the value changes (0 when unchanged).
  int setLineColor(int c);
  int setLineWidth(float w);
  int setLineStyle(int s);
  int setFillColor(int c);
  int setFillStyle(int s);
  int setTextColor(int c);
  int setTextWeight(float w);
  int setTextHeight(float h);
  int setTextExpansion(float e);
  int setTextSpacing(float s);
  int setTextCharWidth(float w);
  int setTextAlign(int h, int v);
  int setTextDirection(float dx, float dy);
  int setTextBoxColor(int c);
  int setDropColor(int c);
  int setDropShadow(int n);
  int setDropWidth(float w);
  int setMarkColor(int c);
  int setMarkSize(float s);
  int setMarkType(int t);
  int setMarkWeight(float w);
  int setFont(const char* name);
  int setSymbol(const char* file);
  const GFont& getFont() const { return font; }
  const Symbol& getSymbols() const { return symbols; }

  // Drawing, in window coordinates.
  int drawLine(float x1, float y1, float x2, float y2);
  int drawLine(const Point& a, const Point& b);
  int drawLine(const Points& pts);
  int drawRect(float x1, float y1, float x2, float y2);
  int drawRect(const Rect& r);
  int drawCircle(float x, float y, float r);
  int drawCircle(const Point& p, float r);
  int drawFill(const Points& pts);
  int drawFill(const Rect& r);
  // An area of several closed rings (outline and holes), ring r of counts[r] points in turn.
  int drawFillPath(const Points& pts, const std::vector<int>& counts);
  int drawFillarea(const Points& pts) { return drawFill(pts); }
  int drawText(float x, float y, const char* text);
  int drawText(const Point& p, const char* text);
  int drawFormText(float x, float y, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
  int drawMark(float x, float y);
  int drawMark(const Point& p);
  int drawSymbol(float x, float y, const char* name, float size);
  // The width of a text line in window units with the current font and text attributes: from the
  // start of its first glyph to the end of its last.
  float getTextWidth(const char* text) const;

  int callback(const char* event, const char* data, const void* client) override;

 private:
  bool ready() const { return device && opened; }
  void resetTrans();
  void allocDeviceColors();
  int deviceColor(int c) const;
  // Converts window points into the scratch list; false when none is inside the window.
  bool convert(const Points& pts);
  // Draws the scratch list as a polyline of class type, with the drop shadow when asked.
  int strokeScratch(int type, int colour, float width, bool shadow);
  int drawTextLine(float x, float y, const char* text, int len);
  int drawHardwareText(const Point& anchor, const char* text);
  int loadFont(const char* spec);
  float lineShift(int lines) const;

  std::unique_ptr<Device> device;
  bool opened = false;
  bool managed = false;
  bool fixed = true;
  GTran trans[NUM_TRAN];
  int tran = 0;
  Rect clipBox;  // the device clip this graph set last; missing: the whole device
  ColorMap colors;
  GFont font;
  Symbol symbols;
  Points scratch;
  char font_spec[GFont::NAME_SIZE];
};

}  // namespace KOL
