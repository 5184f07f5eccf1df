#include "Raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/TestData.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOLTest {

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

}  // namespace KOLTest
