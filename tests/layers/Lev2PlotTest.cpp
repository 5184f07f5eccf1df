// Sweeps of radar volumes drawn by Lev2Plot: the radar at the centre of its map, range rings at
// their ranges, the strongest gates where the beam geometry puts them in their class colours,
// velocities towards the radar green and away red, range folding purple; the cuts the keys pick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "imagery/Lev2Data.h"
#include "layers/Lev2Plot.h"

using KOL::EarthPoint;
using KOL::Lev2Data;
using KOL::Lev2Plot;
using KOL::Plot;
using KOL::Point;

namespace {

const char* const KTLX = "level2/KTLX20100501_000444_V03.gz";

class Lev2PlotTest : public KOLTest::DatabaseTest {
 protected:
  void TearDown() override
  {
    KOL::Kol::resrc.set("parameter", "");
    DatabaseTest::TearDown();
  }
  void draw(Lev2Plot& layer, const std::string& keepAs)
  {
    const char* keep = std::getenv("KOL_KEEP_PICTURES");
    const std::string out = keep ? std::string(keep) + "/" + keepAs : "";
    ASSERT_TRUE(plot.open(("de=i," + out + ",sz=800x700").c_str()));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    clip = plot.getGraph().getGTran(Plot::MAP).getClipRect();
    ASSERT_EQ(plot.getImage(shot), 1);
  }
  Point pixel(const EarthPoint& e)
  {
    Point p;
    EarthPoint copy = e;
    if (!domain.tran(copy, p)) return Point();
    return plot.toDevice(p);
  }
  // The distance from p to the nearest pixel of the overlay grey within reach, or reach + 1.
  float nearestGrey(const Point& p, int reach) const
  {
    const KOLTest::Raster pic = KOLTest::toRaster(shot);
    float best = reach + 1.0f;
    for (int dy = -reach; dy <= reach; ++dy)
      for (int dx = -reach; dx <= reach; ++dx) {
        const int x = static_cast<int>(std::lround(p.x)) + dx,
                  y = static_cast<int>(std::lround(p.y)) + dy;
        const uint32_t c = pic.at(x, y);
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (pic.ink(x, y) > 0.3f && std::abs(r - g) < 12 && std::abs(g - b) < 12)
          best =
              std::min(best, std::hypot(static_cast<float>(x) - p.x, static_cast<float>(y) - p.y));
      }
    return best;
  }

  Plot plot;
  KOL::Domain domain;
  KOL::Rect clip;
  KOL::Image shot;
};

TEST_F(Lev2PlotTest, RadarAtTheCentreRingsAtTheirRanges)
{
  KOL_REQUIRE_DATA();
  Lev2Plot layer("va=ref,range=170,dist=50,map=0");
  layer.setElevation(0.5f);
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile(KTLX).c_str()), 1);
  EXPECT_EQ(layer.getSite(), "KTLX");
  EXPECT_EQ(layer.infoLabel(), "Reflectivity [dBZ]  KTLX  El 0.5");
  draw(layer, "lev2_ktlx_ref.png");
  const Point centre = pixel(EarthPoint(layer.getSiteLat(), layer.getSiteLon()));
  EXPECT_NEAR(centre.x, (clip.x1 + clip.x2) / 2, 2.0f);
  EXPECT_NEAR(centre.y, (clip.y1 + clip.y2) / 2, 2.0f);
  EXPECT_LE(nearestGrey(centre, 2), 2.0f) << "the radar's marker";
  ASSERT_EQ(layer.ringRadii(), (std::vector<float>{50, 100, 150}));
  for (float km : layer.ringRadii())
    for (int az = 0; az < 360; az += 45) {
      const EarthPoint at =
          Lev2Data::destination(layer.getSiteLat(), layer.getSiteLon(), az, km * 1000.0);
      EXPECT_LE(nearestGrey(pixel(at), 4), 2.0f) << km << " km at " << az << " deg";
    }
  // one ring's radius in pixels against the map's scale: 50 km of the 340 km wide square
  const float perKm = std::fabs(clip.x2 - clip.x1) / 340.0f;
  const Point east =
      pixel(Lev2Data::destination(layer.getSiteLat(), layer.getSiteLon(), 90, 50000));
  EXPECT_NEAR(east.x - centre.x, 50 * perKm, 2.0f);
}

// The strongest gates of the sweep, placed by the 4/3-earth beam, in their classes' colours.
TEST_F(Lev2PlotTest, GatesWhereTheBeamIsInTheirClassColours)
{
  KOL_REQUIRE_DATA();
  Lev2Plot layer("va=ref,nodist,map=0,nograph");
  layer.setCut(1);
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile(KTLX).c_str()), 1);
  draw(layer, "lev2_ktlx_gates.png");
  const Lev2Data& d = layer.getCuts().front();
  const int k = d.findMoment("REF");
  const KOLTest::Raster pic = KOLTest::toRaster(shot);
  int checked = 0, matched = 0;
  for (int j = 0; j < d.getNumRadials(); j += 3)
    for (int i = 0; i < d.getMoment(k).gates; ++i) {
      // a gate inside a wide area of one class, so that its neighbours share the colour
      const float v = d.getValue(k, i, j);
      if (!Lev2Data::isValue(v) || v < 45) continue;
      EarthPoint e;
      ASSERT_TRUE(d.getLocation(k, i, j, e));
      const Point p = pixel(e);
      const KOL::RGB want = layer.getClassColor(layer.getClass(v));
      bool found = false;
      for (int dy = -2; dy <= 2 && !found; ++dy)
        for (int dx = -2; dx <= 2 && !found; ++dx) {
          KOL::RGB c;
          shot.getRGB(static_cast<int>(p.x) + dx, static_cast<int>(p.y) + dy, c);
          found = std::fabs(c.red - want.red) < 0.02f && std::fabs(c.green - want.green) < 0.02f &&
                  std::fabs(c.blue - want.blue) < 0.02f;
        }
      ++checked;
      matched += found;
    }
  ASSERT_GT(checked, 100);
  EXPECT_GT(matched, checked * 95 / 100);
}

// Velocities: away red, towards green, range folding purple after the last class.
TEST_F(Lev2PlotTest, VelocitySignsAndRangeFolding)
{
  KOL_REQUIRE_DATA();
  Lev2Plot layer("va=vel:0.5,range=150");
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile(KTLX).c_str()), 1);
  EXPECT_EQ(layer.getCuts().front().getCut(), 2) << "the Doppler half of the split cut";
  EXPECT_EQ(layer.getClass(20.0f / 1.944f), layer.getClass(10.5f));
  draw(layer, "lev2_ktlx_vel.png");
  const KOL::RGB away = layer.getClassColor(layer.getClass(20.0f));
  const KOL::RGB towards = layer.getClassColor(layer.getClass(-20.0f));
  const KOL::RGB folded = layer.getClassColor(layer.getFoldedClass());
  EXPECT_GT(away.red, away.green);
  EXPECT_GT(towards.green, towards.red);
  EXPECT_GT(folded.red, folded.green);
  EXPECT_GT(folded.blue, folded.green);
}

// The keys pick cuts: by number, by angle, the lowest elevations of a composite.
TEST_F(Lev2PlotTest, CutsByNumberAngleAndComposite)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile(KTLX);
  const struct {
    const char* params;
    int cut;
    std::vector<int> cuts;
  } cases[] = {
      {"va=ref", 0, {1}},          {"va=ref", 3, {3}},         {"va=vel", 0, {2}},
      {"va=vel:1.5", 0, {4}},      {"va=ref,comp", 0, {1, 3}}, {"va=ref,comp=3", 0, {1, 3, 5}},
      {"va=sw,comp=2", 0, {2, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    Lev2Plot layer(c.params);
    if (c.cut) layer.setCut(c.cut);
    ASSERT_EQ(layer.setFilename(file.c_str()), 1);
    std::vector<int> got;
    for (const Lev2Data& d : layer.getCuts()) got.push_back(d.getCut());
    EXPECT_EQ(got, c.cuts);
  }
  Lev2Plot none("va=zdr");
  EXPECT_EQ(none.setFilename(file.c_str()), 0) << "a volume without dual polarisation";
}

// A volume found by date through the convention "lev2" and the radar's identifier.
TEST_F(Lev2PlotTest, VolumeFoundByDateAndRadar)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  ASSERT_EQ(
      KOLTest::run("mkdir -p " + dir.file("lev2/KTLX") + " && ln -s " + KOLTest::dataFile(KTLX) +
                   " " + dir.file("lev2/KTLX/20100501_0004.ar2v") + " && echo ok"),
      "ok\n");
  KOL::Kol::resrc.set("image_path", dir.path().c_str());
  const struct {
    const char* params;
    int hour, minute;
    int found;
  } cases[] = {
      {"id=KTLX", 0, 10, 1},
      {"id=KTLX,ho=0", 1, 10, 0},  // older than the hours allowed
      {"id=KABR", 0, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    Lev2Plot layer(c.params);
    KOL::Date d(2010, 5, 1, c.hour, c.minute, 0);
    EXPECT_EQ(layer.setFilename(d), c.found);
    if (c.found) {
      EXPECT_EQ(layer.getSite(), "KTLX");
    }
  }
  KOL::Kol::resrc.set("image_path", "");
}

// Keys that change what is drawn: own class limits, another moment's colours, ground clutter
// left out through the correlation coefficient, and a range limit.
TEST_F(Lev2PlotTest, ClassesColoursClutterAndRange)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile("level2/KDMX20260101_154351_V06");
  Lev2Plot own("va=ref,ct=10:30:50");
  ASSERT_EQ(own.setFilename(file.c_str()), 1);
  EXPECT_EQ(own.getClass(5), 0);
  EXPECT_EQ(own.getClass(35), 2);
  EXPECT_EQ(own.getClass(60), 3);
  // a picture's covered points: every gate, then without the non-meteorological ones
  auto covered = [&](const char* params) {
    Lev2Plot layer(params);
    EXPECT_EQ(layer.setFilename(file.c_str()), 1);
    draw(layer, "lev2_kdmx.png");
    const KOLTest::Raster pic = KOLTest::toRaster(shot);
    long n = 0;
    for (int y = static_cast<int>(std::min(clip.y1, clip.y2)); y < std::max(clip.y1, clip.y2); ++y)
      for (int x = static_cast<int>(std::min(clip.x1, clip.x2)); x < std::max(clip.x1, clip.x2);
           ++x)
        n += pic.ink(x, y) > 0.2f;
    return n;
  };
  const long all = covered("va=ref,nodist,map=0,range=100");
  const long clean = covered("va=ref,nodist,map=0,range=100,noclutter");
  EXPECT_GT(all, 1000);
  EXPECT_LT(clean, all * 9 / 10);
  Lev2Plot limited("va=ref,range=100");
  ASSERT_EQ(limited.setFilename(file.c_str()), 1);
  EXPECT_FLOAT_EQ(limited.getMaxRangeKm(), 100.0f);
}

// kolrad draws volumes told apart by content, one picture for each named by its time.
TEST_F(Lev2PlotTest, KolradDrawsEachVolumeByItsTime)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  int status = -1;
  KOLTest::run(KOLTest::programPath("kolrad") + " -ou=" + dir.file("ref.png") + " -va=ref " +
                   KOLTest::dataFile(KTLX) + " " +
                   KOLTest::dataFile("level2/KTLX19990503_235621.gz") + " 2>&1",
               &status);
  EXPECT_EQ(status, 0);
  for (const char* name : {"ref_20100501_0004.png", "ref_19990503_2356.png"})
    EXPECT_GT(KOLTest::readFile(dir.file(name)).size(), 1000u) << name;
}

}  // namespace
