// PNG packing: the data section is a PNG image of the scaled integers (grey of 1 to 16 bits, or
// 8-bit RGB/RGBA read as 24/32-bit integers), decoded from memory with libpng.
#include <png.h>

#include <csetjmp>
#include <cstring>

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

// Where rows go: libpng hands each row to takeRow in its own buffer, so that no row buffer of ours
// is needed (a field is often one row as long as the field).
struct PngTarget {
  const Packing& pack;
  ValueSink& out;
};

// Integers of n pixels of B big-endian bytes into x.
template <int B>
void pixelsToInts(const uint8_t* p, size_t n, uint32_t* x)
{
  for (size_t i = 0; i < n; i++, p += B) {
    uint32_t v = 0;
    for (int k = 0; k < B; k++) v = (v << 8) | p[k];
    x[i] = v;
  }
}

void takeRow(png_structp png, png_row_infop info, png_bytep row)
{
  auto* t = static_cast<PngTarget*>(png_get_user_transform_ptr(png));
  const int bpp = info->pixel_depth / 8;
  constexpr size_t CHUNK = 1024;
  uint32_t x[CHUNK];
  for (size_t done = 0; done < info->width; done += CHUNK) {
    const size_t n = info->width - done < CHUNK ? info->width - done : CHUNK;
    const uint8_t* p = row + done * bpp;
    switch (bpp) {
      case 1:
        pixelsToInts<1>(p, n, x);
        break;
      case 2:
        pixelsToInts<2>(p, n, x);
        break;
      case 3:
        pixelsToInts<3>(p, n, x);
        break;
      default:
        pixelsToInts<4>(p, n, x);
        break;
    }
    t->out.putScaled(t->pack, x, n);
  }
}

// Decodes the image into out; the C-style body keeps setjmp clear of C++ destructors.
// Returns 0 on success, 1 for a non-PNG stream, 2 for a decoding failure, 3 for a size mismatch.
int decodePng(PngTarget& target)
{
  const Octets& d = target.pack.data;
  const size_t count = target.out.count();
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
    png_set_read_user_transform_fn(png, takeRow);
    png_set_user_transform_info(png, &target, 0, 0);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    int bpp = static_cast<int>(png_get_channels(png, info)) * (depth == 16 ? 2 : 1);
    if (size_t(w) * h != count || colour == PNG_COLOR_TYPE_PALETTE || bpp > 4 ||
        png_get_interlace_type(png, info) != PNG_INTERLACE_NONE || rowBytes != size_t(w) * bpp) {
      status = 3;
    } else {
      for (png_uint_32 j = 0; j < h; j++) png_read_row(png, nullptr, nullptr);
      status = 0;
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return status;
}

}  // namespace

bool unpackPng(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  if (pack.bits == 0 || pack.data.size() == 0) {
    putConstantField(pack, values);
    return true;
  }
  PngTarget target{pack, values};
  int status = decodePng(target);
  if (status == 1)
    Kol::outWarning("GribFile: Not a PNG file\n");
  else if (status == 2)
    Kol::outWarning("GribFile: PNG decoding error\n");
  else if (status == 3)
    Kol::outWarning("GribFile: PNG image does not match %zu values\n", count);
  return status == 0;
}

}  // namespace KOL::grib
