// The block store of contour segments: items keep their place as it grows past many blocks.
#include <gtest/gtest.h>

#include "graphics/contour/BlockArray.h"

TEST(BlockArray, ItemsStayInPlaceAcrossBlocks)
{
  KOL::contour::BlockArray<int> a;
  a.push_back(7);
  const int* first = &a[0];
  for (int i = 1; i < 100000; i++) a.push_back(3 * i);
  ASSERT_EQ(a.size(), 100000u);
  EXPECT_EQ(first, &a[0]) << "growing moved the first item";
  EXPECT_EQ(*first, 7);
  int wrong = 0;
  for (int i = 1; i < 100000; i++) wrong += a[i] != 3 * i;
  EXPECT_EQ(wrong, 0);
  a[16384] = -1;
  EXPECT_EQ(a[16383], 3 * 16383);
  EXPECT_EQ(a[16385], 3 * 16385);
}
