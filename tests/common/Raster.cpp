#include "common/Raster.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "common/TestData.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOLTest {

namespace {

Raster readPpm(const std::string& path)
{
  Raster r;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic;
  while (f >> std::ws && f.peek() == '#') f.ignore(1 << 20, '\n');  // comment lines
  if (!(f >> r.width >> r.height >> maxval) || magic != "P6" || maxval != 255) return Raster{};
  f.get();
  r.rgb.resize(static_cast<size_t>(r.width) * r.height * 3);
  if (!f.read(reinterpret_cast<char*>(r.rgb.data()), r.rgb.size())) return Raster{};
  return r;
}

}  // namespace

Raster toRaster(const KOL::Image& img)
{
  Raster r;
  r.width = img.getWidth(), r.height = img.getHeight();
  KOL::RGB c;
  for (int j = 0; j < r.height; ++j)
    for (int i = 0; i < r.width; ++i) {
      img.getRGB(i, j, c);
      for (float v : {c.red, c.green, c.blue})
        r.rgb.push_back(static_cast<uint8_t>(KOL::RGB::toByte(v)));
    }
  return r;
}

uint32_t Raster::at(int x, int y) const
{
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return (rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
}

float Raster::ink(int x, int y) const
{
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const uint32_t c = at(x, y);
  const uint32_t low = std::min({(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF});
  return (255 - static_cast<int>(low)) / 255.0f;
}

int Raster::inked(int x1, int y1, int x2, int y2) const
{
  int n = 0;
  for (int y = std::max(0, y1); y <= std::min(height - 1, y2); ++y)
    for (int x = std::max(0, x1); x <= std::min(width - 1, x2); ++x) n += !isWhite(x, y);
  return n;
}

double Raster::differ(const Raster& o, int tol) const
{
  if (o.width != width || o.height != height) return 1.0;
  size_t bad = 0;
  for (size_t i = 0; i < rgb.size(); i += 3)
    for (int k = 0; k < 3; ++k)
      if (std::abs(rgb[i + k] - o.rgb[i + k]) > tol) {
        ++bad;
        break;
      }
  return static_cast<double>(bad) / (rgb.size() / 3);
}

bool Raster::writePpm(const std::string& path) const
{
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << width << " " << height << "\n255\n";
  f.write(reinterpret_cast<const char*>(rgb.data()), rgb.size());
  return static_cast<bool>(f);
}

Raster readPng(const std::string& path)
{
  png_image pi{};
  pi.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&pi, path.c_str())) return Raster{};
  pi.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> px(PNG_IMAGE_SIZE(pi));
  if (!png_image_finish_read(&pi, nullptr, px.data(), 0, nullptr)) return Raster{};
  Raster r;
  r.width = static_cast<int>(pi.width), r.height = static_cast<int>(pi.height);
  for (size_t i = 0; i + 3 < px.size(); i += 4) {
    r.rgb.insert(r.rgb.end(), {px[i], px[i + 1], px[i + 2]});
    r.alpha.push_back(px[i + 3]);
  }
  return r;
}

Raster readGif(const std::string& path, int frame, int* frames)
{
  Raster r;
  int err = 0;
  if (frames) *frames = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
  if (!gif) return r;
  if (DGifSlurp(gif) == GIF_OK && frame >= 0 && frame < gif->ImageCount) {
    if (frames) *frames = gif->ImageCount;
    const SavedImage& im = gif->SavedImages[frame];
    const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap;
    GraphicsControlBlock gcb;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, frame, &gcb);
    r.width = im.ImageDesc.Width, r.height = im.ImageDesc.Height;
    for (int k = 0; k < r.width * r.height; ++k) {
      const int i = im.RasterBits[k];
      const GifColorType& c = map->Colors[i];
      r.rgb.insert(r.rgb.end(), {c.Red, c.Green, c.Blue});
      r.alpha.push_back(i == gcb.TransparentColor ? 0 : 255);
    }
  }
  DGifCloseFile(gif, &err);
  return r;
}

bool haveGhostscript()
{
  int status = 0;
  run("gs --version", &status);
  return status == 0;
}

Raster renderPs(const std::string& ps, bool eps, std::string* errors)
{
  const std::string ppm = ps + ".ppm", err = ps + ".err";
  const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 " +
                          std::string(eps ? "-dEPSCrop " : "") + "-sOutputFile=" + ppm + " " + ps +
                          " >" + err + " 2>&1 </dev/null";
  int status = 0;
  run(cmd, &status);
  if (errors) *errors = readFile(err) + (status ? "exit status " + std::to_string(status) : "");
  return readPpm(ppm);
}

void keepPicture(const std::string& ps, bool eps, const std::string& png)
{
  const char* dir = std::getenv("KOL_KEEP_PICTURES");
  if (!dir) return;
  run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r144 " +
      std::string(eps ? "-dEPSCrop " : "") + "-sOutputFile=" + dir + "/" + png + " " + ps +
      " </dev/null");
}

bool isInkOf(uint32_t px, uint32_t c, int tolerance)
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

Ink inkOf(const Raster& r, uint32_t color, int tolerance, int bx1, int by1, int bx2, int by2)
{
  Ink k;
  for (int y = std::max(0, by1); y <= std::min(r.height - 1, by2); ++y)
    for (int x = std::max(0, bx1); x <= std::min(r.width - 1, bx2); ++x)
      if (isInkOf(r.at(x, y), color, tolerance)) {
        k.count++;
        k.x1 = std::min(k.x1, x), k.y1 = std::min(k.y1, y);
        k.x2 = std::max(k.x2, x), k.y2 = std::max(k.y2, y);
      }
  return k;
}

Runs runsAlong(const Raster& r, KOL::Point a, KOL::Point b)
{
  Runs out;
  const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y)));
  int run = 0;
  for (int i = 0; i <= n + 1; i++) {
    const float t = static_cast<float>(i) / n;
    const bool d = i <= n && r.dark(static_cast<int>(std::lround(a.x + (b.x - a.x) * t)),
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
