#include "imagery/PngFile.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOL {

namespace {

struct PngSource {
  const uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

void readBytes(png_structp png, png_bytep out, png_size_t n)
{
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->size - src->pos) png_error(png, "truncated");
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
}

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// The rows a PNG writer is given: one per image row, already in PNG byte layout.
struct WriteJob {
  int width, height, bitDepth, colorType;
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;
  std::vector<png_bytep> rows;
};

// Returns 0 on success, 1 when libpng failed. No C++ objects with destructors live in this
// frame, so the longjmp out of libpng is safe.
int encode(FILE* fp, WriteJob* job)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return 1;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return 1;
  }
  png_init_io(png, fp);
  // Pictures of plots are mostly runs of one colour: unfiltered rows at a fast level come out
  // about as small as the default level with adaptive filters, in a quarter of the time.
  png_set_compression_level(png, 2);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, job->width, job->height, job->bitDepth, job->colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!job->palette.empty())
    png_set_PLTE(png, info, job->palette.data(), static_cast<int>(job->palette.size()));
  if (!job->alpha.empty())
    png_set_tRNS(png, info, job->alpha.data(), static_cast<int>(job->alpha.size()), nullptr);
  png_set_rows(png, info, job->rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return 0;
}

// Returns 0 on success, 1 for another PNG kind or size, 2 for a damaged stream.
int decodeGrey8(PngSource* src, uint8_t* pixels, int width, int height, int stride, png_bytep spare)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return 2;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return 2;
  }
  png_set_read_fn(png, src, readBytes);
  png_read_info(png, info);
  if (png_get_color_type(png, info) != PNG_COLOR_TYPE_GRAY || png_get_bit_depth(png, info) != 8 ||
      static_cast<int>(png_get_image_width(png, info)) != width) {
    png_destroy_read_struct(&png, &info, nullptr);
    return 1;
  }
  const int rows = static_cast<int>(png_get_image_height(png, info));
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  for (int pass = 0; pass < passes; ++pass)
    for (int j = 0; j < rows; ++j)
      png_read_row(png, j < height ? pixels + static_cast<long>(j) * stride : spare, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}

// A row of plain 24-bit pixels (no masks) as RGB triples, straight from its bytes.
bool copyRgb(const Image& im, int j, png_bytep row)
{
  const int order = im.getByteOrder();
  if (im.getBitsPixel() != 24 || im.getRedMask() || im.getGrnMask() || im.getBluMask() ||
      (order != 0 && order != 1))
    return false;
  const uint8_t* src = im.getRow(j);
  const std::size_t n = static_cast<std::size_t>(im.getWidth()) * 3;
  if (order == 1) {
    std::memcpy(row, src, n);
    return true;
  }
  // least significant byte first: blue, green, red
  for (std::size_t k = 0; k < n; k += 3) {
    row[k] = src[k + 2];
    row[k + 1] = src[k + 1];
    row[k + 2] = src[k];
  }
  return true;
}

// Builds the PNG rows of an image: palette bytes, grey bytes or RGB triples.
void fillJob(const Image& im, WriteJob& job, std::vector<png_byte>& bytes)
{
  const int w = im.getWidth(), h = im.getHeight(), bits = im.getBitsPixel();
  job.width = w;
  job.height = h;
  const bool indexed = bits == 8 && im.isColors();
  const bool grey = bits <= 16 && !indexed;
  job.bitDepth = grey && bits == 16 ? 16 : 8;
  job.colorType = indexed ? PNG_COLOR_TYPE_PALETTE
                  : grey  ? PNG_COLOR_TYPE_GRAY
                          : PNG_COLOR_TYPE_RGB;
  const int bpp = indexed || (grey && bits == 8) ? 1 : grey ? 2 : 3;
  if (indexed) {
    const int n = im.getNumColors() > 256 ? 256 : im.getNumColors();
    for (int k = 0; k < n; ++k)
      job.palette.push_back({static_cast<png_byte>(RGB::toByte(im.getRed(k))),
                             static_cast<png_byte>(RGB::toByte(im.getGrn(k))),
                             static_cast<png_byte>(RGB::toByte(im.getBlu(k)))});
    const int t = im.getTransColor();
    if (t >= 0 && t < n) {
      job.alpha.assign(static_cast<std::size_t>(t) + 1, 255);
      job.alpha[t] = 0;
    }
  }
  bytes.resize(static_cast<std::size_t>(w) * h * bpp);
  for (int j = 0; j < h; ++j) {
    png_bytep row = bytes.data() + static_cast<std::size_t>(j) * w * bpp;
    job.rows.push_back(row);
    if (bits == 8) {
      std::memcpy(row, im.getRow(j), static_cast<std::size_t>(w));
      if (indexed)
        for (int i = 0; i < w; ++i)
          if (row[i] >= job.palette.size()) row[i] = static_cast<png_byte>(job.palette.size() - 1);
      continue;
    }
    if (copyRgb(im, j, row)) continue;
    for (int i = 0; i < w; ++i) {
      if (grey) {
        int v = im.getVal(i, j);
        row[2 * i] = static_cast<png_byte>(v >> 8);
        row[2 * i + 1] = static_cast<png_byte>(v);
        continue;
      }
      RGB c;
      im.getRGB(i, j, c);
      row[3 * i] = static_cast<png_byte>(RGB::toByte(c.red));
      row[3 * i + 1] = static_cast<png_byte>(RGB::toByte(c.green));
      row[3 * i + 2] = static_cast<png_byte>(RGB::toByte(c.blue));
    }
  }
}

}  // namespace

bool PngFile::isPng(const uint8_t* bytes, std::size_t n)
{
  return bytes && n >= sizeof(SIGNATURE) && std::memcmp(bytes, SIGNATURE, sizeof(SIGNATURE)) == 0;
}

int PngFile::write(const char* name, const Image& im)
{
  if (!name || !im.validData()) {
    Kol::outWarning("PngFile::write: no image to write\n");
    return 0;
  }
  if (!FileTool::checkLength("PngFile", name)) return 0;
  WriteJob job;
  std::vector<png_byte> bytes;
  fillJob(im, job, bytes);
  FileTool::makeDir(name, 0755);  // as every file the library writes
  FILE* fp = std::fopen(name, "wb");
  if (!fp) {
    Kol::outWarning("PngFile::write: cannot create %s\n", name);
    return 0;
  }
  int failed = encode(fp, &job);
  if (std::fclose(fp) != 0) failed = 1;
  if (failed) Kol::outWarning("PngFile::write: failed writing %s\n", name);
  return failed ? 0 : 1;
}

int PngFile::readGrey8(const uint8_t* bytes, std::size_t n, Image& im)
{
  if (!isPng(bytes, n)) {
    Kol::outWarning("Not a PNG file\n");
    return 0;
  }
  if (im.getBitsPixel() != 8 || !im.validData()) return 0;
  PngSource src{bytes, n, 0};
  std::vector<png_byte> spare(static_cast<std::size_t>(im.getWidth()));
  int r = decodeGrey8(&src, im.getData(), im.getWidth(), im.getHeight(), im.getBytesLine(),
                      spare.data());
  if (r == 1)
    Kol::outWarning("PngFile: only 8-bit grey PNG images of the image's width are read\n");
  if (r == 2) Kol::outWarning("PngFile: damaged PNG stream\n");
  return r == 0 ? 1 : 0;
}

}  // namespace KOL
