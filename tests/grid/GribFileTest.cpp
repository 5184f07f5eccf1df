// GribFile on real files: grids with row 0 at the northern edge and their domains, bulletin
// streams with transmission headers, header files, peeking, selection, multi-grid reads, and
// the edition 1 writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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
#include "grid/GridSpec.h"
#include "grid/Grids.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"
#include "grid/grib/Writer.h"

using namespace KOL;

namespace {

class GribFileTest : public ::testing::Test {
 protected:
  KOLTest::DatabaseScope database_;
  static std::string data(const std::string& name) { return KOLTest::dataFile("grib/" + name); }
  static std::vector<Grid> readAll(const std::string& path) { return KOLTest::readGrids(path); }
};

// Every scanning mode in grid order: GribGridOrder.
TEST_F(GribFileTest, GlobalGridsHaveTheirPolarRowFirst)
{
  KOL_REQUIRE_DATA();
  auto north = readAll(data("g1_regular_ll_sfc.grib"));
  ASSERT_EQ(north.size(), 1u);
  const Grid& n = north[0];
  ASSERT_EQ(n.getNx(), 72);
  ASSERT_EQ(n.getNy(), 37);
  EXPECT_EQ(n.getProj(), 2);
  EXPECT_FLOAT_EQ(n.getDx(), 5.0f);
  EXPECT_FLOAT_EQ(n.getDy(), 5.0f);
  EXPECT_FLOAT_EQ(n.getDomainVal().clat, 0.0f);
  // Row 0 is at 90 N: a polar row holds one value.
  for (int i = 1; i < 72; i++) EXPECT_FLOAT_EQ(n.getValue(i, 0), n.getValue(0, 0));
  EXPECT_EQ(n.getVersion(), 1);
  EXPECT_STREQ(n.getVar().getAbbr(), "skt");
}

TEST_F(GribFileTest, ProjectedDomainsPlaceTheirPoints)
{
  KOL_REQUIRE_DATA();
  // Grid point (i, j) of the domain must lie where the message puts that point (the point
  // coordinates themselves are checked against ecCodes elsewhere).
  struct Row {
    const char* file;
    int proj;
  } rows[] = {
      {"g2_hrrr.t06z.wrfsfcf01-TMP.grib2", 4},
      {"g1_ST4.2013052210.01h.grib", 1},
      {"g2_CMC_RDPA_APCP-024_ps10km.grib2", 1},
      {"g2_safrica.grib2", 1},
      {"g2_dspr.temp.bin", 3},
      {"g1_nam_grid211_noGDS_made.grib", 4},
      {"g1_nam_grid211_withGDS_made.grib", 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    std::string bytes = KOLTest::readFile(data(r.file));
    grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    grib::Field f;
    ASSERT_TRUE(walk.next(f, false));
    std::vector<double> lat, lon;
    ASSERT_TRUE(grib::findGridKind(f.grid.templ)->coords(f.grid, lat, lon));
    GribFile gf(data(r.file).c_str());
    Grid g;
    ASSERT_TRUE(gf.peek(g));
    EXPECT_EQ(g.getProj(), r.proj);
    const int nx = f.grid.nx, ny = f.grid.ny;
    for (int j : {0, ny / 2, ny - 1})
      for (int i : {0, nx / 3, nx - 1}) {
        // Stored row j is grid row ny-1-j when rows run south to north.
        const int gj = (f.grid.scan & 0x40) ? ny - 1 - j : j;
        EarthPoint e;
        ASSERT_TRUE(g.tran(GridPoint(float(i), float(gj)), e));
        const size_t k = size_t(j) * nx + i;
        EXPECT_NEAR(e.lat, lat[k], 0.01) << i << "," << j;
        EXPECT_NEAR(std::remainder(e.lon - lon[k], 360.0), 0.0, 0.01) << i << "," << j;
      }
  }
}

TEST_F(GribFileTest, BulletinStreamsAndGarbageBetweenMessages)
{
  KOL_REQUIRE_DATA();
  auto framed = readAll(data("wmo_framed_stream.bin"));
  EXPECT_EQ(framed.size(), 4u);
  GribFile gf(data("wmo_framed_stream.bin").c_str());
  EXPECT_EQ(gf.checkType(), GribFile::WMO);
  Grid g;
  ASSERT_TRUE(gf.read(g));
  EXPECT_STREQ(gf.getWmoHeader(), "HTNA50 KWBC 061200");
  auto stars = readAll(data("bulletin_starstar_YHXF02.grib"));
  EXPECT_EQ(stars.size(), 1u);

  // Two messages with 3000 bytes of noise between them and a torn one after.
  KOLTest::TempDir tmp;
  KOLTest::Bytes good = KOLTest::buildEd2(KOLTest::Ed2Spec());
  KOLTest::Bytes stream = good;
  for (int k = 0; k < 3000; k++) stream.push_back(static_cast<uint8_t>(k * 7 % 251));
  stream.insert(stream.end(), good.begin(), good.end());
  stream.insert(stream.end(), good.begin(), good.begin() + 60);
  std::string path = tmp.file("noisy.grib2");
  KOLTest::writeFile(path, std::string(stream.begin(), stream.end()));
  testing::internal::CaptureStderr();
  auto grids = readAll(path);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(grids.size(), 2u);
  EXPECT_NE(err.find("searchGRIB failed to find GRIB"), std::string::npos) << err;
  EXPECT_NE(err.find("truncated message"), std::string::npos) << err;
}

TEST_F(GribFileTest, BulletinWithoutStarsHeaderIsSkippedToTheNextOne)
{
  const KOLTest::Bytes msg = KOLTest::buildEd2(KOLTest::Ed2Spec());
  const std::string grib(msg.begin(), msg.end());
  KOLTest::TempDir tmp;
  struct Case {
    const char* name;
    std::string stream;
    size_t grids;
    bool warned;
    const char* lastHeader;
  } cases[] = {
      {"clean",
       "** YHXF02 KWBC 061200 1234\n" + grib + "\r\r\n** YHXF03 KWBC 061200 1234\n" + grib +
           "\r\r\n",
       2, false, "YHXF03 KWBC 061200"},
      // The second product has no "** " line: it is dropped up to the next header.
      {"bad product",
       "** YHXF02 KWBC 061200 1234\n" + grib + "\nnoise\nmore noise\n" + grib +
           "\n** YHXF04 KWBC 061200 1234\n" + grib,
       2, true, "YHXF04 KWBC 061200"},
      // More than four lines before the header line also count as a bad product.
      {"late header",
       "** YHXF02 KWBC 061200 1234\n" + grib + "\n1\n2\n3\n4\n5\n" +
           "** YHXF05 KWBC 061200 1234\n" + grib,
       2, true, "YHXF05 KWBC 061200"},
      // No further header: nothing more is read.
      {"no header after", "** YHXF02 KWBC 061200 1234\n" + grib + "\ngarbage\n" + grib, 1, true,
       "YHXF02 KWBC 061200"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = tmp.file(std::string(c.name) + ".bin");
    KOLTest::writeFile(path, c.stream);
    GribFile gf(path.c_str());
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
  std::string file = data("g2_ngm.grb2");
  std::string bytes = KOLTest::readFile(file);
  grib::FieldWalker walk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::vector<size_t> offsets;
  for (grib::Field f; walk.next(f, false);) offsets.push_back(f.offset);
  ASSERT_EQ(offsets.size(), 5u);
  KOLTest::TempDir tmp;
  std::string hdr = tmp.file("ngm.hdr");
  KOLTest::writeFile(
      hdr, std::to_string(offsets[2]) + " third/x\n" + std::to_string(offsets[0]) + " first/x\n");
  Filename fn;
  fn.setName(file.c_str());
  fn.setHeader(hdr.c_str());
  GribFile gf;
  gf.useHdrFile(1);
  ASSERT_TRUE(gf.open(fn));
  Grid a, b, c;
  ASSERT_TRUE(gf.read(a));
  ASSERT_TRUE(gf.read(b));
  EXPECT_FALSE(gf.read(c));
  EXPECT_EQ(gf.getPDB().variable.getInd(), readAll(file)[0].getVar().getInd());
  EXPECT_EQ(a.getVar().getInd(), readAll(file)[2].getVar().getInd());
}

TEST_F(GribFileTest, PeekSelectAndMultiGridReads)
{
  KOL_REQUIRE_DATA();
  std::string file = data("g2_gfs.t12z.pgrbf120.2p5deg.grib2");
  GribFile gf(file.c_str());
  Grid peeked, read;
  ASSERT_TRUE(gf.peek(peeked));
  EXPECT_FALSE(peeked.isData());
  ASSERT_TRUE(gf.read(read));
  EXPECT_TRUE(read.isData());
  EXPECT_EQ(peeked.getVar().getInd(), read.getVar().getInd());
  // "#n" counts fields from 0 at the start of the file.
  Grid third;
  ASSERT_TRUE(gf.read("#2", third));
  EXPECT_EQ(gf.getPDB().variable.getInd(), readAll(file)[2].getVar().getInd());
  // Temperature and height at 500 mb in one pass, temperature converted to Celsius.
  gf.rewind();
  Grids grids(2);
  grids.addSpec("f120:500:temp:C");
  grids.addSpec("f120:500:hght");
  EXPECT_EQ(gf.read(grids), 2);
  ASSERT_TRUE(grids.isSet(0));
  ASSERT_TRUE(grids.isSet(1));
  float lo, hi;
  grids.getGrid(0).getRange(lo, hi);
  EXPECT_GT(lo, -60.0f);
  EXPECT_LT(hi, 5.0f);
  grids.getGrid(1).getRange(lo, hi);
  EXPECT_GT(lo, 4500.0f);
  EXPECT_LT(hi, 6200.0f);
}

TEST_F(GribFileTest, ThinnedRowsWrapAndMissingValue)
{
  KOL_REQUIRE_DATA();
  GribFile gf(data("g1_reduced_ll.grib1").c_str());
  Grid g;
  ASSERT_TRUE(gf.read(g));
  EXPECT_EQ(g.getNx(), 73);
  EXPECT_EQ(g.getNy(), 73);
  EXPECT_EQ(g.getValid(), 73 * 73);
  GribFile wrapped(data("g1_regular_ll_sfc.grib").c_str());
  wrapped.setParam("wrap,miss_val=-1");
  ASSERT_TRUE(wrapped.read(g));
  ASSERT_EQ(g.getNx(), 73);
  for (int j = 0; j < 37; j++) EXPECT_FLOAT_EQ(g.getValue(72, j), g.getValue(0, j));
  GribFile masked(data("g1_fields_with_missing_values.grib").c_str());
  masked.setParam("miss_val=-1");
  ASSERT_TRUE(masked.read(g));
  int minusOne = 0;
  for (int k = 0; k < g.getNx() * g.getNy(); k++) minusOne += g.getData()[k] == -1.0f;
  EXPECT_GT(minusOne, 0);
}

// The edition 1 writer's Lambert fields read back in Kolgrib.LambertFieldWrittenAsEdition1ReadsBack
// (against ecCodes too); other projections are refused.
TEST_F(GribFileTest, Edition1WriterRefusesOtherProjections)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir tmp;
  Grid g;
  GribFile ll(data("g1_regular_ll_sfc.grib").c_str());
  ASSERT_TRUE(ll.read(g));
  GribFile out2;
  ASSERT_TRUE(out2.open(tmp.file("ll.grib").c_str(), 1));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(out2.write(g));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Invalid GRIB projection"),
            std::string::npos);
}

}  // namespace

namespace {

TEST_F(GribFileTest, PredefinedLatLonGridsFillTheirPoleRows)
{
  struct Row {
    int grid;
    size_t points;
    int nx, ny;
    float dx, dy, clat, clon;
  } rows[] = {
      {21, 37 * 36 + 1, 37, 37, 5, 2.5, 45, 90}, {24, 37 * 36 + 1, 37, 37, 5, 2.5, -45, -90},
      {25, 72 * 18 + 1, 73, 19, 5, 5, 45, 180},  {41, 3447, 73, 73, 1.25, 1.25, -45, 15},
      {63, 91 * 45 + 1, 91, 46, 2, 2, -45, 90},
  };
  KOLTest::TempDir tmp;
  for (const Row& r : rows) {
    SCOPED_TRACE("grid " + std::to_string(r.grid));
    KOLTest::Bytes msg = KOLTest::buildEd1Predefined(r.grid, r.points);
    std::string path = tmp.file("g" + std::to_string(r.grid) + ".grib");
    KOLTest::writeFile(path, std::string(msg.begin(), msg.end()));
    GribFile gf(path.c_str());
    Grid g;
    ASSERT_TRUE(gf.read(g));
    ASSERT_EQ(g.getNx(), r.nx);
    ASSERT_EQ(g.getNy(), r.ny);
    const DomainVal& dv = g.getDomainVal();
    EXPECT_FLOAT_EQ(dv.dx, r.dx);
    EXPECT_FLOAT_EQ(dv.dy, r.dy);
    EXPECT_FLOAT_EQ(dv.clat, r.clat);
    EXPECT_NEAR(std::remainder(dv.clon - r.clon, 360.0f), 0.0f, 1e-4);
    EXPECT_EQ(g.getValid(), r.nx * r.ny);
    // The pole row (north row 0, or south row ny-1) holds one value everywhere.
    const int pole = r.clat > 0 ? 0 : r.ny - 1;
    for (int i = 1; i < r.nx; i++) ASSERT_FLOAT_EQ(g.getValue(i, pole), g.getValue(0, pole));
    // Rows run south to north: the first stored value (200) is in the southern row.
    EXPECT_FLOAT_EQ(g.getValue(0, r.ny - 1), 200.0f);
  }
}

TEST_F(GribFileTest, Grid50PadsItsRowsAndUnknownNumbersGiveTheGlobe)
{
  KOLTest::TempDir tmp;
  auto readGrid = [&](int number, size_t points, Grid& g) {
    KOLTest::Bytes msg = KOLTest::buildEd1Predefined(number, points);
    std::string path = tmp.file("g" + std::to_string(number) + ".grib");
    KOLTest::writeFile(path, std::string(msg.begin(), msg.end()));
    GribFile gf(path.c_str());
    testing::internal::CaptureStderr();
    const bool ok = gf.read(g);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    return ok;
  };
  // Grid 50: 974 points in rows of 36 points at 20N down to 20 at 60N, south row first.
  Grid g;
  ASSERT_TRUE(readGrid(50, 974, g));
  ASSERT_EQ(g.getNx(), 36);
  ASSERT_EQ(g.getNy(), 33);
  const DomainVal& dv = g.getDomainVal();
  EXPECT_FLOAT_EQ(dv.dx, 2.5f);
  EXPECT_FLOAT_EQ(dv.dy, 1.25f);
  EXPECT_FLOAT_EQ(dv.clat, 40.0f);
  EXPECT_FLOAT_EQ(dv.clon, -96.25f);
  EXPECT_EQ(g.getValid(), 974);
  EXPECT_FLOAT_EQ(g.getValue(0, 32), 200.0f);
  EXPECT_FLOAT_EQ(g.getValue(35, 32), 217.5f);
  // The northern row is centred: 8 missing columns each side, its points not stretched.
  EXPECT_EQ(g.getValue(7, 0), -9999.0f);
  EXPECT_FLOAT_EQ(g.getValue(8, 0), 200.0f + 954 * 0.5f);
  EXPECT_FLOAT_EQ(g.getValue(27, 0), 200.0f + 973 * 0.5f);
  EXPECT_EQ(g.getValue(28, 0), -9999.0f);
  EarthPoint e;
  ASSERT_TRUE(g.tran(GridPoint(8, 0), e));
  EXPECT_NEAR(e.lat, 60.0, 1e-4);
  EXPECT_NEAR(e.lon, -120.0, 1e-4);

  // Any other number: 73 x 37 at 5 degrees round (0, 0), north row first.
  for (int number : {0, 99, 254}) {
    SCOPED_TRACE(number);
    Grid w;
    ASSERT_TRUE(readGrid(number, 73 * 37, w));
    ASSERT_EQ(w.getNx(), 73);
    ASSERT_EQ(w.getNy(), 37);
    const DomainVal& wv = w.getDomainVal();
    EXPECT_FLOAT_EQ(wv.dx, 5.0f);
    EXPECT_FLOAT_EQ(wv.dy, 5.0f);
    EXPECT_FLOAT_EQ(wv.clat, 0.0f);
    EXPECT_FLOAT_EQ(wv.clon, 0.0f);
    EXPECT_FLOAT_EQ(w.getValue(0, 0), 200.0f);
    EXPECT_FLOAT_EQ(w.getValue(72, 36), 200.0f + 2700 * 0.5f);
  }
}

}  // namespace

namespace {

TEST_F(GribFileTest, GridTextsNameModelLevelVariableAndTime)
{
  KOL_REQUIRE_DATA();
  auto grids = readAll(data("g2_ngm.grb2"));
  ASSERT_EQ(grids.size(), 5u);
  EXPECT_STREQ(grids[0].getDatim(), "48 hour fcst valid 12Z FRI 10 DEC 04");
  EXPECT_STREQ(grids[2].getDatim(), "12 hour acc ending 12Z FRI 10 DEC 04");
  EXPECT_STREQ(grids[3].getInfo(), "NGM Surface Pressure");
  EXPECT_STREQ(grids[3].getGenName(), "NGM");
  auto analysis = readAll(data("g1_regular_ll_sfc.grib"));
  ASSERT_EQ(analysis.size(), 1u);
  EXPECT_STREQ(analysis[0].getDatim(), "Analysis for 12Z WED 18 OCT 17");
}

}  // namespace

namespace {

TEST_F(GribFileTest, MaxBadDropsTheRestOfANoisyEdition1Field)
{
  // Rows of a Lambert grid whose third row flips between extremes.
  std::vector<float> values(20 * 10);
  for (size_t k = 0; k < values.size(); k++) values[k] = 250.0f + float(k % 20);
  for (size_t k = 40; k < 60; k++) values[k] = (k % 2) ? 300.0f : 200.0f;
  grib::Ed1Lambert d;
  d.nx = 20, d.ny = 10, d.la1 = 30, d.lo1 = -100, d.lov = -95, d.latin1 = d.latin2 = 25;
  d.dx = d.dy = 40000, d.parameter = 11, d.levelType = 1, d.levelValue = 0;
  d.year = 2024, d.month = 5, d.day = 17, d.hour = 12, d.values = values.data();
  std::vector<uint8_t> msg = grib::encodeEd1Lambert(d);
  KOLTest::TempDir tmp;
  std::string path = tmp.file("noisy.grib");
  KOLTest::writeFile(path, std::string(msg.begin(), msg.end()));
  Grid plain, checked;
  GribFile a(path.c_str());
  ASSERT_TRUE(a.read(plain));
  EXPECT_EQ(plain.getValid(), 200);
  GribFile b(path.c_str());
  b.setParam("max_bad=0");  // below 1 means 5
  ASSERT_TRUE(b.read(checked));
  // The sixth jump of the noisy row (its seventh point) and everything after it are dropped.
  EXPECT_EQ(checked.getValid(), 46);
}

}  // namespace

namespace {

TEST_F(GribFileTest, FieldsOfOneMessageAreReadInTurn)
{
  KOL_REQUIRE_DATA();
  std::string file = data("g2_JMA_MSG_GPV_Pys_multifield.bin");
  EXPECT_EQ(readAll(file).size(), 16u);
  // A peek in the middle of the message leaves the position at the peeked field.
  GribFile gf(file.c_str());
  Grid g, peeked;
  for (int k = 0; k < 3; k++) ASSERT_TRUE(gf.read(g));
  ASSERT_TRUE(gf.peek(peeked));
  ASSERT_TRUE(gf.read(g));
  EXPECT_EQ(g.getForeTime().getStart(), peeked.getForeTime().getStart());
  EXPECT_EQ(g.getVar().getInd(), peeked.getVar().getInd());
  int rest = 0;
  while (gf.read(g)) rest++;
  EXPECT_EQ(rest, 12);
}

}  // namespace

namespace {

// Octets 10-12 of edition 1 messages, as read and as written again: each level type the writer
// produces reads back as the same level, and ecCodes finds the octets the message came with.
TEST_F(GribFileTest, Edition1LevelsReadAndWriteBack)
{
  const struct {
    int type, o11, o12;
    const char* text;
    int code;
  } levels[] = {{100, 1, 244, "500mb", 500},
                {101, 70, 85, "850-700mb", 70085},
                {102, 0, 0, "sl", 0},
                {103, 11, 184, "3000m", 3000},
                {104, 30, 10, "1000-3000m", 30010},
                {105, 0, 2, "2m_ag", 2},
                {106, 30, 0, "0-3000m_ag", 30000},
                {107, 38, 172, "0.99sig", 9900},
                {108, 50, 98, "0.980-0.50sig", 50098},
                {109, 0, 17, "17hyb", 17},
                {110, 10, 20, "20-10hyb", 10020},
                {111, 0, 10, "10cm_bg", 10},
                {112, 0, 10, "10-0cm_bg", 10},
                {113, 1, 64, "320K", 320},
                {114, 155, 175, "300-320K", 320300},
                {114, 0, 254, "221-475K", 475221},
                {115, 0, 30, "30mb_ag", 30},
                {116, 30, 0, "0-30mb_ag", 30000},
                {119, 19, 136, "", 5000},
                {120, 50, 98, "", 50098},
                {130, 0, 2, "2.00*10^-6 Km2/kgs", 2},
                {1, 0, 0, "sfc", 0}};
  std::vector<float> values(4 * 3, 280.0f);
  KOLTest::TempDir tmp;
  for (const auto& l : levels) {
    SCOPED_TRACE(std::to_string(l.type) + " " + l.text);
    grib::Ed1Lambert d;
    d.nx = 4, d.ny = 3, d.la1 = 30, d.lo1 = -100, d.lov = -95, d.latin1 = d.latin2 = 25;
    d.dx = d.dy = 40000, d.parameter = 11, d.levelType = l.type;
    d.levelValue = l.o11 * 256 + l.o12;
    d.year = 2024, d.month = 5, d.day = 17, d.hour = 12, d.values = values.data();
    std::vector<uint8_t> msg = grib::encodeEd1Lambert(d);
    std::string path = tmp.file("level.grib");
    KOLTest::writeFile(path, std::string(msg.begin(), msg.end()));
    Grid g;
    GribFile in(path.c_str());
    ASSERT_TRUE(in.read(g));
    KOL::String text;
    g.getLevel().toString(text);
    EXPECT_STREQ(text.get(), l.text);
    EXPECT_EQ(g.getLevel().toTypeCode(), l.type);
    EXPECT_EQ(g.getLevel().toLevelCode(), l.code);

    std::string again = tmp.file("again.grib");
    {
      GribFile out;
      ASSERT_TRUE(out.open(again.c_str(), 1));
      ASSERT_TRUE(out.write(g));
      out.close();
    }
    Grid r;
    GribFile back(again.c_str());
    ASSERT_TRUE(back.read(r));
    EXPECT_EQ(r.getLevel(), g.getLevel());
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

// Levels whose values the octets cannot hold are refused rather than written wrapped.
TEST_F(GribFileTest, Edition1WriterRefusesLevelsOutOfReach)
{
  const char* levels[] = {"200-320K", "500-600K", "h-20", "70000m", "300-400cm_bg"};
  KOLTest::TempDir tmp;
  for (const char* text : levels) {
    SCOPED_TRACE(text);
    Grid g(4, 3);
    ASSERT_TRUE(g.setDomain(Domain("lamb:25:-95:25:25,30,-95,4,3,0.4,0.4")));
    for (int j = 0; j < 3; j++)
      for (int i = 0; i < 4; i++) g.setValue(i, j, 280.0f);
    ASSERT_TRUE(g.setLevel(text));
    GribFile out;
    ASSERT_TRUE(out.open(tmp.file("refused.grib").c_str(), 1));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(out.write(g));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("does not fit GRIB edition 1"),
              std::string::npos);
  }
}

}  // namespace

namespace {

// One Grid read over and over reuses its values' storage; the values must still be those of a
// fresh Grid whatever the sizes, packings and scanning modes in turn, and the read that finds
// the end of the file (here inside a message of several fields) must leave them untouched.
TEST_F(GribFileTest, ReusedGridReadsLikeFreshOnesAndKeepsItsValuesAtTheEnd)
{
  KOL_REQUIRE_DATA();
  const char* names[] = {"g1_ST4.2013052210.01h.grib", "g2_scanning_mode_with_bitmap.grib2",
                         "g2_ngm.grb2", "g1_regular_ll_sfc.grib", "g2_large_png.grb2",
                         "g2_JMA_MSG_GPV_Pys_multifield.bin",
                         // fields of one size in turn, overwritten where they lie
                         "g1_era5-levels-members.grib", "g2_cfrzr_and_cprat.grib2"};
  std::string all;
  for (const char* n : names) all += KOLTest::readFile(data(n));
  KOLTest::TempDir dir;
  const std::string path = dir.file("mixed.grib");
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
      ASSERT_EQ(g.getData(), where);
      ASSERT_TRUE(std::equal(last.begin(), last.end(), g.getData()));
    }
  }
}

}  // namespace
