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

TEST(SatPlotKeys, ByConventionAndMasked)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  KOLTest::TempDir dir;
  ASSERT_EQ(std::system(("mkdir -p " + dir.file("vis") + " && cp " +
                         KOLTest::dataFile("gini/AK-REGIONAL_8km_3.9_20160408_1445.gini") + " " +
                         dir.file("vis/20160408_1445.gini"))
                            .c_str()),
            0);
  KOL::SatPlot layer(("in=" + dir.path() + ",minlon=-150,nomap,nobar").c_str());
  Date before(2016, 4, 8, 14, 0, 0.0f), after(2016, 4, 8, 15, 0, 0.0f);
  EXPECT_EQ(layer.setFilename(before), 0) << "nothing filed before 14 UTC";
  ASSERT_EQ(layer.setFilename(after), 1);

  KOL::Plot plot;
  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  ASSERT_TRUE(plot.open("bg=white,de=i,,sz=400x320"));
  plot.setDomain(d);
  ASSERT_EQ(layer.draw(plot), 1);
  KOL::Image shot;
  ASSERT_EQ(plot.getImage(shot), 1);
  const KOLTest::Raster pic = KOLTest::toRaster(shot);
  // west of 150 W the page, east of it the image (grey, not white)
  for (const auto& [lat, lon, kept] : {std::tuple{60.0f, -155.0f, false},
                                       {60.0f, -145.0f, true},
                                       {58.0f, -152.0f, false},
                                       {58.0f, -140.0f, true}}) {
    KOL::EarthPoint e(lat, lon);
    KOL::Point p;
    ASSERT_TRUE(d.tran(e, p));
    p = plot.toDevice(p);
    EXPECT_EQ(!pic.isWhite(int(p.x), int(p.y)), kept) << lat << " " << lon;
  }
}

}  // namespace
