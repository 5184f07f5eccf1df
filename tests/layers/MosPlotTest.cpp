// MOS guidance on a map: each station's column seen as a surface report (units, tens of
// degrees, sky cover, categories), the stations at their places for the forecast hour asked
// for, their station models drawn through a variable list and their analyses contoured.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/MosPlot.h"
#include "layers/VarSpec.h"
#include "layers/mosplot/MosReport.h"
#include "obs/Datum.h"
#include "obs/text/TextProductFile.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::isInkOf;

namespace {

const char* const MAV = "textprod/mos/pyiem_MAVWC0.txt";

// KEED of the GFS bulletin: column 6 is 24 h after the 00 UTC run.
TEST(MosReport, GuidanceSeenAsASurfaceReport)
{
  KOL_REQUIRE_DATA();
  KOL::TextProductFile file;
  ASSERT_TRUE(file.open(KOLTest::dataFile(MAV).c_str()));
  KOL::TextProduct p;
  KOL::MosBulletin b;
  ASSERT_TRUE(file.read(p) && b.parse(p));
  const KOL::MosBulletin::Station& keed = b.stations.at(0);
  ASSERT_EQ(keed.hours.at(6), 24);
  const KOL::mosplot::MosReport r(keed, 6, 34.77f, -114.62f);
  EXPECT_NEAR(r.sfc.temp, (67 - 32) / 1.8f, 1e-3);  // TMP 67 F
  EXPECT_NEAR(r.sfc.dewp, (18 - 32) / 1.8f, 1e-3);
  EXPECT_EQ(r.sfc.wdir, 10.0f);  // WDR 01
  EXPECT_EQ(r.sfc.wspd, 12.0f);
  EXPECT_EQ(r.sfc.getCldCover(), 'C');
  EXPECT_EQ(r.sfc.vis, 10.0f);                      // category 7: more than 6 mi
  EXPECT_NEAR(r.sfc.maxt, (68 - 32) / 1.8f, 1e-3);  // X/N at 00 UTC is the day's maximum
  EXPECT_TRUE(KOL::Const::isMiss(r.sfc.mint));
  const KOL::mosplot::MosReport night(keed, 10, 34.77f, -114.62f);  // 12 UTC
  EXPECT_NEAR(night.sfc.mint, (48 - 32) / 1.8f, 1e-3);

  // surface quantities through the surface tools, other elements as the bulletin writes them
  const struct {
    const char* var;
    int type;
    float value;
    const char* text;
  } cases[] = {{"temp[F]", KOL::Datum::VALUE, (67 - 32) / 1.8f, ""},
               {"wbrb", KOL::Datum::WBARB, 10.0f, ""},
               {"p12", KOL::Datum::VALUE, 2.0f, ""},
               {"P06", KOL::Datum::VALUE, 0.0f, ""},
               {"typ", KOL::Datum::TEXT, 0, "R"},
               {"obv", KOL::Datum::TEXT, 0, "N"}};
  for (const auto& c : cases) {
    KOL::Datum d;
    ASSERT_TRUE(r.compute(KOL::VarSpec(c.var), d)) << c.var;
    EXPECT_EQ(d.type, c.type) << c.var;
    EXPECT_NEAR(d.loc.lat, 34.77f, 1e-4) << c.var;
    if (c.type == KOL::Datum::TEXT)
      EXPECT_STREQ(d.getData(), c.text) << c.var;
    else
      EXPECT_NEAR(d.getValue(0), c.value, 1e-3) << c.var;
  }
  KOL::Datum d;
  const KOL::mosplot::MosReport r21(keed, 5, 34.77f, -114.62f);
  EXPECT_FALSE(r21.compute(KOL::VarSpec("p12"), d));  // no 12-h chance at 21 UTC
}

class MosPlotPicture : public ::testing::Test {
 protected:
  void SetUp() override
  {
    KOL_REQUIRE_DATA();
    KOL::Kol::resrc.set("inverse", "true");
  }
  void TearDown() override { KOL::Kol::resrc.set("inverse", ""); }
  // Draws the layer on a map about its stations.
  void draw(KOL::MosPlot& layer)
  {
    ASSERT_TRUE(layer.setFilename(KOLTest::dataFile(MAV).c_str()));
    ASSERT_TRUE(plot.open("de=i,,sz=800x700"));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    KOL::Image shot;
    ASSERT_EQ(plot.getImage(shot), 1);
    pic = KOLTest::toRaster(shot);
  }
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  Plot plot;
  KOL::Domain domain;
  KOLTest::Raster pic;
};

TEST_F(MosPlotPicture, StationModelsOfTheHourAskedFor)
{
  KOL::MosPlot layer("nomap,ft=24,va=\"temp[F,ul:%.0f:red],dewp[F,ll:%.0f:green]\"");
  draw(layer);
  const auto placed = layer.placed();
  ASSERT_EQ(placed.size(), 3u);  // KEED, KELN, KEPH
  for (const auto& p : placed) EXPECT_EQ(p.station->hours[p.column], 24);
  EXPECT_NEAR(placed[0].lat, 34.7667, 1e-3);
  EarthPoint e(placed[0].lat, placed[0].lon);
  Point at;
  ASSERT_TRUE(domain.tran(e, at));
  at = plot.toDevice(at);
  auto count = [&](uint32_t c, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) n += isInkOf(pic.at(int(at.x) + x, int(at.y) + y), c, 80);
    return n;
  };
  // temperature up left, dew point down left (rows grow down); nothing of them on the right
  const int redUp = count(0xFF0000, -40, -25, -1, -1), redDown = count(0xFF0000, -40, 1, -1, 25);
  const int greenUp = count(0x00FF00, -40, -25, -1, -1),
            greenDown = count(0x00FF00, -40, 1, -1, 25);
  EXPECT_GT(redUp, 3 * redDown + 5);
  EXPECT_GT(greenDown, 3 * greenUp + 5);
  EXPECT_EQ(count(0xFF0000, 2, -25, 40, 25) + count(0x00FF00, 2, -25, 40, 25), 0);
}

// The analysis of the guidance honours the stations' values, in the entry's units.
TEST_F(MosPlotPicture, AnalysisOfTheGuidance)
{
  KOL::MosPlot layer("nomap,ft=24,va=temp[F,cf,int=5]");
  draw(layer);
  ASSERT_EQ(layer.getPipeline().getGrids().getNumSet(), 1);
  const KOL::Grid& g = layer.getPipeline().slotGrid(0);
  for (const auto& p : layer.placed()) {
    const KOL::MosBulletin::Value* v = p.station->find("TMP", p.column);
    ASSERT_TRUE(v);
    EXPECT_NEAR(g.getValue(EarthPoint(p.lat, p.lon)), v->number, 3.0) << p.station->id;
  }
}

TEST(MosPlot, ModelAndRunChooseTheStations)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  const struct {
    const char* params;
    size_t stations;
  } cases[] = {{"", 3},     {"mo=GFS", 3}, {"mo=mav", 3}, {"mo=NAM", 0},
               {"ho=0", 3}, {"ho=12", 0},  {"ft=f24", 3}, {"ft=25", 0}};
  for (const auto& c : cases) {
    KOL::MosPlot layer(c.params);
    ASSERT_TRUE(layer.setFilename(KOLTest::dataFile(MAV).c_str()));
    EXPECT_EQ(layer.placed().size(), c.stations) << c.params;
  }
}

// The latest run's file of the "mos_dat" convention at or before the figure's time.
TEST(MosPlot, FileOfTheConvention)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOLTest::TempDir dir;
  KOLTest::run("mkdir -p " + dir.file("mos") + " && ln -s " + KOLTest::dataFile(MAV) + " " +
               dir.file("mos/2014010100.mos"));
  KOL::Kol::resrc.set("con_path", dir.path().c_str());
  for (int hour : {5, -1}) {
    KOL::MosPlot layer;
    // an hour before the run: none
    KOL::Date d = hour < 0 ? KOL::Date(2013, 12, 31, 23, 0, 0) : KOL::Date(2014, 1, 1, hour, 0, 0);
    EXPECT_EQ(layer.setFilename(d), hour >= 0) << hour;
    EXPECT_EQ(layer.placed().size(), hour >= 0 ? 3u : 0u);
  }
  KOL::Kol::resrc.set("con_path", "");
}

}  // namespace
