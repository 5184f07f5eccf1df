#include "imagery/GifFile.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "imagery/Image.h"
#include "imagery/palette/ReducePalette.h"

namespace KOL {

namespace {

struct MapDeleter {
  void operator()(ColorMapObject* m) const { GifFreeMapObject(m); }
};
using MapPtr = std::unique_ptr<ColorMapObject, MapDeleter>;

// A palette image ready for the encoder: indices row by row and the table.
struct Indexed {
  std::vector<GifByteType> pixels;
  MapPtr map;
  int transparent = -1;
};

int tableSize(int n)
{
  int size = 2;
  while (size < n) size *= 2;
  return size;
}

bool fromPalette(const Image& im, Indexed& out)
{
  const int w = im.getWidth(), h = im.getHeight();
  const int n = im.isColors() ? im.getNumColors() : 256;
  out.map.reset(GifMakeMapObject(tableSize(n), nullptr));
  if (!out.map) return false;
  for (int k = 0; k < n; ++k) {
    GifColorType& c = out.map->Colors[k];
    if (im.isColors()) {
      c.Red = static_cast<GifByteType>(RGB::toByte(im.getRed(k)));
      c.Green = static_cast<GifByteType>(RGB::toByte(im.getGrn(k)));
      c.Blue = static_cast<GifByteType>(RGB::toByte(im.getBlu(k)));
    } else {
      c.Red = c.Green = c.Blue = static_cast<GifByteType>(k);
    }
  }
  out.pixels.resize(static_cast<size_t>(w) * h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int v = im.getVal(i, j);
      out.pixels[static_cast<size_t>(j) * w + i] = static_cast<GifByteType>(v < n ? v : n - 1);
    }
  out.transparent = im.getTransColor() < n ? im.getTransColor() : -1;
  return true;
}

bool encode(const char* name, const Image& im, Indexed& x)
{
  int err = 0;
  FileTool::makeDir(name, 0755);  // as every file the library writes
  GifFileType* gif = EGifOpenFileName(name, false, &err);
  if (!gif) {
    Kol::outWarning("GifFile: unable to create %s: %s\n", name, GifErrorString(err));
    return false;
  }
  const int w = im.getWidth(), h = im.getHeight();
  bool ok = EGifPutScreenDesc(gif, w, h, 8, 0, x.map.get()) == GIF_OK;
  if (ok && x.transparent >= 0) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.TransparentColor = x.transparent;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
  for (int j = 0; ok && j < h; ++j)
    ok = EGifPutLine(gif, x.pixels.data() + static_cast<size_t>(j) * w, w) == GIF_OK;
  if (!ok) Kol::outWarning("GifFile: write failed for %s: %s\n", name, GifErrorString(gif->Error));
  if (EGifCloseFile(gif, &err) != GIF_OK && ok) {
    Kol::outWarning("GifFile: close failed for %s: %s\n", name, GifErrorString(err));
    ok = false;
  }
  return ok;
}

}  // namespace

int GifFile::write(const char* name, const Image& im)
{
  if (!name || !*name || !im.validData() || im.getWidth() > 65535 || im.getHeight() > 65535) {
    Kol::outWarning("GifFile: nothing to write to %s\n", name ? name : "");
    return 0;
  }
  if (!FileTool::checkLength("GifFile", name)) return 0;
  Indexed x;
  bool ok = false;
  if (im.getDepth() == 8) {
    ok = fromPalette(im, x);
  } else if (im.getDepth() == 24 || im.getDepth() == 32) {
    Image reduced;
    ok = (ReducePalette::reduce(im, reduced) || ReducePalette::quantize(im, reduced)) &&
         fromPalette(reduced, x);
  } else {
    Kol::outWarning("GifFile: %d-bit images are not written as GIF\n", im.getDepth());
    return 0;
  }
  return ok && encode(name, im, x) ? 1 : 0;
}

bool GifFile::isGif(const uint8_t* bytes, std::size_t n)
{
  return bytes && n >= 6 &&
         (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0);
}

}  // namespace KOL
