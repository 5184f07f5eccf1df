// Radar and satellite pictures drawn by the image device: map lines over the image where PROJ
// puts them, pixels of known product values in the colour of their class on the colour bar,
// satellite counts in their grey, the bar and the labels outside the map; and the colour bar of
// fills below the map, not over it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
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
  const Picture pic(shot);

  // bins whose neighbours share their class: the pixel at their centre has the class colour
  KOL::NidsFile f(file.c_str());
  KOL::NidsInfo info;
  KOL::NidsData data;
  ASSERT_TRUE(f.readHeader(info) && f.readData(data));
  int tried = 0, same = 0;
  std::vector<int> classes;
  for (int r = 1; r + 1 < data.getNy(); ++r)
    for (int b = 20; b + 1 < data.getNx(); ++b) {
      const int k = layer.getClass(data.getValue(b, r));
      if (k == 0) continue;
      bool uniform = true;
      for (int dr = -1; dr <= 1; ++dr)
        for (int db = -1; db <= 1; ++db)
          uniform = uniform && layer.getClass(data.getValue(b + db, r + dr)) == k;
      if (!uniform) continue;
      EarthPoint e;
      ASSERT_TRUE(data.getDomain().tran(KOL::GridPoint(r + 0.5f, b + 0.5f), e));
      const Point p = pixel(e);
      const uint32_t c = pic.at(static_cast<int>(p.x), static_cast<int>(p.y));
      if (KOLTest::isInkOf(c, MAP_INK, 120)) continue;  // under a map line
      ++tried;
      same += c == pack(layer.getClassColor(k));
      classes.push_back(k);
    }
  ASSERT_GT(tried, 150);
  EXPECT_GE(same, tried * 97 / 100) << same << " of " << tried;

  // every class met has a box of exactly its colour on the bar below the map
  const int below = static_cast<int>(std::max(clip.y1, clip.y2)) + 2;
  for (int k : {3, 6, 9, 12}) {
    bool found = false;
    for (int y = below; y < pic.height && !found; ++y)
      for (int x = 0; x < pic.width && !found; ++x)
        found = pic.at(x, y) == pack(layer.getClassColor(k));
    EXPECT_TRUE(found) << "class " << k << " on the bar";
  }

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

INSTANTIATE_TEST_SUITE_P(
    Gini, SatPictureTest,
    ::testing::Values(SatCase{"gini/TIGN02", "GOES NC Infrared 11um", "C"},
                      SatCase{"gini/Level3_Composite_dhr_1km_20180309_2225.gini",
                              "CONUS Gridded cloud amount", "count"},
                      SatCase{"gini/AK-REGIONAL_8km_3.9_20160408_1445.gini",
                              "GOES 15 Infrared 3.9um  Alaska Regional", "count"}));

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
