// Fields whose values take no bits (constant fields, as producers write all-zero or constant
// fields in a few bytes whatever the grid) in every packing that can carry 0 bits, with and
// without a bitmap: made from real files with ecCodes' grib_set and compared point by point with
// ecCodes' values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "EcCodesFields.h"
#include "GribMessages.h"
#include "common/TestData.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/grib/Inventory.h"

using KOL::grib::Field;
using KOLTest::Bytes;

namespace {

Bytes readBytes(const std::string& path)
{
  std::string s = KOLTest::readFile(path);
  return Bytes(s.begin(), s.end());
}

void writeBytes(const std::string& path, const Bytes& b)
{
  KOLTest::writeFile(path, std::string(b.begin(), b.end()));
}

// The first message of an edition 2 file with its data representation turned into complex
// packing (template 2 or 3) of a constant field as other producers write it, which ecCodes does
// not: no group at all, or one group of width 0 holding every value; its data section emptied.
Bytes asConstantComplex(const Bytes& msg, int templ, int groups)
{
  Bytes out(msg.begin(), msg.begin() + 16);
  for (size_t at = 16; at + 4 <= msg.size() &&
                       std::string(msg.begin() + long(at), msg.begin() + long(at) + 4) != "7777";) {
    const size_t len = (size_t(msg[at]) << 24) | (size_t(msg[at + 1]) << 16) |
                       (size_t(msg[at + 2]) << 8) | msg[at + 3];
    const int number = msg[at + 4];
    Bytes body(msg.begin() + long(at) + 5, msg.begin() + long(at + len));
    if (number == 5) {
      Bytes drs(body.begin(), body.begin() + 15);  // values, template, R, E, D, bits
      const uint64_t values = KOL::grib::Octets(drs.data(), 4).u4(1);
      drs[4] = 0, drs[5] = uint8_t(templ);
      KOLTest::put(drs, 0, 1);           // original type
      KOLTest::put(drs, 1, 1);           // group splitting
      KOLTest::put(drs, 0, 1);           // no missing values
      KOLTest::put(drs, 0xFFFFFFFF, 4);  // primary and secondary missing values
      KOLTest::put(drs, 0xFFFFFFFF, 4);
      KOLTest::put(drs, uint64_t(groups), 4);        // groups
      KOLTest::put(drs, 0, 2);                       // width reference and bits
      KOLTest::put(drs, 0, 4);                       // length reference
      KOLTest::put(drs, 1, 1);                       // length increment
      KOLTest::put(drs, groups ? values : 0, 4);     // true length of the last group
      KOLTest::put(drs, 0, 1);                       // length bits
      if (templ == 3) KOLTest::put(drs, 0x0200, 2);  // order 2, no extra octets
      body = drs;
    }
    if (number == 7) body.clear();
    KOLTest::section(out, number, body);
    at += len;
  }
  out.insert(out.end(), {'7', '7', '7', '7'});
  for (int k = 0; k < 8; k++) out[8 + k] = uint8_t(uint64_t(out.size()) >> (8 * (7 - k)));
  return out;
}

struct Case {
  const char* name;
  const char* source;              // under grib/ of the test data
  std::vector<std::string> steps;  // grib_set options, applied in turn
  int complex = 0;                 // then turned into complex packing of this template
  int groups = 0;                  // with this many groups (0 or 1)
  int packing = 0;                 // data representation template of the result
  int bits = 0;                    // and its bit width
};

// Every field of the file against ecCodes' values: missing points in the same places, the others
// equal to float precision, and all alike.
void compareWithOracle(const Case& c, const std::string& path)
{
  const Bytes bytes = readBytes(path);
  std::vector<Field> fields;
  KOL::grib::FieldWalker walk(bytes.data(), bytes.size());
  for (Field f; walk.next(f);) fields.push_back(std::move(f));
  std::vector<KOLTest::EcCodesField> theirs;
  ASSERT_TRUE(KOLTest::ecCodesFields(path, false, theirs)) << "ecCodes cannot decode " << path;
  ASSERT_EQ(fields.size(), theirs.size());
  for (size_t n = 0; n < fields.size(); n++) {
    const Field& f = fields[n];
    SCOPED_TRACE("field " + std::to_string(n + 1));
    EXPECT_EQ(f.pack.templ, c.packing);
    EXPECT_EQ(f.pack.bits, c.bits);
    ASSERT_EQ(f.values.size(), theirs[n].values.size());
    size_t bad = 0, missing = 0;
    double first = -9999.0;
    for (size_t k = 0; k < theirs[n].values.size(); k++) {
      const double want = theirs[n].values[k], got = f.values[k];
      missing += want == -9999.0;
      if (std::fabs(got - want) > 2.4e-7 * std::fabs(want) + 1e-30 && bad++ == 0)
        ADD_FAILURE() << "point " << k << ": " << got << " != " << want;
      if (want == -9999.0) continue;
      if (first == -9999.0) first = want;
      if (want != first && bad++ == 0) ADD_FAILURE() << "point " << k << " not constant";
    }
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(missing > 0, f.bitmapPresent);
  }
}

class GribConstant : public KOLTest::QuietTest {};

TEST_F(GribConstant, ZeroBitFieldsAgreeWithEcCodes)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_set").empty())
    GTEST_SKIP() << "ecCodes' grib_set not installed";
  const std::string big = "bench/hrrr_tmp2m_grid_simple.grib2";  // 1799 x 1059 points
  const std::string masked = "g1_fields_with_missing_values.grib";
  const std::string small = "g2_regular_ll_msl.grib2";
  const std::string toEd2 = "-s edition=2,bitsPerValue=0";
  const std::string sd = "-r -s packingType=grid_complex_spatial_differencing";
  const std::vector<Case> cases = {
      {"simple, 1.9 M points in 188 bytes", big.c_str(), {"-d 5"}},
      {"simple, R not decimally scaled", small.c_str(), {"-s decimalScaleFactor=2 -d 5.25"}},
      {"simple with bitmap", masked.c_str(), {toEd2}},
      {"edition 1, 1.9 M points in 94 bytes", big.c_str(), {"-d 5", "-s edition=1"}},
      {"edition 1 with bitmap", masked.c_str(), {"-s bitsPerValue=0"}},
      {"PNG, empty section", small.c_str(), {"-d 271.5", "-s packingType=grid_png"}, 0, 0, 41},
      {"PNG with bitmap", masked.c_str(), {toEd2, "-s packingType=grid_png"}, 0, 0, 41},
      {"JPEG 2000, empty section", small.c_str(), {"-d -3", "-s packingType=grid_jpeg"}, 0, 0, 40},
      {"JPEG 2000 with bitmap", masked.c_str(), {toEd2, "-s packingType=grid_jpeg"}, 0, 0, 40},
      {"complex without groups, 1.9 M points", big.c_str(), {"-d 5"}, 2, 0, 2},
      {"complex, one group of width 0", small.c_str(), {"-d 5"}, 2, 1, 2},
      {"spatial differencing without groups, bitmap", masked.c_str(), {toEd2}, 3, 0, 3},
      {"spatial differencing, one group of width 0, bitmap", masked.c_str(), {toEd2}, 3, 1, 3},
      // Not of 0 bits, but constant all the same: ecCodes' own spatial differencing of order 0.
      {"spatial differencing of order 0", small.c_str(), {sd, "-d 5"}, 0, 0, 3, 14},
  };
  KOLTest::TempDir tmp;
  int made = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string from = KOLTest::dataFile(std::string("grib/") + c.source);
    for (const std::string& step : c.steps) {
      const std::string to = tmp.file("made" + std::to_string(made++) + ".grib");
      int status = 0;
      KOLTest::run("grib_set " + step + " '" + from + "' '" + to + "' 2>&1", &status);
      ASSERT_EQ(status, 0) << "grib_set " << step;
      from = to;
    }
    if (c.complex) {
      const Bytes msg = asConstantComplex(readBytes(from), c.complex, c.groups);
      from = tmp.file("made" + std::to_string(made++) + ".grib");
      writeBytes(from, msg);
    }
    compareWithOracle(c, from);
  }
}

// The field users meet: a Grid read through GribFile, constant over 1.9 M points.
TEST_F(GribConstant, GribFileReadsConstantField)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_set").empty())
    GTEST_SKIP() << "ecCodes' grib_set not installed";
  KOLTest::TempDir tmp;
  const std::string path = tmp.file("zero.grib2");
  int status = 0;
  KOLTest::run("grib_set -d 0 '" + KOLTest::dataFile("grib/bench/hrrr_tmp2m_grid_simple.grib2") +
                   "' '" + path + "' 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  KOL::GribFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  KOL::Grid g;
  ASSERT_EQ(file.read(g), 1);
  ASSERT_EQ(g.getNx(), 1799);
  ASSERT_EQ(g.getNy(), 1059);
  const float* v = g.getData();
  size_t other = 0;
  for (size_t k = 0; k < g.getCount(); k++) other += v[k] != 0.0f;
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(file.read(g), 0);
}

}  // namespace
