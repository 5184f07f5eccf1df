// GLM flashes against ncdump's values of the shared file; NLDN and UALF files written here in
// their documented layouts (no real strike file of those may be redistributed).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "common/TestData.h"
#include "obs/LightningFile.h"

using namespace KOL;

namespace {

const char* GLM =
    "textprod/lightning/"
    "glmtools_OR_GLM-L2-LCFA_G16_s20181830433000_e20181830433200_c20181830433231.nc";

TEST(LightningFile, GlmFlashesAsNcdumpUnpacksThem)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile(GLM);
  LightningFile f;
  ASSERT_TRUE(f.open(file.c_str()));
  EXPECT_EQ(f.getFormat(), LightningFile::GLM);
  EXPECT_EQ(f.getStart(), "2018-07-02T04:33:00.0Z");
  std::string rows = KOLTest::run(
      "/usr/bin/python3 -c \"import json,sys; f=json.load(open(sys.argv[1]))['flashes'];"
      "[print(*r) for r in zip(f['flash_id'],f['flash_lat'],f['flash_lon'],f['flash_energy'],"
      "f['flash_area'],f['flash_time_offset_of_first_event'],f['flash_time_offset_of_last_event'],"
      "f['flash_quality_flag'])]\" " +
      file + ".expected.json");
  std::istringstream in(rows);
  const auto& s = f.getStrikes();
  const long long t0 = 1530505980LL * 1000000000LL;  // 2018-07-02 04:33:00 UTC
  size_t n = 0;
  double id, lat, lon, energy, area, first, last, quality;
  while (in >> id >> lat >> lon >> energy >> area >> first >> last >> quality) {
    ASSERT_LT(n, s.size());
    const auto& k = s[n++];
    EXPECT_EQ(k.id, id) << n;
    EXPECT_NEAR(k.lat, lat, 1e-4) << n;
    EXPECT_NEAR(k.lon, lon, 1e-3) << n;
    EXPECT_NEAR(k.strength, energy, 1e-5 * energy) << n;
    EXPECT_NEAR(k.area_km2, area, 0.1) << n;
    EXPECT_NEAR((k.time_ns - t0) / 1e6, first, 1e-3) << n;
    EXPECT_NEAR(k.last_ms, last, 1e-3) << n;
    EXPECT_EQ(k.quality, quality) << n;
  }
  EXPECT_EQ(n, 302u);
  EXPECT_EQ(s.size(), 302u);
}

// A big-endian integer of n bytes.
void be(std::string& s, int32_t v, int n = 4)
{
  for (int shift = 8 * (n - 1); shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xff);
}

TEST(LightningFile, NldnRecordsAfterTheirHeaderBlocks)
{
  std::string b = "NLDN";
  be(b, 3);                              // header blocks of 28 bytes
  be(b, 0);                              // the extra int
  b += std::string(84 - b.size(), ' ');  // header text
  struct {
    int32_t t, lat, lon;
    int16_t sgnl;
    uint8_t mult;
  } flashes[] = {{1530505980, 35123, -97456, -1500, 2}, {1530505981, -12500, 130250, 750, 1}};
  for (const auto& x : flashes) {
    for (int32_t v : {x.t, 123, x.lat, x.lon}) be(b, v);
    for (int16_t v : {int16_t{0}, x.sgnl, int16_t{0}}) be(b, v, 2);
    b += static_cast<char>(x.mult) + std::string(5, '\0');
  }
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("a.nldn"), b + "\x01\x02\x03");  // a record cut short
  LightningFile f;
  KOLTest::QuietScope quiet;
  ASSERT_TRUE(f.open(dir.file("a.nldn").c_str()));
  ASSERT_EQ(f.getFormat(), LightningFile::NLDN);
  ASSERT_EQ(f.getStrikes().size(), 2u);
  const auto& s = f.getStrikes();
  EXPECT_EQ(s[0].time_ns, 1530505980LL * 1000000000LL);
  EXPECT_DOUBLE_EQ(s[0].lat, 35.123);
  EXPECT_DOUBLE_EQ(s[0].lon, -97.456);
  EXPECT_DOUBLE_EQ(s[0].strength, -30.0);
  EXPECT_EQ(s[0].multiplicity, 2);
  EXPECT_DOUBLE_EQ(s[1].lat, -12.5);
  EXPECT_DOUBLE_EQ(s[1].strength, 15.0);
}

TEST(LightningFile, UalfLinesWithTheirNanosecondsAndCloudFlag)
{
  const std::string lines =
      "0\t2018\t7\t2\t4\t33\t5\t123456789\t35.1234\t-97.4567\t-24\t1\t8\t6\t45.2\t0.3\t0.2\t1.1"
      "\t4.5\t20.1\t5.3\t0\t1\t0\t1\n"
      "not a record\n"
      "0\t2018\t7\t2\t4\t33\t6\t5\t35.2\t-97.3\t12\t0\t5\t3\t10.0\t0.5\t0.4\t0.9\t3.0\t10.0\t2.0"
      "\t1\t1\t0\t1\n";
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("a.ualf"), lines);
  LightningFile f;
  KOLTest::QuietScope quiet;
  ASSERT_TRUE(f.open(dir.file("a.ualf").c_str()));
  ASSERT_EQ(f.getStrikes().size(), 2u);
  const auto& s = f.getStrikes();
  EXPECT_EQ(s[0].time_ns, (1530505980LL + 5) * 1000000000LL + 123456789);
  EXPECT_DOUBLE_EQ(s[0].strength, -24.0);
  EXPECT_FALSE(s[0].cloud);
  EXPECT_TRUE(s[1].cloud);
  EXPECT_EQ(s[1].multiplicity, 0);
}

}  // namespace
