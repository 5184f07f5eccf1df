#include "graphics/Plot.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/ColorFile.h"
#include "graphics/MapHook.h"
#include "graphics/Spline.h"
#include "graphics/plot/ColorBar.h"
#include "graphics/plot/LabelFormat.h"
#include "graphics/plot/LineCrop.h"
#include "graphics/plot/PlotImage.h"
#include "graphics/plot/PlotParams.h"
#include "imagery/Image.h"

namespace KOL {

namespace {

constexpr const char* DEFAULT_COLOR_TABLE = "kol.clr";
// Room left around a panel for the labels unless the plot is full.
constexpr float LABEL_MARGIN = 0.05f;
constexpr float SIDE_MARGIN = 0.01f;
constexpr float BAR_HEIGHT = 0.025f;

bool isLatLon(const Domain& d) { return d.proj == 2; }
bool isMercator(const Domain& d) { return d.proj == 3; }

// Half the world's width on a plane that is cropped at the dateline; 0 for others.
float cropLimit(const Domain& d)
{
  if (isLatLon(d)) return static_cast<float>(Domain::OFFSET_LL / 2.0);
  if (isMercator(d)) return static_cast<float>(Domain::OFFSET_MERC / 2.0);
  return 0.0f;
}

bool unset(const Domain& d) { return d.getLimits().isMiss(); }

// The plain "xy" domain a panel without one gets: the unit square.
Domain unitDomain()
{
  Domain d;
  d.set(2, 2);
  d.clat = d.clon = 0.5f;
  d.setParam();
  return d;
}

}  // namespace

Plot::Plot() { init(); }

Plot::~Plot() { close(); }

void Plot::init()
{
  panels.assign(1, Panel());
  current = 0;
  line_color = fill_color = text_color = mark_color = Const::MISS;
  def_line.init();
  def_fill.init();
  def_text.init();
  def_mark.init();
  labels.clear();
  label_line = 0;
  label_color = Const::MISS;
  label_format[0] = '\0';
  data_source.clear();
  date.init();
  fore_hour = Const::FMISS;
  timezone.init();
  title[0] = '\0';
  logo.clear();
  panel_text[0] = '\0';
  trans_color[0] = '\0';
  full = 0;
  image_output = false;
  border = true;
  opened = false;
  bar_type = 0;
  bar_locate = 0;
  bar_height = BAR_HEIGHT;
  bar_room = false;
  labels_below = 0;
  bar_units.clear();
  bar_fill.init();
  bar_range.init();
  bar_enhance.init();
  for (bool& f : draw_flags) f = true;
}

// ---- opening ----------------------------------------------------------------------------------

const char* Plot::deviceType(const char* text)
{
  switch (text && *text ? StrLib::toLower(text[0]) : 'w') {
    case 'p':
      return "postscript";
    case 'h':
      return "hpgl";
    case 'm':
      return "meta";
    case 'i':
      return "image";
    default:
      return "display";
  }
}

int Plot::chooseDevice(const char* params)
{
  std::string dev = Kol::resrc.get("device", "");
  const std::string given = PlotParams::rest(params, "de=");
  if (!given.empty()) dev = given;
  if (dev.empty() && Kol::resrc.getBool("inter")) {
    std::printf("Display (D) or Postscript (P): ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    dev = StrLib::toLower(answer.empty() ? 'd' : answer[0]) == 'p' ? "p" : "w";
  }
  const char* type = deviceType(dev.c_str());
  const size_t comma = dev.find(',');
  std::string devParams = comma == std::string::npos ? std::string(params) : dev.substr(comma + 1);
  // the metafile reads its output name from the second field of the whole device text
  if (std::strcmp(type, "meta") == 0 && comma != std::string::npos) devParams = dev;
  return graph.setDevice(type, devParams.c_str());
}

void Plot::applyGeometry(const char* params)
{
  std::string geom = Kol::resrc.get("geometry", "");
  const std::string given = PlotParams::value(params, "ge=");
  if (!given.empty()) geom = given;
  GeomBox box;
  const int kind = decodeGeometryStr(geom.c_str(), box);
  if (kind == 1 || kind == 2) graph.setSize(box.width, box.height);
  if (kind == 2 || kind == 3) graph.setOffset(box.x, box.y);
}

void Plot::setTitleFrom(const char*)
{
  const char* t = Kol::resrc.get("title");
  if (!t || !*t) {
    t = Kol::resrc.get("name");
    if (t && *t == '+') ++t;
  }
  if (!t || !*t) t = Kol::getProgramName();
  StrLib::copy(title, TITLE_SIZE, t ? t : "");
}

void Plot::readColorTables(const char* params)
{
  std::string list = Kol::resrc.get("color_table", DEFAULT_COLOR_TABLE);
  const std::string given = PlotParams::value(params, "ct=");
  if (!given.empty()) list = given;
  ColorMap map(Graph::COLOR_MAP_SIZE);
  if (ColorFile::read(list.c_str(), map) && map.getNum() > 0)
    graph.setColorMap(map);
  else
    Kol::outWarning("Plot: unable to read colour table %s\n", list.c_str());
}

bool Plot::open(const char* params) { return openWith(nullptr, params); }

bool Plot::open(std::unique_ptr<Device> dev, const char* params)
{
  return dev && openWith(std::move(dev), params);
}

bool Plot::openWith(std::unique_ptr<Device> dev, const char* params)
{
  close();
  init();
  const char* p = params ? params : "";
  if (dev)
    graph.setDevice(std::move(dev));
  else if (!chooseDevice(p))
    return false;
  applyGeometry(p);
  // the device knows its background (paper, a white picture, a dark screen): only a given
  // resource changes it, so that a device parameter such as "color" holds
  if (Kol::resrc.get("inverse")) graph.setInverse(Kol::resrc.getBool("inverse"));
  if (const char* bg = Kol::resrc.get("background"); bg && *bg) graph.setBackground(bg);
  graph.setIcon(Kol::resrc.getBool("icon"));
  setTitleFrom(p);
  const char* out = Kol::resrc.get("output");
  image_output = out && PlotImage::outputType(out) != nullptr;
  if (const char* l = Kol::resrc.get("logo"); l && *l) setLogo(l);
  if (const char* d = Kol::resrc.get("draw"); d && *d) setDrawing(d);
  if (const char* tz = Kol::resrc.get("timezone"); tz && *tz) setTimezone(tz);
  if (const char* prm = Kol::resrc.get("parameter"); prm && *prm) setParam(prm);
  // what follows "de=" belongs to the device
  setParam(PlotParams::before(p, "de=").c_str());
  graph.setTitle(title);
  if (!graph.open()) {
    graph.close();
    return false;
  }
  opened = true;
  readColorTables(p);
  graph.addCallback("AnyEvent", this, nullptr);
  initPanel();
  return true;
}

int Plot::close()
{
  if (!graph.isOpen() && !graph.getDeviceObject()) return 0;
  opened = false;
  return graph.close();
}

int Plot::setParam(const char* params)
{
  for (const std::string& f : PlotParams::split(params)) {
    const char* s = f.c_str();
    const std::string v = PlotParams::valueOf(f, 3);
    if (StrLib::equal(s, "ti", 2)) {
      StrLib::copy(title, TITLE_SIZE, v.c_str());
      graph.setTitle(title);
    } else if (StrLib::equal(s, "bg", 2)) {
      graph.setBackground(v.c_str());
    } else if (StrLib::equal(s, "ic", 2)) {
      graph.setIcon(true);
    } else if (StrLib::equal(s, "col", 3)) {
      setLabelColor(v.c_str());
    } else if (StrLib::equal(s, "pan", 3)) {
      StrLib::copy(panel_text, PANEL_TEXT_SIZE, v.c_str());
    } else if (StrLib::equal(s, "full_lab", 8)) {
      full = 2;
    } else if (StrLib::equal(s, "full", 4)) {
      full = 1;
    } else if (StrLib::equal(s, "inv", 3)) {
      graph.setInverse(true);
    } else if (StrLib::equal(s, "bar", 3)) {
      PlotParams::barParams(PlotParams::valueOf(f, 4).c_str(), bar_locate, bar_height);
    } else if (StrLib::equal(s, "lo", 2)) {
      setLogo(v.c_str());
    } else if (StrLib::equal(s, "trans_col", 9)) {
      StrLib::copy(trans_color, TRANS_COLOR_SIZE, PlotParams::valueOf(f, 10).c_str());
    } else if (StrLib::equal(s, "tz", 2)) {
      setTimezone(v.c_str());
    }
  }
  return 1;
}

// ---- geometry and panels ----------------------------------------------------------------------

int Plot::decodeGeometryStr(const char* text, GeomBox& box)
{
  return PlotParams::decodeGeometry(text, box.width, box.height, box.x, box.y);
}

int Plot::decodePanelStr(const Rect& r, const char* text, GeomBox& box)
{
  return PlotParams::decodePanel(r, text, box.x, box.y, box.width, box.height);
}

void Plot::initPanel()
{
  panels.assign(1, Panel());
  current = 0;
  GeomBox box;
  if (panel_text[0] && decodePanelStr(Rect(0, 0, 1, 1), panel_text, box))
    panels[0].setLimits(box.x, box.y, box.x + box.width, box.y + box.height);
  graph.setWindow(MAP, graph.getMaxViewport());
  graph.setViewport(MAP, graph.getMaxViewport());
}

// The shape of a panel: a map keeps its units square; a diagram (its axes measure different
// things, temperature against pressure) takes the shape of its lattice, (nx - 1) / (ny - 1).
float Plot::panelAspect(const Domain& d)
{
  const bool diagram = d.proj >= FIRST_DIAGRAM && d.proj <= LAST_DIAGRAM;
  if (diagram && !Const::isMiss(d.nx) && !Const::isMiss(d.ny) && d.nx > 1 && d.ny > 1)
    return d.getAspect();
  const Rect& win = d.getLimits();
  return win.height() != 0 ? win.width() / win.height() : 0.0f;
}

int Plot::applyPanel(Panel& p, int h, int v)
{
  if (!graph.isOpen()) return 0;
  if (unset(p.getDomain())) p.setDomain(unitDomain());
  const Rect ndc = graph.getGTran(PAGE).getNdc();
  const Rect& lim = p.getLimits();
  Rect area(ndc.x1 + lim.x1 * ndc.width(), ndc.y1 + lim.y1 * ndc.height(),
            ndc.x1 + lim.x2 * ndc.width(), ndc.y1 + lim.y2 * ndc.height());
  if (full == 0) {
    const float my = LABEL_MARGIN * ndc.height() * lim.height(), mx = SIDE_MARGIN * ndc.width();
    // bottom, top, right, left
    float margin[4] = {my, my, mx, mx};
    if (bar_room && bar_locate >= 0 && bar_locate < 4)
      margin[bar_locate] = std::max(
          margin[bar_locate],
          ColorBar::room(bar_locate, bar_height, ColorBar::gapFor(area.height() - 2 * my)));
    area.set(area.x1 + margin[3], area.y1 + margin[0], area.x2 - margin[2], area.y2 - margin[1]);
  }
  const Rect& win = p.getDomain().getLimits();
  graph.setTran(MAP);
  const float aspect = panelAspect(p.getDomain());
  if (!graph.setViewportAspect(area, aspect, h, v)) return 0;
  graph.setWindow(MAP, win);
  p.setViewport(graph.getGTran(MAP).getViewport());
  p.setWindow(win);
  graph.activateTran(MAP);
  const Rect& vp = p.getViewport();
  Kol::outDebug(5, "Panels %f %f - %f %f\n", vp.x1, vp.y1, vp.x2, vp.y2);
  return 1;
}

int Plot::setPanel(const Rect& r, float aspect, int h, int v)
{
  Panel& p = panels[current];
  p.setLimits(r);
  if (!graph.isOpen()) return 0;
  if (unset(p.getDomain())) p.setDomain(unitDomain());
  if (aspect > 0) {
    // a given aspect overrides the domain's: the window keeps the domain, the viewport the shape
    const Rect ndc = graph.getGTran(PAGE).getNdc();
    Rect area(ndc.x1 + r.x1 * ndc.width(), ndc.y1 + r.y1 * ndc.height(),
              ndc.x1 + r.x2 * ndc.width(), ndc.y1 + r.y2 * ndc.height());
    graph.setTran(MAP);
    if (!graph.setViewportAspect(area, aspect, h, v)) return 0;
    graph.setWindow(MAP, p.getDomain().getLimits());
    p.setViewport(graph.getGTran(MAP).getViewport());
    p.setWindow(p.getDomain().getLimits());
    return graph.activateTran(MAP);
  }
  return applyPanel(p, h, v);
}

int Plot::setPanel(const Rect& r, const Domain& d)
{
  panels[current].setDomain(d);
  return setPanel(r, 0.0f, 2, 2);
}

int Plot::setPanel(const Domain& d)
{
  panels[current].setDomain(d);
  return applyPanel(panels[current], 2, 2);
}

int Plot::setPanel(int i)
{
  if (i < 0 || i >= getNumPanels()) return 0;
  current = i;
  return applyPanel(panels[i], 2, 2);
}

int Plot::newPanel(const char* text)
{
  GeomBox box;
  if (!decodePanelStr(Rect(0, 0, 1, 1), text, box)) {
    Kol::outWarning("Plot: bad panel text: %s\n", text ? text : "");
    return 0;
  }
  const Rect r(box.x, box.y, box.x + box.width, box.y + box.height);
  for (int i = 0; i < getNumPanels(); ++i) {
    const Rect& l = panels[i].getLimits();
    if (l.x1 == r.x1 && l.y1 == r.y1 && l.x2 == r.x2 && l.y2 == r.y2) return setPanel(i);
  }
  Panel p;
  p.setLimits(r);
  p.setDomain(getDomain());
  panels.push_back(p);
  current = getNumPanels() - 1;
  return applyPanel(panels[current], 2, 2);
}

int Plot::setPanelDomain(int i, const Domain& d)
{
  if (i < 0 || i >= getNumPanels()) return 0;
  panels[i].setDomain(d);
  return i == current ? applyPanel(panels[i], 2, 2) : 1;
}

int Plot::getPanelDomain(int i, Domain& d) const
{
  if (i < 0 || i >= getNumPanels()) return 0;
  d = panels[i].getDomain();
  return 1;
}

int Plot::setDomain(const Domain& d) { return setPanel(d); }

int Plot::setDomain(const char* text)
{
  Domain d;
  if (!d.set(text)) return 0;
  return setPanel(d);
}

int Plot::setDomain(const DomainVal& v)
{
  Domain d;
  if (!d.set(v)) return 0;
  return setPanel(d);
}

int Plot::getDomain(Domain& d) const
{
  d = getDomain();
  return !unset(d);
}

int Plot::getDomainVal(DomainVal& v) const
{
  v = getDomain().get();
  return !unset(getDomain());
}

float Plot::getDomAspect() const
{
  const Rect& l = getDomain().getLimits();
  return l.isMiss() || l.height() == 0 ? Const::FMISS : l.width() / l.height();
}

int Plot::getViewDomain(Domain& d) const
{
  d = getDomain();
  const Rect w = graph.getGTran(MAP).getWindow();
  const Rect& l = d.getLimits();
  if (unset(d) || w.isMiss() || l.isMiss()) return 0;
  // the window may differ from the domain's limits (a viewport of another shape): keep the
  // spacing and cover the window
  Point c((w.x1 + w.x2) / 2, (w.y1 + w.y2) / 2);
  EarthPoint e;
  if (!d.tran(c, e) || e.isMiss()) return 0;
  const float sx = d.dx != 0 ? std::fabs(w.width() / d.dx) : 0;
  const float sy = d.dy != 0 ? std::fabs(w.height() / d.dy) : 0;
  d.clat = e.lat, d.clon = e.lon;
  d.nx = static_cast<int>(sx + 1.5f), d.ny = static_cast<int>(sy + 1.5f);
  return d.setParam();
}

int Plot::tranPlotWindow(const Point& device, Point& out)
{
  const int t = graph.getTran();
  graph.setTran(MAP);
  graph.tranPlotWindow(device, out);
  graph.setTran(t);
  return 1;
}

Point Plot::toDevice(const Point& p)
{
  const int t = graph.getTran();
  graph.setTran(MAP);
  const Point d = graph.toDevice(p.x, p.y);
  graph.setTran(t);
  return d;
}

// ---- drawing ----------------------------------------------------------------------------------

int Plot::drawMapSegment(Point a, Point b)
{
  const Domain& d = getDomain();
  const int side = d.wrapLine(a, b);
  const float lim = cropLimit(d);
  int n = 0;
  for (int pass = 0; pass < (side ? 2 : 1); ++pass) {
    if (pass == 1) d.offsetLine(a, b, side);
    Point ca = a, cb = b;
    if (lim > 0 && !LineCrop::cropSegment(ca, cb, lim)) continue;
    n += graph.drawLine(ca, cb);
  }
  return n > 0;
}

// The pieces of a line between its missing points; a line without any (most) as it is.
int Plot::drawPieces(const Points& pts)
{
  if (std::none_of(pts.begin(), pts.end(), [](const Point& p) { return p.isMiss(); }))
    return pts.getNum() >= 2 ? graph.drawLine(pts) : 0;
  int n = 0;
  for (const Points& piece : LineCrop::split(pts)) n += graph.drawLine(piece);
  return n;
}

int Plot::drawMapLine(Points pts)
{
  if (graph.getTran() != MAP) return drawPieces(pts) > 0;
  const Domain& d = getDomain();
  const int side = d.wrapLine(pts);
  const float lim = cropLimit(d);
  int n = 0;
  for (int pass = 0; pass < (side ? 2 : 1); ++pass) {
    if (pass == 1) d.offsetLine(pts, side);
    n += drawPieces(lim > 0 ? LineCrop::cropLine(pts, lim) : pts);
  }
  return n > 0;
}

int Plot::toMap(const EarthPoints& in, Points& out) const
{
  out.clear();
  out.reserve(in.getNum());
  const Domain& d = getDomain();
  for (EarthPoint e : in) {
    Point p;
    if (e.isMiss() || !d.tran(e, p)) p.init();
    out.add(p);
  }
  return out.getNum();
}

int Plot::toMap(const GridPoint& g, Point& p) const
{
  if (g.isMiss() || !getDomain().tran(g, p)) {
    p.init();
    return 0;
  }
  return 1;
}

int Plot::drawLine(const Point& a, const Point& b)
{
  if (suppressed(line_color) || a.isMiss() || b.isMiss()) return 0;
  if (graph.getTran() != MAP) return graph.drawLine(a, b);
  return drawMapSegment(a, b);
}

int Plot::drawLine(const EarthPoint& a, const EarthPoint& b)
{
  EarthPoint ea = a, eb = b;
  Point pa, pb;
  if (ea.isMiss() || eb.isMiss() || !getDomain().tran(ea, pa) || !getDomain().tran(eb, pb))
    return 0;
  return drawLine(pa, pb);
}

int Plot::drawLine(const GridPoint& a, const GridPoint& b)
{
  Point pa, pb;
  if (!toMap(a, pa) || !toMap(b, pb)) return 0;
  return drawLine(pa, pb);
}

int Plot::drawLine(const Points& pts)
{
  if (suppressed(line_color)) return 0;
  return drawMapLine(pts);
}

int Plot::drawLine(const EarthPoints& pts)
{
  if (suppressed(line_color)) return 0;
  Points p;
  toMap(pts, p);
  return drawMapLine(p);
}

int Plot::drawSpline(const Points& pts)
{
  if (suppressed(line_color)) return 0;
  Spline s(pts, 2);
  const float len = s.getDist();
  if (!(len > 0)) return 0;
  const float step = len / (4.0f * pts.getNum());
  Points curve;
  for (float t = 0; t <= len + 0.02f; t += step) curve.add(s.getPoint(t));
  curve.add(s.getPoint(len));
  return drawMapLine(curve);
}

int Plot::drawSpline(const EarthPoints& pts)
{
  Points p;
  toMap(pts, p);
  return drawSpline(p);
}

int Plot::drawRect(const Rect& r)
{
  if (suppressed(line_color)) return 0;
  return graph.drawRect(r);
}

int Plot::drawCircle(const Point& p, float r)
{
  if (suppressed(line_color) || p.isMiss()) return 0;
  return graph.drawCircle(p, r);
}

int Plot::drawCircle(const EarthPoint& e, float r)
{
  EarthPoint c = e;
  Point p;
  if (c.isMiss() || !getDomain().tran(c, p)) return 0;
  return drawCircle(p, r);
}

int Plot::drawFill(const Points& pts)
{
  if (suppressed(fill_color)) return 0;
  return graph.drawFill(pts);
}

int Plot::drawFillPath(const Points& pts, const std::vector<int>& counts)
{
  if (suppressed(fill_color)) return 0;
  return graph.drawFillPath(pts, counts);
}

int Plot::drawFill(const Rect& r)
{
  if (suppressed(fill_color)) return 0;
  return graph.drawFill(r);
}

int Plot::drawFill(const EarthPoints& pts)
{
  Points p;
  toMap(pts, p);
  for (const Point& q : p)
    if (q.isMiss()) return 0;
  return drawFill(p);
}

int Plot::drawText(const Point& p, const char* text)
{
  if (suppressed(text_color) || p.isMiss() || !text) return 0;
  return graph.drawText(p, text);
}

int Plot::drawText(const EarthPoint& e, const char* text)
{
  EarthPoint c = e;
  Point p;
  if (c.isMiss() || !getDomain().tran(c, p)) return 0;
  return drawText(p, text);
}

int Plot::drawText(const GridPoint& g, const char* text)
{
  Point p;
  if (!toMap(g, p)) return 0;
  return drawText(p, text);
}

int Plot::drawFormText(const Point& p, const char* fmt, ...)
{
  char buf[LABEL_SIZE];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return drawText(p, buf);
}

int Plot::drawFormText(const EarthPoint& e, const char* fmt, ...)
{
  char buf[LABEL_SIZE];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return drawText(e, buf);
}

int Plot::drawMark(const Point& p)
{
  if (suppressed(mark_color) || p.isMiss()) return 0;
  return graph.drawMark(p);
}

int Plot::drawMark(const EarthPoint& e)
{
  EarthPoint c = e;
  Point p;
  if (c.isMiss() || !getDomain().tran(c, p)) return 0;
  return drawMark(p);
}

int Plot::drawMark(const GridPoint& g)
{
  Point p;
  if (!toMap(g, p)) return 0;
  return drawMark(p);
}

int Plot::drawSymbol(const Point& p, const char* name, float size)
{
  if (suppressed(mark_color) || p.isMiss()) return 0;
  return graph.drawSymbol(p.x, p.y, name, size);
}

int Plot::drawImage(Image& img) { return drawImage(img, 0); }

int Plot::drawImage(Image& img, int flag)
{
  if (!img.validData()) return 0;
  Point at;
  const Domain& own = img.getDomain();
  if (!unset(own) && own.tran(0, at) && !at.isMiss()) {
    // pixels are centred on the lattice points: the picture's corner is half a pixel out
    at.offset(-std::fabs(own.dx) / 2, std::fabs(own.dy) / 2);
    Point mapped;
    if (!Domain::translate(own, getDomain(), at, mapped) || mapped.isMiss()) return 0;
    at = mapped;
  } else {
    const Rect w = graph.getGTran(MAP).getWindow();
    at.set(w.x1, w.y2);
  }
  return graph.drawImageAt(img, flag, at.x, at.y);
}

int Plot::drawImage(const char* file, float x, float y) { return drawImage(file, x, y, "png"); }

int Plot::drawImage(const char* file, float x, float y, const char*)
{
  Image img;
  if (!PlotImage::readPng(file, img)) return 0;
  const int t = graph.getTran();
  graph.setTran(PAGE);
  const int ok = graph.drawImageAt(img, x, y);
  graph.setTran(t);
  return ok;
}

int Plot::drawBorder()
{
  if (!border || !graph.isOpen()) return 0;
  const int t = graph.getTran();
  const Rect vp = graph.getGTran(MAP).getViewport();
  graph.setTran(PAGE);
  graph.activateTran(PAGE);
  const int saved = graph.line_color, style = graph.line_style;
  const float width = graph.line_width;
  const int c = label_color != Const::MISS ? label_color : labelColor("color_label");
  int ok = 0;
  if (c >= 0) {
    graph.setLineColor(c);
    graph.setLineWidth(1);
    graph.setLineStyle(1);
    ok = graph.drawRect(vp);
    graph.setLineColor(saved);
    graph.setLineWidth(width);
    graph.setLineStyle(style);
  }
  graph.setTran(t);
  graph.activateTran(t);
  return ok;
}

int Plot::drawMap(const char* params) { return MapHook::drawDefault(*this, params); }

int Plot::message(const char* fmt, ...)
{
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return graph.message("%s", buf);
}

// ---- attributes -------------------------------------------------------------------------------

int Plot::getColorValue(const char* name)
{
  if (!name || !*name) return Const::MISS;
  return graph.getColor(name);
}

int Plot::resolveColor(const char* name)
{
  if (!name || !*name) return Const::MISS;
  if (StrLib::iequal(name, "off") || StrLib::iequal(name, "none") || StrLib::iequal(name, "back"))
    return -1;
  return graph.getColor(name);
}

int Plot::getColorRGB(int i, float& r, float& g, float& b) const
{
  return const_cast<Graph&>(graph).getColorMap().getRGB(i, r, g, b);
}

int Plot::allocColor(int i)
{
  float r, g, b;
  if (!getColorMap().getRGB(i, r, g, b) || r < 0) return 0;
  return graph.allocColor(r, g, b) >= 0;
}

int Plot::setLineColor(const char* name) { return setLineColor(resolveColor(name)); }

int Plot::setLineColor(int c)
{
  line_color = c;
  if (c < 0) return c == Const::MISS ? 0 : 1;
  return graph.setLineColor(c) || 1;
}

int Plot::setLineWidth(float w) { return graph.setLineWidth(w); }
int Plot::setLineStyle(int s) { return graph.setLineStyle(s); }

int Plot::setLine(const PlotAttr& a)
{
  if (a.color_name[0])
    setLineColor(a.color_name);
  else if (a.color != Const::MISS)
    setLineColor(a.color);
  if (!Const::isMiss(a.width)) setLineWidth(a.width);
  if (a.style != Const::MISS) setLineStyle(a.style);
  if (a.shadow != Const::MISS) graph.setDropShadow(a.shadow);
  return 1;
}

int Plot::setLine()
{
  setLineColor(1);
  setLineWidth(-1);
  setLineStyle(1);
  graph.setDropShadow(0);
  return setLine(def_line);
}

int Plot::setLine(const char* text) { return setLine(PlotAttr(text)); }

int Plot::setFillColor(const char* name) { return setFillColor(resolveColor(name)); }

int Plot::setFillColor(int c)
{
  fill_color = c;
  if (c < 0) return c == Const::MISS ? 0 : 1;
  return graph.setFillColor(c) || 1;
}

int Plot::setFillStyle(int s) { return graph.setFillStyle(s); }

int Plot::setFill(const PlotAttr& a)
{
  if (a.color_name[0])
    setFillColor(a.color_name);
  else if (a.color != Const::MISS)
    setFillColor(a.color);
  if (a.fill != Const::MISS) setFillStyle(a.fill);
  return 1;
}

int Plot::setFill()
{
  setFillColor(1);
  setFillStyle(0);
  return setFill(def_fill);
}

int Plot::setFill(const char* text) { return setFill(PlotAttr(text)); }

int Plot::setTextColor(const char* name) { return setTextColor(resolveColor(name)); }

int Plot::setTextColor(int c)
{
  text_color = c;
  if (c < 0) return c == Const::MISS ? 0 : 1;
  return graph.setTextColor(c) || 1;
}

int Plot::setTextAlign(int h, int v) { return graph.setTextAlign(h, v); }
int Plot::setTextHeight(float h) { return graph.setTextHeight(h); }
int Plot::setTextWeight(float w) { return graph.setTextWeight(w); }
int Plot::setTextExpansion(float e) { return graph.setTextExpansion(e); }
int Plot::setTextSpacing(float s) { return graph.setTextSpacing(s); }
int Plot::setTextCharWidth(float w) { return graph.setTextCharWidth(w); }
int Plot::setTextDirection(float dx, float dy) { return graph.setTextDirection(dx, dy); }
int Plot::setFont(const char* name) { return graph.setFont(name); }

int Plot::setText(const PlotAttr& a, float scale)
{
  if (a.color_name[0])
    setTextColor(a.color_name);
  else if (a.color != Const::MISS)
    setTextColor(a.color);
  if (!Const::isMiss(a.height)) setTextHeight(a.height * scale);
  if (!Const::isMiss(a.weight)) setTextWeight(a.weight);
  if (!Const::isMiss(a.expansion)) setTextExpansion(a.expansion);
  if (a.shadow != Const::MISS) graph.setDropShadow(a.shadow);
  if (a.font[0]) setFont(a.font);
  return 1;
}

int Plot::setText()
{
  setTextColor(1);
  setTextWeight(1.0f);
  setTextExpansion(1.0f);
  setTextAlign(0, 0);
  return setText(def_text);
}

int Plot::setText(const char* text) { return setText(PlotAttr(text)); }

int Plot::setMarkColor(const char* name) { return setMarkColor(resolveColor(name)); }

int Plot::setMarkColor(int c)
{
  mark_color = c;
  if (c < 0) return c == Const::MISS ? 0 : 1;
  return graph.setMarkColor(c) || 1;
}

int Plot::setMarkType(int t) { return graph.setMarkType(t); }
int Plot::setMarkType(const char* name) { return graph.setMarkType(PlotAttr::parseMarker(name)); }
int Plot::setMarkWeight(float w) { return graph.setMarkWeight(w); }
int Plot::setMarkSize(float s) { return graph.setMarkSize(s); }

int Plot::setMark(const PlotAttr& a, float scale)
{
  if (a.color_name[0])
    setMarkColor(a.color_name);
  else if (a.color != Const::MISS)
    setMarkColor(a.color);
  if (!Const::isMiss(a.height)) setMarkSize(a.height * scale);
  if (!Const::isMiss(a.weight)) setMarkWeight(a.weight);
  if (a.label[0]) setMarkType(a.label);
  return 1;
}

int Plot::setMark()
{
  setMarkColor(1);
  setMarkWeight(1.0f);
  return setMark(def_mark);
}

int Plot::setMark(const char* text) { return setMark(PlotAttr(text)); }

void Plot::setDefaults(const char* line, const char* fill, const char* text, const char* mark)
{
  def_line.set(line, nullptr);
  def_fill.set(fill, nullptr);
  def_text.set(text, nullptr);
  def_mark.set(mark, nullptr);
}

// ---- labels -----------------------------------------------------------------------------------

void Plot::setLabelColor(const char* name) { label_color = resolveColor(name); }

void Plot::setLabelFormat(const char* format) { StrLib::copy(label_format, LABEL_SIZE, format); }

void Plot::setDataSource(const char* text) { data_source = text ? text : ""; }

int Plot::addLabel(const char* pos, const char* text)
{
  if (getNumLabels() >= MAX_LABELS) {
    Kol::outWarning("Plot: more than %d labels\n", MAX_LABELS);
    return 0;
  }
  Label l;
  l.color = label_color != Const::MISS ? label_color : -1;
  l.line = label_line;
  StrLib::copy(l.pos, LABEL_POS_SIZE, pos ? pos : "ul");
  StrLib::copy(l.text, LABEL_SIZE, text ? text : "");
  StrLib::copy(l.format, LABEL_SIZE, label_format);
  labels.push_back(l);
  return 1;
}

int Plot::setLabel(const char* pos, const char* text)
{
  const int k = getLabelPosIndex(pos);
  for (Label& l : labels)
    if (getLabelPosIndex(l.pos) == k && l.line == label_line) {
      l.color = -1;
      StrLib::copy(l.text, LABEL_SIZE, text ? text : "");
      return 1;
    }
  if (!addLabel(pos, text)) return 0;
  labels.back().color = -1;
  return 1;
}

bool Plot::hasEarlierLabel(const char* pos, const char* text) const
{
  if (!text || !*text) return false;
  const int k = getLabelPosIndex(pos);
  for (const Label& l : labels)
    if (l.line < label_line && getLabelPosIndex(l.pos) == k && std::strcmp(l.text, text) == 0)
      return true;
  return false;
}

void Plot::printLabels() const
{
  for (int i = 0; i < getNumLabels(); ++i)
    std::printf("Plot label[%d] L: %d %s\n", i, labels[i].line, labels[i].text);
}

void Plot::clearLabels()
{
  labels.clear();
  label_line = 0;
  Kol::outDebug(5, "Plot labels cleared\n");
}

void Plot::keepLabels(int n, int line)
{
  if (n >= 0 && n < getNumLabels()) labels.resize(static_cast<size_t>(n));
  label_line = line;
}

int Plot::getLabelPosIndex(const char* pos)
{
  static const char* const names[] = {"ul", "uc", "ur", "ll", "lc", "lr"};
  for (int i = 0; i < 6; ++i)
    if (pos && StrLib::iequal(pos, names[i], 2) && StrLib::length(pos) >= 2) return i;
  return 0;
}

int Plot::formatLabel(const char* format, char* out, int size) const
{
  const LabelFormat::Context c{date, timezone, fore_hour, data_source};
  return LabelFormat::format(c, format, out, size);
}

int Plot::labelColor(const char* key)
{
  const char* name = Kol::resrc.get(key);
  // white ink on a dark background, black on paper or a white picture
  if (!name || !*name) name = graph.getInverse() ? "black" : "white";
  return resolveColor(name);
}

void Plot::labelsFromResources(std::vector<Label>& all) const
{
  auto put = [&](const char* pos, const char* text) {
    Label l{};
    l.color = -1;
    l.line = 0;
    StrLib::copy(l.pos, LABEL_POS_SIZE, pos);
    StrLib::copy(l.text, LABEL_SIZE, text);
    for (Label& old : all)
      if (old.line == 0 && getLabelPosIndex(old.pos) == getLabelPosIndex(pos)) {
        old = l;
        return;
      }
    all.push_back(l);
  };
  static const char* const keys[] = {"text_ul", "text_uc", "text_ur",
                                     "text_ll", "text_lc", "text_lr"};
  for (const char* k : keys)
    if (const char* t = Kol::resrc.get(k); t && *t) put(k + 5, t);
  if (const char* t = Kol::resrc.get("text"); t && *t) put("ul", t);
  if (const char* t = Kol::resrc.get("label"); t && *t)
    for (const std::string& e : PlotParams::split(t)) {
      if (e.size() >= 3 && e[2] == ':')
        put(e.substr(0, 2).c_str(), e.c_str() + 3);
      else
        put("ul", e.c_str());
    }
}

void Plot::placeLabels(const std::vector<Label>& all)
{
  const Rect ndc = graph.getGTran(PAGE).getNdc();
  const Rect vp = graph.getGTran(MAP).getViewport();
  int lines = 1;
  for (const Label& l : all) lines = std::max(lines, l.line + 1);
  float gap = ndc.y2 - vp.y2;
  if (gap < 0.005f) gap = vp.y1 - ndc.y1;
  // no room outside the panel: the labels go inside it
  if (full == 2 || gap < 0.005f) gap = 0.06f;
  const float cap = 0.03f * vp.height();
  const float lh = std::min(gap / lines, cap);
  if (!(lh > 0)) return;
  const int defColor = label_color != Const::MISS ? label_color : labelColor("color_label");
  const bool roomAbove = ndc.y2 - vp.y2 >= lh * lines * 0.99f;
  const bool roomBelow = vp.y1 - ndc.y1 >= lh * lines * 0.99f;
  // the lines under the panel close up: a layer without a lower label leaves no empty line
  std::vector<int> below;
  for (const Label& l : all)
    if (getLabelPosIndex(l.pos) >= 3 && l.text[0]) below.push_back(l.line);
  std::sort(below.begin(), below.end());
  below.erase(std::unique(below.begin(), below.end()), below.end());
  auto row = [&below](int line) {
    return static_cast<float>(std::lower_bound(below.begin(), below.end(), line) - below.begin());
  };
  labels_below = roomBelow ? (static_cast<float>(below.size()) + 0.1f) * lh : 0;
  graph.setTextHeight(0.75f * lh);
  graph.setTextDirection(0, 1);
  for (const Label& l : all) {
    const int k = getLabelPosIndex(l.pos);
    const bool upper = k < 3;
    const int col = k % 3;
    const float x = col == 0   ? vp.x1 + 0.01f * vp.width()
                    : col == 1 ? (vp.x1 + vp.x2) / 2
                               : vp.x2 - 0.01f * vp.width();
    float y;
    if (upper)
      y = roomAbove ? vp.y2 + (l.line + 0.2f) * lh : vp.y2 - (l.line + 0.9f) * lh;
    else
      y = roomBelow ? vp.y1 - (row(l.line) + 0.9f) * lh : vp.y1 + (row(l.line) + 0.2f) * lh;
    char text[LABEL_SIZE * 2];
    if (l.format[0]) {
      char fmt[LABEL_SIZE * 2];
      std::snprintf(fmt, sizeof fmt, "%s%s", l.format, l.text);
      formatLabel(fmt, text, sizeof text);
    } else {
      formatLabel(l.text, text, sizeof text);
    }
    const int c = l.color >= 0 ? l.color : defColor;
    if (c < 0 || !text[0]) continue;
    graph.setTextColor(c);
    graph.setTextAlign(col + 1, 0);
    graph.drawText(x, y, text);
    Kol::outDebug(5, "Plot labels P: %f X: %f Y: %f - %d %f\n", lh, x, y, l.line, 0.75f * lh);
  }
}

int Plot::drawLabels()
{
  if (!graph.isOpen()) return 0;
  std::vector<Label> all = labels;
  labelsFromResources(all);
  const int t = graph.getTran();
  const int savedText = graph.text_color;
  const float savedHeight = graph.text_height;
  const int ha = graph.text_halign, va = graph.text_valign;
  graph.setTran(PAGE);
  graph.activateTran(PAGE);
  placeLabels(all);
  if (bar_type == 1) drawBar();
  if (bar_type == 2) drawEnhBar();
  drawLogo();
  graph.setTextColor(savedText);
  graph.setTextHeight(savedHeight);
  graph.setTextAlign(ha, va);
  graph.setTran(t);
  graph.activateTran(t);
  return 1;
}

// ---- colour bars ------------------------------------------------------------------------------

void Plot::setBar(const ColorFill& fill, const Range& r)
{
  bar_fill = fill;
  bar_range = r;
  bar_type = 1;
}

void Plot::setBar(const ColorFill& fill)
{
  bar_fill = fill;
  bar_type = 1;
}

void Plot::setBar(const Enhance& e)
{
  bar_enhance = e;
  bar_type = 2;
}

void Plot::reserveBar()
{
  if (bar_room) return;
  bar_room = true;
  if (graph.isOpen()) applyPanel(panels[current], 2, 2);
}

// A bar under the panel goes below the labels there, as far as the page has room for it.
Rect Plot::barBox(const Rect& vp) const
{
  const Rect ndc = graph.getGTran(PAGE).getNdc();
  float gap = ColorBar::gapFor(vp.height());
  if (bar_locate == 0) {
    const float most = vp.y1 - ndc.y1 - ColorBar::room(0, bar_height, 0);
    gap = std::max(gap, std::min(labels_below, most));
  }
  return ColorBar::place(vp, ndc, bar_locate, bar_height, gap);
}

int Plot::drawBar() { return drawBar(bar_range); }

int Plot::drawBar(const Range& r)
{
  if (!graph.isOpen()) return 0;
  const int t = graph.getTran();
  const Rect vp = graph.getGTran(MAP).getViewport();
  graph.setTran(PAGE);
  graph.activateTran(PAGE);
  const Rect box = barBox(vp);
  const int c = label_color != Const::MISS ? label_color : labelColor("color_label");
  const int ok = ColorBar::draw(graph, bar_fill, r, box, c);
  if (ok) ColorBar::drawUnits(graph, box, bar_units.c_str(), c);
  graph.setTran(t);
  graph.activateTran(t);
  return ok;
}

int Plot::drawEnhBar()
{
  if (!graph.isOpen()) return 0;
  const int t = graph.getTran();
  const Rect vp = graph.getGTran(MAP).getViewport();
  graph.setTran(PAGE);
  graph.activateTran(PAGE);
  const Rect box = barBox(vp);
  const int c = label_color != Const::MISS ? label_color : labelColor("color_label");
  const int ok = ColorBar::drawEnhance(graph, bar_enhance, box, c);
  if (ok) ColorBar::drawUnits(graph, box, bar_units.c_str(), c);
  graph.setTran(t);
  graph.activateTran(t);
  return ok;
}

// ---- frames and output ------------------------------------------------------------------------

int Plot::clear()
{
  line_color = fill_color = text_color = mark_color = Const::MISS;
  graph.init();
  const int ok = graph.clear();
  const Domain keep = panels[0].getDomain();
  initPanel();
  panels[0].setDomain(keep);
  return ok;
}

int Plot::clearFrame() { return graph.clear(); }

int Plot::newFrame() { return graph.newFrame(); }

int Plot::deleteFrame(int n) { return graph.deleteFrame(n); }

int Plot::deleteAllFrames()
{
  for (int n = graph.getNumFrames() - 1; n >= 0; --n) graph.deleteFrame(n);
  return 1;
}

int Plot::manage()
{
  if (!image_output) return graph.manage();
  return saveOutputResource();
}

int Plot::saveOutputResource()
{
  const char* out = Kol::resrc.get("output");
  const char* type = PlotImage::outputType(out);
  if (!type) return 0;
  const std::string name = PlotImage::outputName(out);
  return saveImage(name.c_str(), type);
}

int Plot::end()
{
  drawBorder();
  drawLabels();
  return manage();
}

int Plot::done() { return ++label_line; }

int Plot::getImage(Image& img)
{
  graph.update();
  return graph.getImage(img);
}

int Plot::saveImage(const char* file)
{
  const char* type = PlotImage::typeOfName(file);
  if (!type) {
    Kol::outWarning("Plot: image type of %s unknown (gif or png)\n", file ? file : "");
    return 0;
  }
  return saveImage(file, type);
}

int Plot::saveImage(const char* file, const char* type)
{
  if (!file || !*file) return 0;
  Image img;
  if (!getImage(img)) {
    String dev;
    graph.getDevice(dev);
    Kol::outWarning("Plot: the %s device has no image to save\n", dev.get());
    return 0;
  }
  if (full) {
    Domain view;
    if (getViewDomain(view)) img.setDomain(view);
  }
  RGB trans;
  const bool hasTrans =
      trans_color[0] && getColorMap().get(getColorMap().getInd(trans_color), trans);
  String path;
  FileTool::addOutPath(Kol::resrc.get("image_path", ""), file, path);
  const bool gif = StrLib::iequal(type, "gif");
  if (!PlotImage::write(path.get(), img, gif, hasTrans ? &trans : nullptr)) return 0;
  Kol::outMessage(Kol::MESS, gif ? "Created GIF file: %s\n" : "Created PNG file: %s\n", path.get());
  return 1;
}

void Plot::setLogo(const char* text) { logo = text ? text : ""; }

int Plot::drawLogo()
{
  if (logo.empty()) return 0;
  String path;
  FileTool::addPath(Kol::getDatabasePath(), logo.c_str(), path);
  Image img;
  if (!PlotImage::readPng(path.get(), img) && !PlotImage::readPng(logo.c_str(), img)) {
    Kol::outWarning("Logo not found: %s\n", logo.c_str());
    return 0;
  }
  // the logo sits in the lower right corner of the panel
  const Rect vp = graph.getGTran(MAP).getViewport();
  const Rect dev = graph.getDeviceViewport();
  const float perNdc = vp.width() > 0 ? std::fabs(dev.width()) / vp.width() : 1.0f;
  const float w = img.getWidth() / perNdc, h = img.getHeight() / perNdc;
  return graph.drawImageAt(img, vp.x2 - w - 0.005f, vp.y1 + h + 0.005f);
}

void Plot::setDrawing(const char* text)
{
  const bool all = !text || !*text || StrLib::iequal(text, "all");
  for (bool& f : draw_flags) f = all;
  if (all) return;
  for (const std::string& f : PlotParams::split(text)) {
    const int i = std::atoi(f.c_str());
    if (i >= 0 && i < MAX_DRAW) draw_flags[i] = true;
  }
}

bool Plot::isDrawing(int i) const { return i >= 0 && i < MAX_DRAW && draw_flags[i]; }

void Plot::printDrawing() const
{
  for (int i = 0; i < MAX_DRAW; ++i) std::printf("draw[%d] = %d\n", i, draw_flags[i] ? 1 : 0);
}

int Plot::addCallback(const char* event, Listener* l, const void* client)
{
  return graph.addCallback(event, l, client);
}

// ---- events -----------------------------------------------------------------------------------

int Plot::reportPoint(const char* data)
{
  const char* colon = std::strchr(data, ':');
  float px, py;
  if (!colon || std::sscanf(colon + 1, "%f:%f", &px, &py) != 2) return 0;
  Point xy;
  tranPlotWindow(Point(px, py), xy);
  const Domain& d = getDomain();
  EarthPoint e;
  GridPoint g;
  d.tran(xy, e);
  d.tran(xy, g);
  if (d.proj >= 40 && d.proj <= 44)
    std::printf("Temp: %.4f Pres: %.4f XY: %.3f %.3f Pixel: %.0f %.0f\n", e.lon, e.lat, xy.x, xy.y,
                px, py);
  else if (d.proj == 11)
    std::printf("A: %.4f R: %.4f XY: %.3f %.3f Grid: %.2f %.2f Pixel: %.0f %.0f\n", e.lon, e.lat,
                xy.x, xy.y, g.x, g.y, px, py);
  else if (d.proj >= 20)
    std::printf("X: %.4f Y: %.4f XY: %.3f %.3f Grid: %.2f %.2f Pixel: %.0f %.0f\n", e.lon, e.lat,
                xy.x, xy.y, g.x, g.y, px, py);
  else
    std::printf("Lat: %.4f Lon: %.4f XY: %.3f %.3f Grid: %.2f %.2f Pixel: %.0f %.0f\n", e.lat,
                e.lon, xy.x, xy.y, g.x, g.y, px, py);
  std::fflush(stdout);
  return 1;
}

int Plot::saveFrames(const char* key)
{
  const bool gif = key[0] == 'S';
  const bool every = key[0] != 'v';
  const int n = graph.getNumFrames();
  const int shown = graph.getFrame();
  const std::vector<std::string> names = PlotImage::frameNames(title, every ? n : 1, gif);
  int saved = 0;
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (every && n >= 2) {
      graph.setFrame(i);
      graph.update();
    }
    saved += saveImage(names[i].c_str(), gif ? "GIF" : "PNG");
  }
  if (every && n >= 2) {
    graph.setFrame(shown);
    graph.update();
  }
  return saved;
}

int Plot::callback(const char* event, const char* data, const void*)
{
  if (!event) return 0;
  const char* d = data ? data : "";
  if (std::strcmp(event, "Redraw") == 0) {
    // the graph has reset its transformations to the new size
    if (graph.isOpen()) applyPanel(panels[current], 2, 2);
    return 1;
  }
  if (std::strcmp(event, "KeyPress") != 0) return 0;
  if (std::strncmp(d, "Ret", 3) == 0) return reportPoint(d);
  if (std::strncmp(d, "v-Alt", 5) == 0 || std::strncmp(d, "s-Alt", 5) == 0 ||
      std::strncmp(d, "S-Alt", 5) == 0)
    return saveFrames(d);
  return 0;
}

}  // namespace KOL
