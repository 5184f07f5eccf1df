// Decoding of messages built here and of damaged copies of real ones: values, masks, scanning
// order, and the failures bad input must produce (a message, no values, the stream going on).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <utility>

#include "GribMessages.h"
#include "common/Proj.h"
#include "common/TestData.h"
#include "geo/Domain.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/GridFill.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Writer.h"

using KOL::grib::Field;
using KOL::grib::FieldWalker;
using KOLTest::Bytes;
using KOLTest::Ed2Spec;

namespace {

// Every field of a byte stream, with what the decoder reported on standard error.
struct Decoded {
  std::vector<Field> fields;
  std::string messages;
};

Decoded decodeAll(const Bytes& bytes)
{
  Decoded d;
  testing::internal::CaptureStderr();
  FieldWalker walk(bytes.data(), bytes.size());
  for (Field f; walk.next(f);) d.fields.push_back(std::move(f));
  d.messages = testing::internal::GetCapturedStderr();
  return d;
}

Bytes readShared(const std::string& name)
{
  std::string s = KOLTest::readFile(KOLTest::dataFile("grib/" + name));
  return Bytes(s.begin(), s.end());
}

// The first message of a file (bytes from "GRIB" to the end of "7777").
Bytes firstMessage(const Bytes& file)
{
  size_t at = KOL::grib::findGrib(file.data(), file.size(), 0);
  KOL::grib::MessageDecoder m(file.data() + at, file.size() - at);
  return Bytes(file.begin() + long(at), file.begin() + long(at + m.length()));
}

TEST(GribDecode, SimplePackingBitmapAndScanning)
{
  Ed2Spec plain;
  Decoded d = decodeAll(KOLTest::buildEd2(plain));
  ASSERT_EQ(d.fields.size(), 1u);
  const Field& f = d.fields[0];
  std::vector<float> want = KOLTest::smoothField(8, 6);
  ASSERT_EQ(f.values.size(), want.size());
  for (size_t k = 0; k < want.size(); k++)
    EXPECT_NEAR(f.values[k], want[k], 0.5 * f.pack.precision());

  // Masked points come back as the missing value, the others in their places.
  Ed2Spec masked;
  masked.values = KOLTest::smoothField(8, 6);
  for (size_t k = 0; k < masked.values.size(); k += 5) masked.values[k] = NAN;
  masked.bitmap = true;
  d = decodeAll(KOLTest::buildEd2(masked));
  ASSERT_EQ(d.fields.size(), 1u);
  for (size_t k = 0; k < masked.values.size(); k++) {
    if (std::isnan(masked.values[k]))
      EXPECT_EQ(d.fields[0].values[k], -9999.0f) << k;
    else
      EXPECT_NEAR(d.fields[0].values[k], masked.values[k], 0.5 * d.fields[0].pack.precision());
  }

  // Rows stored boustrophedon come back in plain order; +j rows start in the south.
  Ed2Spec alternate;
  alternate.scan = 0x50;
  alternate.values = want;
  for (int j = 1; j < 6; j += 2)
    std::reverse(alternate.values.begin() + j * 8, alternate.values.begin() + (j + 1) * 8);
  d = decodeAll(KOLTest::buildEd2(alternate));
  ASSERT_EQ(d.fields.size(), 1u);
  for (size_t k = 0; k < want.size(); k++)
    EXPECT_NEAR(d.fields[0].values[k], want[k], 0.5 * d.fields[0].pack.precision()) << k;
  std::vector<double> lat, lon;
  ASSERT_TRUE(KOL::grib::findGridKind(0)->coords(d.fields[0].grid, lat, lon));
  EXPECT_DOUBLE_EQ(lat[0], 45.0);
  EXPECT_DOUBLE_EQ(lat[8], 46.0);
  EXPECT_DOUBLE_EQ(lon[9], 11.0);
}

TEST(GribDecode, BadInputGivesMessageAndNoValues)
{
  const Bytes good = KOLTest::buildEd2(Ed2Spec());
  const size_t s3 = KOLTest::sectionOffset(good, 3), s5 = KOLTest::sectionOffset(good, 5);
  const size_t s6 = KOLTest::sectionOffset(good, 6);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"truncated", Bytes(good.begin(), good.end() - 30), "does not end in 7777"});
  Bytes longSection = good;
  longSection[s3 + 2] = 0x70;  // section 3 claims 28 kB
  cases.push_back({"section length", longSection, "readSection: invalid length"});
  Bytes wide = good;
  wide[s5 + 19] = 40;
  cases.push_back({"bit width", wide, "bit width 40 over 32"});
  Bytes huge = good;
  for (int k = 0; k < 4; k++) huge[s3 + 30 + k] = huge[s3 + 34 + k] = k == 1 ? 0x01 : 0;  // 65536^2
  cases.push_back({"dimensions", huge, "Grid too large"});
  Bytes many = good;
  many[s3 + 32] = 0x20, many[s3 + 36] = 0x20;  // 8200 x 8198 points in a 300-byte message
  cases.push_back({"memory", many, "cannot be held"});
  // A bitmap of one octet for 48 points.
  Ed2Spec shortMap;
  shortMap.bitmap = true;
  shortMap.values = KOLTest::smoothField(8, 6);
  shortMap.values[3] = NAN;
  Bytes shortBitmap = KOLTest::buildEd2(shortMap);
  size_t b6 = KOLTest::sectionOffset(shortBitmap, 6);
  shortBitmap.erase(shortBitmap.begin() + long(b6 + 7), shortBitmap.begin() + long(b6 + 11));
  shortBitmap[b6 + 3] = 8;
  size_t total = shortBitmap.size();
  for (int k = 0; k < 8; k++)
    shortBitmap[8 + k] = static_cast<uint8_t>(uint64_t(total) >> (8 * (7 - k)));
  cases.push_back({"short bitmap", shortBitmap, "shorter than the grid"});
  // Edition 1 grid descriptions refuse either side above 10000 points.
  std::vector<float> flat(20 * 10, 250.0f);
  KOL::grib::Ed1Lambert lam;
  lam.nx = 20, lam.ny = 10, lam.la1 = 30, lam.lo1 = -100, lam.lov = -95;
  lam.latin1 = lam.latin2 = 25, lam.dx = lam.dy = 40000, lam.parameter = 11;
  lam.year = 2024, lam.month = 5, lam.day = 17, lam.values = flat.data();
  const Bytes ed1 = KOL::grib::encodeEd1Lambert(lam);
  const size_t gds = 8 + 28;
  Bytes wideEd1 = ed1, tallEd1 = ed1;
  wideEd1[gds + 6] = 10001 >> 8, wideEd1[gds + 7] = 10001 & 0xFF;
  tallEd1[gds + 8] = 10001 >> 8, tallEd1[gds + 9] = 10001 & 0xFF;
  cases.push_back({"edition 1 columns", wideEd1, "GribFile: NX too large\n"});
  cases.push_back({"edition 1 rows", tallEd1, "GribFile: NY too large\n"});
  (void)s6;

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The damaged message is followed by a good one, which must still be read.
    Bytes stream = c.bytes;
    stream.insert(stream.end(), good.begin(), good.end());
    Decoded d = decodeAll(stream);
    EXPECT_NE(d.messages.find(c.message), std::string::npos) << d.messages;
    ASSERT_FALSE(d.fields.empty());
    EXPECT_EQ(d.fields.back().values.size(), 48u);
    for (size_t k = 0; k + 1 < d.fields.size(); k++) EXPECT_TRUE(d.fields[k].values.empty());
  }
}

// The CRC of PNG chunks.
uint32_t crc32(const uint8_t* p, size_t n)
{
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; i++) {
    c ^= p[i];
    for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

TEST(GribDecode, CorruptJpeg2000AndPngStreams)
{
  KOL_REQUIRE_DATA();
  Bytes jpeg = firstMessage(readShared("g2_safrica.grib2"));
  Bytes png = firstMessage(readShared("g2_MRMS_PrecipFlag_00.00_20260219-042400.grib2"));
  ASSERT_FALSE(jpeg.empty());
  ASSERT_FALSE(png.empty());
  size_t j7 = KOLTest::sectionOffset(jpeg, 7), p7 = KOLTest::sectionOffset(png, 7);
  Bytes badJpeg = jpeg;
  for (size_t k = j7 + 5; k < j7 + 45 && k < badJpeg.size() - 4; k++) badJpeg[k] ^= 0x5A;
  Bytes notPng = png;
  notPng[p7 + 6] = 'X';
  Bytes badPng = png;
  for (size_t k = p7 + 60; k < p7 + 400; k++) badPng[k] ^= 0xA5;
  // 16-bit RGBA (8 octets a pixel) does not fit 32-bit integers; the header keeps a valid CRC.
  Bytes widePng = png;
  const size_t ihdr = p7 + 5 + 12;
  widePng[ihdr + 12] = 16;
  widePng[ihdr + 13] = 6;
  const uint32_t crc = crc32(widePng.data() + ihdr, 17);
  for (int k = 0; k < 4; k++) widePng[ihdr + 17 + k] = uint8_t(crc >> (24 - 8 * k));
  struct Case {
    const char* name;
    const Bytes& bytes;
    const char* message;
  } cases[] = {{"jpeg", badJpeg, "jpc_decode error"},
               {"png signature", notPng, "Not a PNG file"},
               {"png data", badPng, "PNG"},
               {"png 16-bit RGBA", widePng, "PNG image does not match"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Decoded d = decodeAll(c.bytes);
    ASSERT_EQ(d.fields.size(), 1u);
    EXPECT_TRUE(d.fields[0].values.empty());
    EXPECT_NE(d.messages.find(c.message), std::string::npos) << d.messages;
  }
}

TEST(GribDecode, RunLengthPackingGivesLevelValues)
{
  KOL_REQUIRE_DATA();
  Decoded d = decodeAll(readShared("g2_JMA_NOWC_runlength_5.200.bin"));
  ASSERT_EQ(d.fields.size(), 7u);
  for (const Field& f : d.fields) {
    ASSERT_EQ(f.values.size(), 256u * 336u);
    size_t missing = 0;
    for (float v : f.values) {
      EXPECT_TRUE(v == -9999.0f || v == 1.0f || v == 2.0f || v == 3.0f) << v;
      missing += v == -9999.0f;
    }
    // Radar coverage: Japan and its seas have values, the continent far west has none.
    EXPECT_GT(missing, 0u);
    EXPECT_LT(missing, f.values.size());
  }
  std::vector<double> lat, lon;
  const Field& f = d.fields[0];
  KOL::grib::findGridKind(0)->coords(f.grid, lat, lon);
  auto at = [&](double la, double lo) {
    size_t best = 0;
    for (size_t k = 1; k < lat.size(); k++)
      if (std::hypot(lat[k] - la, lon[k] - lo) < std::hypot(lat[best] - la, lon[best] - lo))
        best = k;
    return f.values[best];
  };
  EXPECT_NE(at(35.68, 139.77), -9999.0f);  // Tokyo
  EXPECT_EQ(at(47.0, 119.0), -9999.0f);    // inner Mongolia
}

// ecCodes 2.28 misplaces the points of edition 1 south polar stereographic grids; PROJ is the
// oracle for their coordinates.
TEST(GribDecode, SouthPolarStereographicAgreesWithProj)
{
  KOL_REQUIRE_DATA();
  Decoded d = decodeAll(readShared("g1_grid_172.landmask.grib1"));
  ASSERT_EQ(d.fields.size(), 1u);
  const Field& f = d.fields[0];
  std::vector<double> lat, lon;
  ASSERT_TRUE(KOL::grib::findGridKind(20)->coords(f.grid, lat, lon));
  const std::string proj = "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=-80 +R=6367470";
  const auto first = KOLTest::projRun("proj -f %.3f " + proj, {{f.grid.lo1, f.grid.la1}});
  const double x0 = first[0].first, y0 = first[0].second;
  ASSERT_FALSE(std::isnan(x0)) << "proj";
  const size_t at[] = {1, 689, 690 * 355 + 345, lat.size() - 1};
  std::vector<KOLTest::XY> plane;
  for (size_t k : at)
    plane.emplace_back(x0 + double(k % 690) * f.grid.di, y0 + double(k / 690) * f.grid.dj);
  const auto want = KOLTest::projRun("invproj -f %.6f " + proj, plane);
  for (size_t n = 0; n < plane.size(); n++) {
    const size_t k = at[n];
    const double lo = want[n].first, la = want[n].second;
    EXPECT_NEAR(lat[k], la, 1e-4) << k;
    EXPECT_NEAR(std::remainder(lon[k] - lo, 360.0), 0.0, 1e-4) << k;
  }
}

}  // namespace

namespace {

// A message whose sections 4 to 7 are repeated with `bitmapIndicator` in the second section 6.
KOLTest::Bytes twoFields(const KOLTest::Bytes& one, uint8_t bitmapIndicator)
{
  const size_t s4 = KOLTest::sectionOffset(one, 4), s6 = KOLTest::sectionOffset(one, 6);
  const size_t s7 = KOLTest::sectionOffset(one, 7);
  KOLTest::Bytes msg(one.begin(), one.end() - 4);
  msg.insert(msg.end(), one.begin() + long(s4), one.begin() + long(s6));
  msg.insert(msg.end(), {0, 0, 0, 6, 6, bitmapIndicator});
  msg.insert(msg.end(), one.begin() + long(s7), one.end());
  for (int k = 0; k < 8; k++)
    msg[8 + k] = static_cast<uint8_t>(uint64_t(msg.size()) >> (8 * (7 - k)));
  return msg;
}

TEST(GribDecode, BitmapReusedAndEmptyPngSection)
{
  Ed2Spec masked;
  masked.values = KOLTest::smoothField(8, 6);
  for (size_t k = 0; k < masked.values.size(); k += 3) masked.values[k] = NAN;
  masked.bitmap = true;
  Decoded d = decodeAll(twoFields(KOLTest::buildEd2(masked), 254));
  ASSERT_EQ(d.fields.size(), 2u);
  ASSERT_EQ(d.fields[1].values.size(), 48u);
  EXPECT_EQ(d.fields[0].values, d.fields[1].values);
  EXPECT_EQ(d.fields[1].values[3], -9999.0f);

  // Template 5.41 with no data: every point is R.
  Ed2Spec constant;
  constant.ref = 273.5f;
  KOLTest::Bytes png = KOLTest::buildEd2(constant);
  size_t s5 = KOLTest::sectionOffset(png, 5), s7 = KOLTest::sectionOffset(png, 7);
  png[s5 + 10] = 41;
  png.erase(png.begin() + long(s7 + 5), png.end() - 4);
  png[s7 + 3] = 5;
  for (int k = 0; k < 8; k++)
    png[8 + k] = static_cast<uint8_t>(uint64_t(png.size()) >> (8 * (7 - k)));
  d = decodeAll(png);
  ASSERT_EQ(d.fields.size(), 1u);
  ASSERT_EQ(d.fields[0].values.size(), 48u);
  for (float v : d.fields[0].values) EXPECT_EQ(v, 273.5f);
}

}  // namespace

namespace {

// Polar stereographic grids centred near and on either pole, where every point is poleward of
// 75 degrees: the decoder's point coordinates and the Grid's Domain both agree with PROJ.
TEST(GribDecode, PolarGridsNearThePolesAgreeWithProj)
{
  KOL_REQUIRE_PROJ();
  const struct {
    double clat, clon, lad, lov;
    int projCentre;
  } cases[] = {{85, 30, 60, 255, 0},     {90, 0, 60, -105, 0},  {-85, -60, -71, 0, 0x80},
               {-90, 0, -60, 100, 0x80}, {80, 170, 90, 180, 0}, {-80, 10, 60, 10, 0x80}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clat << "," << c.clon);
    const double pole = c.projCentre ? -90 : 90;
    const std::string proj = "+proj=stere +lat_0=" + std::to_string(pole) +
                             " +lat_ts=" + std::to_string(pole < 0 ? -std::fabs(c.lad) : c.lad) +
                             " +lon_0=" + std::to_string(c.lov) + " +R=6371229";
    KOL::grib::Field f;
    KOL::grib::GridGeom& g = f.grid;
    g.templ = 20, g.nx = 41, g.ny = 31, g.di = g.dj = 10000, g.scan = 0x40;
    g.lov = c.lov, g.lad = c.lad, g.projCentre = c.projCentre, g.radius = 6371229;
    // The first point: half the grid west and south of the centre on the plane.
    auto centre = KOLTest::projRun("proj -f %.8f " + proj, {{c.clon, c.clat}});
    ASSERT_EQ(centre.size(), 1u);
    const double x0 = centre[0].first - 20 * g.di, y0 = centre[0].second - 15 * g.dj;
    auto first = KOLTest::projRun("invproj -f %.8f " + proj, {{x0, y0}});
    ASSERT_EQ(first.size(), 1u);
    g.lo1 = first[0].first, g.la1 = first[0].second;

    std::vector<KOLTest::XY> plane;
    const std::pair<int, int> points[] = {{0, 0}, {40, 0}, {20, 15}, {0, 30}, {40, 30}, {7, 22}};
    for (auto [i, j] : points) plane.push_back({x0 + i * g.di, y0 + j * g.dj});
    auto want = KOLTest::projRun("invproj -f %.8f " + proj, plane);
    ASSERT_EQ(want.size(), plane.size());

    std::vector<double> lat, lon;
    ASSERT_TRUE(KOL::grib::findGridKind(20)->coords(g, lat, lon));
    KOL::DomainVal dv;
    ASSERT_EQ(KOL::grib::domainOf(f, false, dv), 1);
    const KOL::Domain d(dv);
    for (size_t k = 0; k < plane.size(); k++) {
      const auto [i, j] = points[k];
      const size_t at = size_t(j) * 41 + size_t(i);
      EXPECT_NEAR(lat[at], want[k].second, 1e-4) << i << "," << j;
      EXPECT_NEAR(std::remainder(lon[at] - want[k].first, 360.0), 0,
                  1e-4 / std::cos(lat[at] * M_PI / 180))
          << i << "," << j;
      // The Grid's rows run from the north edge: stored row j is grid row 30 - j.
      KOL::EarthPoint e;
      ASSERT_EQ(d.tran(KOL::GridPoint(float(i), float(30 - j)), e), 1);
      EXPECT_NEAR(e.lat, want[k].second, 1e-4) << i << "," << j;
      EXPECT_NEAR(std::remainder(e.lon - want[k].first, 360.0), 0,
                  1e-4 / std::cos(e.lat * M_PI / 180))
          << i << "," << j;
    }
  }
}

}  // namespace
