// GribFile on real and made files: domains, bulletin streams with transmission headers, header
// files, peeking, selection, multi-grid reads, predefined grids and the edition 1 writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "GribMessages.h"
#include "common/TestData.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/Grids.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"

using namespace KOL;

namespace {

class GribFileTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
  KOLTest::TempDir tmp;
  static std::string data(const std::string& name) { return KOLTest::dataFile("grib/" + name); }
  // The bytes written to a file of the temporary directory.
  std::string file(const std::string& name, const KOLTest::Bytes& b)
  {
    KOLTest::writeFile(tmp.file(name), std::string(b.begin(), b.end()));
    return tmp.file(name);
  }
};

TEST_F(GribFileTest, BulletinStreamsAndGarbageBetweenMessages)
{
  KOL_REQUIRE_DATA();
  EXPECT_EQ(KOLTest::readGrids(data("wmo_framed_stream.bin")).size(), 4u);
  GribFile gf(data("wmo_framed_stream.bin").c_str());
  Grid g;
  EXPECT_TRUE(gf.checkType() == GribFile::WMO && gf.read(g));
  EXPECT_STREQ(gf.getWmoHeader(), "HTNA50 KWBC 061200");
  EXPECT_EQ(KOLTest::readGrids(data("bulletin_starstar_YHXF02.grib")).size(), 1u);

  // Two messages with 3000 bytes of noise between them and a torn one after.
  const KOLTest::Bytes good = KOLTest::buildEd2(KOLTest::Ed2Spec());
  KOLTest::Bytes stream = good;
  for (int k = 0; k < 3000; k++) stream.push_back(static_cast<uint8_t>(k * 7 % 251));
  stream.insert(stream.end(), good.begin(), good.end());
  stream.insert(stream.end(), good.begin(), good.begin() + 60);
  testing::internal::CaptureStderr();
  EXPECT_EQ(KOLTest::readGrids(file("noisy.grib2", stream)).size(), 2u);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("searchGRIB failed to find GRIB"), std::string::npos) << err;
  EXPECT_NE(err.find("truncated message"), std::string::npos) << err;
}

TEST_F(GribFileTest, BulletinWithoutStarsHeaderIsSkippedToTheNextOne)
{
  const KOLTest::Bytes msg = KOLTest::buildEd2(KOLTest::Ed2Spec());
  const std::string grib(msg.begin(), msg.end()), head = "** YHXF02 KWBC 061200 1234\n" + grib;
  const struct {
    const char* name;
    std::string stream;
    size_t grids;
    bool warned;
    const char* lastHeader;
  } cases[] = {{"clean", head + "\r\r\n** YHXF03 KWBC 061200 1234\n" + grib + "\r\r\n", 2, false,
                "YHXF03 KWBC 061200"},
               // The second product has no "** " line: it is dropped up to the next header.
               {"bad product",
                head + "\nnoise\nmore noise\n" + grib + "\n** YHXF04 KWBC 061200 1234\n" + grib, 2,
                true, "YHXF04 KWBC 061200"},
               // More than four lines before the header line also count as a bad product.
               {"late header", head + "\n1\n2\n3\n4\n5\n** YHXF05 KWBC 061200 1234\n" + grib, 2,
                true, "YHXF05 KWBC 061200"},
               {"no header after", head + "\ngarbage\n" + grib, 1, true, "YHXF02 KWBC 061200"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KOLTest::writeFile(tmp.file("stars.bin"), c.stream);
    GribFile gf(tmp.file("stars.bin").c_str());
    EXPECT_EQ(gf.checkType(), GribFile::STARS_LINES);
    testing::internal::CaptureStderr();
    size_t n = 0;
    for (Grid g; gf.read(g);) n++;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(n, c.grids);
    EXPECT_EQ(err.find("GribFile: Bad product, searching forward...\n") != std::string::npos,
              c.warned)
        << err;
    EXPECT_STREQ(gf.getWmoHeader(), c.lastHeader);
  }
}

TEST_F(GribFileTest, HeaderFileGivesTheMessages)
{
  KOL_REQUIRE_DATA();
  // An index naming messages 3 and 1 of a file, in that order.
  const std::string path = data("g2_ngm.grb2"), bytes = KOLTest::readFile(path);
  grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::vector<size_t> offsets;
  for (grib::Field f; walk.next(f, false);) offsets.push_back(f.offset);
  ASSERT_EQ(offsets.size(), 5u);
  const std::string hdr = tmp.file("ngm.hdr");
  KOLTest::writeFile(
      hdr, std::to_string(offsets[2]) + " third/x\n" + std::to_string(offsets[0]) + " first/x\n");
  Filename fn;
  fn.setName(path.c_str());
  fn.setHeader(hdr.c_str());
  GribFile gf;
  gf.useHdrFile(1);
  ASSERT_TRUE(gf.open(fn));
  Grid a, b, c;
  ASSERT_TRUE(gf.read(a) && gf.read(b) && !gf.read(c));
  const auto all = KOLTest::readGrids(path);
  EXPECT_EQ(gf.getPDB().variable.getInd(), all[0].getVar().getInd());
  EXPECT_EQ(a.getVar().getInd(), all[2].getVar().getInd());
}

TEST_F(GribFileTest, PeekSelectMultiGridAndThinnedReads)
{
  KOL_REQUIRE_DATA();
  std::string path = data("g2_gfs.t12z.pgrbf120.2p5deg.grib2");
  GribFile gf(path.c_str());
  Grid peeked, read;
  ASSERT_TRUE(gf.peek(peeked) && gf.read(read));
  EXPECT_TRUE(!peeked.isData() && read.isData());
  EXPECT_EQ(peeked.getVar().getInd(), read.getVar().getInd());
  // "#n" counts fields from 0 at the start of the file.
  Grid third;
  ASSERT_TRUE(gf.read("#2", third));
  EXPECT_EQ(gf.getPDB().variable.getInd(), KOLTest::readGrids(path)[2].getVar().getInd());
  // Temperature and height at 500 mb in one pass, temperature converted to Celsius.
  gf.rewind();
  Grids grids(2);
  grids.addSpec("f120:500:temp:C");
  grids.addSpec("f120:500:hght");
  ASSERT_TRUE(gf.read(grids) == 2 && grids.isSet(0) && grids.isSet(1));
  float lo, hi;
  grids.getGrid(0).getRange(lo, hi);
  EXPECT_TRUE(lo > -60 && hi < 5) << lo << " " << hi;
  grids.getGrid(1).getRange(lo, hi);
  EXPECT_TRUE(lo > 4500 && hi < 6200) << lo << " " << hi;

  GribFile reduced(data("g1_reduced_ll.grib1").c_str());  // thinned rows filled out
  Grid g;
  EXPECT_TRUE(reduced.read(g) && g.getNx() == 73 && g.getNy() == 73 && g.getValid() == 73 * 73);
  const std::string multi = data("g2_JMA_MSG_GPV_Pys_multifield.bin");
  EXPECT_EQ(KOLTest::readGrids(multi).size(), 16u);
  // A peek in the middle of the message leaves the position at the peeked field.
  GribFile one(multi.c_str());
  for (int k = 0; k < 3; k++) ASSERT_TRUE(one.read(g));
  ASSERT_TRUE(one.peek(read) && one.read(g));
  EXPECT_EQ(g.getForeTime().getStart(), read.getForeTime().getStart());
  EXPECT_EQ(g.getVar().getInd(), read.getVar().getInd());
  int rest = 0;
  while (one.read(g)) rest++;
  EXPECT_EQ(rest, 12);
}

// Edition 1 messages without a grid description; the values are k * 0.5 + 200 in stored order.
TEST_F(GribFileTest, PredefinedGridsFillTheirPoleRowsAndPadGrid50)
{
  const struct {
    int grid;
    size_t points;
    int nx, ny;
    float dx, dy, clat, clon;
    int pole;  // the row that holds one value everywhere, -1 for none
  } rows[] = {{21, 37 * 36 + 1, 37, 37, 5, 2.5, 45, 90, 0},
              {24, 37 * 36 + 1, 37, 37, 5, 2.5, -45, -90, 36},
              {25, 72 * 18 + 1, 73, 19, 5, 5, 45, 180, 0},
              {41, 3447, 73, 73, 1.25, 1.25, -45, 15, 72},
              {63, 91 * 45 + 1, 91, 46, 2, 2, -45, 90, 45},
              // 974 points in rows of 36 at 20N down to 20 at 60N, south row first
              {50, 974, 36, 33, 2.5, 1.25, 40, -96.25f, -1},
              // Any other number: 73 x 37 at 5 degrees round (0, 0), north row first.
              {0, 73 * 37, 73, 37, 5, 5, 0, 0, -1},
              {254, 73 * 37, 73, 37, 5, 5, 0, 0, -1}};
  for (const auto& r : rows) {
    SCOPED_TRACE("grid " + std::to_string(r.grid));
    GribFile gf(file("g.grib", KOLTest::buildEd1Predefined(r.grid, r.points)).c_str());
    Grid g;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(gf.read(g));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(g.getNx() == r.nx && g.getNy() == r.ny);
    const DomainVal& dv = g.getDomainVal();
    EXPECT_TRUE(dv.dx == r.dx && dv.dy == r.dy) << dv.dx << " " << dv.dy;
    EXPECT_FLOAT_EQ(dv.clat, r.clat);
    EXPECT_NEAR(std::remainder(dv.clon - r.clon, 360.0f), 0.0f, 1e-4);
    EXPECT_EQ(g.getValid(), r.grid == 50 ? 974 : r.nx * r.ny);
    for (int i = 1; r.pole >= 0 && i < r.nx; i++)
      ASSERT_FLOAT_EQ(g.getValue(i, r.pole), g.getValue(0, r.pole));
    // Rows run south to north but for the globe of unknown numbers.
    EXPECT_FLOAT_EQ(g.getValue(0, r.clat == 0 ? 0 : r.ny - 1), 200.0f);
  }
  Grid g;
  GribFile gf(file("g50.grib", KOLTest::buildEd1Predefined(50, 974)).c_str());
  ASSERT_TRUE(gf.read(g));
  EXPECT_FLOAT_EQ(g.getValue(35, 32), 217.5f);
  // The northern row is centred: 8 missing columns each side, its points not stretched.
  EXPECT_TRUE(g.getValue(7, 0) == -9999 && g.getValue(28, 0) == -9999);
  EXPECT_TRUE(g.getValue(8, 0) == 200 + 954 * 0.5f && g.getValue(27, 0) == 200 + 973 * 0.5f);
  EarthPoint e;
  ASSERT_TRUE(g.tran(GridPoint(8, 0), e));
  EXPECT_TRUE(std::fabs(e.lat - 60) < 1e-4 && std::fabs(e.lon + 120) < 1e-4);
}

TEST_F(GribFileTest, MaxBadDropsTheRestOfANoisyEdition1Field)
{
  // Rows of a Lambert grid whose third row flips between extremes.
  std::vector<float> values(20 * 10);
  for (size_t k = 0; k < values.size(); k++)
    values[k] = k >= 40 && k < 60 ? (k % 2 ? 300.0f : 200.0f) : 250.0f + float(k % 20);
  const std::string path = file("noisy.grib", KOLTest::ed1Lambert(values, 20, 10));
  Grid plain, checked;
  GribFile a(path.c_str()), b(path.c_str());
  EXPECT_TRUE(a.read(plain) && plain.getValid() == 200);
  b.setParam("max_bad=0");  // below 1 means 5
  // The sixth jump of the noisy row (its seventh point) and everything after it are dropped.
  EXPECT_TRUE(b.read(checked) && checked.getValid() == 46);
}

// Edition 1 level octets read, written back, and found by ecCodes where the message had them.
TEST_F(GribFileTest, Edition1LevelsReadAndWriteBack)
{
  const struct {
    int type, o11, o12;
    const char* text;
    int code;
  } levels[] = {{100, 1, 244, "500mb", 500},          {101, 70, 85, "850-700mb", 70085},
                {107, 38, 172, "0.99sig", 9900},      {108, 50, 98, "0.980-0.50sig", 50098},
                {112, 0, 10, "10-0cm_bg", 10},        {114, 155, 175, "300-320K", 320300},
                {114, 0, 254, "221-475K", 475221},    {120, 50, 98, "", 50098},
                {130, 0, 2, "2.00*10^-6 Km2/kgs", 2}, {1, 0, 0, "sfc", 0}};
  const std::vector<float> values(4 * 3, 280.0f);
  for (const auto& l : levels) {
    SCOPED_TRACE(std::to_string(l.type) + " " + l.text);
    Grid g;
    GribFile in(
        file("level.grib", KOLTest::ed1Lambert(values, 4, 3, l.type, l.o11 * 256 + l.o12)).c_str());
    ASSERT_TRUE(in.read(g));
    String text;
    g.getLevel().toString(text);
    EXPECT_STREQ(text.get(), l.text);
    EXPECT_TRUE(g.getLevel().toTypeCode() == l.type && g.getLevel().toLevelCode() == l.code);
    const std::string again = tmp.file("again.grib");
    {
      GribFile out;
      ASSERT_TRUE(out.open(again.c_str(), 1) && out.write(g));
    }
    Grid r;
    GribFile back(again.c_str());
    EXPECT_TRUE(back.read(r) && r.getLevel() == g.getLevel());
    const std::string octets = KOLTest::run(
        "grib_get -p indicatorOfTypeOfLevel:i,topLevel,bottomLevel '" + again + "' 2>/dev/null");
    // ecCodes gives a single level's two octets as one value for both.
    const bool layer = g.getLevel().isLayer();
    const int top = layer ? l.o11 : l.o11 * 256 + l.o12, bottom = layer ? l.o12 : top;
    if (!octets.empty()) {
      EXPECT_EQ(octets, std::to_string(l.type) + " " + std::to_string(top) + " " +
                            std::to_string(bottom) + "\n");
    }
  }
}

// The writer refuses what edition 1 cannot hold rather than writing it wrapped.
TEST_F(GribFileTest, Edition1WriterRefusesProjectionsAndLevelsOutOfReach)
{
  const char* lamb = "lamb:25:-95:25:25,30,-95,4,3,0.4,0.4";
  const struct {
    const char* domain;
    const char* level;
  } cases[] = {{"latlon,30,-95,4,3,1,1", "500mb"},
               {lamb, "200-320K"},
               {lamb, "500-600K"},
               {lamb, "h-20"},
               {lamb, "70000m"},
               {lamb, "300-400cm_bg"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    Grid g(4, 3);
    ASSERT_TRUE(g.setDomain(Domain(c.domain)));
    for (int k = 0; k < 12; k++) g.setValue(k % 4, k / 4, 280.0f);
    ASSERT_TRUE(g.setLevel(c.level));
    GribFile out;
    ASSERT_TRUE(out.open(tmp.file("refused.grib").c_str(), 1));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(out.write(g));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  c.domain == lamb ? "does not fit GRIB edition 1" : "Invalid GRIB projection"),
              std::string::npos);
  }
}

// A Grid read over and over reuses its storage: values as fresh ones, untouched at the end.
TEST_F(GribFileTest, ReusedGridReadsLikeFreshOnesAndKeepsItsValuesAtTheEnd)
{
  KOL_REQUIRE_DATA();
  std::string all;
  for (const char* n :
       {"g1_ST4.2013052210.01h.grib", "g2_scanning_mode_with_bitmap.grib2", "g2_ngm.grb2",
        "g1_regular_ll_sfc.grib", "g2_large_png.grb2", "g2_JMA_MSG_GPV_Pys_multifield.bin",
        // fields of one size in turn, overwritten where they lie
        "g1_era5-levels-members.grib", "g2_cfrzr_and_cprat.grib2"})
    all += KOLTest::readFile(data(n));
  const std::string path = tmp.file("mixed.grib");
  KOLTest::writeFile(path, all);
  for (const char* param : {"", "wrap"}) {
    SCOPED_TRACE(param);
    std::vector<Grid> fresh;
    GribFile once(path.c_str());
    once.setParam(param);
    for (Grid g; once.read(g); g = Grid()) fresh.push_back(g);
    ASSERT_GT(fresh.size(), 20u);
    GribFile gf(path.c_str());
    gf.setParam(param);
    Grid g;
    size_t n = 0;
    for (; n < fresh.size() && gf.read(g); n++) {
      ASSERT_EQ(g.getCount(), fresh[n].getCount()) << "field " << n;
      ASSERT_TRUE(std::equal(g.getData(), g.getData() + g.getCount(), fresh[n].getData()))
          << "field " << n;
    }
    EXPECT_EQ(n, fresh.size());
    const std::vector<float> last(g.getData(), g.getData() + g.getCount());
    const float* where = g.getData();
    for (int k = 0; k < 2; k++) {
      EXPECT_EQ(gf.read(g), 0);
      ASSERT_TRUE(g.getData() == where && std::equal(last.begin(), last.end(), g.getData()));
    }
  }
}

}  // namespace
