// GIF images through giflib: an Image written as one GIF87a/89a picture with a colour table of
// up to 256 entries (and a transparent entry when the image has one), or a loop of pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KOL {

class Image;

class GifFile {
 public:
  // 8-bit images with a colour table as they are, other 8-bit images in grey, 24 and 32-bit
  // images through an exact table when they hold at most 256 colours, else through their 256
  // most frequent colours.
  // 1 on success, 0 with a warning.
  static int write(const char* name, const Image& im);
  // Frames of one size as an animated GIF89a that loops for ever, each with its own table,
  // delay hundredths of a second apart (the last held three times as long). The number of
  // frames written; 0 with a warning.
  static int writeLoop(const char* name, const std::vector<Image>& frames, int delay);
  // True when the bytes begin with "GIF87a" or "GIF89a".
  static bool isGif(const uint8_t* bytes, std::size_t n);
};

}  // namespace KOL
