// PNG packing: the data section is a PNG image of the scaled integers (grey of 1 to 16 bits, or
// 8-bit RGB/RGBA read as 24/32-bit integers), decoded from memory with libpng.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void readPng(png_structp png, png_bytep out, png_size_t n)
{
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->size - src->pos) png_error(png, "truncated");
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
}

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// Integers of one row into x, per the pixel layout.
void rowToInts(const uint8_t* row, size_t width, int bytesPerPixel, uint32_t* x)
{
  for (size_t i = 0; i < width; i++, row += bytesPerPixel) {
    uint32_t v = 0;
    for (int k = 0; k < bytesPerPixel; k++) v = (v << 8) | row[k];
    x[i] = v;
  }
}

// Decodes the image into out; the C-style body keeps setjmp clear of C++ destructors.
// Returns 0 on success, 1 for a non-PNG stream, 2 for a decoding failure, 3 for a size mismatch.
int decodePng(const Packing& pack, ValueSink& out, uint8_t* rowBuf, size_t rowCap, uint32_t* ints)
{
  const Octets& d = pack.data;
  const size_t count = out.count();
  if (d.size() < 8 || png_sig_cmp(d.data(), 0, 8) != 0) return 1;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
  if (!png) return 2;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return 2;
  }
  PngSource src{d.data(), d.size(), 0};
  volatile int status = 2;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, &src, readPng);
    // Fields are often one very long row.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    int depth = png_get_bit_depth(png, info), colour = png_get_color_type(png, info);
    if (depth < 8) png_set_packing(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    int bpp = static_cast<int>(png_get_channels(png, info)) * (depth == 16 ? 2 : 1);
    if (size_t(w) * h != count || rowBytes > rowCap || colour == PNG_COLOR_TYPE_PALETTE ||
        rowBytes != size_t(w) * bpp) {
      status = 3;
    } else {
      for (png_uint_32 j = 0; j < h; j++) {
        png_read_row(png, rowBuf, nullptr);
        rowToInts(rowBuf, w, bpp, ints);
        out.putScaled(pack, ints, w);
      }
      status = 0;
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return status;
}

// Width of the image in the IHDR chunk (octets 17-20), 0 when absent.
size_t pngWidth(const Octets& d) { return d.size() >= 24 ? d.u4(17) : 0; }

}  // namespace

bool unpackPng(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  if (pack.bits == 0 || pack.data.size() == 0) {
    putConstantField(pack, values);
    return true;
  }
  size_t width = pngWidth(pack.data);
  if (width == 0 || width > count) width = count;
  std::vector<uint8_t> row(width * 8);
  std::vector<uint32_t> ints(width);
  int status = decodePng(pack, values, row.data(), row.size(), ints.data());
  if (status == 1)
    Kol::outWarning("GribFile: Not a PNG file\n");
  else if (status == 2)
    Kol::outWarning("GribFile: PNG decoding error\n");
  else if (status == 3)
    Kol::outWarning("GribFile: PNG image does not match %zu values\n", count);
  return status == 0;
}

}  // namespace KOL::grib
