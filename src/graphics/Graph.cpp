#include "graphics/Graph.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/ColorFile.h"
#include "graphics/device/ImageSamples.h"
#include "graphics/graph/DeviceFactory.h"
#include "graphics/graph/MarkShapes.h"
#include "imagery/Image.h"

namespace KOL {

namespace {

constexpr const char* COLOR_FILE = "kol.clr";
constexpr const char* FONT_LIST = "kol.fnl";
constexpr const char* DEFAULT_FONT = "modern.fnt";

bool finite(float v) { return std::isfinite(v); }

std::string databaseFile(const char* name)
{
  String path;
  FileTool::addPath(Kol::getDatabasePath(), name, path);
  return path.get();
}

}  // namespace

Graph::Graph() : colors(COLOR_MAP_SIZE) { init(); }

Graph::Graph(const char* type, const char* params) : Graph() { setDevice(type, params); }

Graph::~Graph() { close(); }

void Graph::init()
{
  initAttr();
  font_spec[0] = '\0';
}

int Graph::setDevice(const char* type, const char* params)
{
  std::unique_ptr<Device> dev = DeviceFactory::create(type);
  if (!dev) return 0;
  hardware_font = false;
  if (params) {
    std::string p(params);
    size_t start = 0;
    while (start <= p.size()) {
      size_t end = p.find(',', start);
      if (end == std::string::npos) end = p.size();
      if (p.compare(start, end - start, "hfont") == 0) hardware_font = true;
      start = end + 1;
    }
  }
  const bool hw = hardware_font;
  dev->setParam(params ? params : "");
  setDevice(std::move(dev));
  hardware_font = hw;
  return 1;
}

int Graph::setDevice(std::unique_ptr<Device> dev)
{
  close();
  device = std::move(dev);
  return device != nullptr;
}

int Graph::open(const char* type, const char* params) { return setDevice(type, params) && open(); }

int Graph::open()
{
  const bool hw = hardware_font;
  init();
  hardware_font = hw;
  if (!device) setDevice(DeviceFactory::create(nullptr));
  if (!device) return 0;
  device->setFixed(fixed);
  if (!device->open()) return 0;
  opened = true;
  clipBox.init();
  resetTrans();
  if (colors.getNum() == 0) ColorFile::read(COLOR_FILE, colors);
  allocDeviceColors();
  // the device starts with its own defaults; make it agree with ours
  device->setColor(Device::LINE, deviceColor(line_color));
  device->setColor(Device::MARK, deviceColor(mark_color));
  device->setColor(Device::FILL, deviceColor(fill_color));
  device->setColor(Device::TEXT, deviceColor(text_color));
  device->setLineStyle(Device::LINE, line_style);
  device->setLineWidth(Device::MARK, mark_weight);
  device->setLineWidth(Device::TEXT, text_weight);
  loadFont(font_name);
  symbols.read(databaseFile(symbol_file.c_str()).c_str());
  device->addCallback("AnyEvent", this, nullptr);
  return 1;
}

int Graph::close()
{
  if (!device) return 0;
  if (opened) device->close();
  device.reset();
  opened = managed = false;
  return 1;
}

int Graph::getDevice(String& name)
{
  if (!device) {
    name.clear();
    return 0;
  }
  return device->getDevice(name);
}

void Graph::resetTrans()
{
  Rect r;
  device->getCoords(r);
  for (GTran& t : trans) t.set(r);
}

void Graph::allocDeviceColors()
{
  for (int i = 0; i < colors.getNum(); ++i) {
    float r, g, b;
    colors.getRGB(i, r, g, b);
    colors.setValue(i, device->allocColor(r, g, b));
  }
}

int Graph::deviceColor(int c) const
{
  if (c >= ColorMap::PATTERN_FIRST && c <= ColorMap::PATTERN_LAST) return c;
  if (colors.getNum() == 0) return c == 0 ? Device::packColor(1, 1, 1) : 0;
  return colors.getValue(c);
}

void Graph::setColorMap(const ColorMap& map)
{
  colors = map;
  if (ready()) allocDeviceColors();
}

int Graph::allocColor(float r, float g, float b)
{
  if (!finite(r) || !finite(g) || !finite(b)) return -1;
  int i = colors.findNear(r, g, b);
  if (i >= 0) return i;
  char name[ColorMap::NAME_SIZE];
  std::snprintf(name, sizeof name, "#%02x%02x%02x", static_cast<int>(r * 255),
                static_cast<int>(g * 255), static_cast<int>(b * 255));
  i = colors.add(name, r, g, b);
  if (i >= 0 && ready()) colors.setValue(i, device->allocColor(r, g, b));
  return i;
}

int Graph::getColor(const char* name)
{
  const int n = colors.getNum();
  int i = colors.getInd(name);
  if (i == Const::MISS || i == -1) {
    if (i == Const::MISS || !(StrLib::iequal(name, "none") || StrLib::iequal(name, "off") ||
                              StrLib::iequal(name, "back")))
      Kol::outWarning("Graph: unknown colour: %s\n", name ? name : "");
    return -1;
  }
  if (colors.getNum() > n && ready()) {
    float r, g, b;
    colors.getRGB(i, r, g, b);
    colors.setValue(i, device->allocColor(r, g, b));
  }
  return i;
}

// ---- forwarding ----

int Graph::update() { return device ? device->update() : 0; }

int Graph::manage()
{
  if (!device) return 0;
  device->update();
  managed = true;
  return device->manage();
}

int Graph::unmanage()
{
  if (!device) return 0;
  managed = false;
  return device->unmanage();
}

int Graph::addCallback(const char* event, Listener* l, const void* client)
{
  if (!device || managed) return 0;
  return device->addCallback(event, l, client);
}

int Graph::doCallback(const char* event, const char* data)
{
  return device ? device->doCallback(event, data) : 0;
}

int Graph::setFixed(bool f)
{
  fixed = f;
  return device ? device->setFixed(f) : 0;
}

int Graph::setSize(float w, float h) { return device ? device->setSize(w, h) : 0; }
int Graph::setOffset(float x, float y) { return device ? device->setOffset(x, y) : 0; }
int Graph::setInverse(bool f) { return device ? device->setInverse(f) : 0; }
bool Graph::getInverse() { return device ? device->getInverse() : false; }
int Graph::setBackground(const char* c) { return device ? device->setBackground(c) : 0; }
int Graph::setIcon(bool f) { return device ? device->setIcon(f) : 0; }
int Graph::setTitle(const char* t) { return device ? device->setTitle(t) : 0; }
int Graph::clear() { return device ? device->clear() : 0; }

int Graph::clearRect(Rect& r)
{
  if (!device) return 0;
  Point a = toDevice(r.x1, r.y1), b = toDevice(r.x2, r.y2);
  Rect d;
  d.set(a.x, a.y, b.x, b.y);
  return device->clearRect(d);
}

int Graph::setCursor(int n) { return device ? device->setCursor(n) : 0; }
int Graph::bell() { return device ? device->bell(0) : 0; }

int Graph::message(const char* fmt, ...)
{
  if (!device || !fmt) return 0;
  char text[512];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  return device->message(text);
}

int Graph::isLooping() { return device ? device->isLooping() : 0; }
int Graph::getFrame() { return device ? device->getFrame() : 0; }
int Graph::setFrame(int n) { return device ? device->setFrame(n) : 0; }
int Graph::newFrame() { return device ? device->newFrame() : 0; }
int Graph::newFrame(int n) { return device ? device->newFrame(n) : 0; }
int Graph::deleteFrame(int n) { return device ? device->deleteFrame(n) : 0; }
int Graph::getNumFrames() { return device ? device->getNumFrames() : 0; }
int Graph::getImage(Image& img) { return device ? device->getImage(img) : 0; }
int Graph::setImageAlign(int h, int v) { return device ? device->setImageAlign(h, v) : 0; }

int Graph::drawImage(Image& img, float x, float y)
{
  if (!ready()) return 0;
  const Point p = toDevice(x, y);
  return device->drawImage(img, p.x, p.y);
}

int Graph::drawImage(Image& img, int flag, float x, float y)
{
  if (!ready()) return 0;
  const Point p = toDevice(x, y);
  return device->drawImage(img, flag, p.x, p.y);
}

int Graph::drawImageAt(Image& img, float x, float y) { return drawImageAt(img, 0, x, y); }

int Graph::drawImageAt(Image& img, int flag, float x, float y)
{
  if (!ready() || !ImageSamples::drawable(img)) return 0;
  Rect page;
  device->getCoords(page);
  const bool down = page.y2 > page.y1;
  page.set(page.x1, page.y1, page.x2, page.y2);
  const Rect before = clipBox.isMiss() ? page : clipBox;
  // whole device units, so that the picture is not resampled and no white sample shows
  Point at = toDevice(x, y);
  at.set(std::round(at.x), std::round(at.y));
  const float w = static_cast<float>(img.getWidth()), h = static_cast<float>(img.getHeight());
  Rect foot;
  foot.set(at.x, at.y, at.x + w, down ? at.y + h : at.y - h);
  // the device whitens its whole clip box: narrow it to the picture for the drawing
  const Rect inner(std::max(foot.x1, before.x1), std::max(foot.y1, before.y1),
                   std::min(foot.x2, before.x2), std::min(foot.y2, before.y2));
  if (!(inner.x2 > inner.x1) || !(inner.y2 > inner.y1)) return 0;
  device->setClip(inner);
  // the box as the device samples it: its top-left sample is the pixel the offsets name
  const ImageSamples::Box box(device->getClip(), page.x2, page.y2);
  const float ox = std::round(box.x - at.x);
  const float oy = std::round(down ? box.y - at.y : at.y - (box.y + box.h));
  const int ok = flag ? device->drawImage(img, flag, ox, oy) : device->drawImage(img, ox, oy);
  device->setClip(before);
  return ok;
}

int Graph::setClip(const Rect& r)
{
  if (!device) return 0;
  clipBox.set(r.x1, r.y1, r.x2, r.y2);
  return device->setClip(clipBox);
}

// ---- transformations ----

int Graph::setTran(int i)
{
  if (i < 0 || i >= NUM_TRAN) return 0;
  tran = i;
  return 1;
}

int Graph::activateTran() { return activateTran(tran); }

int Graph::activateTran(int i)
{
  if (!setTran(i) || !device) return 0;
  return setClip(trans[tran].getClipRect());
}

int Graph::setWindow(const Rect& r) { return setWindow(tran, r); }

int Graph::setWindow(int i, const Rect& r)
{
  if (i < 0 || i >= NUM_TRAN) return 0;
  if (!trans[i].setWindow(r)) {
    Kol::outWarning("Graph: window without width or height refused\n");
    return 0;
  }
  return 1;
}

int Graph::setViewport(const Rect& r) { return setViewport(tran, r); }

int Graph::setViewport(int i, const Rect& r)
{
  if (i < 0 || i >= NUM_TRAN) return 0;
  if (!trans[i].setViewport(r)) {
    Kol::outWarning("Graph: viewport without width or height refused\n");
    return 0;
  }
  return 1;
}

Rect Graph::getDeviceViewport() { return device ? device->getClip() : Rect(); }

int Graph::setViewportAspect(const Rect& in, float aspect, int h, int v)
{
  const Rect ndc = getMaxViewport();
  Rect r = in;
  if (r.x1 < 0) r.x1 += ndc.x2;
  if (r.x2 < 0) r.x2 += ndc.x2;
  if (r.y1 < 0) r.y1 += ndc.y2;
  if (r.y2 < 0) r.y2 += ndc.y2;
  const float W = r.x2 - r.x1, H = r.y2 - r.y1;
  if (!(W > 0) || !(H > 0)) {
    Kol::outWarning("Graph: viewport without width or height refused\n");
    return 0;
  }
  if (aspect <= 0) aspect = W / H;
  Kol::outDebug(4, "setViewAsp %f\n", aspect);
  float vw = W, vh = W / aspect;
  if (aspect * H / W < 1) vw = aspect * H, vh = H;
  Kol::outDebug(4, "VW %f %f\n", vw, vh);
  float x1 = r.x1 + (W - vw) / 2, y1 = r.y1 + (H - vh) / 2;
  if (h == 1) x1 = r.x1;
  if (h == 3) x1 = r.x2 - vw;
  if (v == 1) y1 = r.y1;
  if (v == 3) y1 = r.y2 - vh;
  Kol::outDebug(4, "DIFF %f %f\n", W - vw, H - vh);
  return setViewport(Rect(x1, y1, x1 + vw, y1 + vh));
}

int Graph::tranPlotView(const Point& in, Point& out) const
{
  const GTran& t = trans[tran];
  out.set(t.tranWindowNdcX(in.x), t.tranWindowNdcY(in.y));
  return 1;
}

int Graph::tranPlotWindow(const Point& d, Point& out) const
{
  const GTran& t = trans[tran];
  out.set(t.tranPlotWindowX(d.x), t.tranPlotWindowY(d.y));
  return 1;
}

int Graph::tranWindow(int from, float x, float y, int to, float& x2, float& y2) const
{
  if (from < 0 || from >= NUM_TRAN || to < 0 || to >= NUM_TRAN) return 0;
  x2 = GTran::tranWindowX(trans[from], trans[to], x);
  y2 = GTran::tranWindowY(trans[from], trans[to], y);
  return 1;
}

Point Graph::toDevice(float x, float y) const
{
  const GTran& t = trans[tran];
  return Point(t.tranWindowPlotX(x), t.tranWindowPlotY(y));
}

void Graph::printTran() const { trans[tran].print(); }

// ---- attributes ----

namespace {

// Stores v into field; true when it changed.
template <class T>
bool change(T& field, T v)
{
  if (field == v) return false;
  field = v;
  return true;
}

}  // namespace

int Graph::setLineColor(int c)
{
  if (!device || !change(line_color, c)) return 0;
  return c < 0 ? 1 : device->setColor(Device::LINE, deviceColor(c));
}

int Graph::setLineWidth(float w)
{
  if (!device || !finite(w) || !change(line_width, w)) return 0;
  return device->setLineWidth(Device::LINE, w);
}

int Graph::setLineStyle(int s)
{
  if (!device || !change(line_style, s)) return 0;
  return device->setLineStyle(Device::LINE, s);
}

int Graph::setFillColor(int c)
{
  if (!device || !change(fill_color, c)) return 0;
  return c < 0 ? 1 : device->setColor(Device::FILL, deviceColor(c));
}

int Graph::setFillStyle(int s)
{
  if (!device || !change(fill_style, s)) return 0;
  return device->setFillStyle(Device::FILL, s);
}

int Graph::setTextColor(int c)
{
  if (!device || !change(text_color, c)) return 0;
  return c < 0 ? 1 : device->setColor(Device::TEXT, deviceColor(c));
}

int Graph::setTextWeight(float w)
{
  if (!device || !finite(w) || !change(text_weight, w)) return 0;
  return device->setLineWidth(Device::TEXT, w);
}

int Graph::setTextHeight(float h)
{
  if (!device || !finite(h) || !change(text_height, h)) return 0;
  if (std::strchr(font_spec, '{')) loadFont(font_name);
  return 1;
}

int Graph::setTextExpansion(float e) { return device && finite(e) && change(text_expansion, e); }
int Graph::setTextSpacing(float s) { return device && finite(s) && change(text_spacing, s); }
int Graph::setTextCharWidth(float w) { return device && finite(w) && change(text_char_width, w); }

int Graph::setTextAlign(int h, int v)
{
  if (!device || (h == text_halign && v == text_valign)) return 0;
  text_halign = h, text_valign = v;
  return 1;
}

int Graph::setTextDirection(float dx, float dy)
{
  const float len = std::hypot(dx, dy);
  if (!device || !finite(len) || len == 0) return 0;
  dx /= len, dy /= len;
  if (dx == text_dx && dy == text_dy) return 0;
  text_dx = dx, text_dy = dy;
  return 1;
}

int Graph::setTextBoxColor(int c) { return device && change(text_box_color, c); }
int Graph::setDropColor(int c) { return device && change(drop_color, c); }
int Graph::setDropShadow(int n) { return device && change(drop_shadow, n); }
int Graph::setDropWidth(float w) { return device && finite(w) && change(drop_width, w); }

int Graph::setMarkColor(int c)
{
  if (!device || !change(mark_color, c)) return 0;
  return c < 0 ? 1 : device->setColor(Device::MARK, deviceColor(c));
}

int Graph::setMarkSize(float s) { return device && finite(s) && change(mark_size, s); }
int Graph::setMarkType(int t) { return device && change(mark_type, t); }

int Graph::setMarkWeight(float w)
{
  if (!device || !finite(w) || !change(mark_weight, w)) return 0;
  return device->setLineWidth(Device::MARK, w);
}

int Graph::setSymbol(const char* file)
{
  if (!file || symbol_file == file || !FileTool::checkLength("Graph", file)) return 0;
  symbol_file = file;
  if (!opened) return 1;
  return symbols.read(databaseFile(file).c_str());
}

// ---- fonts ----

int Graph::setFont(const char* name)
{
  if (!name || StrLib::equal(name, font_name)) return 0;
  std::snprintf(font_name, FONT_SIZE, "%s", name);
  if (!opened) return 1;
  return loadFont(font_name);
}

namespace {

// The font list's entry for a font name, or the name itself.
std::string fontSpec(const char* name)
{
  if (name[0] == '#') return name;
  File in;
  const std::string list = databaseFile(FONT_LIST);
  if (FileTool::isFile(list.c_str()) && in.open(list.c_str(), "r")) {
    char line[256];
    while (in.getLine(line, sizeof line) > 0) {
      char key[100], spec[200];
      if (line[0] == '#' || std::sscanf(line, "%99s %199[^\n]", key, spec) != 2) continue;
      if (StrLib::equal(key, name)) return spec;
    }
  }
  return name;
}

}  // namespace

int Graph::loadFont(const char* name)
{
  std::string spec = fontSpec(name);
  std::snprintf(font_spec, sizeof font_spec, "%s", spec.c_str());
  if (spec[0] == '#') {
    const size_t open = spec.find('{'), shut = spec.find('}');
    if (open != std::string::npos && shut != std::string::npos && shut > open) {
      const float n = std::strtof(spec.c_str() + open + 1, nullptr);
      const Rect win = getWindow();
      const float devh = std::fabs(trans[tran].getClipRect().height());
      const float px = text_height / std::fabs(win.height()) * devh * n / 10;
      Kol::outDebug(5, "Font: %s %.2f %.2f %.2f %.2f\n", spec.c_str(), text_height, win.height(),
                    devh, n);
      char size[32];
      std::snprintf(size, sizeof size, "%.0f", finite(px) ? px : 12.0f);
      spec.replace(open, shut - open + 1, size);
    }
    if (device && device->setFont(spec.c_str() + 1) && font.open(spec.c_str(), nullptr)) return 1;
    Kol::outWarning("setFont: unable to load font: %s, using modern\n", spec.c_str());
    spec = DEFAULT_FONT;
  }
  if (font.open(spec.c_str(), databaseFile(spec.c_str()).c_str())) return 1;
  if (spec != DEFAULT_FONT) return font.open(DEFAULT_FONT, databaseFile(DEFAULT_FONT).c_str());
  return 0;
}

// ---- drawing ----

bool Graph::convert(const Points& pts)
{
  if (pts.getNum() < 2 || !trans[tran].isPointsInWindow(pts)) return false;
  const GTran& t = trans[tran];
  scratch.clear();
  scratch.reserve(pts.getNum());
  for (const Point& p : pts) scratch.add(Point(t.tranWindowPlotX(p.x), t.tranWindowPlotY(p.y)));
  return true;
}

int Graph::strokeScratch(int type, int colour, float width, bool shadow)
{
  if (shadow && drop_shadow > 0 && drop_color >= 0) {
    const GTran& t = trans[tran];
    const float down = t.tranNdcPlotY(0) > t.tranNdcPlotY(1) ? 1.0f : -1.0f;
    device->setColor(type, deviceColor(drop_color));
    device->setLineWidth(type, drop_width);
    for (int n = 1; n <= drop_shadow; ++n) {
      for (Point& p : scratch) p.offset(1, down);
      device->drawLine(type, scratch);
    }
    for (Point& p : scratch) p.offset(-drop_shadow, -down * drop_shadow);
    device->setColor(type, deviceColor(colour));
    device->setLineWidth(type, width > 0 ? width : 1);
  }
  return device->drawLine(type, scratch);
}

int Graph::drawLine(float x1, float y1, float x2, float y2)
{
  Points pts;
  pts.add(Point(x1, y1));
  pts.add(Point(x2, y2));
  return drawLine(pts);
}

int Graph::drawLine(const Point& a, const Point& b) { return drawLine(a.x, a.y, b.x, b.y); }

int Graph::drawLine(const Points& pts)
{
  if (!ready() || line_color < 0 || !convert(pts)) return 0;
  return strokeScratch(Device::LINE, line_color, line_width, true);
}

int Graph::drawRect(float x1, float y1, float x2, float y2)
{
  Points pts;
  for (const Point& p : {Point(x1, y1), Point(x2, y1), Point(x2, y2), Point(x1, y2), Point(x1, y1)})
    pts.add(p);
  return drawLine(pts);
}

int Graph::drawRect(const Rect& r) { return drawRect(r.x1, r.y1, r.x2, r.y2); }

int Graph::drawCircle(float x, float y, float r)
{
  Points pts;
  pts.reserve(73);
  for (int a = 0; a <= 360; a += 5) {
    const double rad = a * Const::DRC;
    pts.add(Point(x + r * static_cast<float>(std::sin(rad)),
                  y + r * static_cast<float>(std::cos(rad))));
  }
  return drawLine(pts);
}

int Graph::drawCircle(const Point& p, float r) { return drawCircle(p.x, p.y, r); }

int Graph::drawFill(const Points& pts)
{
  if (!ready() || fill_color < 0 || !convert(pts)) return 0;
  return device->drawFill(Device::FILL, scratch);
}

int Graph::drawFillPath(const Points& pts, const std::vector<int>& counts)
{
  if (!ready() || fill_color < 0 || counts.empty() || !convert(pts)) return 0;
  return device->drawFillPath(Device::FILL, scratch, counts);
}

int Graph::drawFill(const Rect& r)
{
  Points pts;
  for (const Point& p : {Point(r.x1, r.y1), Point(r.x2, r.y1), Point(r.x2, r.y2), Point(r.x1, r.y2),
                         Point(r.x1, r.y1)})
    pts.add(p);
  return drawFill(pts);
}

int Graph::drawMark(float x, float y)
{
  if (!ready() || mark_color < 0) return 0;
  int drawn = 0;
  for (const Points& shape : MarkShapes::get(mark_type, x, y, mark_size / 2))
    if (convert(shape)) drawn |= strokeScratch(Device::MARK, mark_color, mark_weight, true);
  return drawn;
}

int Graph::drawMark(const Point& p) { return drawMark(p.x, p.y); }

int Graph::drawSymbol(float x, float y, const char* name, float size)
{
  if (!ready() || !symbols.setSymb(name)) return 0;
  if (text_halign == 3) x -= size;
  if (text_halign == 2) x -= size / 2;
  if (text_valign == 1 || text_valign == 2) y -= size;
  if (text_valign == 3) y -= size / 2;
  int drawn = 0;
  for (const Symbol::Part& part : symbols.getParts()) {
    Points pts;
    for (const Point& p : part.pts) pts.add(Point(x + size * p.x, y + size * p.y));
    if (part.fill) {
      // a filled part belongs to the symbol's outline colour
      if (line_color < 0 || !convert(pts)) continue;
      device->setColor(Device::FILL, deviceColor(line_color));
      drawn |= device->drawFill(Device::FILL, scratch);
      device->setColor(Device::FILL, deviceColor(fill_color));
    } else {
      drawn |= drawLine(pts);
    }
  }
  return drawn;
}

// ---- text ----

float Graph::getTextWidth(const char* text) const
{
  if (!text) return 0;
  const float c = text_char_width;
  float w = 0;
  int last = 0;
  for (const char* s = text; *s && *s != '\n'; ++s) {
    const int ch = static_cast<unsigned char>(*s);
    if (c > 0)
      w += 100 * c + (ch == ' ' ? 100 * text_spacing * c : 0);
    else if (ch == ' ')
      w += 100 * text_spacing + GFont::SPACE_WIDTH;
    else
      w += font.getWidth(ch) + text_spacing * 100;
    last = ch;
  }
  // The gap after the last glyph is no part of the text: right-aligned text ends at its anchor.
  if (c <= 0 && last != 0 && last != ' ') w -= text_spacing * 100;
  return w * text_expansion * text_height / GFont::HEIGHT;
}

float Graph::lineShift(int lines) const
{
  if (text_valign == 0 || text_valign == 4) return (lines - 1) * 1.3f * text_height;
  if (text_valign == 3) return static_cast<float>((lines - 1) / 2) * 1.3f * text_height;
  return 0;
}

int Graph::drawText(const Point& p, const char* text) { return drawText(p.x, p.y, text); }

int Graph::drawText(float x, float y, const char* text)
{
  if (!ready() || !text || text_color < 0 || !finite(x) || !finite(y)) return 0;
  int lines = 1;
  for (const char* s = text; *s; ++s) lines += *s == '\n';
  const float a = text_dx, b = text_dy;
  float shift = lineShift(lines);
  const bool hardware = hardware_font || font.getType() == GFont::HARDWARE;
  int drawn = 0;
  for (const char* s = text;; ++s) {
    const char* end = std::strchr(s, '\n');
    const int len = end ? static_cast<int>(end - s) : StrLib::length(s);
    const float lx = x + a * shift, ly = y + b * shift;
    if (hardware) {
      const std::string line(s, len);
      drawn |= drawHardwareText(Point(lx, ly), line.c_str());
    } else {
      drawn |= drawTextLine(lx, ly, s, len);
    }
    if (!end) break;
    s = end;
    shift -= 1.3f * text_height;
  }
  return drawn;
}

int Graph::drawHardwareText(const Point& anchor, const char* text)
{
  const int v = text_valign == 1 || text_valign == 2 ? 1 : text_valign == 3 ? 2 : 3;
  device->setTextAlign(text_halign, v);
  Point d = toDevice(anchor.x, anchor.y);
  return device->drawText(d, text);
}

int Graph::drawTextLine(float x0, float y0, const char* text, int len)
{
  const std::string line(text, len);
  const float scale = text_height / GFont::HEIGHT;
  const float width = getTextWidth(line.c_str()) / (scale == 0 ? 1 : scale);
  float along = 0;
  if (text_halign == 2) along = -width / 2;
  if (text_halign == 3) along = -width;
  float up = 0;
  switch (text_valign) {
    case 0:
    case 4:
      up = -35;
      break;
    case 1:
      up = -160;
      break;
    case 2:
      up = -140;
      break;
    case 3:
      up = -85;
      break;
    default:
      break;
  }
  const float a = text_dx, b = text_dy, c = text_char_width, e = text_expansion;
  auto place = [&](float u, float v) {
    return Point(x0 + (b * u + a * v) * scale, y0 + (-a * u + b * v) * scale);
  };
  int drawn = 0;
  for (char ch : line) {
    const int code = static_cast<unsigned char>(ch);
    const float w = static_cast<float>(font.getWidth(code));
    const float cell = c > 0 ? 100 * c : w;
    const float left = c > 0 ? (cell - w) / 2 : 0;
    Points stroke;
    auto flush = [&]() {
      if (stroke.getNum() >= 2 && convert(stroke))
        drawn |= strokeScratch(Device::TEXT, text_color, text_weight, true);
      stroke.clear();
    };
    font.setChar(code);
    Point fp;
    int kind;
    while ((kind = font.get(fp)) != 0) {
      if (kind == 2) flush();
      stroke.add(place(along + (left + fp.x) * e, fp.y + up));
    }
    flush();
    if (code == ' ')
      along +=
          (c > 0 ? (100 + 100 * text_spacing) * c : 100 * text_spacing + GFont::SPACE_WIDTH) * e;
    else
      along += (cell + (c > 0 ? 0 : text_spacing * 100)) * e;
  }
  return drawn;
}

int Graph::drawFormText(float x, float y, const char* fmt, ...)
{
  if (!fmt) return 0;
  char text[100];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  return drawText(x, y, text);
}

// ---- events ----

int Graph::callback(const char* event, const char*, const void*)
{
  if (!device || !event || std::strcmp(event, "Redraw") != 0) return 0;
  resetTrans();
  return activateTran();
}

}  // namespace KOL
