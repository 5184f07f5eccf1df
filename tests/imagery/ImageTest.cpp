// Image on small images where every expected pixel can be written down.
#include <gtest/gtest.h>

#include <vector>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"

using KOL::Const;
using KOL::Image;

namespace {

Image grey(int w, int h, std::initializer_list<int> px)
{
  Image im(w, h, 8);
  im.allocData();
  int k = 0;
  for (int v : px) {
    im.setPixel(k % w, k / w, v);
    ++k;
  }
  return im;
}

TEST(ImageLayout, StrideAndZeroFill)
{
  Image im;
  EXPECT_EQ(im.set(0, 3, 8), 0);
  EXPECT_EQ(im.set(3, 3, 12), 0);
  ASSERT_EQ(im.set(5, 3, 24), 1);
  EXPECT_EQ(im.getBytesLine(), 15);
  ASSERT_EQ(im.set(3, 2, 8), 1);
  im.setBytesLine(4);
  ASSERT_EQ(im.allocData(), 1);
  im.setPixel(2, 0, 7);
  im.setPixel(0, 1, 9);
  uint8_t row[4] = {1, 1, 1, 1};
  ASSERT_EQ(im.getRow(0, row), 4);
  EXPECT_EQ(row[2], 7);
  EXPECT_EQ(row[3], 0);
  EXPECT_EQ(im.getRow(1)[0], 9);
  EXPECT_EQ(im.getVal(1, 1), 0);
  EXPECT_EQ(im.getRow(2), nullptr);
}

TEST(ImagePixels, DepthsAndByteOrders)
{
  struct Case {
    int bits, order, value;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {8, 0, 0xAB, {0xAB}},
      {16, 0, 0x1234, {0x12, 0x34}},
      {16, 1, 0x1234, {0x12, 0x34}},
      {24, 0, 0x123456, {0x56, 0x34, 0x12}},
      {24, 1, 0x123456, {0x12, 0x34, 0x56}},
      {32, 0, 0x12345678, {0x78, 0x56, 0x34, 0x12}},
      {32, 1, 0x12345678, {0x12, 0x34, 0x56, 0x78}},
  };
  for (const Case& c : cases) {
    Image im(2, 2, c.bits);
    im.setByteOrder(c.order);
    ASSERT_EQ(im.allocData(), 1);
    ASSERT_EQ(im.setPixel(1, 1, c.value), 1);
    EXPECT_EQ(im.getPixel(1, 1), c.value) << c.bits << "/" << c.order;
    const uint8_t* row = im.getRow(1) + c.bytes.size();
    EXPECT_EQ(std::vector<uint8_t>(row, row + c.bytes.size()), c.bytes) << c.bits << "/" << c.order;
    EXPECT_EQ(im.getPixel(0, 1), 0);
  }
  Image unknown(1, 1, 32);
  unknown.allocData();
  unknown.setPixel(0, 0, 5);
  unknown.setByteOrder(7);
  EXPECT_EQ(unknown.getPixel(0, 0), 0) << "an unknown byte order reads zero";
}

TEST(ImagePixels, OutsideReadsZeroAndWritesAreRefused)
{
  Image im = grey(2, 2, {1, 2, 3, 4});
  EXPECT_EQ(im.getPixel(-1, 0), 0);
  EXPECT_EQ(im.getPixel(2, 0), 0);
  EXPECT_EQ(im.getPixel(0, 2), 0);
  EXPECT_EQ(im.setPixel(2, 0, 9), 0);
  EXPECT_EQ(im.setPixel(0, -1, 9), 0);
  Image empty(2, 2, 8);
  EXPECT_EQ(empty.setPixel(0, 0, 1), 0);
  EXPECT_EQ(empty.getPixel(0, 0), 0);
}

TEST(ImageColors, PixelsBeyondTheTableTakeTheLastEntry)
{
  Image im = grey(2, 1, {3, 200});
  ASSERT_EQ(im.allocColors(16), 1);
  for (int k = 0; k < 16; ++k) im.setColorVal(k, 100 + k);
  EXPECT_EQ(im.getPixel(0, 0), 103);
  EXPECT_EQ(im.getPixel(1, 0), 115);
  EXPECT_EQ(im.getVal(1, 0), 200);
  EXPECT_EQ(im.setColor(16, 1, 1, 1), 0);
  im.setColor(15, 0.5f, 0.25f, 1.0f);
  KOL::RGB c;
  ASSERT_EQ(im.getRGB(1, 0, c), 1);
  EXPECT_EQ(c, KOL::RGB(0.5f, 0.25f, 1.0f));
}

TEST(ImageColors, TrueColourChannelsFollowTheMasks)
{
  Image im(1, 1, 32);
  im.setByteOrder(1);
  im.allocData();
  im.setPixel(0, 0, 0x00FF8000);
  KOL::RGB c;
  im.getRGB(0, 0, c);
  EXPECT_FLOAT_EQ(c.red, 1.0f);
  EXPECT_NEAR(c.green, 128.0 / 255, 1e-6);
  EXPECT_FLOAT_EQ(c.blue, 0.0f);
  im.setRedMask(0xFF);  // swapped masks: blue-green-red
  im.setBluMask(0xFF0000);
  im.getRGB(0, 0, c);
  EXPECT_FLOAT_EQ(c.blue, 1.0f);
}

// A palette image with a transparent index written as PNG: that index alone reads transparent.
TEST(ImageColors, TransparentIndexSurvivesPng)
{
  Image im = grey(3, 1, {0, 1, 2});
  ASSERT_EQ(im.allocColors(3), 1);
  for (int k = 0; k < 3; ++k) im.setColor(k, 0.5f * k, 0.0f, 0.0f);
  EXPECT_FALSE(im.isPixelTrans(1, 0));
  im.setTransColor(2);
  EXPECT_TRUE(im.isPixelTrans(2, 0));
  EXPECT_FALSE(im.isPixelTrans(5, 0));
  KOLTest::TempDir tmp;
  ASSERT_EQ(KOL::PngFile::write(tmp.file("t.png").c_str(), im), 1);
  const KOLTest::Raster r = KOLTest::readPng(tmp.file("t.png"));
  ASSERT_EQ(r.width, 3);
  EXPECT_EQ(r.opacity(0, 0), 255);
  EXPECT_EQ(r.opacity(1, 0), 255);
  EXPECT_EQ(r.opacity(2, 0), 0);
}

TEST(ImageSampling, BilinearBlendRoundsAndEdgesAreOutside)
{
  Image im = grey(3, 2, {0, 100, 200, 50, 150, 250});
  EXPECT_EQ(im.getPixel(0.5f, 0.0f), 50);
  EXPECT_EQ(im.getPixel(0.5f, 0.5f), 75);
  EXPECT_EQ(im.getPixel(1.25f, 0.25f), 138);  // 137.5 rounded
  EXPECT_EQ(im.getPixel(2.0f, 0.0f), 0);      // last column is outside the half-open range
  EXPECT_EQ(im.getPixel(0.0f, 1.0f), 0);
  EXPECT_EQ(im.getPixel(-0.1f, 0.0f), 0);
}

TEST(ImageSampling, AveragingOffOrMixedClassesTakeTheNearestPixel)
{
  Image im = grey(2, 2, {10, 30, 10, 30});
  EXPECT_EQ(im.getPixel(0.4f, 0.2f), 18);
  im.setPixAve(false);
  EXPECT_EQ(im.getPixel(0.4f, 0.2f), 10);
  EXPECT_EQ(im.getPixel(0.6f, 0.2f), 30);
  im.setPixAve(true);
  ASSERT_EQ(im.setCutoff("0:20"), 1);
  EXPECT_EQ(im.getNoData(), 0);
  EXPECT_EQ(im.getPixel(0.4f, 0.2f), 10);  // 10 and 30 lie on both sides of 20
  ASSERT_EQ(im.setCutoff(0, 40), 1);
  EXPECT_EQ(im.getPixel(0.4f, 0.2f), 18);
  EXPECT_EQ(im.setCutoff(5, 1), 0);
  Image gap = grey(2, 2, {0, 100, 100, 100});  // no-data pixels are never blended
  gap.setCutoff("0");
  EXPECT_EQ(gap.getPixel(0.4f, 0.4f), 0);
  EXPECT_EQ(gap.getPixel(0.6f, 0.4f), 100);
  im.allocColors(31);  // indexed: the nearest
  for (int k = 0; k < 31; ++k) im.setColorVal(k, k);
  EXPECT_EQ(im.getPixel(0.4f, 0.2f), 10);
}

TEST(ImageValues, TableLookupBothWaysAndGaps)
{
  Image im = grey(2, 1, {0, 255});
  EXPECT_EQ(im.getIndex(-5.0f), 0);
  EXPECT_EQ(im.getIndex(17.9f), 17);
  EXPECT_EQ(im.getIndex(999.0f), 255);
  EXPECT_FLOAT_EQ(im.getValue(1, 0), 255.0f);
  std::vector<float> t(256);
  for (int k = 0; k < 256; ++k) t[k] = k - 30.0f;
  im.setValues(t);
  EXPECT_FLOAT_EQ(im.getValue(0, 0), -30.0f);
  EXPECT_FLOAT_EQ(im.getValue(1, 0), 225.0f);
  EXPECT_EQ(im.getIndex(-29.5f), 0);
  EXPECT_EQ(im.getIndex(0.0f), 30);
  EXPECT_EQ(im.getIndex(1000.0f), 255);
  float mn, mx;
  ASSERT_EQ(im.getLimits(mn, mx), 1);
  EXPECT_FLOAT_EQ(mn, -30.0f);
  EXPECT_FLOAT_EQ(mx, 225.0f);
  EXPECT_FLOAT_EQ(im.getValue(5, 0), Const::FMISS);
  Image gaps;  // missing entries are skipped
  gaps.setValue(2, 10.0f);
  gaps.setValue(5, 20.0f);
  EXPECT_EQ(gaps.getIndex(5.0f), 0);
  EXPECT_EQ(gaps.getIndex(19.0f), 2);
  EXPECT_EQ(gaps.getIndex(25.0f), 5);
  EXPECT_FLOAT_EQ(gaps.getValue(3), Const::FMISS);
  EXPECT_EQ(gaps.setValue(256, 1.0f), 0);
}

TEST(ImageCopy, CopyInfoLeavesPixelsAndCopyDataTheTables)
{
  Image a = grey(2, 1, {5, 6});
  a.allocColors(2);
  a.setValue(5, 1.5f);
  Image c = grey(1, 1, {42});
  c.copyInfo(a);
  EXPECT_FLOAT_EQ(c.getValue(5), 1.5f);
  EXPECT_EQ(c.getWidth(), 2);
  Image d;
  d.copyData(a);
  EXPECT_EQ(d.getVal(1, 0), 6);
  EXPECT_FALSE(d.isColors());
}

// A pixel is found on the earth through the domain, with row 0 at the north edge.
TEST(ImageDomain, EarthPositionsReachTheRightPixel)
{
  KOL::Domain d("latlon:::::,40,-100,11,5,1,1");
  Image im;
  ASSERT_EQ(im.set(d, 8), 1);
  EXPECT_EQ(im.getWidth(), 11);
  EXPECT_EQ(im.getHeight(), 5);
  im.allocData();
  im.setPixel(0, 0, 77);   // 42N 105W
  im.setPixel(10, 4, 88);  // 38N 95W
  EXPECT_EQ(im.getVal(KOL::EarthPoint(42.0f, -105.0f)), 77);
  EXPECT_EQ(im.getVal(KOL::EarthPoint(38.0f, -95.0f)), 88);
  EXPECT_EQ(im.getVal(KOL::EarthPoint(30.0f, -95.0f)), -1);
  KOL::GridPoint g;
  KOL::EarthPoint e(41.0f, -101.0f);
  ASSERT_EQ(im.tran(e, g), 1);
  EXPECT_NEAR(g.x, 4.0f, 1e-4);
  EXPECT_NEAR(g.y, 1.0f, 1e-4);
}

}  // namespace
