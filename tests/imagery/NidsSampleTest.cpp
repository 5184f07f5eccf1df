// Every NIDS sample file against what an independent reader decoded from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "Expected.h"
#include "core/Const.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"

using KOL::Const;
using KOL::NidsData;
using KOL::NidsFile;
using KOL::NidsInfo;

namespace {

class NidsSamples : public KOLTest::QuietTest {};

int packetCode(const nlohmann::json& name)
{
  if (!name.is_string()) return 0;
  const std::string s = name.get<std::string>();
  if (s.rfind("0xAF1F", 0) == 0) return NidsFile::PACKET_RADIAL;
  if (s.rfind("0xBA07", 0) == 0) return NidsFile::PACKET_RASTER_B;
  if (s.rfind("0xBA0F", 0) == 0) return NidsFile::PACKET_RASTER_A;
  return std::stoi(s);
}

// The reader gives m/s and hundredths of an inch; the library knots and inches.
double expectedValue(int product, bool digital, double v)
{
  if (NidsFile::isVel(product) && digital) return v * 1.944;
  if (NidsFile::isDPrec(product) && digital) return v / 100.0;
  return v;
}

void checkHeader(const NidsFile& f, const NidsInfo& info, const nlohmann::json& ex)
{
  EXPECT_EQ(f.getMessageCode(), ex["message_code"].get<int>());
  EXPECT_EQ(f.getHeading(), ex["wmo_heading"].get<std::string>());
  EXPECT_EQ(f.getAwipsId(), ex["awips_id"].get<std::string>());
  EXPECT_EQ(info.getProduct(), ex["product_code"].get<int>());
  EXPECT_NEAR(info.getLat(), ex["radar_latitude"].get<double>(), 1e-4);
  EXPECT_NEAR(info.getLon(), ex["radar_longitude"].get<double>(), 1e-4);
  EXPECT_NEAR(info.getHeight(), ex["radar_height_m"].get<double>(), 0.01);
  EXPECT_EQ(info.getMode(), ex["op_mode"].get<int>());
  EXPECT_EQ(info.getVcp(), ex["vcp"].get<int>());
  KOL::Date d;
  ASSERT_EQ(info.getDate(d), 1);
  for (auto [v, key] : {std::pair{d.getSeconds(), "volume_scan_time"},
                        {info.getGenDate().getSeconds(), "product_gen_time"},
                        {f.getMessageDate(), "message_time"}})
    EXPECT_EQ(v, KOLTest::isoSeconds(ex[key].get<std::string>())) << key;
  if (ex["elevation_angle_deg"].is_null()) {
    EXPECT_EQ(info.getElev(), Const::FMISS);
  } else {
    EXPECT_NEAR(info.getElev(), ex["elevation_angle_deg"].get<double>(), 1e-3);
  }
  for (int k = 0; k < 16; ++k)
    EXPECT_EQ(f.getThresholdWord(k), ex["threshold_halfwords"][k].get<unsigned>()) << k;
  for (int k = 1; k <= 10; ++k)  // halfwords; the reader gives some signed, some not
    EXPECT_EQ(f.getParam(k) & 0xFFFF, ex["dependent_params_1_10"][k - 1].get<int>() & 0xFFFF) << k;
  for (auto [v, key] : {std::pair{f.getSymbologyOffset(), "symbology"},
                        {f.getGraphicOffset(), "graphic"},
                        {f.getTabularOffset(), "tabular"}})
    EXPECT_EQ(v, ex["offsets_halfwords"][key].get<long>()) << key;
  EXPECT_EQ(f.getCompression() == NidsFile::BZIP2, ex["bzip2_symbology"].get<bool>());
  EXPECT_EQ(f.getCompression() == NidsFile::ZLIB, ex["zlib_compressed"].get<bool>());
}

void checkLevels(const NidsFile& f, int product, const nlohmann::json& table)
{
  if (NidsFile::isHydroClass(product)) return;  // the reader lists class names, not codes
  const bool legacy = table.size() == 16;
  for (size_t c = 0; c < table.size(); ++c) {
    if (table[c].is_null()) {  // a flag (no data, range folded)
      if (!legacy) {
        EXPECT_EQ(f.getLevelValue(static_cast<int>(c)), Const::FMISS) << "code " << c;
      }
      continue;
    }
    const double want = expectedValue(product, !legacy, table[c].get<double>());
    const double got =
        legacy ? f.getThreshold(static_cast<int>(c)) : f.getLevelValue(static_cast<int>(c));
    // Legacy ">" and "<" flags move a threshold by 0.01.
    EXPECT_NEAR(got, want, legacy ? 0.011 : 1e-4 * std::max(1.0, std::fabs(want))) << "code " << c;
  }
}

// The first radial or row through the packet reader: its angles and the level of each bin.
void checkFirst(const std::string& name, const nlohmann::json& ex)
{
  NidsFile f(KOLTest::dataFile(name).c_str());
  NidsInfo info;
  ASSERT_EQ(f.readHeader(info), 1);
  const bool radial = ex.contains("num_radials");
  if (radial) {
    KOL::NidsRadial r;
    ASSERT_EQ(f.readRadial(r), 1);
    EXPECT_NEAR(r.start, ex["first_radial_start_angle"].get<double>(), 1e-4);
    EXPECT_NEAR(r.delta, ex["first_radial_angle_delta"].get<double>(), 1e-4);
  } else {
    ASSERT_EQ(f.readRastor(), 1);
  }
  const auto& first20 = ex[radial ? "first_radial_first20_levels" : "first_row_first20_levels"];
  std::vector<int> levels;
  KOL::NidsRun run;
  while (levels.size() < 20 && f.readRun(run))
    for (int k = 0; k < run.length; ++k) levels.push_back(run.level);
  levels.resize(20);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(levels[k], first20[k].get<int>()) << "bin " << k;
}

void checkArray(const NidsFile& f, const NidsData& d, const nlohmann::json& ex)
{
  const bool radial = ex.contains("num_radials");
  ASSERT_EQ(d.isRadial(), radial);
  EXPECT_EQ(d.getNy(), ex[radial ? "num_radials" : "num_rows"].get<int>());
  EXPECT_EQ(d.getNx(), ex[radial ? "num_bins_max" : "num_cols_max"].get<int>());
  long sum = 0, count = 0;
  for (int j = 0; j < d.getNy(); ++j)
    for (int i = 0; i < d.getNx(); ++i) {
      const int level = d.getLevel(i, j);
      sum += level;
      count += level != 0;
      const float v = d.getValue(i, j);
      if (v != NidsData::NO_COVERAGE && v != NidsData::NO_DATA) {
        ASSERT_EQ(v, f.getLevelValue(level)) << i << "," << j;
      }
    }
  EXPECT_EQ(sum, ex["nonzero_level_sum"].get<long>());
  EXPECT_EQ(count, ex["nonzero_level_count"].get<long>());
}

TEST_F(NidsSamples, EveryFileAgreesWithTheIndependentReader)
{
  KOL_REQUIRE_DATA();
  auto files = KOLTest::filesWithExpected("nids");
  ASSERT_GT(files.size(), 50u);
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    auto ex = KOLTest::expected(name);
    NidsFile f(KOLTest::dataFile(name).c_str());
    NidsInfo info;
    if (!ex.contains("message_code")) {  // a free text message: no binary product
      EXPECT_EQ(f.isOpen() ? f.readHeader(info) : 0, 0);
      continue;
    }
    ASSERT_TRUE(f.isOpen());
    ASSERT_EQ(f.readHeader(info), 1);
    if (!ex.contains("product_code")) {  // status messages carry no product description
      EXPECT_EQ(f.getMessageCode(), ex["message_code"].get<int>());
      EXPECT_STREQ(info.getLabel(), "Not supported - 2");
      NidsData d;
      EXPECT_EQ(f.readData(d), 0);
      continue;
    }
    checkHeader(f, info, ex);
    const int packet = packetCode(ex["data_packet"]);
    NidsData d;
    if (packet == 0 || packet == 28) {
      EXPECT_EQ(info.getPacket(), 0);
      if (packet == 28) {
        EXPECT_EQ(f.getStopPacket(), 28);
      }
      EXPECT_EQ(f.readData(d), 0);
      continue;
    }
    EXPECT_EQ(info.getPacket(), packet);
    checkLevels(f, info.getProduct(), ex["level_table_metpy"]);
    ASSERT_EQ(f.readData(d), 1);
    EXPECT_STREQ(d.getLabel(), info.getLabel());
    checkArray(f, d, ex);
    checkFirst(name, ex);
  }
}

// The graphic products' packets walked record by record, counted as the other reader did.
TEST_F(NidsSamples, GraphicPacketsAreWalkedRecordByRecord)
{
  KOL_REQUIRE_DATA();
  for (const char* name :
       {"nids/KOUN_SDUS34_NVWTLX_201305202016", "nids/Level3_MCI_NVW_20160526_2154.nids",
        "nids/KOUN_SDUS34_NSTTLX_201305202016", "nids/KOUN_SDUS34_NMDTLX_201305202016",
        "nids/KOUN_SDUS64_NHITLX_201305202016", "nids/KOUN_SDUS64_NTVTLX_201305202016"}) {
    SCOPED_TRACE(name);
    auto ex = KOLTest::expected(name);
    NidsFile f(KOLTest::dataFile(name).c_str());
    NidsInfo info;
    ASSERT_EQ(f.readHeader(info), 1);
    ASSERT_EQ(f.rewindPackets(), 1);
    std::map<int, int> counts;
    int winds = 0, texts = 0, vectors = 0, code;
    while ((code = f.readPacket()) > 0) {
      ++counts[code];
      KOL::NidsWind w;
      KOL::NidsText t;
      KOL::NidsVector v;
      while (f.readWind(w)) ++winds;
      while (f.readText(t)) ++texts;
      while (f.readVector(v)) ++vectors;
      f.skipPacket();
    }
    EXPECT_EQ(f.getStopPacket(), 0);
    // track packets (23, 24) hold symbol and vector packets the other reader counts too
    const bool containers = counts[23] + counts[24] > 0;
    for (auto& [key, n] : ex["symbology_packets"].items()) {
      const int k = std::stoi(key);
      if (containers && (k == 2 || k == 6)) {
        EXPECT_LE(counts[k], n.get<int>()) << key;
      } else {
        EXPECT_EQ(counts[k], n.get<int>()) << key;
      }
    }
    if (counts[4]) {
      EXPECT_EQ(winds, counts[4]);
    }
    EXPECT_EQ(texts, counts[8] + counts[1]);
    if (counts[10] + counts[6]) {
      EXPECT_GT(vectors, 0);
    }
  }
}

// The line below a picture states the product's parameters as the other reader found them.
TEST_F(NidsSamples, MiscellaneousTextAgreesWithTheParameters)
{
  KOL_REQUIRE_DATA();
  const struct {
    const char* name;
    const char* format;
    const char *first, *second;  // metadata of the independent reader; second may be none
    double scale;
  } cases[] = {
      {"nids/KOUN_SDUS24_N1STLX_201305202016", " Stm=%.0f-%.0f", "avg_dir", "avg_speed", 1},
      {"nids/KOUN_SDUS64_NHLTLX_201305202016", " Lyr=%.0f-%.0f", "layer_bottom", "layer_top", 1e-3},
      {"nids/KOUN_SDUS34_N1PTLX_201305202016", " Mx=%.2f", "max_rainfall", nullptr, 1},
      {"nids/KOUN_SDUS84_DTATLX_201305202016", " Mx=%.2f", "max", nullptr, 1},
      {"nids/KOUN_SDUS84_DODTLX_201305202016", " Mn,Mx=%.2f,%.2f", "min", "max", 1},
      {"nids/KOUN_SDUS54_DSPTLX_201305202016", " B=20/17:49 ", nullptr, nullptr, 0},
      {"nids/KOUN_SDUS84_DTATLX_201305202016", " B=20/18:18 ", nullptr, nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string want = c.format;
    if (c.first) {
      const auto m = KOLTest::expected(c.name)["metadata"];
      char text[64];
      std::snprintf(text, sizeof text, c.format, m[c.first].get<double>() * c.scale,
                    c.second ? m[c.second].get<double>() * c.scale : 0.0);
      want = text;
    }
    NidsFile f(KOLTest::dataFile(c.name).c_str());
    NidsInfo info;
    ASSERT_EQ(f.readHeader(info), 1);
    EXPECT_NE(std::string(info.getMisc()).find(want), std::string::npos)
        << info.getMisc() << " lacks" << want;
  }
  NidsFile fixed(KOLTest::dataFile("nids/KOUN_SDUS34_N1PTLX_201305202016").c_str());
  NidsInfo info;
  ASSERT_EQ(fixed.readHeader(info), 1);
  EXPECT_EQ(std::string(info.getMisc()).find(" B="), std::string::npos) << info.getMisc();
}

}  // namespace
