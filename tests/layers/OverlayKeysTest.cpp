// The keys the overlay layers share: dates, times in the local zone, colours, and how each layer
// chooses what it draws from them (valid times, minutes, hours, kinds).
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "layers/FrontPlot.h"
#include "layers/HurPlot.h"
#include "layers/WarnPlot.h"
#include "layers/WatchPlot.h"
#include "layers/overlay/OverlayKeys.h"
#include "layers/overlay/Overlays.h"

using KOL::overlay::OverlayKeys;
using KOL::overlay::parseDate;

namespace {

TEST(OverlayKeys, DatesAndLocalTimes)
{
  EXPECT_EQ(parseDate("202405210520"), 1716249600 + 5 * 3600 + 20 * 60);
  EXPECT_EQ(parseDate("2024052105"), 1716249600 + 5 * 3600);
  EXPECT_EQ(parseDate("20240521"), -1);
  OverlayKeys keys;
  keys.init("color_warn");
  const std::time_t t = parseDate("202405210520");
  EXPECT_EQ(keys.clock(t), "0520Z");
  EXPECT_EQ(keys.validLabel(t), "Valid 2024-05-21 05:20Z");
  ASSERT_TRUE(keys.read("tz=CDT:-5"));
  EXPECT_EQ(keys.clock(t), "0020 CDT");
  EXPECT_EQ(keys.clock(t - 3600, true), "20/2320 CDT");  // the day before in the zone
  EXPECT_EQ(keys.validLabel(t), "Valid 2024-05-21 00:20 CDT");
  // one colour for all overrides the product's; the layer's own keys are not read
  EXPECT_STREQ(keys.color("red"), "red");
  ASSERT_TRUE(keys.read("co=blue"));
  EXPECT_STREQ(keys.color("red"), "blue");
  EXPECT_FALSE(keys.read("ty=TO"));
  EXPECT_FALSE(keys.read("noradii"));
}

TEST(OverlayKeys, WatchTimesInTheNearestMonth)
{
  const std::time_t may31 = parseDate("202405312300");
  EXPECT_EQ(KOL::WatchPlot::resolve("312300", parseDate("202406010010")), may31);
  EXPECT_EQ(KOL::WatchPlot::resolve("010010", may31), parseDate("202406010010"));
  EXPECT_EQ(KOL::WatchPlot::resolve("0100", may31), -1);
}

TEST(OverlayKeys, WatchesDrawnOnlyWhileValid)
{
  KOLTest::QuietScope quiet;
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("152.txt"),
                     "WWUS30 KWNS 210517\nSAW2\nSPC AWW 210517\nWW 152 TORNADO OK TX 210520Z - "
                     "211100Z\nLAT...LON 36000200 36009800 34009800 34000200\n");
  const struct {
    const char* vdate;
    size_t drawn;
  } cases[] = {{"", 1},
               {"vdate=202405210519", 0},
               {"vdate=202405210520", 1},
               {"vdate=202405211059", 1},
               {"vdate=202405211100", 0}};
  for (const auto& c : cases) {
    KOL::WatchPlot layer(c.vdate);
    ASSERT_TRUE(layer.setFilename(dir.file("152.txt").c_str()));
    EXPECT_EQ(layer.drawn().size(), c.drawn) << c.vdate;
  }
}

TEST(OverlayKeys, WarningsBegunInTheLastMinutes)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  const std::string file = KOLTest::dataFile("textprod/warnings/pyiem_vtec_TORFWD_0.txt");
  KOL::WarnPlot layer;
  ASSERT_TRUE(layer.setFilename(file.c_str()));
  const std::time_t begun = layer.getValidTime();
  for (const auto& [minutes, after, drawn] :
       {std::tuple{"min=0", 20, 1u}, {"min=30", 20, 1u}, {"min=10", 20, 0u}}) {
    layer.setParam(minutes);
    layer.setValidTime(begun + 60 * after);
    EXPECT_EQ(layer.drawn().size(), drawn) << minutes;
  }
}

TEST(OverlayKeys, StormAdvisoriesByTimeAndForecastHours)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  const std::string first = KOLTest::dataFile("textprod/tropical/asgs_al122005_fstadv_001.txt");
  const std::string later = KOLTest::dataFile("textprod/tropical/asgs_al122005_fstadv_013.txt");
  KOL::HurPlot all;
  ASSERT_TRUE(all.setFilename(first.c_str()) && all.addFile(later.c_str()));
  ASSERT_EQ(all.shown().size(), 2u);
  const auto& last = all.getAdvisories().back();
  EXPECT_GT(all.ahead(last).size(), 2u);
  // by the first advisory's time only it is out; within a day of it, two forecast points
  const std::string when = last.center.valid.substr(0, 4) + last.center.valid.substr(5, 2) +
                           last.center.valid.substr(8, 2) + last.center.valid.substr(11, 2);
  KOL::HurPlot early(("hour=24,vdate=" + std::to_string(std::stol(when) - 1)).c_str());
  ASSERT_TRUE(early.setFilename(first.c_str()) && early.addFile(later.c_str()));
  ASSERT_EQ(early.shown().size(), 1u);
  EXPECT_EQ(early.ahead(*early.shown().front()).size(), 2u);  // 12 and 24 h
}

TEST(OverlayKeys, FrontBulletinsByKindAndHour)
{
  KOLTest::QuietScope quiet;
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"),
                     "ASUS02 KWBC 281800\nCODSUS\n\nVALID 062818Z\nHIGHS 1030 4001000\n"
                     "COLD 4500950 4100950 3700950\n");
  const struct {
    const char* params;
    int read;
  } cases[] = {{"", 1}, {"hour=18", 1}, {"hour=12", 0}, {"fore", 0}};
  for (const auto& c : cases) {
    KOL::FrontPlot layer(c.params);
    EXPECT_EQ(layer.setFilename(dir.file("frt.txt").c_str()), c.read) << c.params;
  }
}

// The products named by the programs' options, fronts first; one that cannot be read fails.
TEST(Overlays, ProductsNamedByTheOptions)
{
  KOLTest::QuietScope quiet;
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("frt.txt"),
                     "ASUS02 KWBC 281800\nCODSUS\n\nVALID 062818Z\nHIGHS 1030 4001000\n");
  KOLTest::writeFile(dir.file("strikes.ualf"),
                     "0\t2018\t7\t2\t4\t58\t0\t0\t35.0000\t-97.0000\t-20\t1\t8\t6\t45\t0.3\t0.2"
                     "\t1.1\t4.5\t20\t5\t0\t1\t0\t1\n");
  KOL::Resrc& r = KOL::Kol::resrc;
  r.set("light_file", dir.file("strikes.ualf").c_str());
  r.set("front_file", dir.file("frt.txt").c_str());
  KOL::overlay::Overlays overlays;
  EXPECT_TRUE(overlays.read());
  const auto layers = overlays.get();
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_NE(dynamic_cast<KOL::FrontPlot*>(layers[0]), nullptr);
  r.set("front_file", dir.file("none.txt").c_str());
  EXPECT_FALSE(overlays.read());
  r.set("front_file", "");
  r.set("light_file", "");
}

}  // namespace
