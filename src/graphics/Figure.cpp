#include "graphics/Figure.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/plot/PlotParams.h"

namespace KOL {

namespace {

constexpr int DEFAULT_LINC = 3600;

std::string dateText(const Date& d)
{
  String s;
  d.toText(s);
  return s.get();
}

// The pointer position "%d:%d" at offset from of a key event's data.
bool pixelOf(const char* data, size_t from, Point& p)
{
  int x, y;
  if (!data || std::strlen(data) < from || std::sscanf(data + from, "%d:%d", &x, &y) != 2)
    return false;
  p.set(static_cast<float>(x), static_cast<float>(y));
  return true;
}

}  // namespace

Figure::Figure() { init(); }

Figure::Figure(const char* params)
{
  init();
  setParam(params);
  open(params);
}

Figure::~Figure() { close(); }

void Figure::init()
{
  queue.clear();
  file.clear();
  fore_list.clear();
  date.init();
  data_date.init();
  saved_domain.init();
  num_frames = -1;
  loop_type = 1;
  linc = -1;
  num_looping = 0;
  state = -1;
  refresh = 0;
  border = true;
  last_refresh = 0;
  if (const char* t = Kol::resrc.get("time"); t && *t) setForeTime(t);
  if (const char* p = Kol::resrc.get("parameter"); p && *p) setParam(p);
}

int Figure::setParam(const char* params)
{
  for (const std::string& f : PlotParams::split(params)) {
    const char* s = f.c_str();
    if (StrLib::equal(s, "fi=", 3)) {
      file = f.substr(3);
    } else if (StrLib::equal(s, "norefresh")) {
      refresh = 0;
    } else if (StrLib::equal(s, "ref", 3)) {
      const size_t eq = f.find('=');
      refresh = eq == std::string::npos ? 1 : std::atoi(s + eq + 1);
    } else if (StrLib::equal(s, "nobord", 6)) {
      border = false;
    } else if (StrLib::equal(s, "nf", 2) && f.size() > 3) {
      num_frames = std::atoi(s + 3);
    } else if (StrLib::equal(s, "linc", 4) && f.size() > 5) {
      linc = std::atoi(s + 5) * 60;
    }
  }
  return 1;
}

bool Figure::afterOpen(bool ok)
{
  if (!ok) return false;
  plot.setBorder(border);
  plot.addCallback("AnyEvent", this, "Figure");
  return true;
}

bool Figure::open(const char* params)
{
  plot.getGraph().setFixed(false);
  setParam(params);
  return afterOpen(plot.open(params));
}

bool Figure::open()
{
  state = -1;
  return open("");
}

bool Figure::open(std::unique_ptr<Device> dev, const char* params)
{
  plot.getGraph().setFixed(false);
  setParam(params);
  return afterOpen(plot.open(std::move(dev), params));
}

int Figure::close()
{
  const int ok = plot.close();
  state = -1;
  queue.clear();
  return ok;
}

// ---- domain and queue -------------------------------------------------------------------------

int Figure::setDomain(const Domain& d)
{
  saved_domain = d;
  return plot.setDomain(d);
}

int Figure::startPlot(const Domain& d) { return setDomain(d); }

int Figure::startPlot(const Rect& r, const Domain& d)
{
  saved_domain = d;
  return plot.setPanel(r, d);
}

int Figure::startPlot(const Rect& r, float aspect) { return plot.setPanel(r, aspect); }

int Figure::startPlot(const Rect& r) { return plot.setPanel(r); }

int Figure::startPlot() { return plot.setPanel(0); }

int Figure::setForeTime(const char* text)
{
  fore_list = text ? text : "";
  int first, last, step;
  char tail;
  if (!text || std::sscanf(text, "%d-%d/%d%c", &first, &last, &step, &tail) != 3) return 1;
  if (step <= 0 || last < first) return 0;
  fore_list.clear();
  for (int h = first; h <= last; h += step) {
    if (!fore_list.empty()) fore_list += ',';
    fore_list += std::to_string(h);
  }
  return 1;
}

int Figure::setDate(const Date& d)
{
  date = d;
  state = 0;
  num_frames = 1;
  return 1;
}

int Figure::setDate(const Date& d, int inc, int nf)
{
  date = d;
  num_frames = nf;
  state = 0;
  if (inc < 0) {
    date += static_cast<int>(static_cast<long>(nf) * inc);
    inc = -inc;
  }
  linc = inc;
  return 1;
}

int Figure::addDrawing(Drawing& d)
{
  queue.push_back({&d, ""});
  return 1;
}

int Figure::addPanel(const char* text)
{
  queue.push_back({nullptr, text ? text : ""});
  return 1;
}

void Figure::clearQueue() { queue.clear(); }

int Figure::draw(Drawing& d) { return d.draw(plot); }

// ---- settling the loop ------------------------------------------------------------------------

void Figure::dateFromResource()
{
  const char* cur = Kol::resrc.get("current");
  if (!cur || !*cur || std::strstr(cur, "la")) return;
  if (cur[0] == '#' || std::strlen(cur) >= 8) {
    date.set(cur);
    return;
  }
  Date now;
  now.set();
  int d, h, m = 0;
  if (std::sscanf(cur, "%dd%d:%d", &d, &h, &m) >= 2)
    now += -(d * 86400 + h * 3600 + m * 60);
  else if (std::sscanf(cur, "%d:%d", &h, &m) == 2)
    now += -(h * 3600 + m * 60);
  else if (std::sscanf(cur, "%d", &h) == 1)
    now += -h * 3600;
  date = now;
}

void Figure::takeLoopFrom(Drawing& d)
{
  if (!file.empty())
    d.setFilename(file.c_str());
  else
    d.setFilename();
  if (num_frames == -1) {
    num_frames = d.getNumFrames();
    loop_type = d.getLoopType();
  }
  if (linc == -1) linc = d.getDateOffset();
  if (!date.isSet()) d.getInitDate(date);
  if (!data_date.isSet()) data_date = date;
  Kol::outDebug(4, "Found sync: %d %d %d ", num_frames, loop_type, linc);
}

Drawing* Figure::loopingLayer(bool syncOnly)
{
  for (Entry& e : queue)
    if (e.drawing && e.drawing->getLoopType() != 0 && (!syncOnly || e.drawing->getSync()))
      return e.drawing;
  return nullptr;
}

bool Figure::anySync()
{
  for (Entry& e : queue)
    if (e.drawing && e.drawing->getSync()) return true;
  return false;
}

int Figure::endPlot()
{
  num_looping = 0;
  dateFromResource();
  bool synced = false;
  for (Entry& e : queue) {
    if (!e.drawing) continue;
    if (e.drawing->getLoopType() != 0) ++num_looping;
    if (e.drawing->getSync()) {
      takeLoopFrom(*e.drawing);
      synced = true;
    }
  }
  if (state == -1) {
    if (!fore_list.empty()) {
      num_frames = static_cast<int>(PlotParams::split(fore_list.c_str()).size());
      loop_type = 2;
    }
    if (!synced)
      if (Drawing* d = loopingLayer(false)) {
        if (Kol::isDebug(2)) d->print();
        takeLoopFrom(*d);
      }
  }
  if (num_frames == -1) num_frames = 1;
  return drawPlot();
}

// ---- drawing frames ---------------------------------------------------------------------------

int Figure::drawPlot()
{
  if (linc == -1) linc = DEFAULT_LINC;
  if (refresh == 1) refresh = linc;
  if (!date.isSet()) date.set();
  if (Kol::checkMessage(8)) {
    Kol::outMessage(8, "LOOP-nf=%d linc=%d date=", num_frames, linc);
    date.print();
  }
  if (state == -1) state = 0;
  const int n = num_frames;
  Date work = date;
  if (loop_type == 1 && n >= 2) work += -(n - 1) * linc;
  const std::vector<std::string> fcst = PlotParams::split(fore_list.c_str());
  const bool sync = anySync();
  // every frame is labelled by what it draws: it starts from the labels and date of the plot
  // before the loop
  const int labels = plot.getNumLabels(), labelLine = plot.getLabelLine();
  const Date plotDate = plot.getDate();
  Date previous;  // no frame drawn yet: the first found date is always new
  for (int i = 0; i < n; ++i) {
    if (n >= 2) {
      Drawing* looping = loopingLayer(sync);
      if (looping) {
        Date found;
        // the frames of a forecast loop share their run: ask for this frame's forecast
        if (loop_type == 2 && i < static_cast<int>(fcst.size()))
          looping->setForeTime(fcst[i].c_str());
        const int ok = looping->setFilename(work, "");
        looping->getDate(found);
        if (Kol::isDebug(3)) Kol::outDebug(3, "%s\n", std::string(51, '*').c_str());
        const bool repeat = loop_type == 1 && found.isSet() && previous.isSet() &&
                            found.getSeconds() == previous.getSeconds();
        if (!ok || repeat) {
          if (loop_type == 1) work += linc;
          continue;
        }
        previous = found;
        data_date = found;
      }
      plot.newFrame();
    }
    if (n >= 2) {
      plot.keepLabels(labels, labelLine);
      plot.setDate(plotDate);
    }
    plot.setCursor(8);
    if (loop_type == 1)
      drawFrame(work);
    else
      drawFrame(i < static_cast<int>(fcst.size()) ? fcst[i].c_str() : "");
    plot.setCursor(6);
    if (loop_type == 1) work += linc;
    plot.update();
  }
  state = 1;
  return 1;
}

void Figure::labelsAndBorder()
{
  if (border) plot.drawBorder();
  plot.drawLabels();
}

int Figure::drawFrame(Date& d)
{
  // Every layer selects its data first, so that the frame is told by the date of what it draws
  // (the first layer's that has one) rather than by the time asked for.
  Date shown;
  for (Entry& e : queue) {
    if (!e.drawing) continue;
    e.drawing->setFilename(d, "");
    Date found;
    e.drawing->getDate(found);
    if (!found.isSet()) continue;
    data_date = found;
    if (!shown.isSet()) shown = found;
  }
  Kol::outMessage(6, "Plotting for time: %s\n", dateText(shown.isSet() ? shown : d).c_str());
  plot.setPanel(0);
  for (Entry& e : queue) {
    if (!e.drawing)
      plot.newPanel(e.panel.c_str());
    else
      e.drawing->draw(plot);
  }
  labelsAndBorder();
  return 1;
}

int Figure::drawFrame(const char* forecast)
{
  Kol::outMessage(6, "Plotting for fcst: %s\n", forecast ? forecast : "");
  plot.setPanel(0);
  for (Entry& e : queue) {
    if (!e.drawing) {
      plot.newPanel(e.panel.c_str());
      continue;
    }
    e.drawing->setForeTime(forecast);
    e.drawing->draw(plot);
  }
  labelsAndBorder();
  return 1;
}

int Figure::draw()
{
  plot.deleteAllFrames();
  plot.clear();
  plot.setPanel(0);
  return drawPlot();
}

int Figure::updateLoop(Date& d)
{
  if (num_frames > 1) {
    plot.deleteFrame(0);
    plot.newFrame();
  }
  plot.clearFrame();
  drawFrame(d);
  plot.update();
  date = d;
  return 1;
}

int Figure::manage()
{
  last_refresh = Kol::getTime();
  return plot.manage();
}

// ---- events -----------------------------------------------------------------------------------

int Figure::zoomAbout(const char* pixel, float factor, const char* what, const char* data)
{
  Point px, xy;
  if (!pixelOf(pixel, 0, px)) return 0;
  plot.setPanel(0);
  plot.tranPlotWindow(px, xy);
  Domain d;
  plot.getPanelDomain(0, d);
  const int ok = factor == 1.0f ? d.pan(xy) : d.zoom(xy, factor);
  if (!ok) return 0;
  Kol::outDebug(1, "Figure-%s window: %s %.2f %.2f\n", what, data, xy.x, xy.y);
  if (Kol::checkMessage(6)) {
    Kol::outMessage(6, "New domain: ");
    d.print();
  }
  plot.setPanelDomain(0, d);
  return draw();
}

int Figure::refreshData()
{
  const double now = Kol::getTime();
  if (refresh < 2 || now - last_refresh < refresh) return 0;
  last_refresh += refresh;
  if (now - last_refresh >= refresh) last_refresh = now;
  Drawing* looping = loopingLayer(false);
  if (!looping) return 0;
  Date current;
  current.set();
  Date found;
  const int ok = looping->setFilename(current, "");
  looping->getDate(found);
  const bool single = loop_type == 1 || num_looping == 1;
  if (single && found.isSet() && data_date.isSet() &&
      found.getSeconds() == data_date.getSeconds()) {
    Kol::outDebug(1, "Figure-refresh %d\n", 0);
    return 0;
  }
  Kol::outDebug(1, "Figure-refresh %d\n", ok ? 1 : 0);
  if (!ok) return 0;
  data_date = found;
  return updateLoop(current);
}

int Figure::callback(const char* event, const char* data, const void*)
{
  if (!event) return 0;
  const char* d = data ? data : "";
  if (std::strcmp(event, "Redraw") == 0) {
    int w = 0, h = 0;
    std::sscanf(d, "%d:%d", &w, &h);
    Kol::outDebug(1, "Figure-resize window: %d %d\n", w, h);
    return draw();
  }
  if (std::strcmp(event, "Idle") == 0) return refreshData();
  if (std::strcmp(event, "KeyPress") != 0) return 0;
  auto key = [&](const char* k) { return std::strncmp(d, k, std::strlen(k)) == 0; };
  if (key("r-Alt")) {
    Kol::outDebug(1, "Figure-redraw window\n");
    return draw();
  }
  // a window reports shift as a modifier of the plain key
  if (key("Z-Alt") || key("z-Alt-Shft"))
    return zoomAbout(std::strlen(d) > 11 ? d + 11 : "", 0.5f, "unzoom", d);
  if (key("z-Alt")) return zoomAbout(std::strlen(d) > 6 ? d + 6 : "", 2.0f, "zoom", d);
  if (key("p-Alt")) return zoomAbout(std::strlen(d) > 6 ? d + 6 : "", 1.0f, "pan", d);
  if (key("u-Alt")) {
    plot.setPanelDomain(0, saved_domain);
    Kol::outDebug(1, "Figure-unzoom window\n");
    return draw();
  }
  return 0;
}

}  // namespace KOL
