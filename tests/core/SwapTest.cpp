#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "common/TestData.h"
#include "core/File.h"
#include "core/Swap.h"

using KOL::File;
using KOL::Swap;

namespace {

bool littleEndian()
{
  const uint16_t one = 1;
  return *reinterpret_cast<const unsigned char*>(&one) == 1;
}

TEST(Swap, BigEndianOrdersReverseGroupsOfBytes)
{
  if (!littleEndian()) GTEST_SKIP() << "big-endian machine";
  const std::pair<int, int> orders[] = {
      {Swap::DEFAULT, 1}, {Swap::BIG, 1}, {Swap::LITTLE, 0}, {Swap::NONE, 0}};
  for (auto [order, swaps] : orders) {
    unsigned char bytes[] = {1, 2, 3, 4};
    EXPECT_EQ(Swap(order).swap4(bytes), swaps) << order;
    EXPECT_EQ(bytes[0], swaps ? 4 : 1) << order;
  }
  Swap s(Swap::BIG);
  unsigned char two[] = {1, 2, 3, 4, 5, 6};
  s.swap2(two, 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(two), 6), std::string("\2\1\4\3\6\5", 6));
  unsigned char four[] = {1, 2, 3, 4, 5, 6, 7, 8};
  s.swap4(four, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(four), 8), std::string("\4\3\2\1\10\7\6\5", 8));
  unsigned char eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
  s.swap8(eight);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(eight), 8), std::string("\10\7\6\5\4\3\2\1", 8));
}

TEST(Swap, WritesAndReadsBigEndianFiles)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("be.dat");
  Swap s;
  {
    File f(path.c_str(), "w");
    ASSERT_TRUE(f.isOpen());
    const float grid[] = {1.5f, -273.15f};
    EXPECT_EQ(s.writeFloat(f, grid, 2), 2);
    EXPECT_EQ(s.writeInt4(f, -123456), 1);
    EXPECT_EQ(s.writeInt2(f, int16_t{-2}), 1);
    EXPECT_FLOAT_EQ(grid[0], 1.5f);  // the caller's values are left alone
  }
  // The bytes Python's struct.pack(">ffih", ...) gives for the same values.
  const std::string expected = "3fc00000c3889333fffe1dc0fffe";
  std::string bytes = KOLTest::readFile(path);
  std::string hex;
  for (unsigned char c : bytes)
    hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
  EXPECT_EQ(hex, expected);

  File f(path.c_str(), "r");
  float v[2];
  int32_t i4;
  int16_t i2;
  EXPECT_EQ(s.readFloat(f, v, 2), 2);
  EXPECT_EQ(s.readInt4(f, &i4), 1);
  EXPECT_EQ(s.readInt2(f, &i2), 1);
  EXPECT_FLOAT_EQ(v[0], 1.5f);
  EXPECT_FLOAT_EQ(v[1], -273.15f);
  EXPECT_EQ(i4, -123456);
  EXPECT_EQ(i2, -2);
  EXPECT_EQ(s.readInt2(f, &i2), 0);  // end of file

  KOLTest::writeFile(path, std::string("\xff\xfe\x80\x00\x00\x01\x3f\xf8\0\0\0\0\0\0", 14));
  File u(path.c_str(), "r");
  uint16_t u2;
  uint32_t u4;
  double d;
  ASSERT_EQ(s.readUInt2(u, &u2) + s.readUInt4(u, &u4) + s.readDouble(u, &d), 3);
  EXPECT_EQ(u2, 0xfffe);
  EXPECT_EQ(u4, 0x80000001u);
  EXPECT_DOUBLE_EQ(d, 1.5);
}

}  // namespace
