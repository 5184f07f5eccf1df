// A captured picture as the drawing tests read it: pixels by position, ink of a colour in a
// box with its weighted centre, and the dark runs met walking a line across it (feathers of a
// wind barb, strokes of a symbol).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "geo/Point.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOLTest {

// Reads the pixels of an image that outlives it.
struct Picture {
  int width = 0, height = 0;
  const KOL::Image* img;

  explicit Picture(const KOL::Image& i) : width(i.getWidth()), height(i.getHeight()), img(&i) {}
  // White outside the picture.
  uint32_t at(int x, int y) const
  {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFF;
    KOL::RGB c;
    img->getRGB(x, y, c);
    return (KOL::RGB::toByte(c.red) << 16) | (KOL::RGB::toByte(c.green) << 8) |
           KOL::RGB::toByte(c.blue);
  }
  // How far a pixel is from white, 0 to 1 (the darkest channel).
  float ink(int x, int y) const
  {
    const uint32_t c = at(x, y);
    const int low = std::min({(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF});
    return (255 - low) / 255.0f;
  }
  bool dark(int x, int y) const { return ink(x, y) > 0.4f; }
};

// Whether a pixel is colour c laid over white with some coverage (antialiased edges included):
// at least a third of the way from white to c, and within tolerance of that line.
inline bool isInkOf(uint32_t px, uint32_t c, int tolerance)
{
  double p[3], k[3], along = 0, norm = 0;
  for (int i = 0; i < 3; i++) {
    const int s = 16 - 8 * i;
    p[i] = 255.0 - ((px >> s) & 0xFF);
    k[i] = 255.0 - ((c >> s) & 0xFF);
    along += p[i] * k[i];
    norm += k[i] * k[i];
  }
  if (norm == 0) return false;
  const double a = along / norm;
  double off = 0;
  for (int i = 0; i < 3; i++) off += std::fabs(p[i] - a * k[i]);
  return a > 0.33 && off <= tolerance;
}

// Pixels of one colour (isInkOf) in a box: how many, their extent and centre.
struct Ink {
  int count = 0;
  int x1 = 1 << 30, y1 = 1 << 30, x2 = -1, y2 = -1;
  double sx = 0, sy = 0;
  double cx() const { return count ? sx / count : NAN; }
  double cy() const { return count ? sy / count : NAN; }
};

inline Ink inkOf(const Picture& p, uint32_t color, int tolerance, int bx1, int by1, int bx2,
                 int by2)
{
  Ink k;
  for (int y = std::max(0, by1); y <= std::min(p.height - 1, by2); ++y)
    for (int x = std::max(0, bx1); x <= std::min(p.width - 1, bx2); ++x)
      if (isInkOf(p.at(x, y), color, tolerance)) {
        k.count++;
        k.x1 = std::min(k.x1, x), k.y1 = std::min(k.y1, y);
        k.x2 = std::max(k.x2, x), k.y2 = std::max(k.y2, y);
        k.sx += x, k.sy += y;
      }
  return k;
}

// The centre of all ink in a box, each pixel weighted by its darkness.
inline KOL::Point inkCentre(const Picture& p, int bx1, int by1, int bx2, int by2)
{
  double w = 0, sx = 0, sy = 0;
  for (int y = by1; y <= by2; ++y)
    for (int x = bx1; x <= bx2; ++x) {
      const double k = p.ink(x, y);
      w += k, sx += k * x, sy += k * y;
    }
  if (w == 0) return KOL::Point();
  // pixel (x, y) covers x .. x + 1: its centre is half a pixel in
  return KOL::Point(static_cast<float>(sx / w + 0.5), static_cast<float>(sy / w + 0.5));
}

// Dark runs met walking from a to b, and the longest of them, in pixels.
struct Runs {
  int count = 0, longest = 0;
};

inline Runs runsAlong(const Picture& p, KOL::Point a, KOL::Point b)
{
  Runs out;
  const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y)));
  int run = 0;
  for (int i = 0; i <= n + 1; i++) {
    const float t = static_cast<float>(i) / n;
    const bool d = i <= n && p.dark(static_cast<int>(std::lround(a.x + (b.x - a.x) * t)),
                                    static_cast<int>(std::lround(a.y + (b.y - a.y) * t)));
    if (d) {
      run++;
    } else if (run > 0) {
      out.count++;
      out.longest = std::max(out.longest, run);
      run = 0;
    }
  }
  return out;
}

}  // namespace KOLTest
