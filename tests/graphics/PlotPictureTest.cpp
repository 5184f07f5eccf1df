// A whole plot as a person sees it: a world map panel with lines across the dateline, fills,
// marks, text, corner labels and a colour bar, drawn off-screen.
// Elements are checked where the transformation puts them, and the off-screen picture against
// a reference kept beside this test (remade with KOL_UPDATE_REFERENCES=1 after looking at it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Scene.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/ColorFill.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotImage.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

using KOL::EarthPoint;
using KOL::EarthPoints;
using KOL::Plot;
using KOL::Point;

namespace {

constexpr const char* GLOBE = "latlon:-90:0,0,0,361,181,1,1";
const std::string REFERENCE =
    std::string(KOL_SOURCE_DIR) + "/tests/graphics/reference/plot_globe.png";

// The world and its labels.
void drawWorld(Plot& plot)
{
  plot.setDomain(GLOBE);
  plot.setLine("grey:w1");
  for (int lon = -180; lon <= 180; lon += 30)
    plot.drawLine(EarthPoint(-90, lon), EarthPoint(90, lon));
  for (int lat = -60; lat <= 60; lat += 30)
    for (int lon = -180; lon < 180; lon += 90)
      plot.drawLine(EarthPoint(lat, lon), EarthPoint(lat, lon + 90));
  // a band of colour over the Pacific that crosses the dateline
  EarthPoints band;
  for (float lon : {150.0f, 170.0f, -170.0f, -150.0f}) band.add(EarthPoint(10, lon));
  plot.setLine("red:w4");
  plot.drawLine(band);
  EarthPoints box;
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
  plot.addLabel("ul", "World");
  plot.addLabel("ur", "%D");
  plot.addLabel("ll", "lower left");
  plot.addLabel("lr", "%S");
  KOL::ColorFill fill;
  for (const char* c : {"blue", "cyan", "green", "yellow", "orange", "red"})
    fill.add(plot.getColorValue(c));
  fill.setInterval(5);
  fill.setBase(0);
  plot.setBar(fill, KOL::Range(0, 30));
  plot.drawBorder();
  plot.drawLabels();
}

class PlotPictureTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir dir;
};

// Device pixel of an earth point on the plot's current panel.
Point pixel(Plot& plot, float lat, float lon)
{
  EarthPoint e(lat, lon);
  Point p;
  plot.getDomain().tran(e, p);
  return plot.toDevice(p);
}

TEST_F(PlotPictureTest, WorldOffScreenMatchesTransformationAndReference)
{
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  const std::string png = keep ? std::string(keep) + "/plot_globe.png" : dir.file("globe.png");
  Plot plot;
  ASSERT_TRUE(plot.open(("de=i," + png + ",sz=720x480").c_str()));
  drawWorld(plot);
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  if (keep) {
    KOL::Kol::resrc.set("image_path", keep);
    EXPECT_EQ(plot.saveImage("plot_globe.gif"), 1);
    KOL::Kol::resrc.set("image_path", "");
  }
  const KOLTest::Raster r = KOLTest::toRaster(img);
  // the red band: drawn at 10N on both sides of the dateline, cut at the map's edges
  for (float lon : {160.0f, -160.0f}) {
    const Point p = pixel(plot, 10, lon);
    EXPECT_EQ(r.at(static_cast<int>(p.x), static_cast<int>(p.y)), 0xFF0000u) << lon;
  }
  const Point left = pixel(plot, 10, -180), right = pixel(plot, 10, 180);
  EXPECT_NE(r.at(static_cast<int>(left.x) - 3, static_cast<int>(left.y)), 0xFF0000u)
      << "nothing beyond the edge";
  EXPECT_NE(r.at(static_cast<int>(right.x) + 3, static_cast<int>(right.y)), 0xFF0000u);
  const Point mid = pixel(plot, -25, -45);
  EXPECT_EQ(r.at(static_cast<int>(mid.x), static_cast<int>(mid.y)), 0x0000FFu);
  const Point lon0 = pixel(plot, -75, 0);
  EXPECT_NE(r.at(static_cast<int>(lon0.x), static_cast<int>(lon0.y)), 0x000000u)
      << "meridian drawn";
  // labels above and below the panel, the colour bar below it
  const Point top = plot.toDevice(Point(-180, 90));
  const Point bottom = plot.toDevice(Point(-180, -90));
  EXPECT_GT(r.inked(0, 0, r.width - 1, static_cast<int>(top.y) - 2), 0) << "upper labels";
  EXPECT_GT(r.inked(0, static_cast<int>(bottom.y) + 2, r.width - 1, r.height - 1), 100)
      << "lower labels and bar";
  plot.close();

  if (std::getenv("KOL_UPDATE_REFERENCES")) {
    ASSERT_TRUE(KOLTest::run("cp " + png + " " + REFERENCE).empty());
  }
  KOL::Image ref;
  ASSERT_EQ(KOL::PlotImage::readPng(REFERENCE.c_str(), ref), 1) << REFERENCE;
  const double differ = KOLTest::toRaster(ref).differ(r, 48);
  EXPECT_LT(differ, 0.005) << "compared with " << REFERENCE;
}

}  // namespace
