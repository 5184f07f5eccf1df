// Decoding made messages and damaged real ones: bad input gives a message, no values, and the
// stream goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>

#include <zlib.h>

#include "GribMessages.h"
#include "common/Proj.h"
#include "common/TestData.h"
#include "geo/Domain.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/GridFill.h"
#include "grid/grib/Inventory.h"

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

// Damaged copies of made and real messages, each followed by a good one that must still be read.
TEST(GribDecode, BadInputGivesMessageAndNoValues)
{
  const Bytes good = KOLTest::buildEd2(Ed2Spec());
  const size_t s3 = KOLTest::sectionOffset(good, 3), s5 = KOLTest::sectionOffset(good, 5);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"truncated", Bytes(good.begin(), good.end() - 30), "does not end in 7777"});
  Bytes longSection = good, wide = good, huge = good, many = good;
  longSection[s3 + 2] = 0x70;  // section 3 claims 28 kB
  cases.push_back({"section length", longSection, "readSection: invalid length"});
  wide[s5 + 19] = 40;
  cases.push_back({"bit width", wide, "bit width 40 over 32"});
  for (int k = 0; k < 4; k++) huge[s3 + 30 + k] = huge[s3 + 34 + k] = k == 1 ? 0x01 : 0;  // 65536^2
  cases.push_back({"dimensions", huge, "Grid too large"});
  many[s3 + 32] = 0x20, many[s3 + 36] = 0x20;  // 8200 x 8198 points in a 300-byte message
  cases.push_back({"memory", many, "cannot be held"});
  // A bitmap of one octet for 48 points.
  Ed2Spec shortMap;
  shortMap.bitmap = true;
  shortMap.values = KOLTest::smoothField(8, 6);
  shortMap.values[3] = NAN;
  Bytes shortBitmap = KOLTest::buildEd2(shortMap);
  const size_t b6 = KOLTest::sectionOffset(shortBitmap, 6);
  shortBitmap.erase(shortBitmap.begin() + long(b6 + 7), shortBitmap.begin() + long(b6 + 11));
  shortBitmap[b6 + 3] = 8;
  KOLTest::setLength(shortBitmap);
  cases.push_back({"short bitmap", shortBitmap, "shorter than the grid"});
  // Edition 1 grid descriptions refuse either side above 10000 points.
  Bytes wideEd1 = KOLTest::ed1Lambert(std::vector<float>(20 * 10, 250.0f), 20, 10);
  Bytes tallEd1 = wideEd1;
  const size_t gds = 8 + 28;
  wideEd1[gds + 6] = 10001 >> 8, wideEd1[gds + 7] = 10001 & 0xFF;
  tallEd1[gds + 8] = 10001 >> 8, tallEd1[gds + 9] = 10001 & 0xFF;
  cases.push_back({"edition 1 columns", wideEd1, "GribFile: NX too large\n"});
  cases.push_back({"edition 1 rows", tallEd1, "GribFile: NY too large\n"});
  if (KOLTest::haveData()) {
    // JPEG 2000 and PNG streams damaged.
    Bytes jpeg = firstMessage(readShared("g2_safrica.grib2"));
    Bytes png = firstMessage(readShared("g2_MRMS_PrecipFlag_00.00_20260219-042400.grib2"));
    const size_t j7 = KOLTest::sectionOffset(jpeg, 7), p7 = KOLTest::sectionOffset(png, 7);
    for (size_t k = j7 + 5; k < j7 + 45 && k < jpeg.size() - 4; k++) jpeg[k] ^= 0x5A;
    cases.push_back({"jpeg", jpeg, "jpc_decode error"});
    Bytes notPng = png, badPng = png, widePng = png;
    notPng[p7 + 6] = 'X';
    cases.push_back({"png signature", notPng, "Not a PNG file"});
    for (size_t k = p7 + 60; k < p7 + 400; k++) badPng[k] ^= 0xA5;
    cases.push_back({"png data", badPng, "PNG"});
    // 16-bit RGBA (8 octets a pixel) does not fit 32-bit integers; the header keeps a valid CRC.
    const size_t ihdr = p7 + 5 + 12;
    widePng[ihdr + 12] = 16, widePng[ihdr + 13] = 6;
    const uint32_t crc = uint32_t(crc32(0, widePng.data() + ihdr, 17));
    for (int k = 0; k < 4; k++) widePng[ihdr + 17 + k] = uint8_t(crc >> (24 - 8 * k));
    cases.push_back({"png 16-bit RGBA", widePng, "PNG image does not match"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes stream = c.bytes;
    stream.insert(stream.end(), good.begin(), good.end());
    Decoded d = decodeAll(stream);
    EXPECT_NE(d.messages.find(c.message), std::string::npos) << d.messages;
    ASSERT_FALSE(d.fields.empty());
    EXPECT_EQ(d.fields.back().values.size(), 48u);
    for (size_t k = 0; k + 1 < d.fields.size(); k++) EXPECT_TRUE(d.fields[k].values.empty());
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
    EXPECT_TRUE(missing > 0 && missing < f.values.size()) << missing;
  }
  std::vector<double> lat, lon;
  const Field& f = d.fields[0];
  KOL::grib::findGridKind(0)->coords(f.grid, lat, lon);
  auto at = [&](double la, double lo) {  // the value of the nearest point
    std::vector<double> dist(lat.size());
    for (size_t k = 0; k < lat.size(); k++) dist[k] = std::hypot(lat[k] - la, lon[k] - lo);
    return f.values[size_t(std::min_element(dist.begin(), dist.end()) - dist.begin())];
  };
  EXPECT_NE(at(35.68, 139.77), -9999.0f);  // Tokyo
  EXPECT_EQ(at(47.0, 119.0), -9999.0f);    // inner Mongolia
}

// A message whose sections 4 to 7 are repeated with `bitmapIndicator` in the second section 6.
KOLTest::Bytes twoFields(const KOLTest::Bytes& one, uint8_t bitmapIndicator)
{
  const size_t s4 = KOLTest::sectionOffset(one, 4), s6 = KOLTest::sectionOffset(one, 6);
  const size_t s7 = KOLTest::sectionOffset(one, 7);
  KOLTest::Bytes msg(one.begin(), one.end() - 4);
  msg.insert(msg.end(), one.begin() + long(s4), one.begin() + long(s6));
  msg.insert(msg.end(), {0, 0, 0, 6, 6, bitmapIndicator});
  msg.insert(msg.end(), one.begin() + long(s7), one.end());
  KOLTest::setLength(msg);
  return msg;
}

TEST(GribDecode, BitmapReusedByALaterField)
{
  Ed2Spec masked;
  masked.values = KOLTest::smoothField(8, 6);
  for (size_t k = 0; k < masked.values.size(); k += 3) masked.values[k] = NAN;
  masked.bitmap = true;
  Decoded d = decodeAll(twoFields(KOLTest::buildEd2(masked), 254));
  ASSERT_TRUE(d.fields.size() == 2 && d.fields[1].values.size() == 48);
  EXPECT_EQ(d.fields[0].values, d.fields[1].values);
  EXPECT_EQ(d.fields[1].values[3], -9999.0f);
}

// The decoder's points (i, j) of a polar stereographic field, rows south to north, against PROJ's
// inverse of the plane from the first point; and the Domain's, when one is given.
void expectPointsLikeProj(const Field& f, const std::string& proj,
                          const std::vector<std::pair<int, int>>& points, const KOL::Domain* d)
{
  const KOL::grib::GridGeom& g = f.grid;
  const auto first = KOLTest::projRun("proj -f %.8f " + proj, {{g.lo1, g.la1}});
  ASSERT_FALSE(std::isnan(first[0].first)) << proj;
  std::vector<KOLTest::XY> plane;
  for (auto [i, j] : points)
    plane.push_back({first[0].first + i * g.di, first[0].second + j * g.dj});
  const auto want = KOLTest::projRun("invproj -f %.8f " + proj, plane);
  std::vector<double> lat, lon;
  ASSERT_TRUE(KOL::grib::findGridKind(20)->coords(g, lat, lon));
  for (size_t k = 0; k < plane.size(); k++) {
    const auto [i, j] = points[k];
    const size_t at = size_t(j) * g.nx + size_t(i);
    const double tol = 1e-4 / std::cos(want[k].second * M_PI / 180);
    EXPECT_NEAR(lat[at], want[k].second, 1e-4) << i << "," << j;
    EXPECT_NEAR(std::remainder(lon[at] - want[k].first, 360.0), 0, tol) << i << "," << j;
    if (!d) continue;
    KOL::EarthPoint e;  // the Grid's rows run from the north edge
    ASSERT_EQ(d->tran(KOL::GridPoint(float(i), float(g.ny - 1 - j)), e), 1);
    EXPECT_NEAR(e.lat, want[k].second, 1e-4) << i << "," << j;
    EXPECT_NEAR(std::remainder(e.lon - want[k].first, 360.0), 0, tol) << i << "," << j;
  }
}

// A real edition 1 south polar stereographic grid (ecCodes 2.28 misplaces its points), and grids
// poleward of 75 degrees round either pole.
TEST(GribDecode, PolarStereographicPointsAgreeWithProj)
{
  KOL_REQUIRE_PROJ();
  KOL_REQUIRE_DATA();
  Decoded real = decodeAll(readShared("g1_grid_172.landmask.grib1"));
  ASSERT_EQ(real.fields.size(), 1u);
  const int ny = int(real.fields[0].grid.ny);
  expectPointsLikeProj(real.fields[0], "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=-80 +R=6367470",
                       {{1, 0}, {689, 0}, {345, 355}, {689, ny - 1}}, nullptr);
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
    const auto centre = KOLTest::projRun("proj -f %.8f " + proj, {{c.clon, c.clat}});
    const auto first = KOLTest::projRun(
        "invproj -f %.8f " + proj, {{centre[0].first - 20 * g.di, centre[0].second - 15 * g.dj}});
    g.lo1 = first[0].first, g.la1 = first[0].second;
    KOL::DomainVal dv;
    ASSERT_EQ(KOL::grib::domainOf(f, false, dv), 1);
    const KOL::Domain d(dv);
    expectPointsLikeProj(f, proj, {{0, 0}, {40, 0}, {20, 15}, {0, 30}, {40, 30}, {7, 22}}, &d);
  }
}

}  // namespace
