// PNG images through libpng: writing an Image (indexed through its colour table, grey, or true
// colour) and reading 8-bit grey PNG streams into an Image's pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace KOL {

class Image;

class PngFile {
 public:
  static constexpr uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

  // Writes im to the file name: 8-bit images with a colour table as a palette image (the
  // transparent colour marked), other 8 and 16-bit images as grey, 24 and 32-bit as RGB.
  // 1 on success.
  static int write(const char* name, const Image& im);
  // True when the bytes begin with the PNG signature.
  static bool isPng(const uint8_t* bytes, std::size_t n);
  // Stores the rows of an 8-bit greyscale PNG held in memory into im's pixels (im already
  // sized and allocated); rows beyond the image are ignored. 1 on success, 0 with a warning
  // for other PNG kinds, sizes that do not match or a damaged stream.
  static int readGrey8(const uint8_t* bytes, std::size_t n, Image& im);
};

}  // namespace KOL
