#include "imagery/palette/ReducePalette.h"

#include <cmath>
#include <unordered_map>

#include "imagery/Image.h"

namespace KOL::ReducePalette {

int reduce(const Image& in, Image& out)
{
  if ((in.getDepth() != 24 && in.getDepth() != 32) || !in.validData()) return 0;
  const int w = in.getWidth(), h = in.getHeight();
  std::unordered_map<int, int> index;
  std::vector<int> order;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int p = in.getPixel(i, j) & 0xFFFFFF;
      if (index.emplace(p, static_cast<int>(order.size())).second) {
        if (order.size() == 256) return 0;
        order.push_back(p);
      }
    }
  Image im;
  im.copyInfo(in);
  im.set(w, h, 8);
  if (!im.allocData() || !im.allocColors(static_cast<int>(order.size()))) return 0;
  for (size_t k = 0; k < order.size(); ++k) {
    const int p = order[k];
    im.setColor(static_cast<int>(k), ((p >> 16) & 0xFF) / 255.0f, ((p >> 8) & 0xFF) / 255.0f,
                (p & 0xFF) / 255.0f);
  }
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) im.setPixel(i, j, index[in.getPixel(i, j) & 0xFFFFFF]);
  im.setTransColor(-1);
  out.copy(im);
  return 1;
}

int findColor(const Image& im, const RGB& c)
{
  const float tol = 1.0f / 255.0f;
  for (int k = 0; k < im.getNumColors(); ++k)
    if (std::fabs(im.getRed(k) - c.red) <= tol && std::fabs(im.getGrn(k) - c.green) <= tol &&
        std::fabs(im.getBlu(k) - c.blue) <= tol)
      return k;
  return -1;
}

}  // namespace KOL::ReducePalette
