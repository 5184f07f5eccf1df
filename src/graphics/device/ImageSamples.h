// The samples an image device writes for drawImage(img, x, y): W x H samples over the clip box,
// whose top-left one is image pixel (x, y) (truncated); what lies outside the image is white.
// The PostScript and metafile devices write them as hexadecimal text, the raster devices paint
// them; Graph places pictures by the same box.
#pragma once

#include "geo/Rect.h"
#include "graphics/device/TextOut.h"

namespace KOL {

class Image;
class RGB;

namespace ImageSamples {

// The sample area: the clip box (or the whole device) within the device, in whole device units.
// A clip box larger than the page (a window set by a replayed file, say) samples only the page.
struct Box {
  int x, y, w, h;
  Box(const Rect& clip, float width, float height);
  bool empty() const { return w <= 0 || h <= 0; }
  // "x y translate" and "w h scale", the block's first lines on either device.
  void write(TextOut& out) const;
};

// True when the image has columns, rows and pixel data.
bool drawable(Image& img);
// The image pixel offsets (x, y) truncated; false when either is not a number or lies beyond
// any image.
bool offsets(float x, float y, int& ox, int& oy);
// Image pixel (i, j) into c, white outside the image; false outside.
bool pixel(Image& img, int i, int j, RGB& c);
// grey: one byte per sample (0.9 r + g + 0.8 b) / 2.7, else three. A newline after every 80th
// sample of a row and after each row.
void writeRows(TextOut& out, Image& img, int ox, int oy, int W, int H, bool grey);

}  // namespace ImageSamples
}  // namespace KOL
