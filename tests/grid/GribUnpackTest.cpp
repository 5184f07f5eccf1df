// Unpackers' deliveries, rows of south-first simple packing north first, every bit width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "GribMessages.h"
#include "grid/grib/FieldValues.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Message.h"
#include "grid/grib/Unpack.h"

using KOL::grib::FieldValues;
using KOL::grib::MISSING;
using KOL::grib::Packing;
using KOL::grib::ValueSink;

namespace {

// Integers of one width packed most significant bit first, in as many octets as they need.
std::vector<uint8_t> packBits(const std::vector<uint32_t>& x, int width)
{
  std::vector<uint8_t> out((x.size() * size_t(width) + 7) / 8, 0);
  size_t bit = 0;
  for (uint32_t v : x)
    for (int b = width - 1; b >= 0; b--, bit++)
      if ((v >> b) & 1) out[bit >> 3] |= uint8_t(0x80 >> (bit & 7));
  return out;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(GribUnpack, SinkRefusesShortDeliveryAndCapsLongOne)
{
  std::vector<float> v(10, 2.0f);
  FieldValues values;
  {
    ValueSink sink(values, 10, nullptr, 10);
    sink.put(v.data(), 9);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(sink.finish());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("9 values unpacked, 10 expected"),
              std::string::npos);
  }
  // A bitmap of 4 points of which 2 are set: extra values are dropped, never written past it.
  const uint8_t map[] = {0x50};
  ValueSink sink(values, 4, map, 2);
  sink.put(v.data(), 10);
  EXPECT_TRUE(sink.finish());
  FieldValues want;
  want.fill() = {MISSING, 2.0f, MISSING, 2.0f};
  EXPECT_EQ(values, want);
}

TEST(GribUnpack, SimplePackingRowsDeliveredNorthFirst)
{
  // Rows longer than the unpacker's chunk; masks over whole end rows and scattered points.
  const int nx = 4500, ny = 4;
  struct Case {
    const char* name;
    int scan;
    bool (*masked)(int i, int j);
    bool flipped;
  };
  const Case cases[] = {
      {"south first", 0x40, [](int, int) { return false; }, true},
      {"south first, bitmap", 0x40,
       [](int i, int j) { return j == 0 || j == 3 || (i * 7 + j) % 5 == 0; }, true},
      {"both reversed, bitmap", 0xC0, [](int i, int j) { return j == 2 && i > 100; }, true},
      {"first row only masked", 0x40, [](int, int j) { return j == 0; }, true},
      {"alternate rows", 0x50, [](int i, int) { return i % 3 == 0; }, false},
      {"north first already", 0x00, [](int i, int) { return i % 3 == 0; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KOLTest::Ed2Spec spec;
    spec.nx = nx, spec.ny = ny, spec.scan = c.scan, spec.bitmap = true;
    spec.values = KOLTest::smoothField(nx, ny);
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++)
        if (c.masked(i, j)) spec.values[size_t(j) * nx + i] = NAN;
    const KOLTest::Bytes msg = KOLTest::buildEd2(spec);
    KOL::grib::Field stored, flipped;
    ASSERT_EQ(KOL::grib::MessageDecoder(msg.data(), msg.size()).next(stored), 1);
    ASSERT_EQ(KOL::grib::MessageDecoder(msg.data(), msg.size()).next(flipped, true, true), 1);
    EXPECT_FALSE(stored.northFirst);
    ASSERT_TRUE(flipped.northFirst == c.flipped && flipped.values.size() == stored.values.size());
    for (int j = 0; j < ny; j++) {
      const int from = c.flipped ? ny - 1 - j : j;
      for (int i = 0; i < nx; i++)
        ASSERT_EQ(flipped.values[size_t(j) * nx + i], stored.values[size_t(from) * nx + i])
            << i << "," << j;
    }
  }
}

// Simple packing of every width, odd rows delivered last first (every bit position), exact and
// inexact scalings: each value the one the formula gives for its integer.
TEST(GribUnpack, SimplePackingEveryWidthAndScaling)
{
  struct Scale {
    const char* name;
    float ref;
    int e, d;
  };
  const Scale scales[] = {
      {"binary scale only", 260.36227f, -4, 0},
      {"decimal scale", 95224.0f, 0, 2},
      {"negative reference, coarse steps", -1.5e6f, 6, 0},
      {"reference far finer than the steps", 1.0e-20f, 0, 0},
      {"negative decimal scale", 12.5f, -3, -1},
  };
  const size_t nx = 37, ny = 29, n = nx * ny;
  uint64_t seed = 12345;
  for (int width = 1; width <= 32; width++) {
    std::vector<uint32_t> x(n);
    for (uint32_t& v : x) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      v = static_cast<uint32_t>(seed >> 32) >> (32 - width);
    }
    x[0] = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;  // the largest integer of the width
    const std::vector<uint8_t> data = packBits(x, width);
    for (const Scale& sc : scales) {
      SCOPED_TRACE(std::string(sc.name) + ", width " + std::to_string(width));
      Packing pack;
      pack.templ = 0, pack.ref = sc.ref, pack.e = sc.e, pack.d = sc.d, pack.bits = width;
      pack.data = KOL::grib::Octets(data.data(), data.size());
      FieldValues values;
      ValueSink sink(values, n, nullptr, n);
      sink.flipRows(nx);
      ASSERT_TRUE(KOL::grib::unpackSimple(pack, sink) && sink.finish());
      const KOL::grib::Scaling one(pack);
      for (size_t j = 0; j < ny; j++)
        for (size_t i = 0; i < nx; i++) {
          const float want = one(x[(ny - 1 - j) * nx + i]), got = values[j * nx + i];
          ASSERT_TRUE(sameBits(got, want)) << i << "," << j << ": " << got << " != " << want;
        }
      // The scalar readers alone, as processors without vector units run them.
      std::vector<uint32_t> scratch(n);
      std::vector<float> scalar(n);
      for (size_t first = 0; first < 9; first++) {
        KOL::grib::unpackSimpleSlice(pack, one, first, n - first, scratch.data(), scalar.data(),
                                     false);
        for (size_t k = first; k < n; k++)
          ASSERT_TRUE(sameBits(scalar[k - first], one(x[k]))) << "scalar, value " << k;
      }
    }
  }
}

}  // namespace
