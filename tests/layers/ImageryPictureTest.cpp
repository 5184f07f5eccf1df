// Radar and satellite pictures drawn by the image device: map lines over the image where PROJ
// puts them, pixels of known product values in the colour of their class on the colour bar,
// satellite counts in their grey, the bar and the labels outside the map; and the colour bar of
// fills below the map, not over it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Picture.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Range.h"
#include "geo/DomainTool.h"
#include "graphics/ColorFill.h"
#include "graphics/MapFile.h"
#include "graphics/MapFileHeader.h"
#include "graphics/Plot.h"
#include "graphics/plot/ColorBar.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "layers/NidsPlot.h"
#include "layers/SatPlot.h"

namespace {

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::Picture;

constexpr uint32_t MAP_INK = 0xFF00FF;  // magenta: no class colour or grey is
const std::string SPHERE = " +R=6371220 +units=m";

bool haveProj() { return std::system("command -v proj >/dev/null 2>&1") == 0; }

uint32_t pack(const KOL::RGB& c)
{
  return (KOL::RGB::toByte(c.red) << 16) | (KOL::RGB::toByte(c.green) << 8) |
         KOL::RGB::toByte(c.blue);
}

// The PROJ definition of a map domain of the library (polar stereographic or Lambert).
std::string projOf(const KOL::Domain& d)
{
  char text[200];
  if (d.proj == 1)
    std::snprintf(text, sizeof text, "+proj=stere +lat_0=%g +lat_ts=%g +lon_0=%g",
                  static_cast<double>(d.param[0]), d.param[0] > 0 ? 60.0 : -60.0,
                  static_cast<double>(d.param[1]));
  else
    std::snprintf(text, sizeof text, "+proj=lcc +lat_0=%g +lat_1=%g +lat_2=%g +lon_0=%g",
                  static_cast<double>(d.param[2]), static_cast<double>(d.param[2]),
                  static_cast<double>(d.param[3]), static_cast<double>(d.param[1]));
  return text + SPHERE;
}

// Plane points of PROJ (metres) for earth points.
std::vector<Point> projected(const std::string& proj, const std::vector<EarthPoint>& pts)
{
  std::ostringstream in;
  in.precision(9);
  for (const EarthPoint& e : pts) in << e.lon << " " << e.lat << "\n";
  const std::string file = "/tmp/kol_imagery_proj_" + std::to_string(getpid()) + ".txt";
  KOLTest::writeFile(file, in.str());
  std::istringstream out(KOLTest::run("proj -f %.3f " + proj + " < " + file));
  std::remove(file.c_str());
  std::vector<Point> result;
  double x, y;
  while (out >> x >> y) result.emplace_back(static_cast<float>(x), static_cast<float>(y));
  EXPECT_EQ(result.size(), pts.size());
  return result;
}

class ImageryPictureTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    KOL::Kol::setDatabasePath(KOLTest::databaseDir().c_str());
    KOL::Kol::resrc.set("color_map", "magenta");
    KOL::Kol::resrc.set("inverse", "true");
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("color_map", "");
    KOL::Kol::resrc.set("inverse", "");
    QuietTest::TearDown();
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
    ASSERT_EQ(plot.getImage(shot), 1);
  }
  // The device pixel (centre) of an earth point, through the library's own projection.
  Point pixel(EarthPoint e) const
  {
    Point p;
    if (!domain.tran(e, p)) return Point();
    return const_cast<Plot&>(plot).toDevice(p);
  }
  // Through PROJ: the map window is the domain's limits filling the clip box.
  std::vector<Point> projPixels(const std::vector<EarthPoint>& pts) const
  {
    const std::string proj = projOf(domain);
    EarthPoint centre(domain.clat, domain.clon);
    const Point c = projected(proj, {centre}).front();
    const std::vector<Point> plane = projected(proj, pts);
    const KOL::Rect& lim = domain.getLimits();  // hundreds of km about the centre
    Point cp;
    domain.tran(centre, cp);
    std::vector<Point> out;
    const float w = std::fabs(clip.x2 - clip.x1), h = std::fabs(clip.y2 - clip.y1);
    for (const Point& q : plane) {
      const float x = cp.x + (q.x - c.x) / 1e5f, y = cp.y + (q.y - c.y) / 1e5f;
      out.emplace_back(std::min(clip.x1, clip.x2) + (x - lim.x1) / lim.width() * w,
                       std::min(clip.y1, clip.y2) + (lim.y2 - y) / lim.height() * h);
    }
    return out;
  }
  // Points of the state and national borders inside the map, at most about 300.
  std::vector<EarthPoint> borderPoints() const
  {
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
    const size_t every = out.size() / 300 + 1;
    for (size_t k = 0; k < out.size(); k += every) some.push_back(out[k]);
    return some;
  }
  // Share of the points with map ink within 2 pixels.
  double mapInkNear(const std::vector<Point>& px) const
  {
    const Picture pic(shot);
    int hit = 0;
    for (const Point& p : px)
      hit += KOLTest::inkOf(pic, MAP_INK, 120, static_cast<int>(p.x) - 2, static_cast<int>(p.y) - 2,
                            static_cast<int>(p.x) + 2, static_cast<int>(p.y) + 2)
                 .count > 0;
    return px.empty() ? 0.0 : static_cast<double>(hit) / px.size();
  }
  // Dark pixels in a strip of the page above or below the map.
  int inkOutside(bool above, float x1, float x2) const
  {
    const Picture pic(shot);
    const int top = static_cast<int>(std::min(clip.y1, clip.y2)),
              bottom = static_cast<int>(std::max(clip.y1, clip.y2));
    int n = 0;
    for (int y = above ? 0 : bottom + 3; y < (above ? top - 2 : pic.height); ++y)
      for (int x = static_cast<int>(x1); x < static_cast<int>(x2); ++x) n += pic.dark(x, y);
    return n;
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
    const Picture pic(shot);
    int tried = 0, same = 0;
    std::vector<int> classes;
    // a device pixel may take a bin up to half its width away: that many bins must agree
    const bool radial = data.isRadial();
    const float km = radial ? data.getResolution() : 1.0f;
    const float perPixel = radial ? 2 * data.getNx() * km / std::fabs(clip.x2 - clip.x1) : 0.0f;
    const int reach = radial ? std::max(1, static_cast<int>(std::lround(perPixel / km / 2))) : 0;
    const int step = std::max(1, data.getNx() / 400);
    for (int r = 1; r + 1 < data.getNy(); ++r)
      for (int b = radial ? 20 : 1; b + reach < data.getNx(); b += step) {
        const int k = classOf(layer, data, b, r);
        if (k == 0) continue;
        bool uniform = true;
        for (int dr = -1; dr <= 1 && radial; ++dr)
          for (int db = -reach; db <= reach; ++db)
            uniform = uniform && classOf(layer, data, b + db, r + dr) == k;
        if (!uniform) continue;
        EarthPoint e;
        const KOL::GridPoint at =
            radial ? KOL::GridPoint(r + 0.5f, b + 0.5f)
                   : KOL::GridPoint(static_cast<float>(b), static_cast<float>(r));
        if (!data.getDomain().tran(at, e)) continue;
        const Point p = pixel(e);
        const uint32_t c = pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
        if (KOLTest::isInkOf(c, MAP_INK, 120)) continue;  // under a map line
        ++tried;
        same += c == pack(layer.getClassColor(k));
        classes.push_back(k);
      }
    EXPECT_GT(tried, 60);
    EXPECT_GE(same, tried * 97 / 100) << same << " of " << tried;
    return classes;
  }
  // A pixel of exactly this colour below the map (on the bar).
  bool onBar(uint32_t colour) const
  {
    const Picture pic(shot);
    for (int y = static_cast<int>(std::max(clip.y1, clip.y2)) + 2; y < pic.height; ++y)
      for (int x = 0; x < pic.width; ++x)
        if (pic.at(x, y) == colour) return true;
    return false;
  }
  Plot plot;
  KOL::Domain domain;
  KOL::Image shot;
  KOL::Rect clip;
};

TEST_F(ImageryPictureTest, RadarClassesMapBarAndLabels)
{
  KOL_REQUIRE_DATA();
  const std::string file = KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016");
  KOL::NidsPlot layer;
  ASSERT_EQ(layer.setFilename(file.c_str()), 1);
  EXPECT_EQ(layer.getUnits(), "dBZ");
  EXPECT_EQ(layer.infoLabel(), "Base reflectivity [dBZ]  TLX  El 0.5");
  draw(layer, "radar_tlx_n0q.png");

  expectBinsInClassColours(layer, file);
  // every class met has a box of exactly its colour on the bar below the map
  for (int k : {3, 6, 9, 12}) EXPECT_TRUE(onBar(pack(layer.getClassColor(k)))) << "class " << k;

  // the map lines where PROJ puts the borders
  if (haveProj()) {
    const std::vector<EarthPoint> border = borderPoints();
    ASSERT_GT(border.size(), 50u);
    EXPECT_GT(mapInkNear(projPixels(border)), 0.95);
  }
  // information and date labels above the map, the bar's labels below it
  const float mid = (clip.x1 + clip.x2) / 2;
  EXPECT_GT(inkOutside(true, std::min(clip.x1, clip.x2), mid), 100);
  EXPECT_GT(inkOutside(true, mid, std::max(clip.x1, clip.x2)), 100);
  EXPECT_GT(inkOutside(false, std::min(clip.x1, clip.x2), std::max(clip.x1, clip.x2)), 500);
}

enum class Quantity { VELOCITY, WIDTH, OTHER };

struct RadarCase {
  const char* file;
  const char* units;
  Quantity quantity;
};

class RadarPictureTest : public ImageryPictureTest,
                         public ::testing::WithParamInterface<RadarCase> {};

bool greenish(const KOL::RGB& c) { return c.green > c.red && c.green > c.blue; }
bool reddish(const KOL::RGB& c) { return c.red > c.green && c.red > c.blue; }
bool purple(const KOL::RGB& c) { return c.red > c.green && c.blue > c.green; }

// Every kind of product with radial or raster data in its colours: bins at their class's
// colour, velocities towards the radar green and away red, range folding purple with its own
// box on the bar.
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
    ::testing::Values(RadarCase{"KOUN_SDUS54_N0VTLX_201305202016", "kt", Quantity::VELOCITY},
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
  const Picture pic(shot);
  const KOL::Image& img = layer.getImage();
  // a device pixel takes the source pixel nearest its centre, up to half a device pixel from
  // the point tried: the neighbourhood that must agree is that wide
  const float perDevice = img.getWidth() / std::fabs(clip.x2 - clip.x1);
  const int reach = static_cast<int>(std::ceil(perDevice)) + 1;
  int tried = 0, same = 0;
  const int step = std::max(1, img.getWidth() / 300);
  for (int j = reach; j + reach < img.getHeight(); j += step)
    for (int i = reach; i + reach < img.getWidth(); i += step) {
      const int v = img.getVal(i, j);
      bool uniform = true;
      for (int dj = -reach; dj <= reach && uniform; ++dj)
        for (int di = -reach; di <= reach && uniform; ++di)
          uniform = img.getVal(i + di, j + dj) == v;
      EarthPoint e;
      if (!uniform || !img.getDomain().tran(KOL::GridPoint(i, j), e)) continue;
      const Point p = pixel(e);
      const uint32_t got = pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
      // a grey with a tint of magenta lies under the edge of a map line
      if (((got >> 16) & 0xFF) != ((got >> 8) & 0xFF)) continue;
      ++tried;
      same += got == static_cast<uint32_t>(v * 0x010101) || (v == 255 && got == 0xFFFFFE);
    }
  ASSERT_GT(tried, 100);
  EXPECT_GE(same, tried * 97 / 100) << same << " of " << tried;
  if (haveProj()) {
    const std::vector<EarthPoint> border = borderPoints();
    ASSERT_GT(border.size(), 20u);
    EXPECT_GT(mapInkNear(projPixels(border)), 0.95);
  }
  const float mid = (clip.x1 + clip.x2) / 2;
  EXPECT_GT(inkOutside(true, std::min(clip.x1, clip.x2), mid), 100);
  EXPECT_GT(inkOutside(false, std::min(clip.x1, clip.x2), std::max(clip.x1, clip.x2)), 500);
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
  const Picture pic(shot);
  const KOL::Image& img = layer.getImage();
  // what the picture shows of a pixel value: its class colour, or the white page
  auto shown = [&](int v) {
    return layer.isShown(v) ? pack(layer.getPixelColor(v)) : static_cast<uint32_t>(0xFFFFFF);
  };
  for (int v = 0; v < 256; ++v) {
    const float dbz = img.getValue(v);
    EXPECT_EQ(layer.isShown(v), dbz != KOL::Const::FMISS && dbz >= 5.0f) << v;
  }
  const float perDevice = img.getWidth() / std::fabs(clip.x2 - clip.x1);
  const int reach = static_cast<int>(std::ceil(perDevice)) + 1;
  int echo = 0, echoSame = 0, clear = 0, white = 0;
  std::vector<uint32_t> classes;
  for (int j = reach; j + reach < img.getHeight(); j += 2)
    for (int i = reach; i + reach < img.getWidth(); i += 2) {
      const uint32_t want = shown(img.getVal(i, j));
      bool uniform = true;
      for (int dj = -reach; dj <= reach && uniform; dj += 2)
        for (int di = -reach; di <= reach && uniform; di += 2)
          uniform = shown(img.getVal(i + di, j + dj)) == want;
      EarthPoint e;
      if (!uniform || !img.getDomain().tran(KOL::GridPoint(i, j), e)) continue;
      const Point p = pixel(e);
      const uint32_t got = pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
      if (KOLTest::isInkOf(got, MAP_INK, 120)) continue;
      if (want == 0xFFFFFF) {
        // the page, or its white tinted by the edge of a magenta map line
        ++clear, white += (got & 0xFE00FE) == 0xFE00FE;
        continue;
      }
      ++echo, echoSame += got == want;
      if (std::find(classes.begin(), classes.end(), want) == classes.end()) {
        classes.push_back(want);
        EXPECT_TRUE(onBar(want)) << std::hex << want;
      }
    }
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

// A plot that reserves the bar draws the bar's boxes wholly below the map.
TEST_F(ImageryPictureTest, ReservedBarIsBelowTheMap)
{
  ASSERT_TRUE(plot.open("de=i,,sz=600x500"));
  KOL::Domain conus;
  ASSERT_TRUE(KOL::DomainTool::decode(conus, "conus"));
  ASSERT_EQ(plot.setDomain(conus), 1);
  const KOL::Rect before = plot.getGraph().getGTran(Plot::MAP).getViewport();
  plot.reserveBar();
  const KOL::Rect after = plot.getGraph().getGTran(Plot::MAP).getViewport();
  EXPECT_GT(after.y1, before.y1) << "the map makes room below it";
  KOL::ColorFill fill;
  fill.add(plot.getColorValue("red"), 0);
  fill.add(plot.getColorValue("green"), 10);
  fill.add(plot.getColorValue("blue"), 20);
  plot.setBar(fill, KOL::Range(0, 20));
  plot.setBarUnits("K");
  plot.drawLabels();
  ASSERT_EQ(plot.getImage(shot), 1);
  const Picture pic(shot);
  const KOL::Rect c = plot.getGraph().getGTran(Plot::MAP).getClipRect();
  const int mapBottom = static_cast<int>(std::max(c.y1, c.y2));
  for (uint32_t colour : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
    const KOLTest::Ink ink = KOLTest::inkOf(pic, colour, 10, 0, 0, pic.width, pic.height);
    EXPECT_GT(ink.count, 20);
    EXPECT_GT(ink.y1, mapBottom) << std::hex << colour;
  }
}

}  // namespace
