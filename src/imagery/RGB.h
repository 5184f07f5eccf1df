// One colour as red, green and blue intensities between 0 and 1: the entry type of colour
// tables in images and colour maps.
#pragma once

namespace KOL {

class RGB {
 public:
  float red, green, blue;

  RGB() { init(); }
  RGB(float r, float g, float b) : red(r), green(g), blue(b) {}

  void init() { red = green = blue = 0.0f; }
  void set(float r, float g, float b) { red = r, green = g, blue = b; }
  // Components scaled to 0..255, rounded and clamped.
  static int toByte(float c)
  {
    return c <= 0.0f ? 0 : c >= 1.0f ? 255 : static_cast<int>(c * 255.0f + 0.5f);
  }
  bool operator==(const RGB& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

}  // namespace KOL
