#include "graphics/ImageDevice.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorMap.h"
#include "graphics/GTran.h"
#include "graphics/device/ImageSamples.h"
#include "graphics/device/Params.h"
#include "graphics/device/Rings.h"
#include "graphics/device/Thin.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"
#include "imagery/RGB.h"

namespace KOL {

struct ImageDevice::Surface {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  ~Surface()
  {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }
};

namespace {

constexpr int WHITE = 0xFFFFFF;
// Points closer to the line through their neighbours than this change nothing to the eye: a
// tenth of a pixel for the strokes of texts and marks; half a pixel for lines, whose thinned
// stroke still covers the middle of the whole line everywhere.
constexpr float THIN_TOLERANCE = 0.1f, LINE_THIN_TOLERANCE = 0.5f;  // pixels
constexpr double DASHES[][4] = {
    {0, 0, 0, 0}, {6, 0, 0, 0}, {3, 6, 0, 0}, {6, 6, 3, 6}, {2, 0, 0, 0}};
constexpr int DASH_COUNT[] = {0, 1, 2, 4, 1};

double component(int colour, int shift) { return ((colour >> shift) & 255) / 255.0; }

bool isLight(int colour)
{
  return 0.3 * component(colour, 16) + 0.59 * component(colour, 8) + 0.11 * component(colour, 0) >
         0.5;
}

}  // namespace

ImageDevice::ImageDevice() { init(); }
ImageDevice::~ImageDevice() { close(); }

void ImageDevice::init()
{
  output.clear();
  width = 640, height = 512;
  // a white picture, like paper: inverse video
  inverse = true;
  background = WHITE;
  for (int& c : colors) c = 0;
  for (float& w : widths) w = 1;
  lineStyle = 1;
  clip.init();
  current = 0;
  looping = false;
}

bool ImageDevice::isOpen() const { return !frames.empty(); }

int ImageDevice::setParam(const char* params)
{
  const std::vector<std::string> fields = Params::split(params);
  if (!fields.empty()) output = fields[0];
  for (size_t i = 1; i < fields.size(); ++i) {
    int w, h;
    if (StrLib::iequal(fields[i].c_str(), "sz", 2) && fields[i].size() > 3 &&
        std::sscanf(fields[i].c_str() + 3, "%dx%d", &w, &h) == 2)
      setSize(static_cast<float>(w), static_cast<float>(h));
  }
  return 1;
}

int ImageDevice::setSize(float w, float h)
{
  if (isOpen() || !(w >= 1) || !(h >= 1) || w > Image::MAX_SIZE || h > Image::MAX_SIZE) {
    Kol::outWarning("ImageDevice: size %gx%g refused\n", w, h);
    return 0;
  }
  width = static_cast<int>(w), height = static_cast<int>(h);
  return 1;
}

std::unique_ptr<ImageDevice::Surface> ImageDevice::makeSurface()
{
  auto s = std::make_unique<Surface>();
  s->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s->surface) != CAIRO_STATUS_SUCCESS) {
    Kol::outError("ImageDevice: unable to make a %dx%d picture\n", width, height);
    return nullptr;
  }
  s->cr = cairo_create(s->surface);
  cairo_set_line_join(s->cr, CAIRO_LINE_JOIN_BEVEL);
  return s;
}

int ImageDevice::open()
{
  close();
  auto s = makeSurface();
  if (!s) return 0;
  frames.push_back(std::move(s));
  current = 0;
  looping = false;
  clip.init();
  clear();
  return 1;
}

int ImageDevice::newFrame() { return newFrame(looping ? static_cast<int>(frames.size()) : 0); }

int ImageDevice::newFrame(int n)
{
  if (!isOpen() || n < 0 || n > static_cast<int>(frames.size())) return 0;
  // the picture drawn before the loop began is its first frame
  if (!looping && n == 0) {
    looping = true;
    return 1;
  }
  if (n == static_cast<int>(frames.size())) {
    auto s = makeSurface();
    if (!s) return 0;
    frames.push_back(std::move(s));
  }
  current = n;
  clear();
  if (!clip.isMiss()) setClip(clip.x1, clip.y1, clip.x2, clip.y2);
  return 1;
}

int ImageDevice::setFrame(int n)
{
  if (n < 0 || n >= static_cast<int>(frames.size())) return 0;
  current = n;
  return 1;
}

int ImageDevice::deleteFrame(int n)
{
  if (n < 0 || n >= static_cast<int>(frames.size())) return 0;
  if (frames.size() == 1) {
    // the device always keeps one picture to draw into
    looping = false;
    return clear();
  }
  frames.erase(frames.begin() + n);
  if (current >= static_cast<int>(frames.size())) current = static_cast<int>(frames.size()) - 1;
  return 1;
}

int ImageDevice::close()
{
  if (!isOpen()) return 0;
  const size_t n = output.size();
  if (n > 4 && StrLib::iequal(output.c_str() + n - 4, ".png") &&
      FileTool::checkLength("ImageDevice", output.c_str())) {
    Image img;
    if (getImage(img) && PngFile::write(output.c_str(), img))
      std::printf("Creating: %s\n", output.c_str());
  }
  frames.clear();
  current = 0;
  looping = false;
  return 1;
}

int ImageDevice::getDevice(String& name)
{
  name = "image";
  return 1;
}

int ImageDevice::clear()
{
  if (!isOpen()) return 0;
  cairo_t* cr = active()->cr;
  cairo_save(cr);
  cairo_reset_clip(cr);
  cairo_set_source_rgb(cr, component(background, 16), component(background, 8),
                       component(background, 0));
  cairo_paint(cr);
  cairo_restore(cr);
  return 1;
}

int ImageDevice::clearRect(Rect& r)
{
  if (!isOpen()) return 0;
  cairo_t* cr = active()->cr;
  cairo_save(cr);
  cairo_set_source_rgb(cr, component(background, 16), component(background, 8),
                       component(background, 0));
  cairo_rectangle(cr, r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);
  cairo_fill(cr);
  cairo_restore(cr);
  return 1;
}

int ImageDevice::setInverse(bool f)
{
  inverse = f;
  background = f ? WHITE : 0;
  return 1;
}

int ImageDevice::setBackground(const char* name)
{
  if (!name || StrLib::iequal(name, "def")) return 1;
  ColorMap map(512);
  ColorFile::read("kol.clr", map);
  const int i = map.getInd(name);
  if (i < 0 || i == Const::MISS || i >= map.getNum()) {
    Kol::outWarning("ImageDevice: unknown background colour: %s\n", name);
    return 0;
  }
  float r, g, b;
  map.getRGB(i, r, g, b);
  background = packColor(r, g, b);
  // what is drawn by default on it follows the background, as on paper or a screen
  inverse = isLight(background);
  return 1;
}

int ImageDevice::getCoords(Rect& r)
{
  r.setu(0, 0, static_cast<float>(width), static_cast<float>(height));
  return 1;
}

int ImageDevice::setColor(int type, int c)
{
  if (type < 1 || type > 4) return 0;
  colors[type] = c;
  return 1;
}

int ImageDevice::setLineWidth(int type, float w)
{
  if (type < 1 || type > 4 || !std::isfinite(w)) return 0;
  widths[type] = w > 0 ? w : 1;
  return 1;
}

int ImageDevice::setLineStyle(int type, int s)
{
  if (type != LINE) return 0;
  if (s >= 1 && s <= 5) lineStyle = s;  // others keep the previous pattern, as on paper
  return 1;
}

int ImageDevice::setFillStyle(int type, int) { return type == FILL; }

void ImageDevice::setSource(int c)
{
  // pattern colours 500..508: black, white and grey in their normal, bold and thin forms
  if (c >= ColorMap::PATTERN_FIRST && c <= ColorMap::PATTERN_LAST) {
    const double level[] = {0, 1, 0.5};
    const double v = level[(c - ColorMap::PATTERN_FIRST) / 3];
    cairo_set_source_rgb(active()->cr, v, v, v);
    return;
  }
  cairo_set_source_rgb(active()->cr, component(c, 16), component(c, 8), component(c, 0));
}

void ImageDevice::path(const Points& pts)
{
  cairo_new_path(active()->cr);
  subpath(pts, 0, pts.getNum());
}

void ImageDevice::subpath(const Points& pts, int from, int n)
{
  cairo_t* cr = active()->cr;
  for (int i = from; i < from + n; ++i) {
    const double x = GTran::clamp(pts[i].x), y = GTran::clamp(pts[i].y);
    if (i == from)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
}

int ImageDevice::drawLine(int type, Points& pts)
{
  if (!isOpen() || type < 1 || type > 4 || pts.getNum() < 2) return 0;
  cairo_t* cr = active()->cr;
  setSource(colors[type]);
  cairo_set_line_width(cr, widths[type]);
  const int style = type == LINE ? lineStyle : 1;
  cairo_set_dash(cr, DASHES[style - 1], DASH_COUNT[style - 1], 0);
  Thin::polyline(pts, type == LINE ? LINE_THIN_TOLERANCE : THIN_TOLERANCE, kept);
  cairo_new_path(cr);
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const Point& p = pts[kept[k]];
    const double x = GTran::clamp(p.x), y = GTran::clamp(p.y);
    if (k == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  // Lines smoothed from 4 x 4 samples a pixel look alike to the eye and take half the time of the
  // finer default, which counts on fields of many thousand contours; texts and marks keep it.
  if (type == LINE) cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
  cairo_stroke(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  return 1;
}

int ImageDevice::drawFill(int type, Points& pts)
{
  if (!isOpen() || pts.getNum() < 3) return 0;
  setSource(colors[type == FILL ? FILL : type < 1 || type > 4 ? FILL : type]);
  path(pts);
  cairo_close_path(active()->cr);
  cairo_fill(active()->cr);
  return 1;
}

int ImageDevice::drawFillPath(int type, Points& pts, const std::vector<int>& counts)
{
  if (!isOpen()) return 0;
  cairo_t* cr = active()->cr;
  setSource(colors[type < 1 || type > 4 ? FILL : type]);
  cairo_new_path(cr);
  device::forEachRing(pts, counts, [&](int at, int n) {
    subpath(pts, at, n);
    cairo_close_path(cr);
  });
  // Areas of several rings tile the plane with their neighbours (the bands of a field):
  // antialiased, each shared edge would let the background through; sampled at the pixel
  // centres they meet without a seam.
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_fill(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  return 1;
}

int ImageDevice::drawImage(Image& img, float x, float y)
{
  int ox, oy;
  if (!isOpen() || !ImageSamples::drawable(img) || !ImageSamples::offsets(x, y, ox, oy)) return 0;
  const ImageSamples::Box box(getClip(), static_cast<float>(width), static_cast<float>(height));
  if (box.empty()) return 0;
  // pixels of the transparent colour are left out (premultiplied: all zero)
  const bool trans = img.getTransColor() >= 0;
  cairo_surface_t* src =
      cairo_image_surface_create(trans ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, box.w, box.h);
  if (cairo_surface_status(src) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(src);
    return 0;
  }
  cairo_surface_flush(src);
  unsigned char* data = cairo_image_surface_get_data(src);
  const int stride = cairo_image_surface_get_stride(src);
  RGB c;
  // three bytes a pixel without channel masks: read as they lie (the pictures of image layers)
  const bool bytes24 = img.getBitsPixel() == 24 && img.getByteOrder() == 0 && !img.getRedMask() &&
                       !img.getGrnMask() && !img.getBluMask();
  for (int row = 0; row < box.h; ++row) {
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<long>(row) * stride);
    for (int col = 0; col < box.w; ++col) {
      const int i = ox + col, j = oy + row;
      if (bytes24 && i >= 0 && j >= 0 && i < img.getWidth() && j < img.getHeight()) {
        const uint8_t* p = img.getData() + static_cast<long>(j) * img.getBytesLine() + 3L * i;
        const uint32_t v = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
        out[col] = trans && static_cast<int>(v) == img.getTransColor() ? 0 : 0xFF000000u | v;
        continue;
      }
      if (ImageSamples::pixel(img, i, j, c) && trans && img.isPixelTrans(i, j)) {
        out[col] = 0;
        continue;
      }
      out[col] = 0xFF000000u | (static_cast<uint32_t>(RGB::toByte(c.red)) << 16) |
                 (static_cast<uint32_t>(RGB::toByte(c.green)) << 8) | RGB::toByte(c.blue);
    }
  }
  cairo_surface_mark_dirty(src);
  cairo_t* cr = active()->cr;
  cairo_save(cr);
  cairo_set_source_surface(cr, src, box.x, box.y);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(src);
  return 1;
}

int ImageDevice::getImage(Image& img)
{
  img.init();
  if (!isOpen()) return 0;
  cairo_surface_flush(active()->surface);
  const unsigned char* data = cairo_image_surface_get_data(active()->surface);
  const int stride = cairo_image_surface_get_stride(active()->surface);
  img.set(width, height, 24);
  if (!img.allocData()) return 0;
  // the image keeps its pixels least significant byte first, three bytes each
  img.setByteOrder(0);
  for (int j = 0; j < height; ++j) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<long>(j) * stride);
    uint8_t* out = img.getData() + static_cast<long>(j) * img.getBytesLine();
    for (int i = 0; i < width; ++i, out += 3) {
      const uint32_t v = row[i];
      out[0] = static_cast<uint8_t>(v);
      out[1] = static_cast<uint8_t>(v >> 8);
      out[2] = static_cast<uint8_t>(v >> 16);
    }
  }
  return 1;
}

Rect ImageDevice::getClip()
{
  if (clip.isMiss()) return Rect(0, 0, static_cast<float>(width), static_cast<float>(height));
  return clip;
}

int ImageDevice::setClip(float x1, float y1, float x2, float y2)
{
  clip.set(GTran::clamp(x1), GTran::clamp(y1), GTran::clamp(x2), GTran::clamp(y2));
  if (!isOpen()) return 1;
  cairo_t* cr = active()->cr;
  cairo_reset_clip(cr);
  cairo_rectangle(cr, clip.x1, clip.y1, clip.x2 - clip.x1, clip.y2 - clip.y1);
  cairo_clip(cr);
  return 1;
}

}  // namespace KOL
