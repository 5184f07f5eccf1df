// Radar and satellite pictures drawn by the image device: map lines over the image where PROJ
// puts them, pixels of known product values in the colour of their class on the colour bar,
// satellite counts in their grey, the bar and the labels outside the map; and the room the
// colour bar is given beside a panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "common/Proj.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/MapFile.h"
#include "graphics/MapFileHeader.h"
#include "graphics/Plot.h"
#include "graphics/plot/ColorBar.h"
#include "imagery/Image.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "imagery/RGB.h"
#include "layers/NidsPlot.h"
#include "layers/SatPlot.h"

namespace {

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;

constexpr uint32_t MAP_INK = 0xFF00FF;  // magenta: no class colour or grey is

uint32_t pack(const KOL::RGB& c)
{
  return (KOL::RGB::toByte(c.red) << 16) | (KOL::RGB::toByte(c.green) << 8) |
         KOL::RGB::toByte(c.blue);
}

class ImageryPictureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    KOL::Kol::resrc.set("color_map", "magenta");
    KOL::Kol::resrc.set("inverse", "true");
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("color_map", "");
    KOL::Kol::resrc.set("inverse", "");
    DatabaseTest::TearDown();
  }
  // The layer drawn as a program draws it: its domain, the layer, the border and labels.
  void draw(KOL::Drawing& layer, const std::string& keepAs)
  {
    const char* keep = std::getenv("KOL_KEEP_PICTURES");
    const std::string out = keep ? std::string(keep) + "/" + keepAs : "";
    ASSERT_TRUE(plot.open(("de=i," + out + ",sz=800x700").c_str()));
    ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    plot.drawBorder();
    plot.drawLabels();
    clip = plot.getGraph().getGTran(Plot::MAP).getClipRect();
    KOL::Image shot;
    ASSERT_EQ(plot.getImage(shot), 1);
    pic = KOLTest::toRaster(shot);
  }
  // The picture's pixel at an earth point, through the library's own projection.
  uint32_t pixelAt(EarthPoint e) const
  {
    Point p;
    if (!domain.tran(e, p)) return 0;
    p = const_cast<Plot&>(plot).toDevice(p);
    return pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
  }
  // The state and national borders inside the map (at most about 300 points) have map ink
  // within 2 pixels of where PROJ puts them; the labels lie above and below the map.
  void expectMapLinesAndLabels()
  {
    const float x1 = std::min(clip.x1, clip.x2), x2 = std::max(clip.x1, clip.x2);
    const float mid = (x1 + x2) / 2;
    EXPECT_GT(inkOutside(true, x1, mid), 100);
    EXPECT_GT(inkOutside(false, x1, x2), 500);
    if (!KOLTest::haveProj()) return;
    std::vector<EarthPoint> out;
    for (const char* name : {"states_l.map", "border_l.map"}) {
      KOL::MapFile f((KOLTest::databaseDir() + "/" + name).c_str(), 0, 0);
      KOL::MapFileHeader h;
      while (f.isOpen() && f.readHeader(h)) {
        EarthPoint e;
        while (f.readData(e)) {
          Point p;
          const KOL::Rect& lim = domain.getLimits();
          if (domain.tran(e, p) && p.x > lim.x1 && p.x < lim.x2 && p.y > lim.y1 && p.y < lim.y2)
            out.push_back(e);
        }
      }
    }
    std::vector<EarthPoint> some;
    for (size_t k = 0; k < out.size(); k += out.size() / 300 + 1) some.push_back(out[k]);
    ASSERT_GT(some.size(), 20u);
    int hit = 0;
    for (const Point& p : KOLTest::projPixels(plot, some)) {
      const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
      hit += KOLTest::inkOf(pic, MAP_INK, 120, x - 2, y - 2, x + 2, y + 2).count > 0;
    }
    EXPECT_GT(hit, some.size() * 95 / 100);
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
  // Walks a source lattice (i across, j down) every step (jstep down) from (i0, j0), keeping the
  // points whose neighbours up to ri and rj away (every nstep) have the key of the point itself;
  // key -1 passes a point over. Each kept point's key and the picture's pixel at its earth position
  // go to check, unless a map line covers that pixel.
  template <class Key, class Place, class Check>
  void sample(int nx, int ny, int i0, int j0, int step, int jstep, int ri, int rj, int nstep,
              Key key, Place place, Check check) const
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
  // Bins whose neighbours share their class: the pixel at their centre has the class colour.
  // The classes met, one entry per bin tried.
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
          same += got == pack(layer.getClassColor(static_cast<int>(k)));
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
  Plot plot;
  KOL::Domain domain;
  KOLTest::Raster pic;
  KOL::Rect clip;
};

enum class Quantity { VELOCITY, WIDTH, OTHER };

struct RadarCase {
  const char* file;
  const char* units;
  Quantity quantity;
};
// The file names the case (and the test, stably from one build to the next).
void PrintTo(const RadarCase& c, std::ostream* os) { *os << c.file; }

class RadarPictureTest : public ImageryPictureTest,
                         public ::testing::WithParamInterface<RadarCase> {};

bool greenish(const KOL::RGB& c) { return c.green > c.red && c.green > c.blue; }
bool reddish(const KOL::RGB& c) { return c.red > c.green && c.red > c.blue; }
bool purple(const KOL::RGB& c) { return c.red > c.green && c.blue > c.green; }

// Every kind of product with radial or raster data in its colours: bins at their class's
// colour, each class met with a box of exactly its colour on the bar below the map, velocities
// towards the radar green and away red, range folding purple with its own box on the bar.
TEST_P(RadarPictureTest, BinsInTheirClassColours)
{
  KOL_REQUIRE_DATA();
  const RadarCase& c = GetParam();
  const std::string file = KOLTest::dataFile(std::string("nids/") + c.file);
  KOL::NidsPlot layer;
  ASSERT_EQ(layer.setFilename(file.c_str()), 1);
  EXPECT_EQ(layer.getUnits(), c.units);
  draw(layer, std::string("radar_") + c.file + ".png");
  const std::vector<int> met = expectBinsInClassColours(layer, file);
  for (int k : met) {
    if (!onBar(pack(layer.getClassColor(k)))) {
      ADD_FAILURE() << "class " << k << " is not on the bar";
      break;
    }
  }

  const std::vector<float>& limits = layer.getLimits();
  const int folded = layer.getFoldedClass();
  EXPECT_EQ(folded > 0, c.quantity != Quantity::OTHER) << "velocities and widths fold";
  for (size_t k = 1; k <= limits.size(); ++k) {
    const KOL::RGB col = layer.getClassColor(static_cast<int>(k));
    EXPECT_FALSE(purple(col) && c.quantity != Quantity::OTHER) << "only folding is purple " << k;
    if (c.quantity != Quantity::VELOCITY) continue;
    const float hi = k < limits.size() ? limits[k] : 1e9f;
    if (hi <= 0) {
      EXPECT_TRUE(greenish(col)) << "towards the radar, class " << k;
    }
    if (limits[k - 1] >= 0) {
      EXPECT_TRUE(reddish(col)) << "away from the radar, class " << k;
    }
  }
  if (folded > 0) {
    EXPECT_TRUE(purple(layer.getClassColor(folded)));
    EXPECT_TRUE(onBar(pack(layer.getClassColor(folded)))) << "an RF box on the bar";
  }
  // the picture is not one class: a velocity shows both ways
  std::vector<int> seen(met);
  std::sort(seen.begin(), seen.end());
  seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
  EXPECT_GE(seen.size(), 3u);
  if (c.quantity == Quantity::VELOCITY) {
    const bool in = std::any_of(met.begin(), met.end(), [&](int k) {
      return k != folded && greenish(layer.getClassColor(k));
    });
    const bool out = std::any_of(met.begin(), met.end(), [&](int k) {
      return k != folded && reddish(layer.getClassColor(k));
    });
    EXPECT_TRUE(in && out);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Products, RadarPictureTest,
    ::testing::Values(RadarCase{"KOUN_SDUS54_N0QTLX_201305202016", "dBZ", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS54_N0VTLX_201305202016", "kt", Quantity::VELOCITY},
                      RadarCase{"KLZK_H0V_20200812_1309", "kt", Quantity::VELOCITY},
                      RadarCase{"KOUN_SDUS54_N0UTLX_201305202016", "kt", Quantity::VELOCITY},
                      RadarCase{"KOUN_SDUS24_N1STLX_201305202016", "kt", Quantity::VELOCITY},
                      RadarCase{"Level3_MCI_TV0_20160526_2154.nids", "kt", Quantity::VELOCITY},
                      RadarCase{"KOUN_SDUS64_NSWTLX_201305202016", "kt", Quantity::WIDTH},
                      RadarCase{"KOUN_SDUS64_NSPTLX_201305202016", "kt", Quantity::WIDTH},
                      RadarCase{"KOUN_SDUS54_NCRTLX_201305202016", "dBZ", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS54_DPATLX_201305202016", "in", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS84_N0CTLX_201305202016", "", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS84_N0XTLX_201305202016", "dB", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS84_DODTLX_201305202016", "in", Quantity::OTHER},
                      RadarCase{"KOUN_SDUS34_PTATLX_201305202016", "in", Quantity::OTHER}),
    [](const ::testing::TestParamInfo<RadarCase>& i) {
      std::string n = i.param.file;
      n = n.substr(0, n.find('.'));
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

// A product of unknown kind whose levels carry no values (a clutter filter map) has nothing a
// picture could show; a known product of the same kind of levels is drawn.
class RadarProducts : public KOLTest::QuietTest {};

TEST_F(RadarProducts, UnknownProductWithoutLevelsIsNotDrawn)
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
}

// The precipitation array holds dBA, 10 log10 of the amount in mm: each cell is in the class
// whose inch limits on the bar hold its amount.
TEST(RadarPrecipArray, CellsClassedByTheirAmountInInches)
{
  KOL_REQUIRE_DATA();
  for (const char* name :
       {"nids/KOUN_SDUS54_DPATLX_201305202016", "nids/Level3_MCI_DPA_20160526_2154.nids"}) {
    SCOPED_TRACE(name);
    const std::string file = KOLTest::dataFile(name);
    KOL::NidsPlot layer;
    ASSERT_EQ(layer.setFilename(file.c_str()), 1);
    EXPECT_EQ(layer.getUnits(), "in");
    const std::vector<std::string>& names = layer.getClassNames();
    ASSERT_EQ(names.size(), layer.getLimits().size());
    std::vector<double> inches;
    for (const std::string& n : names) inches.push_back(std::stod(n));
    KOL::NidsFile f(file.c_str());
    KOL::NidsInfo info;
    KOL::NidsData d;
    ASSERT_TRUE(f.readHeader(info) && f.readData(d));
    int cells = 0;
    for (int j = 0; j < d.getNy(); ++j)
      for (int i = 0; i < d.getNx(); ++i) {
        const float v = d.getValue(i, j);
        if (!KOL::NidsData::isValid(v)) continue;
        const double amount = std::pow(10.0, v / 10.0) / 25.4;
        const int want = static_cast<int>(std::upper_bound(inches.begin(), inches.end(), amount) -
                                          inches.begin());
        EXPECT_EQ(layer.getClass(v), want) << v << " dBA, " << amount << " in";
        ++cells;
      }
    EXPECT_GT(cells, 500);
    // the product's own maximum (tenths of a dBA), shown in inches, is the largest cell's
    float most = -1e9f, least;
    ASSERT_EQ(d.getRange(least, most), 1);
    const char* mx = std::strstr(d.getMisc(), "Mx=");
    ASSERT_NE(mx, nullptr) << d.getMisc();
    EXPECT_NEAR(std::atof(mx + 3), std::pow(10.0, most / 10.0) / 25.4, 0.03) << d.getMisc();
  }
}

struct SatCase {
  const char* file;
  const char* label;
  const char* units;
};
// The file names the case (and the test, stably from one build to the next).
void PrintTo(const SatCase& c, std::ostream* os) { *os << c.file; }

class SatPictureTest : public ImageryPictureTest, public ::testing::WithParamInterface<SatCase> {};

TEST_P(SatPictureTest, CountsInGreyUnderMapLines)
{
  KOL_REQUIRE_DATA();
  const SatCase& c = GetParam();
  KOL::SatPlot layer;
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile(c.file).c_str()), 1);
  EXPECT_EQ(layer.infoLabel(), c.label);
  EXPECT_EQ(layer.units(), c.units);
  std::string keep = std::string("sat_") + (std::strrchr(c.file, '/') + 1) + ".png";
  draw(layer, keep);
  const KOL::Image& img = layer.getImage();
  // a device pixel takes the source pixel nearest its centre, up to half a device pixel from
  // the point tried: the neighbourhood that must agree is that wide
  const int reach = static_cast<int>(std::ceil(img.getWidth() / std::fabs(clip.x2 - clip.x1))) + 1;
  int tried = 0, same = 0;
  sample(
      img.getWidth(), img.getHeight(), reach, reach, std::max(1, img.getWidth() / 300),
      std::max(1, img.getWidth() / 300), reach, reach, 1,
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

INSTANTIATE_TEST_SUITE_P(Gini, SatPictureTest,
                         ::testing::Values(SatCase{"gini/TIGN02", "GOES NC Infrared 11um", "C"},
                                           SatCase{"gini/AK-REGIONAL_8km_3.9_20160408_1445.gini",
                                                   "GOES 15 Infrared 3.9um  Alaska Regional",
                                                   "count"}));

// The radar mosaic in the colours of its reflectivity classes, each one on the bar, its no-echo
// pixels leaving the page white.
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
    return static_cast<long>(layer.isShown(v) ? pack(layer.getPixelColor(v)) : 0xFFFFFFu);
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

// The bar's rectangle beside a panel with the room the panel leaves for it, on every side.
TEST(ColorBarRoom, BarOutsideThePanelWhenTheRoomIsLeft)
{
  const KOL::Rect ndc(0, 0, 1, 0.75f);
  const float h = 0.025f, gap = KOL::ColorBar::gapFor(0.5f);
  struct Side {
    int locate;
    KOL::Rect vp;
  };
  const float r0 = KOL::ColorBar::room(0, h, gap), r1 = KOL::ColorBar::room(1, h, gap),
              r2 = KOL::ColorBar::room(2, h, gap), r3 = KOL::ColorBar::room(3, h, gap);
  for (const Side& s :
       {Side{0, KOL::Rect(0.1f, r0, 0.9f, 0.7f)}, Side{1, KOL::Rect(0.1f, 0.05f, 0.9f, 0.75f - r1)},
        Side{2, KOL::Rect(0.05f, 0.05f, 1 - r2, 0.7f)},
        Side{3, KOL::Rect(r3, 0.05f, 0.9f, 0.7f)}}) {
    SCOPED_TRACE(s.locate);
    const KOL::Rect box = KOL::ColorBar::place(s.vp, ndc, s.locate, h, gap);
    const bool outside =
        box.y2 <= s.vp.y1 || box.y1 >= s.vp.y2 || box.x2 <= s.vp.x1 || box.x1 >= s.vp.x2;
    EXPECT_TRUE(outside);
    EXPECT_GE(box.x1, ndc.x1);
    EXPECT_LE(box.x2, ndc.x2);
    EXPECT_GE(box.y1, ndc.y1);
    EXPECT_LE(box.y2, ndc.y2);
    // without the room the bar is laid over the panel's edge
    KOL::Rect tight = s.vp;
    if (s.locate == 0) tight.y1 = 0.01f;
    if (s.locate == 1) tight.y2 = 0.74f;
    if (s.locate == 2) tight.x2 = 0.99f;
    if (s.locate == 3) tight.x1 = 0.01f;
    const KOL::Rect over = KOL::ColorBar::place(tight, ndc, s.locate, h, gap);
    EXPECT_FALSE(over.y2 <= tight.y1 || over.y1 >= tight.y2 || over.x2 <= tight.x1 ||
                 over.x1 >= tight.x2);
  }
}

}  // namespace
