#include "graphics/plot/PlotImage.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "core/StrLib.h"
#include "imagery/GifFile.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"
#include "imagery/palette/ReducePalette.h"

namespace KOL::PlotImage {

namespace {

const char* typeOf(const char* three)
{
  if (StrLib::iequal(three, "gif", 3)) return "GIF";
  if (StrLib::iequal(three, "png", 3)) return "PNG";
  return nullptr;
}

}  // namespace

const char* outputType(const char* output)
{
  if (!output || std::strlen(output) < 3) return nullptr;
  if (const char* t = typeOf(output)) return t;
  return typeOf(output + std::strlen(output) - 3);
}

std::string outputName(const char* output)
{
  if (!output) return "";
  if (typeOf(output) && std::strlen(output) > 4) return output + 4;
  return output;
}

const char* typeOfName(const char* file)
{
  if (!file || std::strlen(file) < 3) return nullptr;
  return typeOf(file + std::strlen(file) - 3);
}

std::vector<std::string> frameNames(const char* title, int n, bool gif)
{
  const bool named = title && *title;
  const char* ext = gif ? "gif" : "png";
  std::vector<std::string> names;
  char buf[64];
  if (n < 2) {
    if (!named)
      std::snprintf(buf, sizeof buf, "output.%s", ext);
    else if (gif)
      std::snprintf(buf, sizeof buf, "%.40s.gif", title);
    else
      std::snprintf(buf, sizeof buf, "%.5s.png", title);
    names.push_back(buf);
    return names;
  }
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%.40s-%2.2d.%s", named ? title : "output", i, ext);
    names.push_back(buf);
  }
  return names;
}

int write(const char* path, const Image& img, bool gif, const RGB* trans)
{
  Image out;
  const Image* src = &img;
  if (trans && (ReducePalette::reduce(img, out) || (gif && ReducePalette::quantize(img, out)))) {
    out.setTransColor(ReducePalette::findColor(out, *trans));
    src = &out;
  }
  return gif ? GifFile::write(path, *src) : PngFile::write(path, *src);
}

int readPng(const char* path, Image& img)
{
  if (!path || !*path) return 0;
  png_image pi;
  std::memset(&pi, 0, sizeof pi);
  pi.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&pi, path)) return 0;
  pi.format = PNG_FORMAT_RGB;
  if (pi.width < 1 || pi.height < 1 || pi.width > 8192 || pi.height > 8192) {
    png_image_free(&pi);
    return 0;
  }
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(pi));
  if (!png_image_finish_read(&pi, nullptr, rgb.data(), 0, nullptr)) return 0;
  const int w = static_cast<int>(pi.width), h = static_cast<int>(pi.height);
  img.init();
  img.set(w, h, 24);
  if (!img.allocData()) return 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const png_byte* p = rgb.data() + (static_cast<size_t>(j) * w + i) * 3;
      img.setPixel(i, j, (p[0] << 16) | (p[1] << 8) | p[2]);
    }
  return 1;
}

}  // namespace KOL::PlotImage
