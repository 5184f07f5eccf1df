// One window/viewport transformation: window (caller) coordinates to normalised device
// coordinates (the longer device side 1, y up) to device coordinates (y as the device has it).
// Every device coordinate is clamped to +-30000 so that no far-away point overflows a device.
#pragma once

#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/Coords.h"

namespace KOL {

class GTran {
 public:
  static constexpr float DEVICE_LIMIT = 30000.0f;

  GTran() { init(); }
  void init();
  // Takes the device rectangle and resets viewport and window to the whole NDC extent.
  void set(const Rect& device);
  void resize(const Rect& device) { set(device); }
  // Refused (0) for a rectangle without width or height.
  int setWindow(const Rect& r);
  int setViewport(const Rect& r);

  float tranWindowNdcX(float x) const { return (x - win.x1) * scale.x + view.x1; }
  float tranWindowNdcY(float y) const { return (y - win.y1) * scale.y + view.y1; }
  float tranNdcPlotX(float u) const { return clamp(u * dscale.x + dev.x1); }
  float tranNdcPlotY(float v) const { return clamp((ndc.y2 - v) * dscale.y + dev.y1); }
  float tranWindowPlotX(float x) const { return tranNdcPlotX(tranWindowNdcX(x)); }
  float tranWindowPlotY(float y) const { return tranNdcPlotY(tranWindowNdcY(y)); }
  float tranPlotNdcX(float px) const { return (px - dev.x1) / dscale.x; }
  float tranPlotNdcY(float py) const { return ndc.y2 - (py - dev.y1) / dscale.y; }
  float tranNdcWindowX(float u) const { return (u - view.x1) / scale.x + win.x1; }
  float tranNdcWindowY(float v) const { return (v - view.y1) / scale.y + win.y1; }
  float tranPlotWindowX(float px) const { return tranNdcWindowX(tranPlotNdcX(px)); }
  float tranPlotWindowY(float py) const { return tranNdcWindowY(tranPlotNdcY(py)); }
  static float tranWindowX(const GTran& from, const GTran& to, float x);
  static float tranWindowY(const GTran& from, const GTran& to, float y);

  // The viewport in device coordinates.
  Rect getClipRect() const;
  // False when the points' bounding box lies wholly outside the window (missing counts as -9999).
  bool isPointsInWindow(int n, const Point* pts) const;
  bool isPointsInWindow(const Points& pts) const;

  Rect getWindow() const { return Rect(win.x1, win.y1, win.x2, win.y2); }
  Rect getViewport() const { return Rect(view.x1, view.y1, view.x2, view.y2); }
  Rect getNdc() const { return Rect(ndc.x1, ndc.y1, ndc.x2, ndc.y2); }
  void print() const;

  // A device coordinate within +-DEVICE_LIMIT; NaN becomes -DEVICE_LIMIT.
  static float clamp(float v);

 private:
  Coords dev;    // device rectangle as the device reports it
  Coords ndc;    // (0, 0)-(xn, yn)
  Point scale;   // window to NDC
  Point dscale;  // NDC to device
  Coords win;    // window
  Coords view;   // viewport
  Rect spare;
};

}  // namespace KOL
