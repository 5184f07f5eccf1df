#include "graphics/meta/MetaImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/Graph.h"
#include "imagery/Image.h"

namespace KOL {

LineReader::~LineReader() { std::free(buf); }

bool LineReader::next()
{
  if (!fp) return false;
  return ::getline(&buf, &cap, fp) > 0;
}

namespace MetaImage {

namespace {

int hexDigit(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Appends the six-digit samples of one text line to img, from sample n on; false for bad text.
bool samples(const char* s, Image& img, long& n)
{
  const long total = static_cast<long>(img.getWidth()) * img.getHeight();
  for (; *s && *s != '\n'; s += 6) {
    int v = 0;
    for (int k = 0; k < 6; ++k) {
      const int d = hexDigit(s[k]);
      if (d < 0) return false;
      v = v * 16 + d;
    }
    if (n >= total) return false;
    img.setPixel(static_cast<int>(n % img.getWidth()), static_cast<int>(n / img.getWidth()), v);
    ++n;
  }
  return true;
}

}  // namespace

bool replay(LineReader& in, Graph& g)
{
  int x, y, w, h;
  if (!in.next() || std::sscanf(in.get(), "%d %d translate", &x, &y) != 2) return false;
  if (!in.next() || std::sscanf(in.get(), "%d %d scale", &w, &h) != 2) return false;
  if (w <= 0 || h <= 0 || w > Image::MAX_SIZE || h > Image::MAX_SIZE ||
      static_cast<long>(w) * h > 64L * 1024 * 1024)
    return false;
  Image img(w, h, 24);
  if (!img.allocData() || !img.validData()) return false;
  long n = 0;
  while (in.next()) {
    if (std::strncmp(in.get(), "grestore", 8) == 0) {
      if (n != static_cast<long>(w) * h) return false;
      g.drawImageAt(img, static_cast<float>(x), static_cast<float>(y));
      return true;
    }
    if (!samples(in.get(), img, n)) return false;
  }
  return false;
}

}  // namespace MetaImage
}  // namespace KOL
