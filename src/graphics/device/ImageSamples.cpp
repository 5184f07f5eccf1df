#include "graphics/device/ImageSamples.h"

#include <cmath>

#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOL::ImageSamples {

Box::Box(const Rect& clip, float width, float height)
{
  auto within = [](float v, float limit) {
    return static_cast<int>(v > 0 ? (v < limit ? v : limit) : 0);  // NaN gives 0 too
  };
  x = within(clip.x1, width);
  y = within(clip.y1, height);
  w = within(clip.x2, width) - x;
  h = within(clip.y2, height) - y;
}

void Box::write(TextOut& out) const
{
  out.integer(x).put(' ').integer(y).put(" translate\n");
  out.integer(w).put(' ').integer(h).put(" scale\n");
}

bool drawable(Image& img) { return img.getWidth() > 0 && img.getHeight() > 0 && img.validData(); }

bool offsets(float x, float y, int& ox, int& oy)
{
  // beyond this every sample is white anyway; the limit keeps the sums in range
  constexpr float LIMIT = 1e8f;
  if (!(std::fabs(x) < LIMIT) || !(std::fabs(y) < LIMIT)) return false;
  ox = static_cast<int>(x), oy = static_cast<int>(y);
  return true;
}

bool pixel(Image& img, int i, int j, RGB& c)
{
  const bool inside = j >= 0 && j < img.getHeight() && i >= 0 && i < img.getWidth();
  if (inside) {
    img.getRGB(i, j, c);
  } else {
    c = RGB(1, 1, 1);
  }
  return inside;
}

namespace {

constexpr int PER_LINE = 80;

void sample(TextOut& out, const RGB& c, bool grey)
{
  auto byte = [](float v) { return v <= 0 ? 0 : v >= 1 ? 255 : static_cast<int>(v * 255); };
  if (grey) {
    out.hex(byte((0.9f * c.red + c.green + 0.8f * c.blue) / 2.7f));
  } else {
    out.hex(byte(c.red)).hex(byte(c.green)).hex(byte(c.blue));
  }
}

}  // namespace

void writeRows(TextOut& out, Image& img, int ox, int oy, int W, int H, bool grey)
{
  RGB c;
  for (int row = 0; row < H; ++row) {
    for (int col = 0; col < W; ++col) {
      pixel(img, ox + col, oy + row, c);
      sample(out, c, grey);
      if ((col + 1) % PER_LINE == 0 && col + 1 < W) out.put('\n');
    }
    out.put('\n');
  }
}

}  // namespace KOL::ImageSamples
