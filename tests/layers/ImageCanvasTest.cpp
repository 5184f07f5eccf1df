// Images taken onto smaller panels (means, nearest pixels, burned-in codes, shifts), and the
// longitude bands the image layers keep, across the date line too.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "common/Domains.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/image/ImageCanvas.h"
#include "layers/image/LonRange.h"

namespace {

using KOL::imageplot::Canvas;

// A 400 x 300 image on a Lambert cone, its pixels by column and row.
KOL::Image source(const std::function<int(int, int)>& pixel)
{
  KOL::Image im;
  EXPECT_TRUE(im.set(KOLTest::lambert(400, 300, 0.05f), 8));
  EXPECT_TRUE(im.allocData());
  for (int j = 0; j < 300; ++j)
    for (int i = 0; i < 400; ++i) im.setPixel(i, j, pixel(i, j));
  return im;
}

// The image sampled onto a panel of the given device size on the image's own map.
Canvas sampled(const KOL::Image& im, const char* size, const KOL::imageplot::Sampling& how)
{
  KOL::Plot plot;
  EXPECT_TRUE(plot.open((std::string("bg=white,de=i,,sz=") + size).c_str()));
  plot.setDomain(im.getDomain());
  Canvas c;
  EXPECT_TRUE(c.set(plot));
  EXPECT_TRUE(c.sample(im, how));
  return c;
}

// The codes of the covered points away from the panel's edge.
template <typename F>
int eachInner(const Canvas& c, F f)
{
  int n = 0;
  for (int j = 4; j < c.height() - 4; ++j)
    for (int i = 4; i < c.width() - 4; ++i)
      if (c.covered(i, j)) f(i, j, c.image().getVal(i, j)), ++n;
  return n;
}

TEST(ImageCanvas, ShrunkImagesAveragedUnlessAskedNotWithoutABurnedInCode)
{
  const KOL::Image board = source([](int i, int j) { return (i + j) % 2 ? 200 : 0; });
  KOL::imageplot::Sampling how, nearest;
  how.average = true;
  const Canvas a = sampled(board, "120x100", how), b = sampled(board, "120x100", nearest);
  EXPECT_GT(eachInner(a, [](int, int, int v) { EXPECT_NEAR(v, 100, 20); }), 1000);
  EXPECT_GT(eachInner(b, [](int, int, int v) { EXPECT_TRUE(v == 0 || v == 200) << v; }), 1000);
  const KOL::Image lines = source([](int i, int) { return i % 5 ? 100 : 255; });
  how.skip = 255;
  EXPECT_GT(eachInner(sampled(lines, "120x100", how), [](int, int, int v) { EXPECT_EQ(v, 100); }),
            1000);
  how.skip = -1;
  int above = 0;
  eachInner(sampled(lines, "120x100", how), [&](int, int, int v) { above += v > 100; });
  EXPECT_GT(above, 1000) << "the lines raise the plain mean";
}

TEST(ImageCanvas, ShiftMovesTheImageEastAndSouth)
{
  // a pixel tells its column and row, each modulo 16
  const KOL::Image cells = source([](int i, int j) { return (i % 16) * 16 + j % 16; });
  KOL::imageplot::Sampling plain, moved;
  moved.shiftX = 2, moved.shiftY = 1;
  const Canvas a = sampled(cells, "500x400", plain), b = sampled(cells, "500x400", moved);
  int checked = 0;
  eachInner(b, [&](int i, int j, int v) {
    const int col = a.image().getVal(i, j) / 16, row = a.image().getVal(i, j) % 16;
    if (!a.covered(i, j) || col < 2 || row < 1) return;
    // the pixel 2 columns west and 1 row north of what was there
    EXPECT_EQ(v, (col - 2) * 16 + row - 1) << i << " " << j;
    ++checked;
  });
  EXPECT_GT(checked, 1000);
}

TEST(LonRange, BandsKeptOnEitherSideAndAcrossTheDateLine)
{
  using KOL::imageplot::LonRange;
  const float M = KOL::Const::FMISS;
  for (const auto& [west, east, lon, kept] : {
           std::tuple{-150.0f, M, -149.0f, true},
           {-150.0f, M, -151.0f, false},
           {M, -95.0f, -96.0f, true},
           {M, -95.0f, -94.0f, false},
           {-100.0f, -90.0f, -95.0f, true},
           {-100.0f, -90.0f, 80.0f, false},
           {170.0f, -170.0f, 179.0f, true},  // across the date line
           {170.0f, -170.0f, -175.0f, true},
           {170.0f, -170.0f, 0.0f, false},
           {170.0f, 190.0f, -175.0f, true},  // east given past 180
           {170.0f, 190.0f, 160.0f, false},
           {-180.0f, 180.0f, 180.0f, true},
           {M, M, 12.0f, true},
       }) {
    LonRange r{west, east};
    EXPECT_EQ(r.keeps(lon), kept) << west << " " << east << " " << lon;
  }
  EXPECT_FALSE(LonRange{}.limited());
  EXPECT_FALSE(LonRange{}.keeps(M)) << "a point off the earth";
}

}  // namespace
