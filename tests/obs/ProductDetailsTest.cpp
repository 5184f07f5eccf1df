// Reader details of office products that the shared samples do not show: event numbers that
// start again each year, abbreviated places in a watch's axis, opening words taken for an
// AWIPS identifier; kolfront's analysis of another time.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "obs/text/TextProduct.h"
#include "obs/text/Vtec.h"
#include "obs/text/WarnEvents.h"
#include "obs/text/WarnProduct.h"
#include "obs/text/WatchProduct.h"

using namespace KOL;

namespace {

WarnProduct warning(const std::string& heading, const std::string& vtec)
{
  TextProduct p;
  p.parse(heading + "\nSVSLSX\n\nMOC189-" + vtec.substr(vtec.size() - 11, 6) + "-\n" + vtec +
          "\n\nTORNADO WARNING\n\n$$\n");
  WarnProduct w;
  EXPECT_TRUE(w.parse(p)) << vtec;
  return w;
}

}  // namespace

// Number 1 of a new year is another event; a December event goes on into January.
TEST(WarnEvents, EventNumbersStartAgainEachYear)
{
  WarnEvents events;
  events.add(warning("WFUS53 KLSX 312300", "/O.NEW.KLSX.TO.W.0001.201231T2300Z-210101T0030Z/"));
  events.add(warning("WWUS53 KLSX 010005", "/O.CON.KLSX.TO.W.0001.000000T0000Z-210101T0030Z/"));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events.validAt(Vtec::seconds("210101T0010Z")).size(), 1u);
  events.add(warning("WFUS53 KLSX 152000", "/O.NEW.KLSX.TO.W.0001.210615T2000Z-210615T2045Z/"));
  EXPECT_EQ(events.size(), 2u);
  const WarnEvents::Event* latest = events.find("KLSX.TO.W.0001");
  ASSERT_NE(latest, nullptr);
  EXPECT_EQ(latest->begin, Vtec::seconds("210615T2000Z"));
  events.add(warning("WWUS53 KLSX 152030", "/O.CAN.KLSX.TO.W.0001.000000T0000Z-210615T2045Z/"));
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(events.find("KLSX.TO.W.0001")->begin, Vtec::seconds("201231T2300Z"));
}

TEST(WatchProduct, AxisKeepsAbbreviatedPlaces)
{
  TextProduct p;
  p.parse(
      "WWUS20 KWNS 012048\nSEL9\n\nMOZ000-ILZ000-020400-\n\nURGENT - IMMEDIATE BROADCAST "
      "REQUESTED\nTornado Watch Number 169\n\nThe tornado watch area is approximately along "
      "and 50\nstatute miles north and south of a line from 35 miles west of St.\nLouis "
      "Missouri to 20 miles east of Ft. Wayne Indiana. For a complete\ndepiction see the "
      "associated watch outline update.\n");
  WatchProduct w;
  ASSERT_TRUE(w.parse(p));
  EXPECT_EQ(w.half_width_sm, 50);
  EXPECT_EQ(w.axis_from, "35 MILES WEST OF ST. LOUIS MISSOURI");
  EXPECT_EQ(w.axis_to, "20 MILES EAST OF FT. WAYNE INDIANA");
}

TEST(TextProduct, OpeningWordIsNoAwipsIdentifier)
{
  for (const char* word : {"URGENT", "TEST"}) {
    TextProduct p;
    p.parse(std::string("WWUS20 KWNS 012048\n") + word + "\nBODY LINE\n");
    EXPECT_EQ(p.head.awips, "") << word;
  }
  TextProduct p;
  p.parse("WWUS20 KWNS 012048\nSEL9\nBODY LINE\n");
  EXPECT_EQ(p.head.awips, "SEL9");
}

// Fronts over an analysis of another day are drawn, and the distance in time is said.
TEST(Kolfront, AnalysisFarFromTheFrontsIsSaid)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  KOLTest::run(KOLTest::programPath("kolsfc") + " -cvt=" + dir.file("s.sfc") + " " +
               KOLTest::dataFile("metar/metpy_2020010600_sao.wmo") + " 2>&1");
  const std::string out = KOLTest::run(
      KOLTest::programPath("kolfront") + " -ou=" + dir.file("f.png") + " -sf=" + dir.file("s.sfc") +
      " -va='temp[F]' " +
      KOLTest::dataFile("textprod/fronts/metpy_WPC_sfc_fronts_20210628_1800.txt") + " 2>&1");
  EXPECT_NE(out.find("is 4194 h away from the fronts"), std::string::npos) << out;
  EXPECT_NE(out.find("wrote"), std::string::npos) << out;
}
