#include "graphics/XWindow.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/GTran.h"
#include "graphics/device/ImageSamples.h"
#include "graphics/device/Params.h"
#include "graphics/x11/XDisplay.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOL {

namespace {

constexpr unsigned CURSOR_GLYPHS[XWindow::NUM_CURSORS] = {0, 68, 52, 50, 38, 86, 130, 152, 150};
constexpr int ICON_SIZE = 48;
constexpr float PAUSE = 0.2f;

// Shift and width of a channel mask, for true-colour pixels.
struct Channel {
  int shift = 0, bits = 0;
  explicit Channel(unsigned long mask)
  {
    if (!mask) return;
    while (!(mask & 1)) mask >>= 1, ++shift;
    while (mask & 1) mask >>= 1, ++bits;
  }
  unsigned long put(float v) const
  {
    const unsigned long max = (1UL << bits) - 1;
    const float c = std::clamp(std::isfinite(v) ? v : 0.0f, 0.0f, 1.0f);
    return static_cast<unsigned long>(std::lround(c * max)) << shift;
  }
  float take(unsigned long pixel) const
  {
    const unsigned long max = (1UL << bits) - 1;
    return bits ? static_cast<float>((pixel >> shift) & max) / max : 0;
  }
};

short toShort(float v) { return static_cast<short>(std::lround(GTran::clamp(v))); }

// The pixel size of a font name in the X logical form (the field after the seventh '-'); 0 when
// the name has none.
int pixelSize(const char* name)
{
  int dashes = 0;
  for (const char* s = name; *s; ++s)
    if (*s == '-' && ++dashes == 7) return std::atoi(s + 1);
  return 0;
}

}  // namespace

XWindow::XWindow() { init(); }

XWindow::~XWindow() { close(); }

void XWindow::init()
{
  mode = 1;
  width = 640, height = 512, xpos = ypos = 100;
  displayName.clear();
  title = "KOL";
  background.clear();
  showNum = opened = inverse = icon = mapped = false;
  fixed = true;
  window = parent = 0;
  pixmap = 0;
  dpy = nullptr;
  screen = depth = 0;
  visual = nullptr;
  cmap = 0;
  fg = bg = 0;
  std::fill(std::begin(gcs), std::end(gcs), nullptr);
  std::fill(std::begin(stipples), std::end(stipples), 0);
  std::fill(std::begin(cursors), std::end(cursors), 0);
  cursor = 0;
  font = nullptr;
  halign = 1, valign = 3;
  frames.clear();
  current = 0;
  looping = false;
  loopDir = 1;
  loopDelay = 0.5f, dwell = 1.0f;
  loopFirst = loopLast = -1;
  clip.init();
  std::fill(std::begin(lineWidths), std::end(lineWidths), 1.0f);
  lineStyle = 1;
}

bool XWindow::parseWindowSpec(const char* spec)
{
  unsigned id = 0, drawable = 0;
  int w = 0, h = 0, kind = 0;
  bool ok;
  if (spec[0] == '+')
    ok = std::sscanf(spec + 1, "%u:%u:%dx%d:%d", &drawable, &id, &w, &h, &kind) >= 4;
  else if (spec[0] == '0' && (spec[1] == 'x' || spec[1] == 'X'))
    ok = std::sscanf(spec + 2, "%x:%dx%d:%d", &id, &w, &h, &kind) >= 3;
  else
    ok = std::sscanf(spec, "%u:%dx%d:%d", &id, &w, &h, &kind) >= 3;
  if (!ok || id == 0 || w <= 0 || h <= 0) return false;
  mode = 2;
  parent = id;
  width = w, height = h;
  return true;
}

int XWindow::setParam(const char* params)
{
  int plain = 0;
  for (const std::string& f : Params::split(params)) {
    if (f.empty()) continue;
    if (f.compare(0, 3, "co=") == 0) {
      displayName = f.substr(3);
    } else if (f.compare(0, 2, "wp") == 0 && f.size() > 3) {
      parseWindowSpec(f.c_str() + 3);
    } else if (f.compare(0, 8, "show_num") == 0) {
      showNum = true;
    } else if (f.find('=') == std::string::npos && f != "hfont") {
      if (plain == 0)
        displayName = f;
      else if (plain == 1)
        parseWindowSpec(f.c_str());
      ++plain;
    }
  }
  return 1;
}

bool XWindow::openDisplay()
{
  XDisplay& xd = XDisplay::get();
  dpy = xd.open(displayName.c_str());
  if (!dpy) {
    std::fprintf(stderr, "XWindow: unable to connect to display\n");
    return false;
  }
  screen = DefaultScreen(dpy);
  depth = DefaultDepth(dpy, screen);
  visual = DefaultVisual(dpy, screen);
  cmap = DefaultColormap(dpy, screen);
  const unsigned long black = BlackPixel(dpy, screen), white = WhitePixel(dpy, screen);
  fg = inverse ? black : white;
  bg = inverse ? white : black;
  return true;
}

bool XWindow::createWindow()
{
  const int sw = DisplayWidth(dpy, screen), sh = DisplayHeight(dpy, screen);
  const int x = xpos < 0 ? sw + xpos - width : xpos, y = ypos < 0 ? sh + ypos - height : ypos;
  XSetWindowAttributes attr;
  attr.background_pixel = bg;
  attr.border_pixel = fg;
  attr.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask |
                    ButtonReleaseMask | FocusChangeMask;
  window = XCreateWindow(dpy, RootWindow(dpy, screen), x, y, width, height, 5, depth, InputOutput,
                         visual, CWBackPixel | CWBorderPixel | CWEventMask, &attr);
  if (!window || XDisplay::get().addWindow(window, this) < 0) {
    std::fprintf(stderr, "Window open: unable to open window\n");
    if (window) XDestroyWindow(dpy, window);
    window = 0;
    return false;
  }
  XSizeHints hints{};
  hints.flags = PPosition | PSize | PMinSize;
  hints.x = x, hints.y = y, hints.width = width, hints.height = height;
  hints.min_width = hints.min_height = 10;
  if (fixed) {
    hints.flags |= PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
  }
  std::string name = title;
  std::replace(name.begin(), name.end(), '_', ' ');
  XSetStandardProperties(dpy, window, name.c_str(), name.c_str(), None, nullptr, 0, &hints);
  // the icon: a ring on a 48 x 48 bitmap
  std::vector<unsigned char> bits(ICON_SIZE * ICON_SIZE / 8, 0);
  for (int j = 0; j < ICON_SIZE; ++j)
    for (int i = 0; i < ICON_SIZE; ++i) {
      const double r = std::hypot(i - 23.5, j - 23.5);
      if (r > 14 && r < 20) bits[(j * ICON_SIZE + i) / 8] |= 1 << (i % 8);
    }
  XWMHints wm{};
  wm.flags = IconPixmapHint | StateHint | InputHint;
  wm.input = True;
  wm.icon_pixmap = XCreateBitmapFromData(dpy, window, reinterpret_cast<char*>(bits.data()),
                                         ICON_SIZE, ICON_SIZE);
  wm.initial_state = icon ? IconicState : NormalState;
  XSetWMHints(dpy, window, &wm);
  XClassHint cls{const_cast<char*>("KOL"), const_cast<char*>("Kol")};
  XSetClassHint(dpy, window, &cls);
  // the window manager's close button asks, rather than cutting the connection
  Atom close = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(dpy, window, &close, 1);
  return true;
}

bool XWindow::useWindow()
{
  XWindowAttributes wa;
  if (!XGetWindowAttributes(dpy, parent, &wa)) return false;
  window = parent;
  char* name = nullptr;
  if (XFetchName(dpy, window, &name) && name) {
    title = name;
    const size_t cut = title.find(" [");
    if (cut != std::string::npos) title.resize(cut);
    XFree(name);
  }
  XDisplay::get().addWindow(window, this);
  return true;
}

void XWindow::waitMapped()
{
  // the first exposure or structure event; a server without a window manager may be slow, but
  // never wait for ever
  XEvent ev;
  for (int i = 0; i < 250; ++i) {
    if (XCheckWindowEvent(dpy, window, ExposureMask | StructureNotifyMask, &ev)) {
      if (ev.type == MapNotify) mapped = true;
      if (ev.type == Expose || ev.type == MapNotify) return;
    }
    usleep(20000);
  }
}

int XWindow::open()
{
  if (opened) return 1;
  if (!openDisplay()) return 0;
  const bool ok = mode == 2 ? useWindow() : createWindow();
  if (!ok) {
    XDisplay::get().release();
    return 0;
  }
  gcs[0] = XCreateGC(dpy, window, 0, nullptr);
  pixmap = XCreatePixmap(dpy, window, width, height, depth);
  if (!background.empty() && !StrLib::iequal(background.c_str(), "def")) {
    XColor c;
    if (XParseColor(dpy, cmap, background.c_str(), &c) && XAllocColor(dpy, cmap, &c))
      bg = c.pixel;
    else
      Kol::outWarning("XWindow: unknown background colour: %s\n", background.c_str());
  }
  makeResources();
  if (mode == 1) {
    XSetWindowBackground(dpy, window, bg);
    XMapWindow(dpy, window);
    XFlush(dpy);
    waitMapped();
    XClearWindow(dpy, window);
  }
  opened = true;
  gone = false;
  clear();
  update();
  return 1;
}

void XWindow::makeResources()
{
  for (int i = 1; i < 6; ++i) {
    gcs[i] = XCreateGC(dpy, window, 0, nullptr);
    XSetForeground(dpy, gcs[i], fg);
    XSetBackground(dpy, gcs[i], bg);
  }
  XSetLineAttributes(dpy, gcs[1], 1, LineSolid, CapProjecting, JoinBevel);
  // fill stipples: growing densities of set pixels on an 8 x 8 cell
  for (int k = 0; k < NUM_STIPPLES; ++k) {
    unsigned char bits[8];
    for (int j = 0; j < 8; ++j) {
      bits[j] = 0;
      for (int i = 0; i < 8; ++i)
        if (((i * 5 + j * 3) % NUM_STIPPLES) <= k) bits[j] |= 1 << i;
    }
    stipples[k] = XCreateBitmapFromData(dpy, window, reinterpret_cast<char*>(bits), 8, 8);
  }
  for (int i = 0; i < NUM_CURSORS; ++i) cursors[i] = XCreateFontCursor(dpy, CURSOR_GLYPHS[i]);
}

void XWindow::freeResources()
{
  for (GC& g : gcs)
    if (g) XFreeGC(dpy, g), g = nullptr;
  for (Pixmap& p : stipples)
    if (p) XFreePixmap(dpy, p), p = 0;
  for (Cursor& c : cursors)
    if (c) XFreeCursor(dpy, c), c = 0;
  for (Frame& f : frames) XFreePixmap(dpy, f.pixmap);
  frames.clear();
  if (pixmap) XFreePixmap(dpy, pixmap), pixmap = 0;
  if (font) XFreeFont(dpy, font), font = nullptr;
}

int XWindow::close()
{
  if (!opened) return 0;
  freeResources();
  XDisplay& xd = XDisplay::get();
  if (mode == 1 && !gone) {
    XUnmapWindow(dpy, window);
    XDestroyWindow(dpy, window);
  }
  XSync(dpy, False);
  xd.removeWindow(window);
  window = 0;
  opened = false;
  xd.release();
  dpy = nullptr;
  return 1;
}

int XWindow::getDevice(String& name)
{
  name = "display";
  return 1;
}

Drawable XWindow::target() const
{
  if (current >= 0 && current < static_cast<int>(frames.size())) return frames[current].pixmap;
  return pixmap;
}

GC XWindow::gcOf(int type) const { return type >= 1 && type <= 4 ? gcs[type] : gcs[1]; }

int XWindow::resize(float w, float h)
{
  if (!opened) return 0;
  int nw = static_cast<int>(w), nh = static_cast<int>(h);
  if (w < 0 || h < 0) {
    XWindowAttributes wa;
    XGetWindowAttributes(dpy, window, &wa);
    nw = wa.width, nh = wa.height;
  }
  if (nw <= 0 || nh <= 0 || (nw == width && nh == height)) return 0;
  width = nw, height = nh;
  XFreePixmap(dpy, pixmap);
  pixmap = XCreatePixmap(dpy, window, width, height, depth);
  for (Frame& f : frames) {
    XFreePixmap(dpy, f.pixmap);
    f.pixmap = XCreatePixmap(dpy, window, width, height, depth);
  }
  clear();
  return 1;
}

int XWindow::update()
{
  if (!opened) return 0;
  XCopyArea(dpy, target(), window, gcs[0], 0, 0, width, height, 0, 0);
  // done by the server on return, so that another client (a screen grab) sees it
  XSync(dpy, False);
  return 1;
}

int XWindow::clear()
{
  if (!opened) return 0;
  XSetForeground(dpy, gcs[0], bg);
  XFillRectangle(dpy, target(), gcs[0], 0, 0, width, height);
  return 1;
}

int XWindow::clearRect(Rect& r)
{
  if (!opened) return 0;
  XSetForeground(dpy, gcs[0], bg);
  XFillRectangle(dpy, target(), gcs[0], toShort(r.x1), toShort(r.y1),
                 static_cast<unsigned>(std::max(0.0f, r.x2 - r.x1)),
                 static_cast<unsigned>(std::max(0.0f, r.y2 - r.y1)));
  return 1;
}

int XWindow::setTitle(const char* t)
{
  title = t ? t : "";
  if (opened && mode == 1) {
    std::string name = title;
    std::replace(name.begin(), name.end(), '_', ' ');
    XStoreName(dpy, window, name.c_str());
    XSetIconName(dpy, window, name.c_str());
  }
  return 1;
}

int XWindow::setIcon(bool f)
{
  icon = f;
  return 1;
}

int XWindow::setFixed(bool f)
{
  fixed = f;
  return 1;
}

int XWindow::setInverse(bool f)
{
  inverse = f;
  return 1;
}

int XWindow::setBackground(const char* colour)
{
  background = colour ? colour : "";
  return 1;
}

int XWindow::setSize(float w, float h)
{
  if (opened || !(w >= 1) || !(h >= 1) || w > 30000 || h > 30000) {
    Kol::outWarning("XWindow: size %gx%g refused\n", w, h);
    return 0;
  }
  width = static_cast<int>(w), height = static_cast<int>(h);
  return 1;
}

int XWindow::setOffset(float x, float y)
{
  if (!std::isfinite(x) || !std::isfinite(y)) return 0;
  xpos = static_cast<int>(x), ypos = static_cast<int>(y);
  return 1;
}

int XWindow::getOffset(float& x, float& y)
{
  x = static_cast<float>(xpos), y = static_cast<float>(ypos);
  return 1;
}

int XWindow::getCoords(Rect& r)
{
  r.setu(0, 0, static_cast<float>(width), static_cast<float>(height));
  return 1;
}

unsigned long XWindow::pixelOf(float r, float g, float b)
{
  if (visual && (visual->c_class == TrueColor || visual->c_class == DirectColor))
    return Channel(visual->red_mask).put(r) | Channel(visual->green_mask).put(g) |
           Channel(visual->blue_mask).put(b);
  XColor c{};
  c.red = static_cast<unsigned short>(std::clamp(r, 0.0f, 1.0f) * 65535);
  c.green = static_cast<unsigned short>(std::clamp(g, 0.0f, 1.0f) * 65535);
  c.blue = static_cast<unsigned short>(std::clamp(b, 0.0f, 1.0f) * 65535);
  c.flags = DoRed | DoGreen | DoBlue;
  return dpy && XAllocColor(dpy, cmap, &c) ? c.pixel : fg;
}

int XWindow::allocColor(float r, float g, float b)
{
  if (!opened) return packColor(r, g, b);
  return static_cast<int>(pixelOf(r, g, b));
}

int XWindow::setColor(int type, int c)
{
  if (!opened || type < 1 || type > 4) return 0;
  unsigned long pixel = static_cast<unsigned long>(c);
  if (c >= 500 && c <= 508) {  // pattern colours: black, white, grey
    const float level[] = {0, 1, 0.5f};
    const float v = level[(c - 500) / 3];
    pixel = pixelOf(v, v, v);
  }
  XSetForeground(dpy, gcOf(type), pixel);
  return 1;
}

int XWindow::setLineWidth(int type, float w)
{
  if (!opened || type < 1 || type > 4 || !std::isfinite(w)) return 0;
  lineWidths[type] = w > 0 ? w : 1;
  const int width1 = std::max(1, static_cast<int>(std::lround(std::min(lineWidths[type], 100.0f))));
  XSetLineAttributes(dpy, gcOf(type), width1 == 1 ? 0 : width1,
                     type == LINE && lineStyle > 1 ? LineOnOffDash : LineSolid, CapButt, JoinBevel);
  return 1;
}

int XWindow::setLineStyle(int type, int s)
{
  if (!opened || type != LINE) return 0;
  static const char dashes[][4] = {{6, 0}, {3, 6}, {6, 6, 3, 6}, {2, 0}};
  static const int counts[] = {1, 2, 4, 1};
  if (s < 1 || s > 5) return 1;
  lineStyle = s;
  if (s > 1) XSetDashes(dpy, gcs[LINE], 0, dashes[s - 2], counts[s - 2]);
  setLineWidth(LINE, lineWidths[LINE]);
  return 1;
}

int XWindow::setFillStyle(int type, int s)
{
  if (!opened || type != FILL) return 0;
  if (s > 0 && s <= NUM_STIPPLES) {
    XSetStipple(dpy, gcs[FILL], stipples[s - 1]);
    XSetFillStyle(dpy, gcs[FILL], FillStippled);
  } else {
    XSetFillStyle(dpy, gcs[FILL], FillSolid);
  }
  return 1;
}

int XWindow::drawLine(int type, Points& pts)
{
  if (!opened || pts.getNum() < 2) return 0;
  std::vector<XPoint> xp(pts.getNum());
  for (int i = 0; i < pts.getNum(); ++i) xp[i] = XPoint{toShort(pts[i].x), toShort(pts[i].y)};
  XDrawLines(dpy, target(), gcOf(type), xp.data(), static_cast<int>(xp.size()), CoordModeOrigin);
  return 1;
}

int XWindow::drawFill(int type, Points& pts)
{
  if (!opened || pts.getNum() < 3) return 0;
  std::vector<XPoint> xp(pts.getNum());
  for (int i = 0; i < pts.getNum(); ++i) xp[i] = XPoint{toShort(pts[i].x), toShort(pts[i].y)};
  XFillPolygon(dpy, target(), gcOf(type == FILL ? FILL : type), xp.data(),
               static_cast<int>(xp.size()), Complex, CoordModeOrigin);
  return 1;
}

int XWindow::drawImage(Image& img, float x, float y)
{
  int ox, oy;
  if (!opened || !ImageSamples::drawable(img) || !ImageSamples::offsets(x, y, ox, oy)) return 0;
  const auto W = static_cast<float>(width), H = static_cast<float>(height);
  const ImageSamples::Box box(clip.isMiss() ? Rect(0, 0, W, H) : clip, W, H);
  if (box.empty()) return 0;
  XImage* xi = XCreateImage(dpy, visual, depth, ZPixmap, 0, nullptr, box.w, box.h, 32, 0);
  if (!xi) return 0;
  xi->data = static_cast<char*>(std::malloc(static_cast<size_t>(xi->bytes_per_line) * box.h));
  if (!xi->data) {
    XDestroyImage(xi);
    return 0;
  }
  RGB c;
  for (int row = 0; row < box.h; ++row)
    for (int col = 0; col < box.w; ++col) {
      ImageSamples::pixel(img, ox + col, oy + row, c);
      XPutPixel(xi, col, row, pixelOf(c.red, c.green, c.blue));
    }
  XPutImage(dpy, target(), gcs[5], xi, 0, 0, box.x, box.y, box.w, box.h);
  XDestroyImage(xi);
  return 1;
}

int XWindow::getImage(Image& img)
{
  img.init();
  if (!opened) return 0;
  XImage* xi = XGetImage(dpy, target(), 0, 0, width, height, AllPlanes, ZPixmap);
  if (!xi) return 0;
  // a pixmap's image carries no masks of its own: the visual's apply
  const Channel r(visual->red_mask), g(visual->green_mask), b(visual->blue_mask);
  img.set(width, height, 24);
  if (img.allocData())
    for (int j = 0; j < height; ++j)
      for (int i = 0; i < width; ++i) {
        const unsigned long p = XGetPixel(xi, i, j);
        img.setPixel(i, j, Device::packColor(r.take(p), g.take(p), b.take(p)));
      }
  XDestroyImage(xi);
  return img.validData() ? 1 : 0;
}

int XWindow::setFont(const char* name)
{
  if (!opened || !name) return 0;
  int count = 0;
  char** names = XListFonts(dpy, name, 1000, &count);
  // the wanted size is the pixel field of the pattern, when it has one
  const int want = pixelSize(name);
  Kol::outDebug(5, "setFont: %s count: %d rsize: %d\n", name, count, want);
  XFontStruct* loaded = nullptr;
  if (names && count > 0) {
    int best = 0, bestDiff = 1 << 30;
    for (int i = 0; i < count; ++i) {
      const int diff = std::abs(pixelSize(names[i]) - want);
      if (diff < bestDiff) best = i, bestDiff = diff;
    }
    Kol::outDebug(5, "Loading %s %d %s\n", name, want, names[best]);
    loaded = XLoadQueryFont(dpy, names[best]);
  }
  if (names) XFreeFontNames(names);
  if (!loaded) return 0;
  if (font) XFreeFont(dpy, font);
  font = loaded;
  XSetFont(dpy, gcs[TEXT], font->fid);
  return 1;
}

int XWindow::setTextAlign(int h, int v)
{
  halign = h, valign = v;
  return 1;
}

int XWindow::drawText(Point& p, const char* text)
{
  if (!opened || !text) return 0;
  if (!font) {
    font = XLoadQueryFont(dpy, "fixed");
    if (!font) {
      std::fprintf(stderr, "read_font: unable to load font: fixed\n");
      return 0;
    }
    XSetFont(dpy, gcs[TEXT], font->fid);
  }
  const int len = StrLib::length(text);
  const int w = XTextWidth(font, text, len);
  int x = toShort(p.x), y = toShort(p.y);
  if (halign == 2) x -= w / 2;
  if (halign == 3) x -= w;
  if (valign == 1) y += font->ascent;
  if (valign == 2) y += (font->ascent - font->descent) / 2;
  XDrawString(dpy, target(), gcs[TEXT], x, y, text, len);
  return 1;
}

int XWindow::setClip(float x1, float y1, float x2, float y2)
{
  clip.set(GTran::clamp(x1), GTran::clamp(y1), GTran::clamp(x2), GTran::clamp(y2));
  if (!opened) return 1;
  XRectangle r{toShort(clip.x1), toShort(clip.y1),
               static_cast<unsigned short>(std::min(65535.0f, clip.x2 - clip.x1 + 1)),
               static_cast<unsigned short>(std::min(65535.0f, clip.y2 - clip.y1 + 1))};
  for (int i = 1; i < 6; ++i) XSetClipRectangles(dpy, gcs[i], 0, 0, &r, 1, Unsorted);
  return 1;
}

int XWindow::setCursor(int n)
{
  const int previous = cursor;
  if (!opened || n < 0 || n >= NUM_CURSORS) return previous;
  cursor = n;
  if (mode == 1) XDefineCursor(dpy, window, cursors[n]);
  return previous;
}

int XWindow::message(const char* text)
{
  Kol::outDebug(4, "Mess: %s\n", text ? text : "");
  return 1;
}

int XWindow::bell(int volume)
{
  if (!opened) return 0;
  XBell(dpy, volume == 0 ? 50 : volume);
  return 1;
}

// ---- frames ----

int XWindow::newFrame(int n)
{
  if (!opened || n < 0 || n >= MAX_FRAMES || n > static_cast<int>(frames.size())) return 0;
  if (n == static_cast<int>(frames.size())) {
    frames.push_back(Frame{XCreatePixmap(dpy, window, width, height, depth), loopDelay});
    XSetForeground(dpy, gcs[0], bg);
    XFillRectangle(dpy, frames[n].pixmap, gcs[0], 0, 0, width, height);
  }
  frames[n].delay = loopDelay;
  // what is drawn next goes into the new frame, as on the image device
  current = n;
  return 1;
}

int XWindow::setFrame(int n)
{
  if (n == -3) {
    current = -1;
    return 1;
  }
  if (n < 0 || n >= static_cast<int>(frames.size())) return 0;
  current = n;
  return 1;
}

int XWindow::copyFrame(int to, int from)
{
  const int n = static_cast<int>(frames.size());
  if (!opened || to < 0 || to >= n || from < 0 || from >= n) return 0;
  XCopyArea(dpy, frames[from].pixmap, frames[to].pixmap, gcs[0], 0, 0, width, height, 0, 0);
  return 1;
}

int XWindow::clearFrame(int n)
{
  if (!opened || n < 0 || n >= static_cast<int>(frames.size())) return 0;
  XSetForeground(dpy, gcs[0], bg);
  XFillRectangle(dpy, frames[n].pixmap, gcs[0], 0, 0, width, height);
  return 1;
}

void XWindow::showNumber(int n)
{
  if (!showNum || mode != 1) return;
  char name[300];
  std::snprintf(name, sizeof name, "%s [%d]", title.c_str(), n);
  XStoreName(dpy, window, name);
  XSetIconName(dpy, window, name);
}

int XWindow::displayFrame(int n)
{
  if (!opened || n < 0 || n >= static_cast<int>(frames.size())) return 0;
  XCopyArea(dpy, frames[n].pixmap, window, gcs[0], 0, 0, width, height, 0, 0);
  showNumber(n);
  XFlush(dpy);
  return 1;
}

int XWindow::deleteFrame(int n)
{
  if (!opened || n < 0 || n >= static_cast<int>(frames.size())) return 0;
  XFreePixmap(dpy, frames[n].pixmap);
  frames.erase(frames.begin() + n);
  if (current >= static_cast<int>(frames.size())) current = static_cast<int>(frames.size()) - 1;
  return 1;
}

int XWindow::incFrame(int step)
{
  const int n = static_cast<int>(frames.size());
  if (n == 0) return -1;
  const int first = loopFirst >= 0 && loopFirst < n ? loopFirst : 0;
  const int last = loopLast >= first && loopLast < n ? loopLast : n - 1;
  int next = std::clamp(current, first, last) + (step != 0 ? step : loopDir);
  if (next > last) next = first;
  if (next < first) next = last;
  current = next;
  displayFrame(current);
  return current;
}

float XWindow::loopRate(int direction)
{
  if (direction > 0) {
    loopDelay -= loopDelay < 1.6f ? 0.1f : 1.0f;
    loopDelay = std::max(loopDelay, 0.05f);
  } else {
    if (loopDelay <= 0.051f)
      loopDelay = 0.1f;
    else
      loopDelay += loopDelay < 1.01f ? 0.1f : 1.0f;
    loopDelay = std::min(loopDelay, 10.0f);
  }
  Kol::outDebug(4, "Delay: %f\n", loopDelay);
  return loopDelay;
}

int XWindow::toggleLoop()
{
  looping = !looping;
  setCursor(looping ? 3 : 4);
  return looping ? 1 : 0;
}

// ---- events ----

int XWindow::addCallback(const char* event, Listener* l, const void* client)
{
  if (!opened || mode == 2 || !l) return 0;
  XDisplay::get().addCallback(XDisplay::typeOf(event), window, l, client);
  return 1;
}

int XWindow::doCallback(const char* event, const char* data)
{
  if (!opened) return 0;
  XDisplay::get().dispatch(window, XDisplay::typeOf(event), event, data ? data : "");
  return 1;
}

namespace {

void modifiers(unsigned state, std::string& s)
{
  if (state & Mod1Mask) s += "-Alt";
  if (state & ShiftMask) s += "-Shft";
  if (state & ControlMask) s += "-Cntrl";
}

}  // namespace

void XWindow::handle(XEvent& ev)
{
  std::string detail;
  const char* name = XDisplay::eventName(ev.type);
  char buf[64];
  switch (ev.type) {
    case KeyPress: {
      KeySym sym;
      char text[16] = {0};
      // the key's own text, without what Shift or Alt would make of it
      XKeyEvent plain = ev.xkey;
      plain.state &= ~(ShiftMask | Mod1Mask | ControlMask);
      const int n = XLookupString(&plain, text, sizeof text - 1, &sym, nullptr);
      text[std::max(0, n)] = '\0';
      detail = sym == XK_Return ? "Ret"
               : n > 0          ? text
                                : (XKeysymToString(sym) ? XKeysymToString(sym) : "");
      modifiers(ev.xkey.state, detail);
      std::snprintf(buf, sizeof buf, ":%d:%d", ev.xkey.x, ev.xkey.y);
      detail += buf;
      break;
    }
    case ButtonPress:
    case ButtonRelease: {
      const int b = std::clamp(static_cast<int>(ev.xbutton.button), 1, 3);
      std::snprintf(buf, sizeof buf, "B%d-%c", b, ev.type == ButtonPress ? 'P' : 'R');
      detail = buf;
      modifiers(ev.xbutton.state, detail);
      std::snprintf(buf, sizeof buf, ":%d:%d", ev.xbutton.x, ev.xbutton.y);
      detail += buf;
      break;
    }
    case Expose:
      while (XCheckTypedWindowEvent(dpy, window, Expose, &ev)) {
      }
      break;
    case ConfigureNotify:
      while (XCheckTypedWindowEvent(dpy, window, ConfigureNotify, &ev)) {
      }
      name = "Configure";
      std::snprintf(buf, sizeof buf, "%d:%d", ev.xconfigure.width, ev.xconfigure.height);
      detail = buf;
      break;
    case ClientMessage:
      if (static_cast<Atom>(ev.xclient.data.l[0]) == XInternAtom(dpy, "WM_DELETE_WINDOW", True))
        detail = "WM_DELETE_WINDOW";
      break;
    default:
      break;
  }
  Kol::outDebug(4, "Event: %s - %s\n", name, detail.c_str());
  callback(name, detail.c_str(), nullptr);
  XDisplay::get().dispatch(window, ev.type, name, detail.c_str());
}

int XWindow::callback(const char* event, const char* data, const void*)
{
  if (!event || !opened) return 0;
  const std::string d = data ? data : "";
  auto starts = [&](const char* p) { return d.compare(0, std::strlen(p), p) == 0; };
  if (std::strcmp(event, "Expose") == 0) return update();
  if (std::strcmp(event, "MapNotify") == 0) mapped = true;
  if (std::strcmp(event, "UnmapNotify") == 0) mapped = false;
  // closed from outside: the main loop ends
  if (std::strcmp(event, "DestroyNotify") == 0) gone = true;
  if ((std::strcmp(event, "ClientMessage") == 0 && d == "WM_DELETE_WINDOW") || gone)
    return unmanage();
  if (std::strcmp(event, "Configure") == 0) {
    if (resize(-1, -1)) doCallback("Redraw", data);
    return update();
  }
  const bool back = (std::strcmp(event, "ButtonPress") == 0 && starts("B1-P")) ||
                    (std::strcmp(event, "KeyPress") == 0 && starts("[-Alt"));
  const bool fwd = (std::strcmp(event, "ButtonPress") == 0 && starts("B3-P")) ||
                   (std::strcmp(event, "KeyPress") == 0 && starts("]-Alt"));
  if (back) looping ? loopRate(-1) : incFrame(-1);
  if (fwd) looping ? loopRate(1) : incFrame(1);
  if ((std::strcmp(event, "ButtonPress") == 0 && starts("B2-P")) ||
      (std::strcmp(event, "KeyPress") == 0 && starts("l-Alt")))
    toggleLoop();
  if (std::strcmp(event, "KeyPress") == 0 && starts("d-Alt")) deleteFrame(getFrame());
  return 1;
}

int XWindow::processEvents()
{
  if (!opened) return 0;
  int n = 0;
  XDisplay& xd = XDisplay::get();
  while (dpy && XPending(dpy)) {
    XEvent ev;
    XNextEvent(dpy, &ev);
    XWindow* w = xd.find(ev.xany.window);
    if (w) w->handle(ev);
    ++n;
    if (!opened) break;
  }
  return n;
}

int XWindow::manage()
{
  if (!opened || mode == 2) return 1;
  XDisplay::get().managed = true;
  looping = frames.size() >= 2;
  mainloop();
  return 1;
}

int XWindow::unmanage()
{
  XDisplay::get().managed = false;
  return 1;
}

void XWindow::mainloop()
{
  XDisplay& xd = XDisplay::get();
  double start = Kol::getTime();
  while (xd.managed) {
    XWindow* w = xd.firstWindow();
    if (!w) break;
    if (w->frames.size() < 2 || !w->looping) {
      w->setCursor(w->frames.size() < 2 ? 6 : 4);
      w->processEvents();
      Kol::sleep(PAUSE);
      if (!xd.managed || !w->opened) break;
      xd.dispatch(w->window, XDisplay::IDLE, "Idle", "");
      continue;
    }
    w->setCursor(3);
    const bool last = w->current == static_cast<int>(w->frames.size()) - 1;
    const float delay = last ? w->dwell : w->loopDelay;
    while (xd.managed && Kol::getTime() - start < delay) {
      w->processEvents();
      Kol::sleep(std::min(PAUSE, delay));
    }
    if (!xd.managed || !w->opened) break;
    w->incFrame(0);
    start = Kol::getTime();
    w->processEvents();
  }
}

}  // namespace KOL
