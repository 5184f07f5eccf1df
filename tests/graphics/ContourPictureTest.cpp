// Contoured and colour-filled real fields on their own domains with the default map, and the
// default map alone on a Lambert domain: a page of reference pictures kept in reference/ so a
// change in rendering is seen. The references were looked at by eye when made (fills follow the
// field, coasts sit where expected; where the map puts coasts is checked against cs2cs by the map
// tests). Remake them with KOL_UPDATE_REFERENCES=1 and look at them again before committing.
// The same contour picture is also written as PostScript (rendered by Ghostscript) and as GIF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/ContPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotImage.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;

namespace {

const std::string REFERENCES = std::string(KOL_SOURCE_DIR) + "/tests/graphics/reference/";
constexpr const char* SIZE = ",sz=640x480";
constexpr const char* GFS = "grib/g2_gfs.t12z.pgrbf120.2p5deg.grib2";
constexpr const char* OPTIONS = "lcf,co=black,cola=black,bar";

struct Picture {
  const char* name;
  const char* file;    // a GRIB field contoured on its own domain, or none
  const char* domain;  // the domain of a map alone
  const char* params;  // contour options
};

const Picture PAGE[] = {
    {"contour_gfs_latlon.png", GFS, nullptr, OPTIONS},
    {"contour_cmc_polar.png", "grib/g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib", nullptr,
     "lcf,int=10,co=black,cola=black,bar"},
    {"contour_nam_lambert.png", "grib/g2_nam.t00z.awp21100.tm00.grib2", nullptr,
     "lcf,int=400,co=black,cola=black,bar"},
    {"map_conus_lambert.png", nullptr, "lamb:25:-95:25:25,38,-96,60,38,0.8,0.8", nullptr},
};

bool readField(const char* file, KOL::Grid& g)
{
  KOL::GribFile gf;
  return gf.open(KOLTest::dataFile(file).c_str()) && gf.read(g);
}

// Fills, lines and labels of the field, then the map over them.
void drawField(Plot& plot, KOL::Grid& g, const char* params = OPTIONS)
{
  plot.setDomain(g.getDomain());
  KOL::ContPlot cp(params);
  EXPECT_EQ(cp.draw(plot, g), 1);
  EXPECT_EQ(cp.drawLabels(plot, g), 1);
  EXPECT_GT(plot.drawMap(), 0);
  plot.drawBorder();
  plot.drawLabels();
}

// A colour of the fills: neither white nor a grey of lines and text.
bool coloured(uint32_t rgb)
{
  const int r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  return r != g || g != b;
}

// Points well inside the global field, away from its edges.
std::vector<EarthPoint> insideGlobe()
{
  std::vector<EarthPoint> pts;
  for (int lat = -60; lat <= 60; lat += 20)
    for (int lon = -150; lon <= 150; lon += 30) pts.emplace_back(lat + 3.3f, lon + 4.1f);
  return pts;
}

// Device pixels of the points on the current panel.
std::vector<Point> pixels(Plot& plot, const std::vector<EarthPoint>& pts)
{
  std::vector<Point> px;
  for (EarthPoint e : pts) {
    Point p;
    plot.getDomain().tran(e, p);
    px.push_back(plot.toDevice(p));
  }
  return px;
}

// Share of the pixels that carry a fill colour (a few fall on lines or labels).
template <class At>
double colouredShare(const std::vector<Point>& px, At at)
{
  int n = 0;
  for (const Point& p : px) n += coloured(at(p));
  return px.empty() ? 0 : static_cast<double>(n) / px.size();
}

class ContourPictureTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(ContourPictureTest, PageMatchesReferences)
{
  KOL_REQUIRE_DATA();
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  for (const Picture& pic : PAGE) {
    SCOPED_TRACE(pic.name);
    Plot plot;
    ASSERT_TRUE(plot.open((std::string("full,bg=white,de=i,") + SIZE).c_str()));
    if (pic.file) {
      KOL::Grid g;
      ASSERT_TRUE(readField(pic.file, g));
      drawField(plot, g, pic.params);
    } else {
      ASSERT_EQ(plot.setDomain(pic.domain), 1);
      EXPECT_GT(plot.drawMap(), 0);
      plot.drawBorder();
    }
    KOL::Image img;
    ASSERT_EQ(plot.getImage(img), 1);
    plot.close();
    const std::string ref = REFERENCES + pic.name;
    if (keep)
      KOL::PlotImage::write((std::string(keep) + "/" + pic.name).c_str(), img, false, nullptr);
    if (std::getenv("KOL_UPDATE_REFERENCES")) {
      ASSERT_EQ(KOL::PlotImage::write(ref.c_str(), img, false, nullptr), 1);
    }
    KOL::Image expected;
    ASSERT_EQ(KOL::PlotImage::readPng(ref.c_str(), expected), 1) << ref;
    const KOLTest::Raster r = KOLTest::toRaster(img), want = KOLTest::toRaster(expected);
    ASSERT_EQ(r.width, want.width);
    ASSERT_EQ(r.height, want.height);
    EXPECT_GT(r.inked(), r.width * r.height / 50) << "a picture, not a blank page";
    EXPECT_LT(want.differ(r, 48), 0.005) << "compared with " << ref;
  }
}

TEST_F(ContourPictureTest, FillsOnThePostScriptPage)
{
  KOL_REQUIRE_DATA();
  KOL_REQUIRE_GS();
  KOL::Grid g;
  ASSERT_TRUE(readField(GFS, g));
  const std::string ps = dir.file("contour.ps");
  Plot plot;
  ASSERT_TRUE(plot.open(("de=p," + ps + ",color,port,eps").c_str()));
  drawField(plot, g);
  const std::vector<Point> px = pixels(plot, insideGlobe());
  plot.close();
  std::string errors;
  const KOLTest::Raster r = KOLTest::renderPs(ps, true, &errors);
  ASSERT_TRUE(r.valid()) << errors;
  EXPECT_GT(colouredShare(px,
                          [&](const Point& p) {
                            return r.at(static_cast<int>(p.x), static_cast<int>(r.height - p.y));
                          }),
            0.8)
      << "fills under the lines and labels";
  // outside the map panel the page is white, apart from labels and the colour bar
  EXPECT_TRUE(r.isWhite(1, r.height / 2));
  KOLTest::keepPicture(ps, true, "contour_gfs_latlon_ps.png");
}

}  // namespace
