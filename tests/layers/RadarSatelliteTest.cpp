// Radar and satellite layers: pictures against PROJ and the data, files by convention, loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "LayerPicture.h"
#include "common/Raster.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "core/String.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "imagery/Lev2Data.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "layers/Lev2Plot.h"
#include "layers/NidsPlot.h"
#include "layers/SatPlot.h"

namespace {

using KOL::Date;
using KOL::EarthPoint;
using KOL::Lev2Data;
using KOL::Lev2Plot;
using KOL::Plot;
using KOL::Point;
using KOLTest::packed;

constexpr uint32_t MAP_INK = 0xFF00FF;  // magenta: no class colour or grey is

class ImageryPictureTest : public KOLTest::LayerPictureTest {
 protected:
  void SetUp() override
  {
    LayerPictureTest::SetUp();
    KOL::Kol::resrc.set("color_map", "magenta");
    framed = true;
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("color_map", "");
    LayerPictureTest::TearDown();
  }
  uint32_t pixelAt(const EarthPoint& e)
  {
    const Point p = pixel(e.lat, e.lon);
    return p.isMiss() ? 0 : pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
  }
  // Map lines over the picture (where is the maps' own test); labels above and below.
  void expectMapLinesAndLabels()
  {
    const float x1 = std::min(clip.x1, clip.x2), x2 = std::max(clip.x1, clip.x2);
    EXPECT_GT(inkOutside(true, x1, (x1 + x2) / 2), 100);
    EXPECT_GT(inkOutside(false, x1, x2), 500);
    EXPECT_GT(KOLTest::inkOf(pic, MAP_INK, 120, static_cast<int>(x1), 0, static_cast<int>(x2),
                             pic.height - 1)
                  .count,
              1000);
  }
  // Dark pixels in a strip of the page above or below the map.
  int inkOutside(bool above, float x1, float x2) const
  {
    const int top = static_cast<int>(std::min(clip.y1, clip.y2)),
              bottom = static_cast<int>(std::max(clip.y1, clip.y2));
    int n = 0;
    for (int y = above ? 0 : bottom + 3; y < (above ? top - 2 : pic.height); ++y)
      for (int x = static_cast<int>(x1); x < static_cast<int>(x2); ++x) n += pic.dark(x, y);
    return n;
  }
  // Keeps the points of a lattice whose neighbours (ri, rj away) share their key (-1 skips);
  // check gets the key and the pixel at the point's earth position, unless a map line is there.
  template <class Key, class Place, class Check>
  void sample(int nx, int ny, int i0, int j0, int step, int jstep, int ri, int rj, int nstep,
              Key key, Place place, Check check)
  {
    for (int j = j0; j + rj < ny; j += jstep)
      for (int i = i0; i + ri < nx; i += step) {
        const long k = key(i, j);
        bool uniform = k != -1;
        for (int dj = -rj; dj <= rj && uniform; dj += nstep)
          for (int di = -ri; di <= ri && uniform; di += nstep) uniform = key(i + di, j + dj) == k;
        EarthPoint e;
        if (!uniform || !place(i, j, e)) continue;
        const uint32_t got = pixelAt(e);
        if (!KOLTest::isInkOf(got, MAP_INK, 120)) check(k, got);
      }
  }
  // The class a bin is drawn in: range folding's own, else its value's.
  static int classOf(const KOL::NidsPlot& layer, const KOL::NidsData& d, int bin, int radial)
  {
    const int folded = d.getFoldedLevel();
    if (folded >= 0 && d.getLevel(bin, radial) == folded &&
        d.getValue(bin, radial) != KOL::NidsData::NO_COVERAGE)
      return layer.getFoldedClass();
    return layer.getClass(d.getValue(bin, radial));
  }
  // Bins whose neighbours share their class are in its colour; the classes met, one a bin.
  std::vector<int> expectBinsInClassColours(const KOL::NidsPlot& layer, const std::string& file)
  {
    KOL::NidsFile f(file.c_str());
    KOL::NidsInfo info;
    KOL::NidsData data;
    EXPECT_TRUE(f.readHeader(info) && f.readData(data));
    // a device pixel may take a bin up to half its width away: that many bins must agree
    const bool radial = data.isRadial();
    const float km = radial ? data.getResolution() : 1.0f;
    const float perPixel = radial ? 2 * data.getNx() * km / std::fabs(clip.x2 - clip.x1) : 0.0f;
    const int reach = radial ? std::max(1, static_cast<int>(std::lround(perPixel / km / 2))) : 0;
    std::vector<int> classes;
    int same = 0;
    sample(
        data.getNx(), data.getNy(), radial ? 20 : 1, 1, std::max(1, data.getNx() / 400), 1, reach,
        radial ? 1 : 0, 1,
        [&](int b, int r) {
          const int k = classOf(layer, data, b, r);
          return k == 0 ? -1L : k;
        },
        [&](int b, int r, EarthPoint& e) {
          const KOL::GridPoint at = radial ? KOL::GridPoint(r + 0.5f, b + 0.5f)
                                           : KOL::GridPoint(static_cast<float>(b), r);
          return data.getDomain().tran(at, e) != 0;
        },
        [&](long k, uint32_t got) {
          same += got == packed(layer.getClassColor(static_cast<int>(k)));
          classes.push_back(static_cast<int>(k));
        });
    const int tried = static_cast<int>(classes.size());
    EXPECT_GT(tried, 60);
    EXPECT_GE(same, tried * 97 / 100) << same << " of " << tried;
    return classes;
  }
  // A pixel of exactly this colour below the map (on the bar).
  bool onBar(uint32_t colour) const
  {
    for (int y = static_cast<int>(std::max(clip.y1, clip.y2)) + 2; y < pic.height; ++y)
      for (int x = 0; x < pic.width; ++x)
        if (pic.at(x, y) == colour) return true;
    return false;
  }
};

enum class Quantity { VELOCITY, WIDTH, OTHER };

bool greenish(const KOL::RGB& c) { return c.green > c.red && c.green > c.blue; }
bool reddish(const KOL::RGB& c) { return c.red > c.green && c.red > c.blue; }
bool purple(const KOL::RGB& c) { return c.red > c.green && c.blue > c.green; }

// Bins in their class colour, each on the bar; velocities green and red, folding purple.
TEST_F(ImageryPictureTest, RadarBinsInTheirClassColours)
{
  KOL_REQUIRE_DATA();
  const Quantity OTHER = Quantity::OTHER, VELOCITY = Quantity::VELOCITY;
  for (const auto& [name, units, quantity] :
       {std::tuple{"KOUN_SDUS54_N0QTLX_201305202016", "dBZ", OTHER},
        {"KLZK_H0V_20200812_1309", "kt", VELOCITY},
        {"KOUN_SDUS54_N0UTLX_201305202016", "kt", VELOCITY},
        {"Level3_MCI_TV0_20160526_2154.nids", "kt", VELOCITY},
        {"KOUN_SDUS64_NSWTLX_201305202016", "kt", Quantity::WIDTH},
        {"KOUN_SDUS54_NCRTLX_201305202016", "dBZ", OTHER},
        {"KOUN_SDUS54_DPATLX_201305202016", "in", OTHER},
        {"KOUN_SDUS84_N0CTLX_201305202016", "", OTHER},
        {"KOUN_SDUS84_N0XTLX_201305202016", "dB", OTHER},
        {"KOUN_SDUS84_DODTLX_201305202016", "in", OTHER},
        {"KOUN_SDUS34_PTATLX_201305202016", "in", OTHER}}) {
    SCOPED_TRACE(name);
    const std::string file = KOLTest::dataFile(std::string("nids/") + name);
    KOL::NidsPlot layer;
    ASSERT_EQ(layer.setFilename(file.c_str()), 1);
    EXPECT_EQ(layer.getUnits(), units);
    draw(layer, std::string("radar_") + name + ".png");
    std::vector<int> met = expectBinsInClassColours(layer, file);
    std::sort(met.begin(), met.end());
    met.erase(std::unique(met.begin(), met.end()), met.end());
    EXPECT_GE(met.size(), 3u) << "the picture is not one class";
    const int folded = layer.getFoldedClass();
    EXPECT_EQ(folded > 0, quantity != OTHER) << "velocities and widths fold";
    if (folded > 0) {
      EXPECT_TRUE(purple(layer.getClassColor(folded)));
      met.push_back(folded);
    }
    for (int k : met) EXPECT_TRUE(onBar(packed(layer.getClassColor(k)))) << "class " << k;
    const std::vector<float>& lim = layer.getLimits();
    for (size_t k = 1; quantity != OTHER && k <= lim.size(); ++k) {
      const KOL::RGB col = layer.getClassColor(static_cast<int>(k));
      EXPECT_FALSE(purple(col)) << "only folding is purple, class " << k;
      if (quantity != VELOCITY) continue;
      EXPECT_TRUE((k < lim.size() ? lim[k] : 1e9f) > 0 || greenish(col)) << "towards, class " << k;
      EXPECT_TRUE(lim[k - 1] < 0 || reddish(col)) << "away, class " << k;
    }
  }
}

// A product of unknown kind whose levels carry no values is not drawn; names and labels.
class RadarProducts : public KOLTest::QuietTest {};

TEST_F(RadarProducts, UnknownProductsNamesAndThePrecipitationArray)
{
  KOL_REQUIRE_DATA();
  KOL::NidsPlot layer;
  EXPECT_EQ(layer.setFilename(KOLTest::dataFile("nids/KOUN_SDUS64_NC1TLX_201305202354").c_str()),
            0);
  EXPECT_EQ(layer.setFilename(KOLTest::dataFile("nids/KOUN_SDUS84_DU3TLX_201305202008").c_str()),
            1);
  EXPECT_EQ(layer.getUnits(), "in") << "an accumulation, whatever its label";
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016").c_str()),
            1);
  EXPECT_EQ(layer.infoLabel(), "Base reflectivity [dBZ]  TLX  El 0.5");
  // the hydrometeor classes are named on the bar by their abbreviations, one a class
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile("nids/KOUN_SDUS84_N0HTLX_201305202016").c_str()),
            1);
  const std::vector<std::string>& names = layer.getClassNames();
  ASSERT_EQ(names.size(), layer.getLimits().size());
  EXPECT_EQ(names.front(), "BI");
  EXPECT_EQ(names.back(), "UK");
  // the precipitation array in dBA: each cell in the class whose inch limits hold its amount
  const std::string array = KOLTest::dataFile("nids/Level3_MCI_DPA_20160526_2154.nids");
  KOL::NidsPlot dpa;
  ASSERT_EQ(dpa.setFilename(array.c_str()), 1);
  EXPECT_EQ(dpa.getUnits(), "in");
  ASSERT_EQ(dpa.getClassNames().size(), dpa.getLimits().size());
  std::vector<double> inches;
  for (const std::string& n : dpa.getClassNames()) inches.push_back(std::stod(n));
  KOL::NidsFile f(array.c_str());
  KOL::NidsInfo info;
  KOL::NidsData d;
  ASSERT_TRUE(f.readHeader(info) && f.readData(d));
  int cells = 0;
  for (int j = 0; j < d.getNy(); ++j)
    for (int i = 0; i < d.getNx(); ++i) {
      const float v = d.getValue(i, j);
      if (!KOL::NidsData::isValid(v)) continue;
      const double amount = std::pow(10.0, v / 10.0) / 25.4;
      const long want = std::upper_bound(inches.begin(), inches.end(), amount) - inches.begin();
      EXPECT_EQ(dpa.getClass(v), want) << v << " dBA, " << amount << " in";
      ++cells;
    }
  EXPECT_GT(cells, 500);
}

TEST_F(ImageryPictureTest, SatelliteCountsInGreyUnderMapLines)
{
  KOL_REQUIRE_DATA();
  for (const auto& [file, label, units] : {std::tuple{"gini/TIGN02", "GOES NC Infrared 11um", "C"},
                                           {"gini/AK-REGIONAL_8km_3.9_20160408_1445.gini",
                                            "GOES 15 Infrared 3.9um  Alaska Regional", "count"}}) {
    SCOPED_TRACE(file);
    KOL::SatPlot layer;
    ASSERT_EQ(layer.setFilename(KOLTest::dataFile(file).c_str()), 1);
    EXPECT_EQ(layer.infoLabel(), label);
    EXPECT_EQ(layer.units(), units);
    draw(layer, std::string("sat_") + (std::strrchr(file, '/') + 1) + ".png");
    const KOL::Image& img = layer.getImage();
    // a device pixel takes the source pixel nearest its centre: neighbours that near must agree
    const int reach =
        static_cast<int>(std::ceil(img.getWidth() / std::fabs(clip.x2 - clip.x1))) + 1;
    const int step = std::max(1, img.getWidth() / 300);
    int tried = 0, same = 0;
    sample(
        img.getWidth(), img.getHeight(), reach, reach, step, step, reach, reach, 1,
        [&](int i, int j) { return static_cast<long>(img.getVal(i, j)); },
        [&](int i, int j, EarthPoint& e) { return img.getDomain().tran(KOL::GridPoint(i, j), e); },
        [&](long v, uint32_t got) {
          // a grey with a tint of magenta lies under the edge of a map line
          if (((got >> 16) & 0xFF) != ((got >> 8) & 0xFF)) return;
          ++tried;
          same += got == static_cast<uint32_t>(v * 0x010101) || (v == 255 && got == 0xFFFFFE);
        });
    ASSERT_GT(tried, 100);
    EXPECT_GE(same, tried * 97 / 100) << same << " of " << tried;
    expectMapLinesAndLabels();
  }
}

// The radar mosaic in its reflectivity classes, each on the bar, no echo left white.
TEST_F(ImageryPictureTest, MosaicInReflectivityClasses)
{
  KOL_REQUIRE_DATA();
  KOL::SatPlot layer;
  ASSERT_EQ(layer.setFilename(
                KOLTest::dataFile("gini/Level3_Composite_dhr_1km_20180309_2225.gini").c_str()),
            1);
  EXPECT_TRUE(layer.isReflectivity());
  EXPECT_EQ(layer.units(), "dBZ");
  EXPECT_EQ(layer.infoLabel(), "Reflectivity mosaic (dBZ)");
  draw(layer, "sat_mosaic_dhr.png");
  const KOL::Image& img = layer.getImage();
  for (int v = 0; v < 256; ++v) {
    const float dbz = img.getValue(v);
    EXPECT_EQ(layer.isShown(v), dbz != KOL::Const::FMISS && dbz >= 5.0f) << v;
  }
  // what the picture shows of a pixel value: its class colour, or the white page
  auto shown = [&](int i, int j) {
    const int v = img.getVal(i, j);
    return static_cast<long>(layer.isShown(v) ? packed(layer.getPixelColor(v)) : 0xFFFFFFu);
  };
  const int reach = static_cast<int>(std::ceil(img.getWidth() / std::fabs(clip.x2 - clip.x1))) + 1;
  int echo = 0, echoSame = 0, clear = 0, white = 0;
  std::vector<long> classes;
  sample(
      img.getWidth(), img.getHeight(), reach, reach, 2, 2, reach, reach, 2, shown,
      [&](int i, int j, EarthPoint& e) { return img.getDomain().tran(KOL::GridPoint(i, j), e); },
      [&](long want, uint32_t got) {
        if (want == 0xFFFFFF) {
          // the page, or its white tinted by the edge of a magenta map line
          ++clear, white += (got & 0xFE00FE) == 0xFE00FE;
          return;
        }
        ++echo, echoSame += got == want;
        if (std::find(classes.begin(), classes.end(), want) == classes.end()) {
          classes.push_back(want);
          EXPECT_TRUE(onBar(static_cast<uint32_t>(want))) << std::hex << want;
        }
      });
  ASSERT_GT(clear, 1000);
  EXPECT_GE(white, clear * 99 / 100);
  ASSERT_GT(echo, 100);
  EXPECT_GE(echoSame, echo * 97 / 100) << echoSame << " of " << echo;
  EXPECT_GE(classes.size(), 2u) << "more than one class met";
}

const char* const KTLX = "level2/KTLX20100501_000444_V03.gz";

class Lev2PlotTest : public KOLTest::LayerPictureTest {
 protected:
  Point at(const EarthPoint& e) { return pixel(e.lat, e.lon); }
  // The distance from p to the nearest pixel of the overlay grey within reach, or reach + 1.
  float nearestGrey(const Point& p, int reach) const
  {
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
  const Point centre = at(EarthPoint(layer.getSiteLat(), layer.getSiteLon()));
  EXPECT_NEAR(centre.x, (clip.x1 + clip.x2) / 2, 2.0f);
  EXPECT_NEAR(centre.y, (clip.y1 + clip.y2) / 2, 2.0f);
  EXPECT_LE(nearestGrey(centre, 2), 2.0f) << "the radar's marker";
  ASSERT_EQ(layer.ringRadii(), (std::vector<float>{50, 100, 150}));
  for (float km : layer.ringRadii())
    for (int az = 0; az < 360; az += 45) {
      const EarthPoint e =
          Lev2Data::destination(layer.getSiteLat(), layer.getSiteLon(), az, km * 1000.0);
      EXPECT_LE(nearestGrey(at(e), 4), 2.0f) << km << " km at " << az << " deg";
    }
  // one ring's radius in pixels against the map's scale: 50 km of the 340 km wide square
  const float perKm = std::fabs(clip.x2 - clip.x1) / 340.0f;
  const Point east = at(Lev2Data::destination(layer.getSiteLat(), layer.getSiteLon(), 90, 50000));
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
  int checked = 0, matched = 0;
  for (int j = 0; j < d.getNumRadials(); j += 3)
    for (int i = 0; i < d.getMoment(k).gates; ++i) {
      // a gate inside a wide area of one class, so that its neighbours share the colour
      const float v = d.getValue(k, i, j);
      if (!Lev2Data::isValue(v) || v < 45) continue;
      EarthPoint e;
      ASSERT_TRUE(d.getLocation(k, i, j, e));
      const Point p = at(e);
      const KOL::RGB want = layer.getClassColor(layer.getClass(v));
      bool found = false;
      for (int dy = -2; dy <= 2 && !found; ++dy)
        for (int dx = -2; dx <= 2 && !found; ++dx) {
          found = pic.at(static_cast<int>(p.x) + dx, static_cast<int>(p.y) + dy) ==
                  KOLTest::packed(want);
        }
      ++checked;
      matched += found;
    }
  ASSERT_GT(checked, 100);
  EXPECT_GT(matched, checked * 95 / 100);
}

// The keys pick cuts: by number, by angle, the lowest elevations of a composite.
TEST_F(Lev2PlotTest, CutsByNumberAngleAndCompositeOfAVolumeFoundByDate)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile(KTLX);
  const std::vector<std::tuple<const char*, int, std::vector<int>>> cases = {
      {"va=ref", 0, {1}},          {"va=ref", 3, {3}},         {"va=vel", 0, {2}},
      {"va=vel:1.5", 0, {4}},      {"va=ref,comp", 0, {1, 3}}, {"va=ref,comp=3", 0, {1, 3, 5}},
      {"va=sw,comp=2", 0, {2, 4}},
  };
  for (const auto& [params, cut, cuts] : cases) {
    Lev2Plot layer(params);
    if (cut) layer.setCut(cut);
    ASSERT_EQ(layer.setFilename(file.c_str()), 1) << params;
    std::vector<int> got;
    for (const Lev2Data& d : layer.getCuts()) got.push_back(d.getCut());
    EXPECT_EQ(got, cuts) << params;
  }
  Lev2Plot none("va=zdr");
  EXPECT_EQ(none.setFilename(file.c_str()), 0) << "a volume without dual polarisation";
  // a volume found by date through the convention "lev2" and the radar's identifier
  KOLTest::TempDir dir;
  dir.link("lev2/KTLX/20100501_0004.ar2v", KOLTest::dataFile(KTLX));
  KOLTest::ResourceScope path{{"image_path", dir.path()}};
  // at 00:10 and at 01:10 (older than the hours allowed)
  for (const auto& [params, hour, found] :
       {std::tuple{"id=KTLX", 0, 1}, {"id=KTLX,ho=0", 1, 0}, {"id=KABR", 0, 0}}) {
    Lev2Plot layer(params);
    KOL::Date d(2010, 5, 1, hour, 10, 0);
    EXPECT_EQ(layer.setFilename(d), found) << params;
    EXPECT_TRUE(!found || layer.getSite() == "KTLX") << layer.getSite();
  }
}

// Own class limits, ground clutter left out, and a range limit.
TEST_F(Lev2PlotTest, ClassesColoursClutterAndRange)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile("level2/KDMX20260101_154351_V06");
  Lev2Plot own("va=ref,ct=10:30:50,range=100");
  ASSERT_EQ(own.setFilename(file.c_str()), 1);
  EXPECT_EQ(own.getClass(5) * 100 + own.getClass(35) * 10 + own.getClass(60), 23);
  EXPECT_FLOAT_EQ(own.getMaxRangeKm(), 100.0f);
  // a picture's covered points: every gate, then without the non-meteorological ones
  auto covered = [&](const char* params) {
    Lev2Plot layer(params);
    EXPECT_EQ(layer.setFilename(file.c_str()), 1);
    draw(layer, "lev2_kdmx.png");
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
}

class NidsPlotKeysTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    KOL::Kol::resrc.set("image_path", dir.path().c_str());
    saved = KOL::Kol::init_time;
    KOL::Kol::init_time = Date(2020, 8, 17, 6, 0, 0.0f).getSeconds();
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("image_path", "");
    KOL::Kol::init_time = saved;
    RecordedPlotTest::TearDown();
  }
  KOLTest::TempDir dir;
  long saved = 0;
};

TEST_F(NidsPlotKeysTest, FoundByConventionWithRingsAboutTheRadar)
{
  KOL_REQUIRE_DATA();
  dir.link("nids/DDC/N0Q/20200817_0501.nids",
           KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids"));
  KOL::NidsPlot layer("id=DDC,va=refl");  // the macro: ty=N0Q,site,dist=50
  ASSERT_EQ(layer.setFilename(), 1);
  Date before(2020, 8, 17, 4, 0, 0.0f), after(2020, 8, 17, 5, 30, 0.0f);
  EXPECT_EQ(layer.setFilename(before), 0) << "nothing filed before 04 UTC";
  ASSERT_EQ(layer.setFilename(after), 1);
  EXPECT_EQ(layer.getSite(), "DDC");

  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  KOL::String text;
  d.toString(text);
  open(text.get(), 600, 600);
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_EQ(layer.getRings().size(), 6u);  // 50 to 300 km
  EXPECT_FLOAT_EQ(layer.getRings().front(), 50.0f);
  // the first ring passes 50 km north of the radar
  KOL::EarthPoint north =
      KOL::Lev2Data::destination(layer.getInfo().getLat(), layer.getInfo().getLon(), 0, 50000);
  KOL::Point p;
  ASSERT_TRUE(plot->getDomain().tran(north, p));
  p = plot->toDevice(p);
  bool through = false;
  for (const KOL::Points& l : rec->lines)
    if (l.getNum() == 181) through |= std::hypot(l[0].x - p.x, l[0].y - p.y) < 2;
  EXPECT_TRUE(through);
}

class SatPlotKeys : public KOLTest::LayerPictureTest {};

// By the convention of the image path, a band west of 150 W left out; a band across the date
// line, a domain as mask, the counts as drawn written out, and the plot's own map kept.
TEST_F(SatPlotKeys, ByConventionMasksOutputAndDomain)
{
  KOL_REQUIRE_DATA();
  const std::string alaska = KOLTest::dataFile("gini/AK-REGIONAL_8km_3.9_20160408_1445.gini");
  KOLTest::TempDir dir;
  dir.link("vis/20160408_1445.gini", alaska);
  // where the image shows (grey, not the white page)
  auto shown = [&](KOL::SatPlot& layer,
                   std::initializer_list<std::tuple<double, double, bool>> at) {
    draw(layer);
    for (const auto& [lat, lon, kept] : at)
      EXPECT_EQ(colourAt(lat, lon) != 0xFFFFFFu, kept) << lat << " " << lon;
  };
  KOL::SatPlot found(("in=" + dir.path() + ",minlon=-150,nomap,nobar").c_str());
  Date before(2016, 4, 8, 14, 0, 0.0f), after(2016, 4, 8, 15, 0, 0.0f);
  EXPECT_EQ(found.setFilename(before), 0) << "nothing filed before 14 UTC";
  ASSERT_EQ(found.setFilename(after), 1);
  shown(found, {{60, -155, false}, {60, -145, true}, {58, -152, false}, {58, -140, true}});
  // the image's west edge lies east of 170 E: the band's east end is what shows
  KOL::SatPlot band("minlon=170,maxlon=-165,nomap,nobar");
  ASSERT_EQ(band.setFilename(alaska.c_str()), 1);
  shown(band, {{60, 175, true}, {52, -170, true}, {60, -160, false}, {65, -150, false}});
  const std::string png = dir.file("counts.png");
  KOL::SatPlot masked(("mod_mask=ll;60;-150;11;11;1;1,nomap,nobar,pa=ou=" + png).c_str());
  ASSERT_EQ(masked.setFilename(alaska.c_str()), 1);
  shown(masked, {{60, -150, true}, {58, -146, true}, {60, -140, false}, {52, -150, false}});
  const KOLTest::Raster counts = KOLTest::readPng(png);
  EXPECT_GT(counts.width, 300);
  EXPECT_GT(counts.height, 200);
  KOL::SatPlot own("image_dom=0");
  ASSERT_EQ(own.setFilename(alaska.c_str()), 1);
  KOL::Domain d;
  EXPECT_EQ(own.getDomain(d), 0) << "the plot keeps its map";
}

TEST(ImageLoop, LastFilesOfAConventionAsAnimatedGif)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  for (const std::string t : {"0451", "0456", "0501"}) {  // a file filed under three times
    dir.link("nids/DDC/N0Q/20200817_" + t + ".nids",
             KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids"));
    dir.link("vis/20200817_" + t + ".gini",
             KOLTest::dataFile("gini/AK-REGIONAL_8km_3.9_20160408_1445.gini"));
  }
  const std::string common = " -fp=" + KOLTest::databaseDir() + " -ip=" + dir.path() +
                             " -sp=" + dir.path() + " -fr=2 -ou=";
  for (const std::string& run : {KOLTest::programPath("kolrad") + " -id=DDC -ty=N0Q" + common,
                                 KOLTest::programPath("kolsat") + common}) {
    SCOPED_TRACE(run);
    const std::string gif = dir.file("loop.gif");
    int status = -1;
    const std::string out = KOLTest::run(run + gif + " 2>&1", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("(2 frames)"), std::string::npos) << out;
    int frames = 0;
    const KOLTest::Raster last = KOLTest::readGif(gif, 1, &frames);
    EXPECT_EQ(frames, 2);
    ASSERT_TRUE(last.valid());
    EXPECT_GT(last.inked(), last.width * last.height / 20) << "a picture in every frame";
  }
}

}  // namespace
