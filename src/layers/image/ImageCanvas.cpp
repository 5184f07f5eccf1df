#include "layers/image/ImageCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geo/Domain.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "graphics/Plot.h"

namespace KOL::imageplot {

namespace {

constexpr int MAX_SIDE = 20000;

uint32_t pack(const RGB& c)
{
  return (static_cast<uint32_t>(RGB::toByte(c.red)) << 16) |
         (static_cast<uint32_t>(RGB::toByte(c.green)) << 8) | RGB::toByte(c.blue);
}

}  // namespace

int Canvas::set(Plot& plot)
{
  img.init();
  cover.clear();
  const Domain& panel = plot.getDomain();
  if (panel.proj == Const::MISS || panel.proj < 1 || panel.proj > 10) return 0;
  Graph& g = plot.getGraph();
  const GTran& tr = g.getGTran(Plot::MAP);
  const Rect win = tr.getWindow();
  // whole device pixels: the picture's corner is put on one
  const float x1 = std::round(tr.tranWindowPlotX(win.x1)),
              x2 = std::round(tr.tranWindowPlotX(win.x2));
  const float y1 = std::round(tr.tranWindowPlotY(win.y2)),
              y2 = std::round(tr.tranWindowPlotY(win.y1));
  const int w = static_cast<int>(std::fabs(x2 - x1)), h = static_cast<int>(std::fabs(y2 - y1));
  if (w < 2 || h < 2 || w > MAX_SIDE || h > MAX_SIDE) return 0;
  left = tr.tranPlotWindowX(x1);
  top = tr.tranPlotWindowY(y1);
  const float right = tr.tranPlotWindowX(x2), bottom = tr.tranPlotWindowY(y2);
  EarthPoint centre;
  if (!panel.tran(Point((left + right) / 2, (top + bottom) / 2), centre) || centre.isMiss())
    return 0;
  DomainVal v = panel.get();
  v.nx = w, v.ny = h;
  v.dx = std::fabs(right - left) / w;
  v.dy = std::fabs(top - bottom) / h;
  v.clat = centre.lat, v.clon = centre.lon;
  if (!img.set(v, 8) || !img.allocData()) return 0;
  cover.assign(static_cast<size_t>(w) * h, 0);
  return 1;
}

namespace {

// The source pixels under a canvas point, half the footprint in x and y; capped so that a
// far-shrunk image costs a bounded number of reads per point.
constexpr float MAX_HALF = 8.0f;

struct Row {
  std::vector<GridPoint> at;
  void fill(const Domain& from, const Domain& to, int j, int w, float sx, float sy)
  {
    at.assign(static_cast<size_t>(w), GridPoint());
    for (int i = 0; i < w; ++i) {
      GridPoint& g = at[static_cast<size_t>(i)];
      if (!Domain::translate(from, to, GridPoint(static_cast<float>(i), static_cast<float>(j)),
                             g) ||
          g.isMiss())
        g = GridPoint();
      else
        g.x -= sx, g.y -= sy;
    }
  }
};

float half(float a, float b) { return std::min(MAX_HALF, 0.5f * (std::fabs(a) + std::fabs(b))); }

}  // namespace

int Canvas::sample(const Image& src, const Sampling& how)
{
  if (!img.validData() || !src.validData() || src.getDomainProj() == Const::MISS) return 0;
  const Domain& from = img.getDomain();
  const Domain& to = src.getDomain();
  const int sw = src.getWidth(), sh = src.getHeight();
  Row cur, next;
  cur.fill(from, to, 0, width(), how.shiftX, how.shiftY);
  for (int j = 0; j < height(); ++j) {
    if (j + 1 < height()) next.fill(from, to, j + 1, width(), how.shiftX, how.shiftY);
    for (int i = 0; i < width(); ++i) {
      const GridPoint& g = cur.at[static_cast<size_t>(i)];
      if (g.isMiss()) continue;
      const long si = std::lround(g.x), sj = std::lround(g.y);
      if (si < 0 || sj < 0 || si >= sw || sj >= sh) continue;
      int code = src.getVal(static_cast<int>(si), static_cast<int>(sj));
      const GridPoint& gi = cur.at[static_cast<size_t>(i + 1 < width() ? i + 1 : i - 1)];
      const GridPoint& gj = (j + 1 < height() ? next : cur).at[static_cast<size_t>(i)];
      if (how.average && !gi.isMiss() && !gj.isMiss()) {
        const float hx = half(gi.x - g.x, gj.x - g.x), hy = half(gi.y - g.y, gj.y - g.y);
        if (hx > 0.5f || hy > 0.5f) {
          long sum = 0, n = 0;
          const int i0 = std::max(0, static_cast<int>(std::lround(g.x - hx + 0.5f)));
          const int i1 = std::min(sw - 1, static_cast<int>(std::lround(g.x + hx - 0.5f)));
          const int j0 = std::max(0, static_cast<int>(std::lround(g.y - hy + 0.5f)));
          const int j1 = std::min(sh - 1, static_cast<int>(std::lround(g.y + hy - 0.5f)));
          for (int y = j0; y <= j1; ++y)
            for (int x = i0; x <= i1; ++x)
              if (const int c = src.getVal(x, y); c != how.skip) sum += c, ++n;
          if (n > 0) code = static_cast<int>((sum + n / 2) / n);
        }
      }
      img.setPixel(i, j, code);
      cover[static_cast<size_t>(j) * width() + i] = 1;
    }
    if (j + 1 < height()) std::swap(cur, next);
  }
  return 1;
}

void Canvas::coverNonzero()
{
  for (int j = 0; j < height(); ++j)
    for (int i = 0; i < width(); ++i)
      cover[static_cast<size_t>(j) * width() + i] = img.getVal(i, j) != 0;
}

int Canvas::draw(Plot& plot, const CodeColors& colors) const
{
  if (!img.validData()) return 0;
  Graph& g = plot.getGraph();
  // the page's own colour stands for "nothing here"; a shown colour equal to it is moved off
  const uint32_t page = g.getInverse() ? 0xFFFFFF : 0x000000;
  std::array<uint32_t, 256> packed;
  for (int k = 0; k < 256; ++k) {
    packed[k] = colors.shown[k] ? pack(colors.rgb[k]) : page;
    if (colors.shown[k] && packed[k] == page) packed[k] ^= 1;
  }
  Image out;
  out.set(width(), height(), 24);
  if (!out.allocData()) return 0;
  out.setByteOrder(0);  // least significant byte first
  out.setTransColor(static_cast<int>(page));
  for (int j = 0; j < height(); ++j) {
    const uint8_t* code = img.getData() + static_cast<size_t>(j) * img.getBytesLine();
    const uint8_t* on = cover.data() + static_cast<size_t>(j) * width();
    uint8_t* rgb = out.getData() + static_cast<size_t>(j) * out.getBytesLine();
    for (int i = 0; i < width(); ++i, rgb += 3) {
      const uint32_t v = on[i] ? packed[code[i]] : page;
      rgb[0] = static_cast<uint8_t>(v), rgb[1] = static_cast<uint8_t>(v >> 8);
      rgb[2] = static_cast<uint8_t>(v >> 16);
    }
  }
  const int t = g.getTran();
  g.setTran(Plot::MAP);
  const int ok = g.drawImageAt(out, left, top);
  g.setTran(t);
  return ok;
}

}  // namespace KOL::imageplot
