// GINI satellite files against an independent reader and PROJ, header tables, damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Expected.h"
#include "common/Proj.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "geo/Domain.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"

using KOL::GiniFile;
using KOL::Image;
using KOL::Kol;

namespace {

class GiniSamples : public KOLTest::QuietTest {};

// The sum of the pixels and the number of those not 0.
std::pair<long, long> pixelSum(const Image& im)
{
  std::pair<long, long> s;
  for (int j = 0; j < im.getHeight(); ++j)
    for (int i = 0; i < im.getWidth(); ++i)
      s.first += im.getVal(i, j), s.second += im.getVal(i, j) != 0;
  return s;
}

TEST_F(GiniSamples, EveryFileAgreesWithTheIndependentReader)
{
  KOL_REQUIRE_DATA();
  auto files = KOLTest::filesWithExpected("gini");
  ASSERT_FALSE(files.empty());
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    auto ex = KOLTest::expected(f);
    GiniFile g(KOLTest::dataFile(f).c_str(), GiniFile::AUTO);
    ASSERT_TRUE(g.isOpen());
    EXPECT_EQ(g.getKind(), ex["zlib_compressed"].get<bool>() ? GiniFile::ZLIB : GiniFile::PNG);
    Image im;
    ASSERT_EQ(g.read(im), 1);
    EXPECT_EQ(std::string(g.getHeading()), ex["wmo_heading"].get<std::string>());
    const GiniFile::Pdb& p = g.getPdb();
    const int octets[] = {p.source, p.entity, p.sector, p.channel};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(octets[k], ex["pdb_raw_octets_1_4"][k].get<int>());
    EXPECT_EQ(p.projection, ex["pdb_raw_octet_16_projection"].get<int>());
    const char* keys[] = {"la1", "lo1", "latin", "lov", "dx", "dy", "la2", "lo2"};
    const float got[] = {p.la1, p.lo1, p.latin, p.lov, p.dx, p.dy, p.la2, p.lo2};
    for (int k = 0; k < 8; ++k)
      EXPECT_NEAR(got[k], ex.contains(keys[k]) ? ex[keys[k]].get<double>() : got[k], 1e-4)
          << keys[k];
    if (ex.contains("proj_center")) {
      EXPECT_EQ(p.projCenter, ex["proj_center"].get<int>());
    }
    // the tail: scanning mode, Latin, km, compression, version, size, navigation (some signed)
    const auto& tail = ex["pdb2"];
    const bool negI = tail[0][0].get<bool>(), posJ = tail[0][1].get<bool>(),
               byColumns = tail[0][2].get<bool>();
    EXPECT_EQ(p.scanMode & 0xE0, (negI ? 0x80 : 0) | (posJ ? 0x40 : 0) | (byColumns ? 0x20 : 0));
    EXPECT_EQ(p.resolution, tail[2].get<int>() & 0xFF);
    EXPECT_EQ(p.compression, tail[3].get<int>() & 0xFF);
    EXPECT_EQ(p.version, tail[4].get<int>() & 0xFF);
    EXPECT_EQ(p.pdbSize == 0 ? 512 : p.pdbSize, tail[5].get<int>());
    EXPECT_EQ(p.navCal, tail[6].get<int>() & 0xFF);
    EXPECT_EQ(im.getWidth(), ex["nx"].get<int>());
    EXPECT_EQ(im.getHeight(), ex["ny"].get<int>());
    EXPECT_EQ(im.getDate().getSeconds(), KOLTest::isoSeconds(ex["datetime"].get<std::string>()));
    EXPECT_EQ(im.getType(), 2);
    EXPECT_EQ(pixelSum(im),
              std::pair(ex["pixel_sum"].get<long>(), ex["nonzero_count"].get<long>()));
    const int w = im.getWidth(), h = im.getHeight();
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(im.getVal(k, 0), ex["first_row_first10"][k].get<int>()) << k;
      EXPECT_EQ(im.getVal(w - 10 + k, h - 1), ex["last_row_last10"][k].get<int>()) << k;
    }
    EXPECT_EQ(im.getVal(ex["centre_pixel_index_row_col"][1].get<int>(),
                        ex["centre_pixel_index_row_col"][0].get<int>()),
              ex["centre_pixel"].get<int>());
  }
}

// The mosaic's calibration is the digital base reflectivity's scale, as the NIDS reader gave it.
TEST_F(GiniSamples, MosaicCalibrationIsTheDigitalReflectivityScale)
{
  KOL_REQUIRE_DATA();
  GiniFile g(KOLTest::dataFile("gini/Level3_Composite_dhr_1km_20180309_2225.gini").c_str(),
             GiniFile::AUTO);
  Image im;
  ASSERT_EQ(g.read(im), 1);
  EXPECT_EQ(g.getPdb().units, "dBZ");
  ASSERT_EQ(g.getPdb().ranges.size(), 2u);
  const auto levels =
      KOLTest::expected("nids/KOUN_SDUS54_N0QTLX_201305202016")["level_table_metpy"];
  ASSERT_EQ(levels.size(), 256u);
  for (int k = 0; k < 256; ++k) {
    if (levels[k].is_null()) {
      EXPECT_EQ(im.getValue(k), KOL::Const::FMISS) << "no echo at " << k;
      continue;
    }
    EXPECT_NEAR(im.getValue(k), levels[k].get<double>(), 1e-4) << k;
  }
}

// (La1, Lo1) is the first pixel of the last row; the corners agree with PROJ to 0.1 pixel.
TEST_F(GiniSamples, PolarStereographicPixelsAgreeWithProj)
{
  KOL_REQUIRE_DATA();
  KOL_REQUIRE_PROJ();
  for (const char* f : {"gini/TIGN02", "gini/AK-REGIONAL_8km_3.9_20160408_1445.gini"}) {
    SCOPED_TRACE(f);
    GiniFile g(KOLTest::dataFile(f).c_str(), GiniFile::AUTO);
    Image im;
    ASSERT_EQ(g.readHeader(im), 1);
    const GiniFile::Pdb& p = g.getPdb();
    const std::string stere = "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=" + std::to_string(p.lov) +
                              " +R=6371220",
                      ll = "+proj=longlat +R=6371220";
    const KOLTest::XY first =
        KOLTest::projRun("cs2cs -f %.6f " + ll + " +to " + stere, {{p.lo1, p.la1}})[0];
    const double dx = p.dx * 1000.0, dy = p.dy * 1000.0;
    const int nx = im.getWidth(), ny = im.getHeight();
    const std::vector<std::pair<int, int>> corners = {
        {0, ny - 1}, {0, 0}, {nx - 1, 0}, {nx - 1, ny - 1}, {nx / 2, ny / 3}};
    std::vector<KOLTest::XY> plane;
    for (const auto& [i, j] : corners)
      plane.emplace_back(first.first + i * dx, first.second + (ny - 1 - j) * dy);
    const auto earth = KOLTest::projRun("cs2cs -f %.6f " + stere + " +to " + ll, plane);
    for (size_t k = 0; k < corners.size(); ++k) {
      KOL::EarthPoint ep(static_cast<float>(earth[k].second), static_cast<float>(earth[k].first));
      KOL::GridPoint gp;
      ASSERT_EQ(im.tran(ep, gp), 1);
      EXPECT_NEAR(gp.x, corners[k].first, 0.1) << k;
      EXPECT_NEAR(gp.y, corners[k].second, 0.1) << k;
    }
  }
}

// A raw body (heading, 512-byte PDB, pixels), bodyRows of its ny rows.
std::string rawGini(int entity, int sector, int channel, int nx, int ny, int bodyRows)
{
  std::string s = "TIGE01 KNES 010000\r\r\n";
  std::string pdb(512, '\0');
  pdb[0] = 1, pdb[1] = static_cast<char>(entity), pdb[2] = static_cast<char>(sector),
  pdb[3] = static_cast<char>(channel);
  pdb[8] = 104, pdb[9] = 3, pdb[10] = 5, pdb[11] = 12, pdb[12] = 30, pdb[13] = 15;
  pdb[15] = 5;
  pdb[16] = static_cast<char>(nx >> 8), pdb[17] = static_cast<char>(nx);
  pdb[18] = static_cast<char>(ny >> 8), pdb[19] = static_cast<char>(ny);
  auto angle = [&](int at, double deg) {
    long v = std::lround(std::fabs(deg) * 10000);
    pdb[at] = static_cast<char>(((v >> 16) & 0x7F) | (deg < 0 ? 0x80 : 0));
    pdb[at + 1] = static_cast<char>(v >> 8);
    pdb[at + 2] = static_cast<char>(v);
  };
  angle(20, 20.0), angle(23, -120.0), angle(27, -105.0);
  const long d = 40000;  // 4 km
  for (int at : {30, 33})
    pdb[at] = static_cast<char>(d >> 16), pdb[at + 1] = static_cast<char>(d >> 8),
    pdb[at + 2] = static_cast<char>(d);
  s += pdb;
  for (int k = 0; k < nx * bodyRows; ++k) s += static_cast<char>(k % 251);
  return s;
}

TEST(GiniHeader, TextsAndTablesByEntitySectorAndChannel)
{
  struct Case {
    int entity, sector, channel;
    const char* info;
    float v0, v175, v176;  // value table at 0, 175, 176; NaN for none
  } cases[] = {
      {99, 1, 27, "Reflectivity mosaic (dBZ)", -30.0f, 145.0f, 146.0f},
      {12, 1, 4, "GOES 9 Infrared 11um", 57.0f, -30.5f, -31.0f},
      {12, 0, 1, "GOES NH Visible", NAN, NAN, NAN},
      {99, 1, 3, "CONUS Water Vapor", 57.0f, -30.5f, -31.0f},
      {6, 10, 2, "Composite NH Infrared 3.9um", NAN, NAN, NAN},
      {19, 9, 59, "GOES NC Sounder visible", NAN, NAN, NAN},
  };
  for (const Case& c : cases) {
    GiniFile::Pdb p;
    p.entity = c.entity, p.sector = c.sector, p.channel = c.channel;
    char info[80];
    std::vector<float> values;
    GiniFile::describe(p, info, sizeof info, values);
    EXPECT_STREQ(info, c.info);
    if (std::isnan(c.v0)) {
      EXPECT_TRUE(values.empty()) << c.info;
      continue;
    }
    ASSERT_EQ(values.size(), 256u) << c.info;
    EXPECT_FLOAT_EQ(values[0], c.v0);
    EXPECT_FLOAT_EQ(values[175], c.v175);
    EXPECT_FLOAT_EQ(values[176], c.v176);
  }
}

// Another maker's calibrated channel keeps its name; short blocks and the flag off.
TEST(GiniHeader, CalibrationBlockGivesTheValueTable)
{
  std::vector<uint8_t> pdb(512, 0);
  pdb[1] = 12, pdb[2] = 1, pdb[3] = 4, pdb[46] = GiniFile::CALIBRATED;
  const std::string units = "dBZ     ";
  std::copy(units.begin(), units.end(), pdb.begin() + 47);
  auto put = [&](int at, double v) {
    const uint32_t m = static_cast<uint32_t>(std::lround(std::fabs(v) * 10000));
    pdb[at] = static_cast<uint8_t>(((m >> 24) & 0x7F) | (v < 0 ? 0x80 : 0));
    pdb[at + 1] = static_cast<uint8_t>(m >> 16), pdb[at + 2] = static_cast<uint8_t>(m >> 8);
    pdb[at + 3] = static_cast<uint8_t>(m);
  };
  const double ranges[][4] = {{0, 1, -9999, -9995}, {2, 255, -32, 94.5}};
  pdb[55] = 2;
  for (int r = 0; r < 2; ++r)
    for (int k = 0; k < 4; ++k) put(56 + 16 * r + 4 * k, ranges[r][k]);
  GiniFile::Pdb p;
  p.decode(pdb.data(), pdb.size());
  EXPECT_EQ(p.units, "dBZ");
  char info[80];
  std::vector<float> values;
  GiniFile::describe(p, info, sizeof info, values);
  EXPECT_STREQ(info, "GOES 9 Infrared 11um");
  ASSERT_EQ(values.size(), 256u);
  EXPECT_EQ(values[1], KOL::Const::FMISS);
  EXPECT_FLOAT_EQ(values[2], -32.0f);
  EXPECT_FLOAT_EQ(values[255], 94.5f);
  pdb[55] = 255;
  p.decode(pdb.data(), 100);
  EXPECT_EQ(p.ranges.size(), 2u);
  pdb[46] = 0;
  p.decode(pdb.data(), pdb.size());
  EXPECT_FALSE(p.isCalibrated());
  EXPECT_TRUE(p.units.empty());
}

TEST(GiniHeader, MercatorAcrossTheDateLineCentresOnItsMiddle)
{
  GiniFile::Pdb p;
  p.projection = 1, p.nx = 61, p.ny = 41;
  p.la1 = 10.0f, p.lo1 = 160.0f, p.la2 = 30.0f, p.lo2 = 220.0f;
  KOL::DomainVal d = GiniFile::makeDomain(p);
  EXPECT_NEAR(d.clon, -170.0f, 1e-3);
  KOL::Domain dom(d);
  KOL::EarthPoint sw(10.0f, 160.0f), ne(30.0f, -140.0f);
  KOL::GridPoint g;
  dom.tran(sw, g);
  EXPECT_NEAR(g.x, 0.0f, 1e-2);
  EXPECT_NEAR(g.y, 40.0f, 1e-2);
  dom.tran(ne, g);
  EXPECT_NEAR(g.x, 60.0f, 1e-2);
  EXPECT_NEAR(g.y, 0.0f, 1e-2);
  p.projection = 7;
  EXPECT_EQ(GiniFile::makeDomain(p).proj, KOL::Const::MISS);
}

class GiniBuilt : public KOLTest::QuietTest {};

TEST_F(GiniBuilt, RawBodyAndShortBody)
{
  KOLTest::TempDir tmp;
  KOLTest::writeFile(tmp.file("full"), rawGini(12, 1, 4, 30, 20, 20));
  KOLTest::writeFile(tmp.file("short"), rawGini(12, 1, 4, 30, 20, 19));
  GiniFile g(tmp.file("full").c_str(), GiniFile::AUTO);
  EXPECT_EQ(g.getKind(), GiniFile::RAW_HEADING);
  Image im;
  ASSERT_EQ(g.read(im), 1);
  EXPECT_EQ(im.getVal(29, 19), (20 * 30 - 1) % 251);
  EXPECT_STREQ(im.getDatim()[0] ? "set" : "", "set");
  GiniFile s(tmp.file("short").c_str(), GiniFile::RAW_HEADING);
  EXPECT_EQ(s.read(im), 0);
  EXPECT_EQ(s.getRowsRead(), 19);
  EXPECT_EQ(im.getVal(29, 18), (19 * 30 - 1) % 251);

  KOLTest::writeFile(tmp.file("huge"), rawGini(12, 1, 4, 30, 0, 0));
  GiniFile h(tmp.file("huge").c_str(), GiniFile::AUTO);
  EXPECT_EQ(h.readHeader(im), 0);
  EXPECT_FALSE(h.isOpen());
  EXPECT_EQ(GiniFile().open(tmp.file("full").c_str(), 1, GiniFile::AUTO), 0);
}

}  // namespace

// Other products, copies cut short, and GINI headers of a bad projection or time are refused.
TEST_F(GiniSamples, OtherProductsAndDamagedFilesAreRefused)
{
  KOL_REQUIRE_DATA();
  Kol::setMessageLevel(Kol::WARN);
  int tried = 0;
  for (const std::string& name : KOLTest::filesWithExpected("nids")) {
    GiniFile g(KOLTest::dataFile(name).c_str(), GiniFile::AUTO);
    Image im;
    testing::internal::CaptureStderr();
    EXPECT_EQ(g.read(im), 0) << name;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
    tried++;
  }
  EXPECT_GT(tried, 40);
  KOLTest::TempDir tmp;
  for (const char* f : {"gini/TIGN02", "gini/Level3_Composite_dhr_1km_20180309_2225.gini",
                        "gini/HI-REGIONAL_4km_3.9_20160616_1715.gini"}) {
    const std::string whole = KOLTest::readFile(KOLTest::dataFile(f));
    for (int tenth = 0; tenth < 10; ++tenth) {  // copies cut short
      KOLTest::writeFile(tmp.file("cut"), whole.substr(0, whole.size() * tenth / 10));
      Image im;
      EXPECT_EQ(GiniFile(tmp.file("cut").c_str(), GiniFile::AUTO).read(im), 0) << f << tenth;
    }
  }
  KOLTest::writeFile(tmp.file("g"), rawGini(1, 0, 2, 4, 3, 3));
  Image good;
  ASSERT_EQ(GiniFile(tmp.file("g").c_str(), GiniFile::AUTO).read(good), 1);
  for (auto [at, value] :
       {std::pair{15, 53}, {15, 0}, {9, 13}, {9, 0}, {10, 0}, {10, 32}, {11, 24}, {12, 60}}) {
    std::string s = rawGini(1, 0, 2, 4, 3, 3);
    s[s.find("\r\r\n") + 3 + at] = static_cast<char>(value);
    KOLTest::writeFile(tmp.file("g"), s);
    GiniFile g(tmp.file("g").c_str(), GiniFile::AUTO);
    Image im;
    testing::internal::CaptureStderr();
    EXPECT_EQ(g.read(im), 0) << "octet " << at + 1 << " = " << value;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a GINI image"), std::string::npos);
  }
}
