// NIDS products as images and mosaics, bins against PROJ, and the kolrad and kolsat programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "NidsBuilt.h"
#include "common/Proj.h"
#include "common/Raster.h"
#include "core/Const.h"
#include "imagery/Image.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "imagery/NidsImage.h"

using KOL::DomainVal;
using KOL::Image;
using KOL::NidsData;
using KOL::NidsImage;

namespace {

class NidsImageTest : public KOLTest::QuietTest {};

TEST_F(NidsImageTest, IndexOfAValueIsItsThresholdInterval)
{
  NidsImage ni;
  ni.setThres("-100,0,5,10,15,20,25,30,35,40,45,50,55,60,65,70");
  struct Case {
    float v;
    int index;
  } cases[] = {{-200, 0}, {-100, 1},   {-0.5f, 1}, {0, 2},   {4.99f, 2},
               {5, 3},    {69.9f, 15}, {70, 16},   {999, 16}};
  for (const Case& c : cases) EXPECT_EQ(ni.getIndex(c.v), c.index) << c.v;
  ni.setThres(std::vector<float>{});
  EXPECT_EQ(ni.getIndex(30.0f), 0);
}

TEST_F(NidsImageTest, ClearAirProductsAreSkippedWithNoclar)
{
  KOLTest::Product p;
  p.mode = 1;
  KOLTest::TempDir tmp;
  const std::string clear = KOLTest::writeUniform(p, 0xF5, tmp.file("clear"));
  Image used, skipped;
  NidsImage a;
  ASSERT_EQ(a.setImage(clear.c_str(), used), 1);
  EXPECT_EQ(used.getVal(used.getWidth() / 2 + 3, used.getHeight() / 2), a.getIndex(25.0f));
  NidsImage b2("NoClar");
  EXPECT_EQ(b2.setImage(clear.c_str(), skipped), 0);
  EXPECT_EQ(skipped.getVal(skipped.getWidth() / 2 + 3, skipped.getHeight() / 2), 0);
}

// The ramp and radius limits of box painting: weak echoes far out are dropped.
TEST_F(NidsImageTest, BoxModeAppliesRadiusAndRamp)
{
  KOLTest::TempDir tmp;
  const std::string f = KOLTest::writeUniform(KOLTest::Product(), 0xF3, tmp.file("p"));  // 15 dBZ
  NidsImage plain("box"), limited("box,crad=20"), ramped("box,ramp=30:40");
  Image a, c, r;
  ASSERT_EQ(plain.setImage(f.c_str(), a), 1);
  ASSERT_EQ(limited.setImage(f.c_str(), c), 1);
  ASSERT_EQ(ramped.setImage(f.c_str(), r), 1);
  const int mid = a.getWidth() / 2;
  const int k15 = plain.getIndex(15.0f);
  EXPECT_EQ(a.getVal(mid + 10, mid), k15);
  EXPECT_EQ(a.getVal(mid + 25, mid), k15);
  EXPECT_EQ(c.getVal(mid + 10, mid), k15);
  EXPECT_EQ(c.getVal(mid + 25, mid), plain.getIndex(-20.0f));
  // ramp 30:40 drops echoes not above 30 (1 - d/40): at 10 km 22.5 > 15, at 25 km 11.25 < 15.
  EXPECT_EQ(r.getVal(mid + 10, mid), plain.getIndex(-20.0f));
  EXPECT_EQ(r.getVal(mid + 25, mid), k15);
}

TEST_F(NidsImageTest, ReflectivityImageIsCentredOnTheRadar)
{
  KOL_REQUIRE_DATA();
  const std::string f = KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016");
  NidsImage ni;
  Image im;
  ASSERT_EQ(ni.setImage(f.c_str(), im), 1);
  EXPECT_FLOAT_EQ(im.getValue(0), NidsImage::NO_VALUE);
  EXPECT_FLOAT_EQ(im.getValue(3), 5.0f);
  KOL::GridPoint g;
  KOL::EarthPoint site(35.333f, -97.278f);
  ASSERT_EQ(im.tran(site, g), 1);
  EXPECT_NEAR(g.x, (im.getWidth() - 1) / 2.0, 0.01);
  EXPECT_NEAR(g.y, (im.getHeight() - 1) / 2.0, 0.01);
  // Every painted pixel holds the index of the bin under its centre.
  const NidsData& d = ni.getSite();
  int painted = 0;
  for (int j = 0; j < im.getHeight(); j += 7)
    for (int i = 0; i < im.getWidth(); i += 7) {
      KOL::EarthPoint e;
      im.tran(KOL::GridPoint(static_cast<float>(i), static_cast<float>(j)), e);
      const float v = d.getValue(e);
      EXPECT_EQ(im.getVal(i, j), NidsData::isValid(v) ? ni.getIndex(v) : 0) << i << "," << j;
      painted += im.getVal(i, j) > 0;
    }
  EXPECT_GT(painted, 100);
}

TEST_F(NidsImageTest, MosaicKeepsTheLargerIndexWhateverTheOrder)
{
  KOL_REQUIRE_DATA();
  const std::string a = KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016");
  const std::string b = KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids");
  KOL::DomainVal v;
  v.proj = 1, v.param[0] = 90, v.param[1] = -98.6f, v.clat = 36.5f, v.clon = -98.6f;
  v.nx = v.ny = 300, v.dx = v.dy = 0.04f;
  Image ab, ba, onlyA;
  NidsImage ni;
  for (Image* im : {&ab, &ba, &onlyA}) {
    ASSERT_EQ(im->set(v, 8), 1);
    ni.setup(*im);
  }
  ASSERT_EQ(ni.addSite(a.c_str(), ab), 1);
  ASSERT_EQ(ni.addSite(b.c_str(), ab), 1);
  ni.addSite(b.c_str(), ba);
  ni.addSite(a.c_str(), ba);
  ni.addSite(a.c_str(), onlyA);
  long more = 0;
  for (int j = 0; j < 300; ++j)
    for (int i = 0; i < 300; ++i) {
      ASSERT_EQ(ab.getVal(i, j), ba.getVal(i, j));
      ASSERT_GE(ab.getVal(i, j), onlyA.getVal(i, j));
      more += ab.getVal(i, j) > onlyA.getVal(i, j);
    }
  EXPECT_GT(more, 0);
}

// A legacy velocity product of 30 km, every bin at one level (15: range folded).
std::string velocityProduct(const KOLTest::TempDir& tmp, const char* name, int level)
{
  KOLTest::Product p;
  p.code = 27;
  const uint16_t knots[16] = {0x8002, 0x140, 0x132, 0x124, 0x11A, 0x114, 0x10A, 0x101,
                              0,      0x20A, 0x214, 0x21A, 0x224, 0x232, 0x240, 0x8003};
  std::copy(knots, knots + 16, p.thresholds);
  return KOLTest::writeUniform(p, static_cast<uint8_t>(0xF0 | level), tmp.file(name));
}

// Range folding has its own index, but data of another site replace it, in either order.
TEST_F(NidsImageTest, RangeFoldingGivesWayToData)
{
  KOLTest::TempDir tmp;
  const std::string folded = velocityProduct(tmp, "rf", 15), data = velocityProduct(tmp, "v", 9);
  for (const char* params : {"", "box"}) {
    SCOPED_TRACE(params);
    NidsImage ni(params);
    ASSERT_EQ(ni.readSite(folded.c_str()), 1);
    EXPECT_EQ(ni.getSite().getFoldedLevel(), 15);
    DomainVal v;
    ASSERT_EQ(ni.getImageDomain(v), 1);
    Image alone, fd, df;
    for (Image* im : {&alone, &fd, &df}) {
      ASSERT_EQ(im->set(v, 8), 1);
      ni.setup(*im);
    }
    ASSERT_EQ(ni.addSite(folded.c_str(), alone), 1);
    ASSERT_EQ(ni.addSite(folded.c_str(), fd), 1);
    ASSERT_EQ(ni.addSite(data.c_str(), fd), 1);
    ASSERT_EQ(ni.addSite(data.c_str(), df), 1);
    ASSERT_EQ(ni.addSite(folded.c_str(), df), 1);
    const int mid = alone.getWidth() / 2, ten = ni.getIndex(10.0f);
    ASSERT_GT(ten, 0);
    for (int dx : {-20, -8, 5, 12, 25}) {
      EXPECT_EQ(alone.getVal(mid + dx, mid), ni.foldedIndex()) << dx;
      EXPECT_EQ(fd.getVal(mid + dx, mid), ten) << dx;
      EXPECT_EQ(df.getVal(mid + dx, mid), ten) << dx;
    }
    Image table;
    ni.setColors(table);
    KOL::RGB rf;
    table.getRGB(ni.foldedIndex(), rf);
    EXPECT_GT(rf.blue, rf.green);
    EXPECT_GT(rf.red, rf.green);
  }
}

// A bin's place by azimuth and range on PROJ's polar stereographic plane about the radar.
TEST_F(NidsImageTest, RadialBinsAgreeWithProj)
{
  KOL_REQUIRE_DATA();
  KOL_REQUIRE_PROJ();
  KOL::NidsFile f(KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016").c_str());
  KOL::NidsInfo info;
  NidsData d;
  ASSERT_EQ(f.readHeader(info), 1);
  ASSERT_EQ(f.readData(d), 1);
  const std::string stere =
                        "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=" + std::to_string(d.getLon()) +
                        " +R=6371220",
                    ll = "+proj=longlat +R=6371220";
  const KOLTest::XY origin =
      KOLTest::projRun("cs2cs -f %.8f " + ll + " +to " + stere, {{d.getLon(), d.getLat()}})[0];
  const double res = d.getResolution() * 1000.0, step = 360.0 / d.getNy();
  // (radial, bin)
  const std::vector<KOLTest::XY> bins = {{0, 0},
                                         {0, d.getNx() - 1.0},
                                         {90 / step, d.getNx() - 1.0},
                                         {180 / step, 100.5},
                                         {270 / step, d.getNx() / 2.0},
                                         {33.25, 17.75}};
  std::vector<KOLTest::XY> plane;
  for (const auto& [radial, bin] : bins) {
    const double az = radial * step * M_PI / 180.0, r = bin * res;
    plane.emplace_back(origin.first + r * std::sin(az), origin.second + r * std::cos(az));
  }
  const auto earth = KOLTest::projRun("cs2cs -f %.8f " + stere + " +to " + ll, plane);
  for (size_t k = 0; k < bins.size(); ++k) {
    KOL::EarthPoint p(static_cast<float>(earth[k].second), static_cast<float>(earth[k].first));
    KOL::GridPoint g;
    ASSERT_EQ(d.getDomain().tran(p, g), 1);
    if (bins[k].second > 0) {
      EXPECT_NEAR(g.x, bins[k].first, 0.1) << k;
    }
    EXPECT_NEAR(g.y, bins[k].second, 0.1) << k;
  }
}

class Programs : public KOLTest::QuietTest {};

// What kolrad and kolsat say of a product, and their value tables.
TEST_F(Programs, DescribeAndListValues)
{
  KOL_REQUIRE_DATA();
  const char *n0q = "nids/KOUN_SDUS54_N0QTLX_201305202016",
             *n0r = "nids/KOUN_SDUS54_N0RTLX_201305202016", *ir = "gini/TIGN02",
             *dhr = "gini/Level3_Composite_dhr_1km_20180309_2225.gini";
  const struct {
    const char *prog, *options, *file;
    std::vector<const char*> said;
  } cases[] = {
      {"kolrad", "", n0q, {"Product: 94 Base reflectivity [dBZ]", "Radials x bins: 360 x 460"}},
      {"kolrad",
       "",
       n0r,
       {"Product: 19 Base reflectivity [dBZ]", "Elevation: 0.5 deg", "Site: TLX"}},
      {"kolrad", "-out=csv ", n0r, {"azimuth,range_km,value\n", "\n123.0,0.500,"}},
      {"kolsat",
       "",
       ir,
       {"Image: GOES NC Infrared 11um", "Size: 1536 x 1008 pixels",
        "Projection: polar stereographic"}},
      {"kolsat", "-out=csv -row=0 ", ir, {"column,pixel,value\n0,170,-28\n1,165,-25.5\n"}},
      {"kolsat", "", dhr, {"Calibration: pixels 2-255 = -32 to 94.5 dBZ"}},
  };
  for (const auto& c : cases) {
    int status = -1;
    const std::string out = KOLTest::run(
        KOLTest::programPath(c.prog) + " " + c.options + KOLTest::dataFile(c.file) + " 2>&1",
        &status);
    EXPECT_EQ(status, 0) << c.prog << " " << c.options << c.file;
    for (const char* s : c.said) EXPECT_NE(out.find(s), std::string::npos) << s << " in " << out;
  }
}

TEST_F(Programs, PicturesToPng)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir tmp;
  const std::string fp = " -fp=" + KOLTest::databaseDir() + " ";
  for (const auto& [program, file] : {std::pair{"kolrad", "nids/KOUN_SDUS54_N0QTLX_201305202016"},
                                      {"kolrad", "nids/Level3_MCI_DPA_20160526_2154.nids"},
                                      {"kolsat", "gini/HI-REGIONAL_4km_3.9_20160616_1715.gini"}}) {
    SCOPED_TRACE(file);
    const std::string prog = KOLTest::programPath(program) + fp;
    const std::string png = tmp.file("pic.png");
    int status = -1;
    const std::string out = KOLTest::run(
        "DISPLAY= " + prog + "-ge=600x500 -ou=" + png + " " + KOLTest::dataFile(file) + " 2>&1",
        &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find(std::string(program) + ": wrote " + png), std::string::npos) << out;
    const KOLTest::Raster r = KOLTest::readPng(png);
    EXPECT_EQ(r.width, 600);
    EXPECT_EQ(r.height, 500);
  }
}

}  // namespace
