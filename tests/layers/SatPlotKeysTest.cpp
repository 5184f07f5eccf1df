// Satellite images found by the naming convention "sat_vis", the image before a frame's time,
// and pixels left out by longitude and count where the projection puts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/SatPlot.h"

using KOL::Date;

namespace {

constexpr const char* ALASKA = "gini/AK-REGIONAL_8km_3.9_20160408_1445.gini";

// The layer drawn on its image's own map; whether the places (lat, lon) show the image.
void expectShown(KOL::SatPlot& layer, const KOL::Domain& d,
                 std::initializer_list<std::tuple<float, float, bool>> places)
{
  KOL::Plot plot;
  ASSERT_TRUE(plot.open("bg=white,de=i,,sz=400x320"));
  plot.setDomain(d);
  ASSERT_EQ(layer.draw(plot), 1);
  KOL::Image shot;
  ASSERT_EQ(plot.getImage(shot), 1);
  const KOLTest::Raster pic = KOLTest::toRaster(shot);
  for (const auto& [lat, lon, kept] : places) {
    KOL::EarthPoint e(lat, lon);
    KOL::Point p;
    ASSERT_TRUE(d.tran(e, p));
    p = plot.toDevice(p);
    EXPECT_EQ(!pic.isWhite(int(p.x), int(p.y)), kept) << lat << " " << lon;
  }
}

TEST(SatPlotKeys, ByConventionAndMasked)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOLTest::TempDir dir;
  ASSERT_EQ(std::system(("mkdir -p " + dir.file("vis") + " && cp " + KOLTest::dataFile(ALASKA) +
                         " " + dir.file("vis/20160408_1445.gini"))
                            .c_str()),
            0);
  KOL::SatPlot layer(("in=" + dir.path() + ",minlon=-150,nomap,nobar").c_str());
  Date before(2016, 4, 8, 14, 0, 0.0f), after(2016, 4, 8, 15, 0, 0.0f);
  EXPECT_EQ(layer.setFilename(before), 0) << "nothing filed before 14 UTC";
  ASSERT_EQ(layer.setFilename(after), 1);
  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  // west of 150 W the page, east of it the image (grey, not white)
  expectShown(layer, d,
              {{60.0f, -155.0f, false},
               {60.0f, -145.0f, true},
               {58.0f, -152.0f, false},
               {58.0f, -140.0f, true}});
}

// A band across the date line, a domain as mask, the
// counts as drawn written out, and the plot's own map kept.
TEST(SatPlotKeys, DateLineMaskOutputAndDomain)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOLTest::TempDir dir;
  KOL::SatPlot band("minlon=170,maxlon=-165,nomap,nobar");
  ASSERT_EQ(band.setFilename(KOLTest::dataFile(ALASKA).c_str()), 1);
  KOL::Domain d;
  ASSERT_TRUE(band.getDomain(d));
  // (the image's west edge lies east of 170 E: the band's east end is what shows)
  expectShown(band, d,
              {{60.0f, 175.0f, true},
               {52.0f, -170.0f, true},
               {60.0f, -160.0f, false},
               {65.0f, -150.0f, false}});

  const std::string png = dir.file("counts.png");
  KOL::SatPlot masked(("mod_mask=ll;60;-150;11;11;1;1,nomap,nobar,pa=ou=" + png).c_str());
  ASSERT_EQ(masked.setFilename(KOLTest::dataFile(ALASKA).c_str()), 1);
  expectShown(masked, d,
              {{60.0f, -150.0f, true},
               {58.0f, -146.0f, true},
               {60.0f, -140.0f, false},
               {52.0f, -150.0f, false}});
  const KOLTest::Raster counts = KOLTest::readPng(png);
  EXPECT_GT(counts.width, 300);
  EXPECT_GT(counts.height, 200);

  KOL::SatPlot own("image_dom=0");
  ASSERT_EQ(own.setFilename(KOLTest::dataFile(ALASKA).c_str()), 1);
  EXPECT_EQ(own.getDomain(d), 0) << "the plot keeps its map";
}

}  // namespace
