// What a figure draws: a layer (map background, contours, station plots, images) that finds
// its data for a date or forecast time, says how the figure should loop over it, and draws it
// on the plot. A layer overrides what concerns it; the rest answers "nothing to do".
#pragma once

#include "core/Date.h"
#include "geo/Domain.h"

namespace KOL {

class Plot;

class Drawing {
 public:
  virtual ~Drawing() = default;
  virtual void init() {}
  // The layer's preferred domain; nonzero when it supplied one.
  virtual int getDomain(Domain&) { return 0; }
  virtual int setFile() { return 1; }
  virtual int setInput(const char*) { return 1; }
  virtual int setNameConv(const char*) { return 1; }
  // Locate the input: by default, by name, or the data nearest a date. Nonzero when found.
  virtual int setFilename() { return 1; }
  virtual int setFilename(const char*) { return 1; }
  virtual int setFilename(Date&) { return 1; }
  virtual int setFilename(Date& d, const char*) { return setFilename(d); }
  virtual int setForeTime(const char*) { return 1; }
  virtual int setParam(const char*) { return 1; }
  // The date of the data actually found.
  virtual int getDate(Date&) { return 1; }
  // 0 none, 1 a loop over dates, 2 a loop over forecast times.
  virtual int getLoopType() { return 0; }
  // The date the layer suggests for the figure (cleared when it has none).
  virtual int getInitDate(Date& d)
  {
    d.init();
    return 0;
  }
  // The loop increment in seconds.
  virtual int getDateOffset() { return 0; }
  virtual int getNumFrames() { return 1; }
  // Nonzero when the figure's loop is to follow this layer.
  virtual int getSync() { return 0; }
  virtual int draw(Plot& plot) = 0;
  virtual void print() {}
  virtual int callback(const char*, const char*, const void*) { return 0; }
};

}  // namespace KOL
