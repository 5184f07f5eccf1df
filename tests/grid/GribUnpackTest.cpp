// Where unpackers put their values: spreading over a bitmap whatever the pieces they deliver, and
// field values that take over a decoder's block and free it exactly once; rows of south-first
// simple packing delivered north first, the same values as reversing them afterwards.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "GribMessages.h"
#include "common/TestData.h"
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

// One bit a point, most significant first.
std::vector<uint8_t> makeBitmap(size_t points, bool (*set)(size_t))
{
  std::vector<uint8_t> map((points + 7) / 8, 0);
  for (size_t k = 0; k < points; k++)
    if (set(k)) map[k >> 3] |= uint8_t(0x80 >> (k & 7));
  return map;
}

TEST(GribUnpack, SinkSpreadsPiecesOverTheBitmap)
{
  // Longer than the sink's internal slice, with whole octets set and clear, and missing points
  // at the start and the end.
  const size_t points = 9001;
  struct Case {
    const char* name;
    bool (*set)(size_t);
  };
  const Case cases[] = {
      {"every third missing", [](size_t k) { return k % 3 != 0; }},
      {"octet runs", [](size_t k) { return (k / 800) % 2 == 1 && k < 8990; }},
      {"all set", [](size_t) { return true; }},
      {"none set", [](size_t) { return false; }},
  };
  Packing pack;
  pack.ref = 100.0f;
  pack.e = -1;
  pack.d = 1;  // value = (100 + x / 2) / 10
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto map = makeBitmap(points, c.set);
    size_t count = 0;
    for (size_t k = 0; k < points; k++) count += c.set(k);
    // Value i is delivered as integer i, except the constant piece.
    std::vector<uint32_t> x(count);
    for (size_t i = 0; i < count; i++) x[i] = static_cast<uint32_t>(i);
    std::vector<float> packed(count);
    for (size_t i = 0; i < count; i++) packed[i] = static_cast<float>((100.0 + i / 2.0) / 10.0);
    const size_t a = count < 1 ? count : 1, b = count < 3000 ? count : 3000;
    for (size_t i = a; i < b; i++) packed[i] = 7.5f;

    FieldValues values;
    values.fill().assign(3, 1.0f);  // earlier contents must go
    ValueSink sink(values, points, map.data(), count);
    sink.putScaled(pack, x.data(), a);
    sink.putConstant(7.5f, b - a);
    sink.put(packed.data() + b, count - b);
    ASSERT_TRUE(sink.finish());
    ASSERT_EQ(values.size(), points);
    size_t i = 0;
    for (size_t k = 0; k < points; k++) {
      float want = c.set(k) ? packed[i++] : MISSING;
      ASSERT_FLOAT_EQ(values[k], want) << "point " << k;
    }
  }
}

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

int released = 0;
void countingRelease(void* p)
{
  released++;
  std::free(p);
}

TEST(GribUnpack, SinkOverwritesRecycledStorageOfTheRightSize)
{
  const size_t points = 5000;
  std::vector<float> want(points);
  for (size_t k = 0; k < points; k++) want[k] = float(k) / 4;
  struct Case {
    const char* name;
    size_t size, capacity;
    bool sameBlock;  // the recycled allocation holds the values
  };
  const Case cases[] = {
      {"same size", points, points, true},
      {"same size, four times the room", points, 4 * points, false},
      {"smaller", points - 1, points, true},
      {"larger", points + 1, points + 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<float> spare(c.size, 7.0f);
    spare.reserve(c.capacity);
    const float* block = spare.data();
    FieldValues values;
    values.recycle(std::move(spare));
    ValueSink sink(values, points, nullptr, points);
    // Pieces both written directly and put.
    sink.put(want.data(), 1000);
    if (float* at = sink.next(3000)) {
      std::copy(want.begin() + 1000, want.begin() + 4000, at);
    } else {
      sink.put(want.data() + 1000, 3000);
    }
    sink.put(want.data() + 4000, points - 4000);
    ASSERT_TRUE(sink.finish());
    EXPECT_EQ(values.data() == block, c.sameBlock);
    ASSERT_EQ(values.size(), points);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), values.begin()));
  }
}

TEST(GribUnpack, FieldValuesTakeOverABlockAndFreeItOnce)
{
  released = 0;
  auto* block = static_cast<float*>(std::malloc(4 * sizeof(float)));
  const float data[] = {1, 2, 3, 4};
  std::memcpy(block, data, sizeof data);
  FieldValues values;
  values.fill().assign(100, 0.0f);
  values.takeOver(block, 4, countingRelease);
  EXPECT_EQ(values.size(), 4u);
  EXPECT_EQ(values.data(), block);

  FieldValues copy = values;  // a copy owns its values
  EXPECT_NE(copy.data(), block);
  EXPECT_EQ(copy, values);
  FieldValues moved = std::move(values);
  EXPECT_EQ(moved.data(), block);
  EXPECT_EQ(released, 0);
  moved.fill().push_back(5);  // filling anew gives the block back
  EXPECT_EQ(released, 1);
  EXPECT_EQ(moved.size(), 1u);
  copy.clear();
  EXPECT_TRUE(copy.empty());

  block = static_cast<float*>(std::malloc(sizeof(float)));
  {
    FieldValues scoped;
    scoped.takeOver(block, 1, countingRelease);
  }
  EXPECT_EQ(released, 2);
}

}  // namespace

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
    ASSERT_EQ(flipped.northFirst, c.flipped);
    ASSERT_EQ(flipped.values.size(), stored.values.size());
    for (int j = 0; j < ny; j++) {
      const int from = c.flipped ? ny - 1 - j : j;
      for (int i = 0; i < nx; i++)
        ASSERT_EQ(flipped.values[size_t(j) * nx + i], stored.values[size_t(from) * nx + i])
            << i << "," << j;
    }
  }
}

namespace {

// Simple packing of every width from 1 to 32 bits, rows of an odd length delivered last first (so
// they start at every bit position of an octet), the data ending right after the last value, and
// scalings that float arithmetic rounds exactly and ones it would not: every value bit for bit
// the one the formula gives for its integer alone.
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
      ASSERT_TRUE(KOL::grib::unpackSimple(pack, sink));
      ASSERT_TRUE(sink.finish());
      const KOL::grib::Scaling one(pack);
      for (size_t j = 0; j < ny; j++)
        for (size_t i = 0; i < nx; i++) {
          const float want = one(x[(ny - 1 - j) * nx + i]), got = values[j * nx + i];
          ASSERT_TRUE(sameBits(got, want)) << i << "," << j << ": " << got << " != " << want;
        }
      // The scalar readers alone, as processors without vector units run them, from every bit
      // position of an octet.
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

// Every simple-packed field of the shared GRIB files, the benchmark fields among them, decoded
// bit for bit as integers read one at a time and scaled one at a time.
TEST(GribUnpack, SimplePackedFilesMatchOneValueAtATime)
{
  KOL_REQUIRE_DATA();
  size_t fields = 0;
  for (const char* dir : {"grib", "grib/bench"}) {
    for (const std::string& name : KOLTest::dataFiles(dir)) {
      if (name.find(".md") != std::string::npos) continue;
      SCOPED_TRACE(name);
      const std::string bytes = KOLTest::readFile(name);
      const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
      KOL::grib::FieldWalker walk(p, bytes.size());
      for (KOL::grib::Field f; walk.next(f);) {
        if (f.pack.templ != 0 || f.pack.bits == 0 || f.values.empty() || (f.grid.scan & 0x10))
          continue;
        const KOL::grib::Scaling one(f.pack);
        KOL::grib::BitReader bits(f.pack.data);
        size_t bad = 0;
        for (float got : f.values) {
          if (f.bitmapPresent && got == MISSING) continue;
          bad += !sameBits(got, one(bits.get(f.pack.bits)));
        }
        EXPECT_EQ(bad, 0u);
        fields++;
      }
    }
  }
  std::printf("[ fields ] %zu simple-packed fields compared\n", fields);
}

}  // namespace
