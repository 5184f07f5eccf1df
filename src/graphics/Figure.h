// A picture made of drawing layers: the figure works out from its layers how many frames to
// draw and at which dates or forecast hours, draws every layer into its plot once per frame,
// and then answers the device's redraw, zoom, pan and refresh events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "geo/Domain.h"
#include "geo/Rect.h"
#include "graphics/Drawing.h"
#include "graphics/Listener.h"
#include "graphics/Plot.h"

namespace KOL {

class Device;

class Figure : public Listener {
 public:
  static constexpr int TEXT_SIZE = 200;

  Figure();
  explicit Figure(const char* params);
  ~Figure() override;
  Figure(const Figure&) = delete;
  Figure& operator=(const Figure&) = delete;

  void init();
  int setParam(const char* params);
  bool open(const char* params);
  bool open();
  // The same with a device made by the caller.
  bool open(std::unique_ptr<Device> dev, const char* params);
  int close();

  int setDomain(const Domain& d);
  int startPlot(const Domain& d);
  int startPlot(const Rect& r, const Domain& d);
  int startPlot(const Rect& r, float aspect);
  int startPlot(const Rect& r);
  int startPlot();

  // "first-last/step" expands to the list first, first + step, ... last; other texts are kept.
  int setForeTime(const char* text);
  const std::string& getForeTime() const { return fore_list; }
  int setDate(const Date& d);
  // A negative increment moves the date back nf |linc| seconds and loops forward from there.
  int setDate(const Date& d, int linc, int nf);
  void setLoopType(int t) { loop_type = t; }
  int addDrawing(Drawing& d);
  int addPanel(const char* text);
  void clearQueue();
  int draw(Drawing& d);
  int drawFrame(Date& d);
  int drawFrame(const char* forecast);
  int drawPlot();
  // Redraw: every frame again from the first.
  int draw();
  int endPlot();
  int updateLoop(Date& d);
  int manage();
  void setDrawing(const char* text) { plot.setDrawing(text); }
  bool isDrawing(int i) const { return plot.isDrawing(i); }

  Plot& getPlot() { return plot; }
  int getNumFrames() const { return num_frames; }
  int getLoopType() const { return loop_type; }
  int getDateOffset() const { return linc; }
  int getState() const { return state; }
  int getRefresh() const { return refresh; }
  bool getBorder() const { return border; }
  const Date& getDate() const { return date; }
  const Date& getDataDate() const { return data_date; }
  const std::string& getFile() const { return file; }

  int callback(const char* event, const char* data, const void* client) override;

 private:
  struct Entry {
    Drawing* drawing;  // not owned
    std::string panel;
  };
  bool afterOpen(bool ok);
  void dateFromResource();
  void takeLoopFrom(Drawing& d);
  Drawing* loopingLayer(bool syncOnly);
  bool anySync();
  void labelsAndBorder();
  int zoomAbout(const char* pixel, float factor, const char* what, const char* data);
  int refreshData();

  Plot plot;
  std::vector<Entry> queue;
  std::string file;
  std::string fore_list;
  Date date, data_date;
  Domain saved_domain;
  int num_frames;
  int loop_type;
  int linc;
  int num_looping;
  int state;
  int refresh;
  bool border;
  double last_refresh;
};

}  // namespace KOL
