// A device that writes down every call it gets, for tests of what Graph and Plot send and when,
// and a test with a plot on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "graphics/Device.h"
#include "graphics/Plot.h"

namespace KOLTest {

class RecordingDevice : public KOL::Device {
 public:
  // Device area: w x h with y down (a window) or up (a page).
  RecordingDevice(float w, float h, bool yUp, std::vector<std::string>* log)
      : w_(w), h_(h), yUp_(yUp), log_(log)
  {
  }
  int setParam(const char*) override { return 1; }
  int open() override { return note("open"); }
  int close() override { return note("close"); }
  int setSize(float, float) override { return 1; }
  float getWidth() override { return w_; }
  float getHeight() override { return h_; }
  int getCoords(KOL::Rect& r) override
  {
    r.setu(0, yUp_ ? h_ : 0, w_, yUp_ ? 0 : h_);
    return 1;
  }
  int setColor(int type, int c) override { return note("color " + k(type) + " " + k(c)); }
  int setLineWidth(int type, float w) override { return note("width " + k(type) + " " + f(w)); }
  int setLineStyle(int type, int s) override { return note("style " + k(type) + " " + k(s)); }
  int setFillStyle(int type, int s) override { return note("fstyle " + k(type) + " " + k(s)); }
  int drawLine(int type, KOL::Points& pts) override
  {
    lines.push_back(pts);
    return note("line " + k(type) + " " + k(pts.getNum()) + points(pts));
  }
  int drawFill(int type, KOL::Points& pts) override
  {
    return note("fill " + k(type) + " " + k(pts.getNum()) + points(pts));
  }
  int setTextAlign(int h, int v) override { return note("talign " + k(h) + " " + k(v)); }
  int drawText(KOL::Point& p, const char* t) override
  {
    return note("text " + f(p.x) + "," + f(p.y) + " " + t);
  }
  int setFont(const char* name) override { return accept ? note(std::string("font ") + name) : 0; }
  KOL::Rect getClip() override { return clip; }
  int setClip(float x1, float y1, float x2, float y2) override
  {
    clip.set(x1, y1, x2, y2);
    return note("clip " + f(x1) + " " + f(y1) + " " + f(x2) + " " + f(y2));
  }

  std::vector<KOL::Points> lines;
  KOL::Rect clip;
  bool accept = true;

 private:
  static std::string k(int v) { return std::to_string(v); }
  static std::string f(float v)
  {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
  }
  static std::string points(const KOL::Points& pts)
  {
    std::string s;
    for (const KOL::Point& p : pts) s += " " + f(p.x) + "," + f(p.y);
    return s;
  }
  int note(const std::string& s)
  {
    if (log_) log_->push_back(s);
    return 1;
  }
  float w_, h_;
  bool yUp_;
  std::vector<std::string>* log_;
};

// A plot on a recording device (y down), with the repository's database in force.
class RecordedPlotTest : public DatabaseTest {
 protected:
  // A new plot of w x h pixels, its panel the whole window, showing the domain; the log empty.
  void open(const char* domain, float w = 1000, float h = 500)
  {
    plot = std::make_unique<KOL::Plot>();
    auto dev = std::make_unique<RecordingDevice>(w, h, false, &log);
    rec = dev.get();
    ASSERT_TRUE(plot->open(std::move(dev), "full"));
    ASSERT_EQ(plot->setDomain(domain), 1);
    forget();
  }
  // A new plot of w x h pixels whose inner panel (a tenth in from each edge) shows the domain.
  void openPanel(const KOL::Domain& d, float w, float h)
  {
    open("xy,0,0,2,2,1,1", w, h);
    ASSERT_TRUE(plot->setPanel(KOL::Rect(0.1f, 0.1f, 0.9f, 0.9f), d));
    forget();
  }
  void forget()
  {
    log.clear();
    rec->lines.clear();
  }
  // Calls logged that begin with prefix.
  int count(const std::string& prefix) const
  {
    int n = 0;
    for (const std::string& s : log) n += s.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

  std::vector<std::string> log;
  RecordingDevice* rec = nullptr;
  std::unique_ptr<KOL::Plot> plot;
};

}  // namespace KOLTest
