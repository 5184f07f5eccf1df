#include "imagery/GifFile.h"

#include <gif_lib.h>

#include <algorithm>
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

GifFileType* create(const char* name)
{
  int err = 0;
  FileTool::makeDir(name, 0755);  // as every file the library writes
  GifFileType* gif = EGifOpenFileName(name, false, &err);
  if (!gif) Kol::outWarning("GifFile: unable to create %s: %s\n", name, GifErrorString(err));
  return gif;
}

bool finish(GifFileType* gif, const char* name, bool ok)
{
  if (!ok) Kol::outWarning("GifFile: write failed for %s: %s\n", name, GifErrorString(gif->Error));
  int err = 0;
  if (EGifCloseFile(gif, &err) != GIF_OK && ok) {
    Kol::outWarning("GifFile: close failed for %s: %s\n", name, GifErrorString(err));
    ok = false;
  }
  return ok;
}

// One picture: its control block (transparency, delay in hundredths of a second) when it needs
// one, its descriptor with the table (local to it when local) and its rows.
bool putFrame(GifFileType* gif, int w, int h, const Indexed& x, int delay, bool local)
{
  bool ok = true;
  if (x.transparent >= 0 || delay > 0) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = delay > 0 ? DISPOSE_BACKGROUND : DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = delay;
    gcb.TransparentColor = x.transparent >= 0 ? x.transparent : NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, w, h, false, local ? x.map.get() : nullptr) == GIF_OK;
  for (int j = 0; ok && j < h; ++j)
    ok = EGifPutLine(gif, const_cast<GifByteType*>(x.pixels.data()) + static_cast<size_t>(j) * w,
                     w) == GIF_OK;
  return ok;
}

bool encode(const char* name, const Image& im, Indexed& x)
{
  GifFileType* gif = create(name);
  if (!gif) return false;
  const int w = im.getWidth(), h = im.getHeight();
  const bool ok =
      EGifPutScreenDesc(gif, w, h, 8, 0, x.map.get()) == GIF_OK && putFrame(gif, w, h, x, 0, false);
  return finish(gif, name, ok);
}

// The "NETSCAPE2.0" application block browsers read as "loop for ever".
bool putLooping(GifFileType* gif)
{
  static const GifByteType LOOP[3] = {1, 0, 0};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, LOOP) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

// 8-bit images as they are, deeper ones through a reduced table.
bool toIndexed(const Image& im, Indexed& x)
{
  if (im.getDepth() == 8) return fromPalette(im, x);
  if (im.getDepth() == 24 || im.getDepth() == 32) {
    Image reduced;
    return (ReducePalette::reduce(im, reduced) || ReducePalette::quantize(im, reduced)) &&
           fromPalette(reduced, x);
  }
  Kol::outWarning("GifFile: %d-bit images are not written as GIF\n", im.getDepth());
  return false;
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
  return toIndexed(im, x) && encode(name, im, x) ? 1 : 0;
}

int GifFile::writeLoop(const char* name, const std::vector<Image>& frames, int delay)
{
  if (!name || !*name || frames.empty() || !FileTool::checkLength("GifFile", name)) {
    Kol::outWarning("GifFile: nothing to write to %s\n", name ? name : "");
    return 0;
  }
  const int w = frames.front().getWidth(), h = frames.front().getHeight();
  for (const Image& f : frames)
    if (!f.validData() || f.getWidth() != w || f.getHeight() != h || w > 65535 || h > 65535) {
      Kol::outWarning("GifFile: frames of %s differ in size or are empty\n", name);
      return 0;
    }
  GifFileType* gif = create(name);
  if (!gif) return 0;
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, w, h, 8, 0, nullptr) == GIF_OK && putLooping(gif);
  for (size_t k = 0; ok && k < frames.size(); ++k) {
    Indexed x;
    // the last picture stays a while before the loop starts again
    const int wait = k + 1 == frames.size() ? 3 * delay : delay;
    ok = toIndexed(frames[k], x) && putFrame(gif, w, h, x, std::max(wait, 1), true);
  }
  return finish(gif, name, ok) ? static_cast<int>(frames.size()) : 0;
}

bool GifFile::isGif(const uint8_t* bytes, std::size_t n)
{
  return bytes && n >= 6 &&
         (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0);
}

}  // namespace KOL
