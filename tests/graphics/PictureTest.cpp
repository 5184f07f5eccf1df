// Whole plots as a person sees them: real fields contoured and colour-filled on their own domains
// with the default map, the default map alone on a Lambert domain, and a world panel with lines
// across the dateline, fills, marks, text, corner labels and a colour bar. Each is compared with a
// reference kept in reference/ so a change in rendering is seen; the references were looked at by
// eye when made (where the map puts coasts is checked against cs2cs by the map tests). Remake them
// with KOL_UPDATE_REFERENCES=1 and look at them again before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/ColorFill.h"
#include "graphics/ContPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotImage.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "imagery/Image.h"

using namespace KOL;

namespace {

const std::string REFERENCES = std::string(KOL_SOURCE_DIR) + "/tests/graphics/reference/";

// Fills, lines and labels of a GRIB field, then the map over them.
void drawField(Plot& plot, const char* file, const char* params)
{
  KOL::GribFile gf;
  KOL::Grid g;
  ASSERT_TRUE(gf.open(KOLTest::dataFile(file).c_str()) && gf.read(g));
  plot.setDomain(g.getDomain());
  KOL::ContPlot cp(params);
  EXPECT_EQ(cp.draw(plot, g), 1);
  EXPECT_EQ(cp.drawLabels(plot, g), 1);
  EXPECT_GT(plot.drawMap(), 0);
  plot.drawBorder();
  plot.drawLabels();
}

void drawWorld(Plot& plot)
{
  plot.setDomain("latlon:-90:0,0,0,361,181,1,1");
  plot.setLine("grey:w1");
  for (int lon = -180; lon <= 180; lon += 30)
    plot.drawLine(EarthPoint(-90, lon), EarthPoint(90, lon));
  for (int lat = -60; lat <= 60; lat += 30)
    for (int lon = -180; lon < 180; lon += 90)
      plot.drawLine(EarthPoint(lat, lon), EarthPoint(lat, lon + 90));
  // a band of colour over the Pacific that crosses the dateline
  EarthPoints band, box;
  for (float lon : {150.0f, 170.0f, -170.0f, -150.0f}) band.add(EarthPoint(10, lon));
  plot.setLine("red:w4");
  plot.drawLine(band);
  for (const auto& p : {EarthPoint(-40, -60), EarthPoint(-40, -30), EarthPoint(-10, -30),
                        EarthPoint(-10, -60), EarthPoint(-40, -60)})
    box.add(p);
  plot.setFill("blue");
  plot.drawFill(box);
  plot.setMarkColor("yellow");
  plot.setMarkType("circle");
  plot.setMarkSize(6);
  plot.drawMark(EarthPoint(51.5f, 0));
  plot.setText("green:h8");
  plot.setTextAlign(2, 3);
  plot.drawText(EarthPoint(40, 100), "KOL");
  plot.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
  plot.setDataSource("TEST");
  plot.setLabelColor("black");
  for (auto [where, text] :
       {std::pair{"ul", "World"}, {"ur", "%D"}, {"ll", "lower left"}, {"lr", "%S"}})
    plot.addLabel(where, text);
  KOL::ColorFill fill;
  for (const char* c : {"blue", "cyan", "green", "yellow", "orange", "red"})
    fill.add(plot.getColorValue(c));
  fill.setInterval(5);
  fill.setBase(0);
  plot.setBar(fill, KOL::Range(0, 30));
  plot.drawBorder();
  plot.drawLabels();
}

const struct {
  const char* name;
  const char* device;
  std::function<void(Plot&)> draw;
} PAGE[] = {
    {"contour_gfs_latlon.png", "full,bg=white,de=i,,sz=640x480",
     [](Plot& p) {
       drawField(p, "grib/g2_gfs.t12z.pgrbf120.2p5deg.grib2", "lcf,co=black,cola=black,bar");
     }},
    {"contour_cmc_polar.png", "full,bg=white,de=i,,sz=640x480",
     [](Plot& p) {
       drawField(p, "grib/g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib",
                 "lcf,int=10,co=black,cola=black,bar");
     }},
    {"contour_nam_lambert.png", "full,bg=white,de=i,,sz=640x480",
     [](Plot& p) {
       drawField(p, "grib/g2_nam.t00z.awp21100.tm00.grib2", "lcf,int=400,co=black,cola=black,bar");
     }},
    {"map_conus_lambert.png", "full,bg=white,de=i,,sz=640x480",
     [](Plot& p) {
       ASSERT_EQ(p.setDomain("lamb:25:-95:25:25,38,-96,60,38,0.8,0.8"), 1);
       EXPECT_GT(p.drawMap(), 0);
       p.drawBorder();
     }},
    {"plot_globe.png", "de=i,,sz=720x480", drawWorld},
};

class PictureTest : public KOLTest::DatabaseTest {};

TEST_F(PictureTest, PageMatchesReferences)
{
  KOL_REQUIRE_DATA();
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  for (const auto& pic : PAGE) {
    SCOPED_TRACE(pic.name);
    Plot plot;
    ASSERT_TRUE(plot.open(pic.device));
    pic.draw(plot);
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

// Device pixel of an earth point on the plot's current panel.
Point pixel(Plot& plot, float lat, float lon)
{
  EarthPoint e(lat, lon);
  Point p;
  plot.getDomain().tran(e, p);
  return plot.toDevice(p);
}

TEST_F(PictureTest, WorldElementsLandWhereTheTransformationPutsThem)
{
  Plot plot;
  ASSERT_TRUE(plot.open("de=i,,sz=720x480"));
  drawWorld(plot);
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  const KOLTest::Raster r = KOLTest::toRaster(img);
  auto at = [&](const Point& p, int dx = 0) {
    return r.at(static_cast<int>(p.x) + dx, static_cast<int>(p.y));
  };
  // the red band: drawn at 10N on both sides of the dateline, cut at the map's edges
  for (float lon : {160.0f, -160.0f}) EXPECT_EQ(at(pixel(plot, 10, lon)), 0xFF0000u) << lon;
  EXPECT_NE(at(pixel(plot, 10, -180), -3), 0xFF0000u) << "nothing beyond the edge";
  EXPECT_NE(at(pixel(plot, 10, 180), 3), 0xFF0000u);
  EXPECT_EQ(at(pixel(plot, -25, -45)), 0x0000FFu);
  EXPECT_NE(at(pixel(plot, -75, 0)), 0x000000u) << "meridian drawn";
  // labels above and below the panel, the colour bar below it
  const Point top = plot.toDevice(Point(-180, 90)), bottom = plot.toDevice(Point(-180, -90));
  EXPECT_GT(r.inked(0, 0, r.width - 1, static_cast<int>(top.y) - 2), 0) << "upper labels";
  EXPECT_GT(r.inked(0, static_cast<int>(bottom.y) + 2, r.width - 1, r.height - 1), 100)
      << "lower labels and bar";
}

}  // namespace
