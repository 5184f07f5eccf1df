#include "imagery/palette/ReducePalette.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "imagery/Image.h"

namespace KOL::ReducePalette {

namespace {

int rgbOf(const Image& im, int i, int j) { return im.getVal(i, j) & 0xFFFFFF; }

// An 8-bit image of in's size and info with the given table; pixels from index(colour).
template <class Index>
int build(const Image& in, const std::vector<int>& table, Index index, Image& out)
{
  Image im;
  im.copyInfo(in);
  im.set(in.getWidth(), in.getHeight(), 8);
  if (!im.allocData() || !im.allocColors(static_cast<int>(table.size()))) return 0;
  for (size_t k = 0; k < table.size(); ++k) {
    const int p = table[k];
    im.setColor(static_cast<int>(k), ((p >> 16) & 0xFF) / 255.0f, ((p >> 8) & 0xFF) / 255.0f,
                (p & 0xFF) / 255.0f);
  }
  for (int j = 0; j < in.getHeight(); ++j)
    for (int i = 0; i < in.getWidth(); ++i) im.setPixel(i, j, index(rgbOf(in, i, j)));
  im.setTransColor(-1);
  out.copy(im);
  return 1;
}

bool trueColour(const Image& in)
{
  return (in.getDepth() == 24 || in.getDepth() == 32) && in.validData();
}

int distance(int a, int b)
{
  int d = 0;
  for (int shift : {16, 8, 0}) {
    const int x = ((a >> shift) & 0xFF) - ((b >> shift) & 0xFF);
    d += x * x;
  }
  return d;
}

}  // namespace

int reduce(const Image& in, Image& out)
{
  if (!trueColour(in)) return 0;
  std::unordered_map<int, int> index;
  std::vector<int> order;
  for (int j = 0; j < in.getHeight(); ++j)
    for (int i = 0; i < in.getWidth(); ++i) {
      const int p = rgbOf(in, i, j);
      if (index.emplace(p, static_cast<int>(order.size())).second) {
        if (order.size() == 256) return 0;
        order.push_back(p);
      }
    }
  return build(
      in, order, [&](int p) { return index[p]; }, out);
}

int quantize(const Image& in, Image& out)
{
  if (!trueColour(in)) return 0;
  std::unordered_map<int, long> count;
  for (int j = 0; j < in.getHeight(); ++j)
    for (int i = 0; i < in.getWidth(); ++i) ++count[rgbOf(in, i, j)];
  std::vector<std::pair<long, int>> byCount;
  for (const auto& [colour, n] : count) byCount.emplace_back(-n, colour);
  std::sort(byCount.begin(), byCount.end());
  std::vector<int> table;
  for (size_t k = 0; k < byCount.size() && k < 256; ++k) table.push_back(byCount[k].second);
  std::unordered_map<int, int> nearest;
  auto index = [&](int p) {
    const auto found = nearest.find(p);
    if (found != nearest.end()) return found->second;
    int best = 0;
    for (size_t k = 1; k < table.size(); ++k)
      if (distance(p, table[k]) < distance(p, table[best])) best = static_cast<int>(k);
    nearest.emplace(p, best);
    return best;
  };
  return build(in, table, index, out);
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
