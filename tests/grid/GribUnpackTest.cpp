// Where unpackers put their values: spreading over a bitmap whatever the pieces they deliver, and
// field values that take over a decoder's block and free it exactly once; rows of south-first
// simple packing delivered north first, the same values as reversing them afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "GribMessages.h"
#include "grid/grib/FieldValues.h"
#include "grid/grib/Message.h"
#include "grid/grib/Unpack.h"

using KOL::grib::FieldValues;
using KOL::grib::MISSING;
using KOL::grib::Packing;
using KOL::grib::ValueSink;

namespace {

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
