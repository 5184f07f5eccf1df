// NIDS decoding rules on products built here byte by byte, thresholds, labels, damage.
#include <gtest/gtest.h>

#include <random>

#include "Expected.h"
#include "NidsBuilt.h"
#include "core/Const.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "imagery/nids/Levels.h"

using KOL::Const;
using KOL::NidsData;
using KOL::NidsFile;
using KOL::NidsInfo;
using KOLTest::Bytes;

namespace {

class NidsBuiltTest : public KOLTest::QuietTest {};

int decode(const Bytes& b, NidsData& d)
{
  NidsFile f;
  NidsInfo info;
  if (!f.openBytes(b.data(), b.size()) || !f.readHeader(info)) return 0;
  return f.readData(d);
}

// One run-length radial of 20 bins: run of 10 at level 3, run of 10 at level `last`.
KOLTest::Radial rl(float start, int last, float delta = 1.0f)
{
  return {start, delta, {0xA3, static_cast<uint8_t>(0xA0 | last)}};
}

TEST(NidsThresholds, LegacyHalfwords)
{
  struct Case {
    unsigned hw;
    float value;
  } cases[] = {
      {0x8000, -100.0f}, {0x8001, -90.0f}, {0x8003, -90.0f}, {5, 5.0f},       {0x2002, 0.1f},
      {0x1003, 0.3f},    {0x0140, -64.0f}, {0x0805, 5.01f},  {0x0405, 4.99f}, {0x3000 | 20, 0.1f},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(KOL::nids::legacyLevel(c.hw), c.value, 1e-5) << std::hex << c.hw;
}

// The samples' digital tables are compared with the other reader; these are the edges.
TEST(NidsThresholds, DigitalScalings)
{
  KOL::nids::LevelTable t;
  uint16_t zero[16] = {0, 0, 0, 0, 0, 255};  // a scale of 0 counts as 1
  ASSERT_EQ(KOL::nids::digitalTable(165, zero, t), 1);
  EXPECT_FLOAT_EQ(t.value[30], 30.0f);
  EXPECT_EQ(KOL::nids::digitalTable(19, zero, t), 0);
}

TEST(NidsThresholds, HalfFloats)
{
  EXPECT_FLOAT_EQ(NidsFile::float16(0x0200), 1.0f);   // e = 0: 2 f / 1024
  EXPECT_FLOAT_EQ(NidsFile::float16(0x4000), 1.0f);   // e = 16, f = 0
  EXPECT_FLOAT_EQ(NidsFile::float16(0x4400), 2.0f);   // e = 17
  EXPECT_FLOAT_EQ(NidsFile::float16(0xC400), -2.0f);  // sign bit
  EXPECT_FLOAT_EQ(NidsFile::float32(0x4396, 0x0000), 300.0f);
  EXPECT_FLOAT_EQ(NidsFile::float32(0x7FC0, 0x0000), 0.0f);  // NaN is no usable scale
}

TEST(NidsLabels, ClassesAndMosaics)
{
  struct Case {
    int code, source;
    const char* label;
  } cases[] = {
      {19, 53, "Base reflectivity [dBZ]"},
      {186, 53, "Base reflectivity [dBZ]"},
      {89, 53, "Not supported - 89"},
      {90, 53, "Layer 3 comp refl [dBZ]"},
      {90, 10000, "Sfc 1 hr precipitation [in]"},
      {27, 53, "Base velocity [knt]"},
      {32, 53, "Digital hyb reflectivity [dBZ]"},
      {176, 53, "Digital instant prec rate [in/hr]"},
      {58, 53, "Storm track info"},
      {210, 10001, "Echo tops-18dBZ [ft]"},
      {300, 10001, "Not supported - 300"},
      {135, 53, "Enh Echo tops [1000 ft]"},
  };
  for (const Case& c : cases) EXPECT_EQ(NidsFile::label(c.code, c.source), c.label) << c.code;
  EXPECT_TRUE(NidsFile::isDHR(186));
  EXPECT_TRUE(NidsFile::isDual(176));
}

TEST_F(NidsBuiltTest, RunLengthRadialsWithAGapAreFilledFromThePreviousRadial)
{
  KOLTest::Product p;
  p.packet =
      KOLTest::radialPacket(0xAF1F, 20, {rl(0.0f, 4), rl(1.0f, 5), rl(3.0f, 6), rl(4.2f, 7)});
  NidsData d;
  ASSERT_EQ(decode(KOLTest::withHeading(KOLTest::buildMessage(p)), d), 1);
  ASSERT_TRUE(d.isRadial());
  EXPECT_EQ(d.getNy(), 360);
  EXPECT_EQ(d.getNx(), 20);
  EXPECT_FLOAT_EQ(d.getValue(0, 0), 15.0f);  // level 3
  EXPECT_FLOAT_EQ(d.getValue(15, 0), 20.0f);
  EXPECT_FLOAT_EQ(d.getValue(15, 2), 25.0f);  // the gap takes radial 1
  EXPECT_FLOAT_EQ(d.getValue(15, 3), 30.0f);
  EXPECT_FLOAT_EQ(d.getValue(15, 4), 35.0f);
  EXPECT_FLOAT_EQ(d.getValue(15, 5), NidsData::NO_COVERAGE);
  EXPECT_EQ(d.getLevel(15, 4), 7);
  EXPECT_STREQ(d.getLabel(), "Base reflectivity [dBZ]");
  EXPECT_STREQ(d.getMisc(), "Md=pr Res=1.0 Rng=230(20.0) El=0.5 Mx=68");
  EXPECT_FLOAT_EQ(d.getElev(), 0.5f);
  EXPECT_EQ(d.getDomain().proj, 11);
}

// Decoding reuses the array's storage: every cell comes from the product, whatever it held.
TEST_F(NidsBuiltTest, CellsNoRunReachesHoldTheFillWhateverTheArrayHeldBefore)
{
  KOLTest::Product p;
  p.packet = KOLTest::radialPacket(
      0xAF1F, 20,
      {rl(0.0f, 4), {1.0f, 1.0f, {0x53, 0x00}}, rl(3.0f, 6), {0.0f, 1.0f, {0x32, 0x00}}});
  const Bytes b = KOLTest::buildMessage(p);
  NidsData d;
  ASSERT_EQ(d.alloc(400, 40, 1234.0f), 1);
  for (int j = 0; j < 400; ++j)
    for (int i = 0; i < 40; ++i) d.setValue(i, j, 1234.0f, 99);
  ASSERT_EQ(decode(b, d), 1);
  ASSERT_EQ(d.getNy(), 360);
  ASSERT_EQ(d.getNx(), 20);
  // The level each bin of the first radials must hold, 0 where no run reached.
  const char* const first[] = {"22233333334444444444", "33333000000000000000",
                               "33333000000000000000", "33333333336666666666"};
  auto expectedLevel = [&](int i, int j) { return j <= 3 ? first[j][i] - '0' : 0; };
  for (int j = 0; j < d.getNy(); ++j)
    for (int i = 0; i < d.getNx(); ++i) {
      const int level = expectedLevel(i, j);
      const bool covered = j <= 3 && (j == 0 || j == 3 || i < 5);
      ASSERT_EQ(d.getLevel(i, j), level) << i << "," << j;
      ASSERT_EQ(d.getValue(i, j), covered ? 5.0f * level : NidsData::NO_COVERAGE) << i << "," << j;
    }
}

TEST_F(NidsBuiltTest, BadAngleEndsTheRadials)
{
  KOLTest::Product p;
  p.packet = KOLTest::radialPacket(0xAF1F, 20, {rl(0.0f, 4), rl(1.0f, 5, 0.0f), rl(2.0f, 6)});
  NidsData d;
  ASSERT_EQ(decode(KOLTest::buildMessage(p), d), 1);
  EXPECT_EQ(d.getLevel(15, 0), 4);
  EXPECT_EQ(d.getLevel(15, 1), 0);
  EXPECT_EQ(d.getLevel(15, 2), 0);
}

TEST_F(NidsBuiltTest, CompressedFormsDecodeToTheSameValues)
{
  std::vector<KOLTest::Radial> radials;
  std::mt19937 rng(7);
  for (int k = 0; k < 360; ++k) {
    KOLTest::Radial r{static_cast<float>(k), 1.0f, {}};
    for (int b = 0; b < 230; ++b) r.runs.push_back(static_cast<uint8_t>(rng() % 256));
    radials.push_back(r);
  }
  KOLTest::Product p;
  p.code = 94;
  p.thresholds[0] = static_cast<uint16_t>(-320), p.thresholds[1] = 5, p.thresholds[2] = 254;
  p.packet = KOLTest::radialPacket(16, 230, radials);
  const Bytes plain = KOLTest::withHeading(KOLTest::buildMessage(p));
  NidsData a, b, c;
  ASSERT_EQ(decode(plain, a), 1);
  ASSERT_EQ(decode(KOLTest::zlibFramed(KOLTest::buildMessage(p), 4000), b), 1);
  p.bzip2 = true;
  ASSERT_EQ(decode(KOLTest::withHeading(KOLTest::buildMessage(p)), c), 1);
  for (int j = 0; j < 360; ++j)
    for (int i = 0; i < 230; ++i) {
      ASSERT_EQ(a.getLevel(i, j), radials[j].runs[i]);
      ASSERT_EQ(b.getValue(i, j), a.getValue(i, j));
      ASSERT_EQ(c.getValue(i, j), a.getValue(i, j));
    }
  EXPECT_EQ(a.getValue(0, 0),
            radials[0].runs[0] < 2 ? Const::FMISS : -32.0f + (radials[0].runs[0] - 2) * 0.5f);
}

TEST_F(NidsBuiltTest, CompressionThatOutgrowsTheStatedSizeIsCut)
{
  std::vector<KOLTest::Radial> radials(360);
  for (int k = 0; k < 360; ++k) radials[k] = {static_cast<float>(k), 1.0f, Bytes(230, 40)};
  KOLTest::Product p;
  p.code = 94;
  p.packet = KOLTest::radialPacket(16, 230, radials);
  p.bzip2 = true;
  Bytes m = KOLTest::buildMessage(p);
  // Parameter 10 (offset 18 + 2 + 4 + 4 + 2 + 24 + 2 + 2 + 2 + 32 + 12) states the size.
  m[18 + 86] = 0, m[18 + 87] = 0, m[18 + 88] = 0x10, m[18 + 89] = 0;
  NidsData d;
  EXPECT_EQ(decode(m, d), 0);
}

TEST_F(NidsBuiltTest, PacketCountsBeyondTheBlockStopCleanly)
{
  KOLTest::Product p;
  p.packet = KOLTest::radialPacket(0xAF1F, 20, {rl(0.0f, 4), rl(1.0f, 5)});
  p.packet[13] = 0xFF, p.packet[12] = 0x0F;  // 4095 radials announced
  NidsData d;
  EXPECT_EQ(decode(KOLTest::buildMessage(p), d), 0);
  p.packet[13] = 0xFF, p.packet[12] = 0xFF;  // beyond any product
  EXPECT_EQ(decode(KOLTest::buildMessage(p), d), 0);
  p.packet = KOLTest::radialPacket(0xAF1F, 20, {});  // no radial at all
  EXPECT_EQ(decode(KOLTest::buildMessage(p), d), 0);
}

TEST_F(NidsBuiltTest, HeadingFramingsAndEncryption)
{
  KOLTest::Product p;
  p.packet = KOLTest::radialPacket(0xAF1F, 20, {rl(0.0f, 4)});
  const Bytes m = KOLTest::buildMessage(p);
  Bytes soh = {0x01, '\r', '\r', '\n', '1', '2', '\r', '\r', '\n'};
  const Bytes h = KOLTest::withHeading(m);
  soh.insert(soh.end(), h.begin(), h.end());
  for (const Bytes& b : {m, h, soh}) {
    NidsFile f;
    NidsInfo info;
    ASSERT_EQ(f.openBytes(b.data(), b.size()), 1);
    ASSERT_EQ(f.readHeader(info), 1);
    EXPECT_EQ(info.getProduct(), 19);
  }
  Bytes r3 = {'R', '3', 0, 0, 0, 0};
  NidsFile f;
  EXPECT_EQ(f.openBytes(r3.data(), r3.size()), 0);
}

}  // namespace
